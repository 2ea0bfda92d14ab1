#include "bench_support.h"
#include "export/ticked_rows_writer.h"
#include "selection/random_selection.h"
#include "songs/search_file_analysis.h"
#include "songs/song_table_model.h"
#include "songs/source_text_model.h"
#include "ui/core/file_io.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

// Times each step the main window takes on a search file, through the same core calls, and the
// command-line tools a venue could use instead, on the same file in the same run. Wall time is
// what the user waits; CPU time (of the tools' processes too) shows how much of it a busy
// machine took away.
// Usage: lanshan_bench_core [--runs N] FILE...

namespace {

class Stopwatch
{
public:
    explicit Stopwatch(int who = RUSAGE_SELF)
        : m_who(who)
        , m_wallStart(std::chrono::steady_clock::now())
        , m_cpuStart(processorSeconds(who))
    {
    }
    double wall() const
    {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - m_wallStart)
            .count();
    }
    double cpu() const { return processorSeconds(m_who) - m_cpuStart; }

private:
    int m_who;
    std::chrono::steady_clock::time_point m_wallStart;
    double m_cpuStart;
};

struct Step
{
    std::string name;
    std::vector<double> wall;
    std::vector<double> cpu;
};

struct FileResult
{
    QString name;
    qint64 bytes = 0;
    qsizetype songs = 0;
    qsizetype skipped = 0;
    std::vector<Step> steps; // in the order they ran
    double peakMegabytes = 0;

    void record(const std::string &step, const Stopwatch &watch)
    {
        const double wall = watch.wall();
        const double cpu = watch.cpu();
        auto found = std::find_if(steps.begin(), steps.end(),
            [&](const Step &existing) { return existing.name == step; });
        if (found == steps.end())
            found = steps.insert(steps.end(), Step { step, {}, {} });
        found->wall.push_back(wall);
        found->cpu.push_back(cpu);
    }
};

// One pass of the window's path on a file; everything is released at the end, so the process's
// peak memory is that of one loaded file.
void runOnce(const QString &path, const QString &exportPath, FileResult &result)
{
    Stopwatch watch;
    const FileReadResult read = readWholeFile(path);
    result.record("read file", watch);
    if (!read.ok()) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(path), qPrintable(read.error));
        std::exit(1);
    }
    const QByteArray &bytes = read.bytes;

    watch = Stopwatch();
    qsizetype separators = 0;
    for (const char *at = bytes.constData(), *end = at + bytes.size();
         (at = static_cast<const char *>(std::memchr(at, '|', std::size_t(end - at)))); ++at)
        ++separators;
    result.record("floor: count every '|' with memchr", watch);
    if (separators == 0)
        std::fprintf(stderr, "%s: no separators\n", qPrintable(path));

    SourceTextModel source;
    watch = Stopwatch();
    source.setBytes(bytes);
    result.record("load into the source view", watch);

    watch = Stopwatch();
    {
        const SearchFileAnalysis oneThread = analyseSearchFile(bytes, TextEncoding::Gbk, 1);
        result.record("the analysis on one thread", watch);
    }

    SongTableModel model;
    watch = Stopwatch();
    SearchFileAnalysis analysis = analyseSearchFile(bytes);
    model.setTable(std::make_shared<const SongTable>(std::move(analysis.table)));
    result.record("analysis into the table", watch);
    result.songs = model.table()->rowCount();
    result.skipped = analysis.skippedLineCount();

    watch = Stopwatch();
    model.setAllTicked(true);
    result.record("check all", watch);

    model.setAllTicked(false);
    QRandomGenerator random(20240601);
    watch = Stopwatch();
    const qsizetype songs = model.table()->rowCount();
    const std::vector<qsizetype> picked = pickDistinctRows(songs, songs / 2, random);
    model.setRowsTicked(std::vector<std::uint32_t>(picked.begin(), picked.end()), true);
    result.record("random pick of half", watch);

    model.setAllTicked(true);
    watch = Stopwatch();
    const QString streamError = writeFileAtomically(exportPath,
        [&](QIODevice &file) { return writeTickedRows(model.tickedSongs(), codeColumn, file); });
    result.record("export: every code written straight to the file", watch);
    if (!streamError.isEmpty())
        std::fprintf(stderr, "%s: %s\n", qPrintable(exportPath), qPrintable(streamError));
}

void runTool(const std::string &name, const std::string &command, FileResult &result)
{
    const Stopwatch watch(RUSAGE_CHILDREN);
    if (std::system(command.c_str()) != 0)
        std::fprintf(stderr, "failed: %s\n", command.c_str());
    result.record(name, watch);
}

void runTools(const QString &path, qsizetype half, FileResult &result)
{
    const std::string file = "'" + path.toStdString() + "'";
    const std::string codes = "mawk -F'[|][|]' '{print $2}' " + file;
    runTool("tool: cut -d'|' -f3", "cut -d'|' -f3 " + file + " >/dev/null", result);
    runTool("tool: mawk, the codes", codes + " >/dev/null", result);
    runTool("tool: mawk, the codes, shuf -n half",
        codes + " | shuf -n " + std::to_string(half) + " >/dev/null", result);
}

void printTable(const std::vector<FileResult> &results, int runs)
{
    std::printf("Median of %d runs: wall seconds (CPU seconds).\n\n| step |", runs);
    for (const FileResult &result : results)
        std::printf(" %s |", qPrintable(result.name));
    std::printf("\n|---|");
    for (std::size_t column = 0; column < results.size(); ++column)
        std::printf("---:|");
    std::printf("\n| file size (MB) |");
    for (const FileResult &result : results)
        std::printf(" %.1f |", double(result.bytes) / 1e6);
    std::printf("\n| songs (skipped lines) |");
    for (const FileResult &result : results)
        std::printf(" %lld (%lld) |", static_cast<long long>(result.songs),
            static_cast<long long>(result.skipped));
    std::printf("\n");
    for (std::size_t step = 0; step < results.front().steps.size(); ++step) {
        std::printf("| %s |", results.front().steps[step].name.c_str());
        for (const FileResult &result : results)
            std::printf(
                " %.3f (%.3f) |", median(result.steps[step].wall), median(result.steps[step].cpu));
        std::printf("\n");
    }
    std::printf("| peak resident memory (MB) |");
    for (const FileResult &result : results)
        std::printf(" %.0f (%.2f x file) |", result.peakMegabytes,
            result.peakMegabytes * 1e6 / double(result.bytes));
    std::printf("\n");
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    const std::optional<BenchArguments> arguments = parseBenchArguments(
        QCoreApplication::arguments(), 5, "lanshan_bench_core [--runs N] FILE...");
    if (!arguments || arguments->files.isEmpty())
        return 2;
    const int runs = arguments->runs;
    QStringList files = arguments->files;
    // Peak memory only grows, so smaller files go first: each file's peak is then its own.
    std::sort(files.begin(), files.end(), [](const QString &a, const QString &b) {
        return QFileInfo(a).size() < QFileInfo(b).size();
    });

    QTemporaryDir exportDir;
    std::vector<FileResult> results;
    for (const QString &path : files) {
        FileResult &result = results.emplace_back();
        result.name = QFileInfo(path).fileName();
        result.bytes = QFileInfo(path).size();
        readWholeFile(path); // warm the page cache, as the tools get it warm too
        for (int run = 0; run < runs; ++run)
            runOnce(path, exportDir.filePath(u"codes.txt"_qs), result);
        result.peakMegabytes = peakResidentMegabytes();
        for (int run = 0; run < runs; ++run)
            runTools(path, result.songs / 2, result);
    }
    printTable(results, runs);
    return 0;
}
