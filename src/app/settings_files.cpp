#include "app/settings_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

const QString fileName = QStringLiteral("config.ini");

bool sameFolder(const QString &a, const QString &b)
{
    // Canonical, because /bin and /usr/bin are one folder on a merged-/usr system.
    const QString canonical = QFileInfo(a).canonicalFilePath();
    return !canonical.isEmpty() && canonical == QFileInfo(b).canonicalFilePath();
}

} // namespace

SettingsFiles settingsFiles(
    const QString &programFolder, const QString &installedFolder, const QString &configFolder)
{
    const QString besideProgram = QDir(programFolder).filePath(fileName);
    if (QFileInfo(programFolder).isWritable() && !sameFolder(programFolder, installedFolder))
        return { { besideProgram }, besideProgram };
    const QString inConfigFolder = QDir(configFolder).filePath(fileName);
    return { { besideProgram, inConfigFolder }, inConfigFolder };
}

SettingsFiles settingsFiles()
{
    return settingsFiles(QCoreApplication::applicationDirPath(),
        QStringLiteral(LANSHAN_INSTALLED_BINDIR),
        QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation));
}
