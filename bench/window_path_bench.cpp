// Times the whole window path on search files, offscreen, through the dialogs seam: Browse,
// Analyse, check all, random pick of half, a query, a sort by name, export of the codes. Each
// run is a fresh process, as a user meets the program: nothing is warm but the file system's
// cache. The same run times mawk and shuf doing the codes alone, as the yardstick.
//   lanshan_bench_window [--runs N] FILE...

#include "app/main_window.h"
#include "app/song_table_view.h"
#include "bench_support.h"
#include "preview/scripted_engine.h"
#include "songs/search_file_document.h"
#include "songs/shown_songs_model.h"
#include "ui/core/app_state.h"
#include "ui/core/file_load_job.h"
#include "ui/core/memory_advice.h"
#include "ui/widgets/scripted_dialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

const char *const childFlag = "--one-run";
const QStringList steps { u"browse (read + source view)"_qs, u"analyse (table ready to scroll)"_qs,
    u"check all"_qs, u"random pick of half"_qs, u"find 粤语 (shown)"_qs, u"sort by name (shown)"_qs,
    u"export codes"_qs, u"whole path"_qs, u"processor time of the whole path"_qs,
    u"path without find and sort"_qs, u"peak resident memory (MB)"_qs };

// One pass in this process; prints "step<TAB>value" lines for the parent.
int runOnce(const QString &searchFile)
{
    QTemporaryDir out;
    ScriptedDialogs dialogs;
    ScriptedEngine engine;
    AppState state(out.filePath(QStringLiteral("state.json")));
    MainWindow window(
        dialogs, [&engine]() -> PlaybackEngine & { return engine; }, state);
    window.show();
    QApplication::processEvents();
    const auto button = [&](const char *name) {
        return window.findChild<QPushButton *>(QString::fromUtf8(name));
    };
    auto *checkAll = window.findChild<QCheckBox *>(QStringLiteral("选择框1"));
    QElapsedTimer whole;
    QElapsedTimer step;
    const auto lap = [&](qsizetype index) {
        QApplication::processEvents(); // the views lay out what is in sight
        const double seconds = step.nsecsElapsed() / 1e9;
        std::printf("%s\t%.6f\n", qPrintable(steps[index]), seconds);
        step.restart();
        return seconds;
    };
    const double processorAtStart = processorSeconds(RUSAGE_SELF);
    whole.start();
    step.start();
    dialogs.openAnswers.push_back(searchFile);
    button("按钮2")->click();
    // The file is read in the background.
    const auto *load = window.findChild<FileLoadJob *>();
    while (load->isRunning())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    lap(0);
    button("按钮1")->click();
    // The analysis is done in the background; the table shows when it is.
    const auto *document = window.findChild<SearchFileDocument *>();
    while (document->isAnalysing())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    lap(1);
    checkAll->click();
    lap(2);
    checkAll->click();
    step.restart();
    button("按钮6")->click(); // the proposed count is half of the songs
    lap(3);
    // Typed and sorted as a user does, waiting for the work beside the window.
    auto *find = window.findChild<QLineEdit *>(QStringLiteral("查找"));
    find->setText(u"粤语"_qs);
    emit find->textEdited(find->text());
    const auto *shown = window.findChild<ShownSongsModel *>();
    const auto untilShown = [shown] {
        while (shown->isBusy())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    };
    untilShown();
    double findAndSort = lap(4);
    emit window.findChild<SongTableView *>()->horizontalHeader()->sectionClicked(1);
    untilShown();
    findAndSort += lap(5);
    dialogs.saveAnswers.push_back(out.filePath(QStringLiteral("codes.txt")));
    button("按钮3")->click();
    lap(6);
    const double wholeSeconds = whole.nsecsElapsed() / 1e9;
    std::printf("%s\t%.6f\n", qPrintable(steps[7]), wholeSeconds);
    std::printf(
        "%s\t%.6f\n", qPrintable(steps[8]), processorSeconds(RUSAGE_SELF) - processorAtStart);
    // The path a venue takes to add songs, as mawk and shuf stand in for it.
    std::printf("%s\t%.6f\n", qPrintable(steps[9]), wholeSeconds - findAndSort);
    std::printf("%s\t%.1f\n", qPrintable(steps[10]), peakResidentMegabytes());
    for (const QString &message : std::as_const(dialogs.messages))
        std::fprintf(stderr, "message: %s\n", qPrintable(message));
    return 0;
}

qint64 lineCount(const QString &path)
{
    QFile file(path);
    qint64 lines = 0;
    if (file.open(QIODevice::ReadOnly))
        while (!file.atEnd())
            lines += file.read(1 << 20).count('\n');
    return lines;
}

double mawkAndShufSeconds(const QString &searchFile, qint64 half)
{
    const std::string command = "mawk -F'[|][|]' 'NF>=9{print $2}' '" + searchFile.toStdString()
        + "' | shuf -n " + std::to_string(half) + " >/dev/null";
    QElapsedTimer timer;
    timer.start();
    if (std::system(command.c_str()) != 0)
        std::fprintf(stderr, "failed: %s\n", command.c_str());
    return timer.nsecsElapsed() / 1e9;
}

} // namespace

int main(int argc, char **argv)
{
    returnLargeBuffersWhenFreed(); // as the program does
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QStringList words = QCoreApplication::arguments();
    if (words.size() == 3 && words[1] == QLatin1String(childFlag))
        return runOnce(words[2]);

    const std::optional<BenchArguments> arguments
        = parseBenchArguments(words, 5, "lanshan_bench_window [--runs N] FILE...");
    if (!arguments || arguments->files.isEmpty())
        return 2;

    std::printf(
        "Each run a fresh process; median of %d runs, seconds.\n\n| step |", arguments->runs);
    std::map<QString, std::map<QString, std::vector<double>>> results; // file, step, runs
    std::map<QString, std::vector<double>> yardstick;
    for (const QString &file : arguments->files) {
        std::printf(" %s |", qPrintable(QFileInfo(file).fileName()));
        for (int run = 0; run < arguments->runs; ++run) {
            const std::map<QString, double> values
                = stepsOfChildRun({ QString::fromLatin1(childFlag), file });
            if (values.empty()) {
                std::fprintf(stderr, "the run on %s failed\n", qPrintable(file));
                return 1;
            }
            for (const auto &[step, value] : values)
                results[file][step].push_back(value);
        }
        const qint64 half = lineCount(file) / 2;
        for (int run = 0; run < arguments->runs; ++run)
            yardstick[file].push_back(mawkAndShufSeconds(file, half));
    }
    std::printf("\n|---|");
    for (qsizetype column = 0; column < arguments->files.size(); ++column)
        std::printf("---:|");
    for (const QString &step : steps) {
        std::printf("\n| %s |", qPrintable(step));
        for (const QString &file : arguments->files)
            std::printf(" %.3f |", median(results[file][step]));
    }
    std::printf("\n| memory / file size |");
    for (const QString &file : arguments->files)
        std::printf(
            " %.2f |", median(results[file][steps.back()]) * 1e6 / double(QFileInfo(file).size()));
    std::printf("\n| mawk + shuf -n half |");
    for (const QString &file : arguments->files)
        std::printf(" %.3f |", median(yardstick[file]));
    for (const QString &path : { u"whole path"_qs, u"path without find and sort"_qs }) {
        std::printf("\n| %s / (mawk + shuf) |", qPrintable(path));
        for (const QString &file : arguments->files)
            std::printf(" %.2f |", median(results[file][path]) / median(yardstick[file]));
    }
    std::printf("\n");
    return 0;
}
