#pragma once

#include <QString>
#include <QStringList>

// Where config.ini is read and written.
struct SettingsFiles
{
    QStringList read; // in this order; the first file holding the entry wins
    QString written;
};

// config.ini beside the program where that folder is writable, as a copy run from a folder
// keeps it; otherwise, and always for the copy in the folder it was built to be installed
// into (root could write there, and the package would then leave a stray file behind), the
// one in the user's configuration folder. A file beside the program is read first either way,
// so a machine set up by hand keeps working.
SettingsFiles settingsFiles(
    const QString &programFolder, const QString &installedFolder, const QString &configFolder);

// The same for the running program and user.
SettingsFiles settingsFiles();
