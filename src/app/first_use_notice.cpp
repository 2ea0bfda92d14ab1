#include "app/first_use_notice.h"

#include "app/about_window.h"
#include "ui/dialogs.h"
#include "ui/profile_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QLoggingCategory>

namespace {

constexpr QByteArrayView section = "data";
constexpr QByteArrayView key = "open";

} // namespace

QString settingsFilePath()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("config.ini"));
}

void showFirstUseNotice(const QString &settingsPath, QWidget *parent, Dialogs &dialogs)
{
    const ProfileFile settings(settingsPath);
    // Any value at all means the notice was shown before.
    if (!settings.value(section, key).isEmpty())
        return;
    const QString error = settings.setValue(section, key, "no one");
    if (!error.isEmpty())
        qWarning("cannot remember the first-use notice in %s: %s", qPrintable(settingsPath),
            qPrintable(error));
    AboutWindow notice(parent);
    dialogs.showModal(notice);
}
