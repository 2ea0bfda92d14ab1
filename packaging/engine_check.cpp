// Loads the modules as the installed program does, from the folder it runs in: writes a small
// workbook through the workbook module and, given a clip, plays it to its end with the engine
// module. Copied into an installed tree, it shows that the install finds and runs its own
// modules; the program itself takes no command-line options.
#include "export/workbook_writer.h"
#include "preview/mpv_engine_loader.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);

    const QTemporaryDir folder;
    WorkbookWriter workbook(folder.filePath(QStringLiteral("check.xlsx")));
    const QByteArrayView cells[] { "10000001", "Song" };
    workbook.appendRow(cells);
    if (const QString failure = workbook.finish(); !failure.isEmpty()) {
        err << failure << '\n';
        return 1;
    }
    out << "workbook module wrote a workbook\n";

    const std::unique_ptr<PlaybackEngine> engine = loadMpvEngine();
    if (!engine->isReady()) {
        err << engine->startupError() << '\n';
        return 1;
    }
    const QStringList arguments = app.arguments();
    if (arguments.size() < 2) {
        out << "engine module loaded\n";
        return 0;
    }

    const QString clip = arguments.at(1);
    int status = 1;
    QObject::connect(engine.get(), &PlaybackEngine::endReached, &app, [&] {
        out << "played " << clip << " to its end at " << engine->position() << " of "
            << engine->duration() << " s\n";
        status = engine->duration() > 0 ? 0 : 1;
        app.quit();
    });
    QObject::connect(engine.get(), &PlaybackEngine::playbackFailed, &app, [&](const QString &why) {
        err << why << '\n';
        app.quit();
    });
    QTimer::singleShot(60000, &app, [&] {
        err << clip << " did not reach its end within a minute\n";
        app.quit();
    });
    engine->load(clip);
    app.exec();
    return status;
}
