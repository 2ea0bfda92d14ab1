// Times the song workbook export of a search file: analysis, then the whole table written as
// .xlsx, with the resident memory before and during the write.
// Usage: lanshan_bench_workbook [--runs N] (--lines N | FILE)

#include "export/song_workbook.h"
#include "search_file_generator.h"
#include "songs/search_file_analysis.h"
#include "ui/file_io.h"

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

double middleOf(std::vector<double> values)
{
    const auto middle = values.begin() + std::ptrdiff_t(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

// User and system time of the process so far: unlike wall time, not stretched by other load.
double processorSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    const auto toSeconds = [](const timeval &time) { return time.tv_sec + time.tv_usec / 1e6; };
    return toSeconds(usage.ru_utime) + toSeconds(usage.ru_stime);
}

// Largest resident set of the process so far; Linux reports it in kilobytes.
double peakMegabytes()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1000.0;
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

int usage(const char *program)
{
    std::fprintf(stderr, "usage: %s [--runs N] (--lines N | FILE)\n", program);
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    int runs = 3;
    qsizetype lines = 0;
    QString file;
    for (int index = 1; index < argc; ++index) {
        if (std::strcmp(argv[index], "--runs") == 0 && index + 1 < argc)
            runs = std::max(1, std::atoi(argv[++index]));
        else if (std::strcmp(argv[index], "--lines") == 0 && index + 1 < argc)
            lines = std::atoll(argv[++index]);
        else
            file = QString::fromLocal8Bit(argv[index]);
    }
    if (file.isEmpty() == (lines <= 0))
        return usage(argv[0]);

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
        peakMegabytes());

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("songs.xlsx"));
    std::vector<double> totals;
    std::vector<double> rowPhases;
    std::vector<double> processorTimes;
    double residentDuringWrite = 0;
    for (int run = 0; run < runs; ++run) {
        double rowsDone = 0;
        const double processorAtStart = processorSeconds();
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
        processorTimes.push_back(processorSeconds() - processorAtStart);
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
        middleOf(totals), middleOf(processorTimes), runs,
        100.0 * middleOf(rowPhases) / middleOf(totals), QFileInfo(path).size() / 1e6);
    std::printf("resident during the write: at most %.1f MB (%+.1f MB), peak %.1f MB\n",
        residentDuringWrite, residentDuringWrite - residentBeforeWrite, peakMegabytes());
    return 0;
}
