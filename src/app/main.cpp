#include "app/app_resources.h"
#include "app/first_use_notice.h"
#include "app/main_window.h"
#include "app/quit_signals.h"
#include "app/settings_files.h"
#include "preview/mpv_engine_loader.h"
#include "ui/core/app_state.h"
#include "ui/core/memory_advice.h"
#include "ui/widgets/enter_presses_button.h"
#include "ui/widgets/qt_dialogs.h"
#include "ui/widgets/window_frame.h"

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>

int main(int argc, char *argv[])
{
    returnLargeBuffersWhenFreed();
    QApplication application(argc, argv);
    loadAppResources();
    QApplication::setApplicationName(QStringLiteral("lanshan"));
    // No display name: on X11 Qt would append it to every window title.
    QApplication::setApplicationVersion(QStringLiteral(LANSHAN_VERSION));
    // Lets the desktop match the window to its entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(LANSHAN_APP_ID));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/lanshan/lanshan.png")));
    // The layout is measured for a 12-pixel Chinese UI font, the size Chinese desktops use.
    QFont font(QStringLiteral("WenQuanYi Micro Hei"));
    font.setPixelSize(12);
    QApplication::setFont(font);

    // The window speaks Chinese; so should Qt's own dialogs and buttons.
    QTranslator qtTranslation;
    if (qtTranslation.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
            QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslation);

    const EnterPressesButton enterPressesButton;
    QtDialogs dialogs(QStringLiteral("澜杉"));
    // What the window remembers from the last run; config.ini keeps only its own entry.
    AppState state;
    state.load();
    dialogs.setFolders(state.openFolder(), state.saveFolder());
    std::unique_ptr<PlaybackEngine> engine;
    MainWindow window(
        dialogs,
        [&engine]() -> PlaybackEngine & {
            if (!engine)
                engine = loadMpvEngine();
            return *engine;
        },
        state);
    resizeWithinScreen(window, state.windowSize());
    const QuitSignals quitSignals;
    window.show();
    // Inside the event loop, so that a quit signal while the notice shows ends the program.
    showFirstUseNoticeOver(window, settingsFiles(), dialogs);
    const int exitCode = QApplication::exec();
    // A maximised window is remembered by the size it returns to.
    state.setWindowSize(window.isMaximized() ? window.normalGeometry().size() : window.size());
    state.setOpenFolder(dialogs.openFolder());
    state.setSaveFolder(dialogs.saveFolder());
    state.save();
    return exitCode;
}
