// Times the recovery of unexported ticks in the real main window, offscreen through the dialogs
// seam: what a change of ticks costs the window's thread with half the songs ticked (the file is
// written beside it), and how soon after the analysis a fresh start offers the ticks of the run
// before. Each run is two fresh processes: one ticks half the songs and quits without exporting,
// the next analyses the same file and is offered them.
//   lanshan_bench_recovery [--runs N] FILE

#include "app/main_window.h"
#include "app/tick_recovery.h"
#include "bench_support.h"
#include "preview/scripted_engine.h"
#include "songs/recovered_ticks.h"
#include "songs/search_file_document.h"
#include "songs/song_table_model.h"
#include "ui/core/app_state.h"
#include "ui/core/file_io.h"
#include "ui/core/file_load_job.h"
#include "ui/widgets/scripted_dialogs.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPushButton>
#include <QTemporaryDir>

#include <cstdio>
#include <map>
#include <memory>
#include <vector>

namespace {

const QString tickFlag = u"--tick-half"_qs;
const QString offerFlag = u"--offer"_qs;
constexpr int tickChanges = 9;

void print(const char *step, double value)
{
    std::printf("%s\t%.6f\n", step, value);
    std::fflush(stdout);
}

// The time the window's thread works, not waits: from each wake-up of its event loop to the
// next time it would block.
class WindowThreadBusyTime : public QObject
{
public:
    WindowThreadBusyTime()
    {
        QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance();
        connect(dispatcher, &QAbstractEventDispatcher::awake, this, [this] { m_awake.start(); });
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, [this] {
            if (m_awake.isValid())
                m_busy += m_awake.nsecsElapsed();
            m_awake.invalidate();
        });
    }
    void restart()
    {
        m_busy = 0;
        m_awake.start();
    }
    double seconds()
    {
        const qint64 running = m_awake.isValid() ? m_awake.nsecsElapsed() : 0;
        return double(m_busy + running) / 1e9;
    }

private:
    QElapsedTimer m_awake;
    qint64 m_busy = 0;
};

