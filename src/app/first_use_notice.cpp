#include "app/first_use_notice.h"

#include "app/about_window.h"
#include "app/settings_files.h"
#include "ui/core/profile_file.h"
#include "ui/widgets/dialogs.h"

#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QTimer>
#include <QWindow>

#include <functional>

namespace {

constexpr QByteArrayView section = "data";
constexpr QByteArrayView key = "open";

} // namespace

namespace {

// Runs an action once, when a window is first exposed.
class OnFirstExpose : public QObject
{
public:
    OnFirstExpose(QWindow *window, std::function<void()> action)
        : QObject(window)
        , m_action(std::move(action))
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Expose && static_cast<QWindow *>(watched)->isExposed()) {
            watched->removeEventFilter(this);
            // After the expose is handled, inside the event loop.
            QTimer::singleShot(0, watched, m_action);
            deleteLater();
        }
        return false;
    }

private:
    std::function<void()> m_action;
};

} // namespace

void showFirstUseNoticeOver(QWidget &window, const SettingsFiles &settings, Dialogs &dialogs)
{
    const auto show
        = [&window, settings, &dialogs] { showFirstUseNotice(settings, &window, dialogs); };
    QWindow *handle = window.windowHandle();
    if (handle && !handle->isExposed())
        new OnFirstExpose(handle, show);
    else
        QTimer::singleShot(0, &window, show);
}

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
