#include "app/first_use_notice.h"

#include "app/about_window.h"
#include "app/settings_files.h"
#include "ui/dialogs.h"
#include "ui/profile_file.h"

#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>

namespace {

constexpr QByteArrayView section = "data";
constexpr QByteArrayView key = "open";

} // namespace

void showFirstUseNotice(const SettingsFiles &settings, QWidget *parent, Dialogs &dialogs)
{
    // Any value at all means the notice was shown before.
    for (const QString &path : settings.read) {
        if (!ProfileFile(path).value(section, key).isEmpty())
            return;
    }
    // The user's configuration folder may not exist yet.
    QDir().mkpath(QFileInfo(settings.written).absolutePath());
    const QString error = ProfileFile(settings.written).setValue(section, key, "no one");
    if (!error.isEmpty())
        qWarning("cannot remember the first-use notice in %s: %s", qPrintable(settings.written),
            qPrintable(error));
    AboutWindow notice(parent);
    dialogs.showModal(notice);
}
