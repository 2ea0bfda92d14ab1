#include "bench_support.h"

#include <QCoreApplication>
#include <QProcess>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

double processorSeconds(int who)
{
    rusage usage {};
    getrusage(who, &usage);
    const auto seconds = [](timeval time) { return double(time.tv_sec) + time.tv_usec * 1e-6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double peakResidentMegabytes()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) * 1024.0 / 1e6; // kilobytes on Linux
}

std::optional<BenchArguments> parseBenchArguments(
    const QStringList &arguments, int defaultRuns, const char *usage)
{
    BenchArguments parsed;
    parsed.runs = defaultRuns;
    bool ok = true;
    for (qsizetype index = 1; index < arguments.size() && ok; ++index) {
        const QString &word = arguments[index];
        const bool hasValue = index + 1 < arguments.size();
        if (word == u"--runs" && hasValue)
            parsed.runs = arguments[++index].toInt(&ok);
        else if (word == u"--lines" && hasValue)
            parsed.lines = arguments[++index].toLongLong(&ok);
        else if (word.startsWith(u"--"))
            ok = false;
        else
            parsed.files << word;
    }
    if (!ok || parsed.runs < 1 || parsed.lines < 0) {
        std::fprintf(stderr, "usage: %s\n", usage);
        return std::nullopt;
    }
    return parsed;
}

std::map<QString, double> stepsOfChildRun(const QStringList &arguments)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), arguments);
    std::map<QString, double> values;
    if (!child.waitForFinished(-1) || child.exitCode() != 0)
        return values;
    for (const QByteArray &line : child.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> parts = line.split('\t');
        if (parts.size() == 2)
            values[QString::fromUtf8(parts[0])] = parts[1].toDouble();
    }
    return values;
}
