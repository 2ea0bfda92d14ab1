#pragma once

#include <QString>
#include <QStringList>

#include <map>
#include <optional>
#include <vector>

// What every benchmark here shares: one median, one way to read the process's use of the
// machine, one command-line style.

// The middle value; the mean of the two middle ones for an even count.
double median(std::vector<double> values);

// User plus system time of this process (RUSAGE_SELF) or of its waited-for children
// (RUSAGE_CHILDREN): unlike wall time, not stretched by other load.
double processorSeconds(int who);

// The largest resident set of this process so far, in MB (10^6 bytes).
double peakResidentMegabytes();

// Runs this program again with `arguments` and reads the "step<TAB>value" lines it prints; empty
// when it failed.
std::map<QString, double> stepsOfChildRun(const QStringList &arguments);

// "[--runs N] [--lines N] FILE...": the benchmarks take the same words.
struct BenchArguments
{
    int runs = 0;
    qsizetype lines = 0;
    QStringList files;
};

// Prints the usage line and returns nothing when the words do not fit.
std::optional<BenchArguments> parseBenchArguments(
    const QStringList &arguments, int defaultRuns, const char *usage);