struct Run
{
    explicit Run(const QString &stateFolder)
        : state(QDir(stateFolder).filePath(u"state.json"_qs))
    {
        window = std::make_unique<MainWindow>(
            dialogs, [this]() -> PlaybackEngine & { return engine; }, state);
        window->show();
        QApplication::processEvents();
    }
    template <typename Child> Child *find(const char *name = nullptr) const
    {
        return name ? window->findChild<Child *>(QString::fromUtf8(name))
                    : window->findChild<Child *>();
    }
    void waitUntil(const std::function<bool()> &done) const
    {
        while (!done())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    void browseAndAnalyse(const QString &searchFile)
    {
        dialogs.openAnswers.push_back(searchFile);
        find<QPushButton>("按钮2")->click();
        const auto *load = find<FileLoadJob>();
        waitUntil([load] { return !load->isRunning(); });
        find<QPushButton>("按钮1")->click();
        const auto *document = find<SearchFileDocument>();
        waitUntil([document] { return !document->isAnalysing(); });
    }

    ScriptedDialogs dialogs;
    ScriptedEngine engine;
    AppState state;
    std::unique_ptr<MainWindow> window;
};

// Ticks half the songs at random, then changes one tick at a time; quits without exporting.
int tickHalf(const QString &stateFolder, const QString &searchFile)
{
    Run run(stateFolder);
    run.browseAndAnalyse(searchFile);
    const TickRecovery *recovery = run.find<TickRecovery>();
    SongTableModel *songs = run.find<SongTableModel>();
    run.waitUntil([recovery] { return recovery->isSaved(); });
    QElapsedTimer firstWrite;
    firstWrite.start();
    run.find<QPushButton>("按钮6")->click(); // the proposed count is half of the songs
    run.waitUntil([recovery] { return recovery->isSaved(); });
    print("ticked songs", double(songs->tickedSongCount()));
    print("random pick of half until its recovery is written (s)", firstWrite.nsecsElapsed() / 1e9);

    WindowThreadBusyTime busy;
    std::vector<double> handled;
    std::vector<double> worked;
    std::vector<double> written;
    for (int change = 0; change < tickChanges; ++change) {
        const QModelIndex box = songs->index(change * 7919 + 1, 0);
        const bool ticked = songs->isTicked(box.row());
        QElapsedTimer timer;
        timer.start();
        busy.restart();
        songs->setData(box, ticked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
        QApplication::processEvents(); // the views' repaint of the changed row
        handled.push_back(timer.nsecsElapsed() / 1e9);
        run.waitUntil([recovery] { return recovery->isSaved(); });
        worked.push_back(busy.seconds());
        written.push_back(timer.nsecsElapsed() / 1e9);
    }
    print("tick change: handled on the window thread (ms)", median(handled) * 1e3);
    print("tick change: window thread busy until written (ms)", median(worked) * 1e3);
    print("tick change: written within (ms)", median(written) * 1e3);
    print("recovery file size (MB)",
        QFileInfo(TickRecovery::pathBeside(run.state.path())).size() / 1e6);
    return 0;
}

// Analyses the file in a fresh window and times the offer and the restore.
int offer(const QString &stateFolder, const QString &searchFile)
{
    const QString recoveryPath
        = TickRecovery::pathBeside(QDir(stateFolder).filePath(u"state.json"_qs));
    QElapsedTimer readTimer;
    readTimer.start();
    const std::optional<RecoveredTicks> read
        = RecoveredTicks::decode(readWholeFile(recoveryPath).bytes);
    print("read and check the recovery file alone (ms)", readTimer.nsecsElapsed() / 1e6);
    const FileReadResult text = readWholeFile(searchFile);
    QElapsedTimer fingerprintTimer;
    fingerprintTimer.start();
    const quint64 fingerprint = contentFingerprint(text.bytes);
    print("fingerprint of the search file alone (ms)", fingerprintTimer.nsecsElapsed() / 1e6);
    if (!read || read->file.fingerprint != fingerprint)
        return 1;

    Run run(stateFolder);
    QElapsedTimer sinceAnalysed;
    double offeredAfter = -1;
    QObject::connect(run.find<SearchFileDocument>(), &SearchFileDocument::tableReplaced,
        [&sinceAnalysed] { sinceAnalysed.start(); });
    run.dialogs.whileAsking
        = [&](const QString &) { offeredAfter = sinceAnalysed.nsecsElapsed() / 1e6; };
    run.dialogs.questionAnswers = { Dialogs::Answer::Yes };
    run.browseAndAnalyse(searchFile);
    const SongTableModel *songs = run.find<SongTableModel>();
    run.waitUntil([&] { return songs->tickedSongCount() > 0; });
    print("analysed table in the window -> offer asked (ms)", offeredAfter);
    print(
        "analysed table in the window -> ticks restored (ms)", sinceAnalysed.nsecsElapsed() / 1e6);
    print("restored songs", double(songs->tickedSongCount()));
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QStringList words = QCoreApplication::arguments();
    if (words.size() == 4 && words[1] == tickFlag)
        return tickHalf(words[2], words[3]);
    if (words.size() == 4 && words[1] == offerFlag)
        return offer(words[2], words[3]);

    const std::optional<BenchArguments> arguments
        = parseBenchArguments(words, 5, "lanshan_bench_recovery [--runs N] FILE");
    if (!arguments || arguments->files.size() != 1)
        return 2;
    const QString file = arguments->files.constFirst();
    std::map<QString, std::vector<double>> results;
    for (int run = 0; run < arguments->runs; ++run) {
        QTemporaryDir state;
        for (const QString &flag : { tickFlag, offerFlag }) {
            const std::map<QString, double> values = stepsOfChildRun({ flag, state.path(), file });
            if (values.empty()) {
                std::fprintf(stderr, "the %s run failed\n", qPrintable(flag));
                return 1;
            }
            for (const auto &[step, value] : values)
                results[step].push_back(value);
        }
    }
    std::printf(
        "%s, median of %d runs (each two fresh processes)\n\n| step | value |\n|---|---:|\n",
        qPrintable(QFileInfo(file).fileName()), arguments->runs);
    for (const auto &[step, values] : results)
        std::printf("| %s | %.3f |\n", qPrintable(step), median(values));
    return 0;
}
