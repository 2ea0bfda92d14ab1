#include "app/first_use_notice.h"
#include "app/main_window.h"
#include "ui/qt_dialogs.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QTranslator>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("lanshan"));
    QApplication::setApplicationDisplayName(QStringLiteral("澜杉"));
    QApplication::setApplicationVersion(QStringLiteral(LANSHAN_VERSION));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/lanshan/lanshan.png")));

    // The window speaks Chinese; so should Qt's own dialogs and buttons.
    QTranslator qtTranslation;
    if (qtTranslation.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
            QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslation);

    QtDialogs dialogs;
    MainWindow window(dialogs);
    window.show();
    showFirstUseNotice(settingsFilePath(), &window, dialogs);
    return QApplication::exec();
}
