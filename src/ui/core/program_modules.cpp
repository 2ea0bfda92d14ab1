#include "ui/core/program_modules.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

QStringList programModulePaths(QStringView fileName)
{
    const QDir programDir(QCoreApplication::applicationDirPath());
    const QString name = fileName.toString();
    return { QDir::cleanPath(
                 programDir.filePath(QStringLiteral(LANSHAN_MODULE_RELATIVE_DIR "/") + name)),
        programDir.filePath(name) };
}

QFunctionPointer resolveModuleEntry(
    const QStringList &modulePaths, const char *symbol, QString *failure)
{
    QStringList failures;
    for (const QString &path : modulePaths) {
        if (!QFileInfo::exists(path))
            continue;
        // Not unloaded when this goes: the caller's code lives in the module.
        QLibrary module(path);
        if (const QFunctionPointer entry = module.resolve(symbol))
            return entry;
        failures << module.errorString();
    }
    if (failures.isEmpty())
        failures << QCoreApplication::translate("ProgramModules", "找不到 %1")
                        .arg(modulePaths.join(QCoreApplication::translate("ProgramModules", "、")));
    if (failure)
        *failure = failures.join(u'\n');
    return nullptr;
}
