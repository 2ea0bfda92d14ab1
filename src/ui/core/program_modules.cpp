#include "ui/core/program_modules.h"

#include <QCoreApplication>
#include <QDir>

QStringList programModulePaths(QStringView fileName)
{
    const QDir programDir(QCoreApplication::applicationDirPath());
    const QString name = fileName.toString();
    return { QDir::cleanPath(
                 programDir.filePath(QStringLiteral(LANSHAN_MODULE_RELATIVE_DIR "/") + name)),
        programDir.filePath(name) };
}
