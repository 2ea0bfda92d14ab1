// Times the song workbook export of a search file: analysis, then the whole table written as
// .xlsx, with the resident memory before and during the write.
// Usage: lanshan_bench_workbook [--runs N] (--lines N | FILE)

#include "bench_support.h"
#include "export/song_workbook.h"
#include "search_file_generator.h"
#include "songs/search_file_analysis.h"
#include "ui/core/file_io.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

double seconds(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e9;
}

double residentMegabytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1000.0;
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    const std::optional<BenchArguments> arguments = parseBenchArguments(
        QCoreApplication::arguments(), 3, "lanshan_bench_workbook [--runs N] (--lines N | FILE)");
    if (!arguments || arguments->files.size() + (arguments->lines > 0 ? 1 : 0) != 1)
        return 2;
    const int runs = arguments->runs;
    const qsizetype lines = arguments->lines;
    const QString file = arguments->files.value(0);

    QByteArray text;
    if (file.isEmpty()) {
        text = generateSearchFile({ lines, 1, 50 });
    } else {
        FileReadResult read = readWholeFile(file);
        if (!read.ok()) {
            std::fprintf(stderr, "%s\n", qPrintable(read.error));
            return 1;
        }
        text = std::move(read.bytes);
    }

    QElapsedTimer timer;
    timer.start();
    const SearchFileAnalysis analysis = analyseSearchFile(text);
    const double analysisSeconds = seconds(timer);
    const SongTable &table = analysis.table;
    const double residentBeforeWrite = residentMegabytes();
    std::printf("search file: %.1f MB, %lld rows, analysed in %.2f s\n", text.size() / 1e6,
        static_cast<long long>(table.rowCount()), analysisSeconds);
    std::printf("resident before the write: %.1f MB (peak so far %.1f MB)\n", residentBeforeWrite,
        peakResidentMegabytes());

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("songs.xlsx"));
    std::vector<double> totals;
    std::vector<double> rowPhases;
    std::vector<double> processorTimes;
    double residentDuringWrite = 0;
    for (int run = 0; run < runs; ++run) {
        double rowsDone = 0;
        const double processorAtStart = processorSeconds(RUSAGE_SELF);
        timer.start();
        const QString error
            = writeSongWorkbook(table, path, [&](qsizetype written, qsizetype count) {
                  if (written == count)
                      rowsDone = seconds(timer);
                  if (written % (64 * 4096) == 0 || written == count)
                      residentDuringWrite = std::max(residentDuringWrite, residentMegabytes());
                  return true;
              });
        totals.push_back(seconds(timer));
        processorTimes.push_back(processorSeconds(RUSAGE_SELF) - processorAtStart);
        rowPhases.push_back(rowsDone);
        if (!error.isEmpty()) {
            std::fprintf(stderr, "workbook: %s\n", qPrintable(error));
            return 1;
        }
        std::printf("run %d: %.2f s (rows written after %.2f s), processor %.2f s\n", run + 1,
            totals.back(), rowsDone, processorTimes.back());
    }
    std::printf("workbook: median %.2f s (processor %.2f s) over %d runs, rows %.0f%% of it, "
                "file %.1f MB\n",
        median(totals), median(processorTimes), runs, 100.0 * median(rowPhases) / median(totals),
        QFileInfo(path).size() / 1e6);
    std::printf("resident during the write: at most %.1f MB (%+.1f MB), peak %.1f MB\n",
        residentDuringWrite, residentDuringWrite - residentBeforeWrite, peakResidentMegabytes());
    return 0;
}
