// Times the whole window path on a search file, offscreen, through the dialogs seam:
// Browse, Analyse, check all, random pick of half, export of the codes.
//   window_path_bench FILE [RUNS]

#include "app/main_window.h"
#include "ui/scripted_dialogs.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

namespace {

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

long peakResidentKiB()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s SEARCH_FILE [RUNS]\n", argv[0]);
        return 2;
    }
    const QString searchFile = QString::fromLocal8Bit(argv[1]);
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    QTemporaryDir out;

    const char *steps[] = { "browse (read + source view)", "analyse (table ready to scroll)",
        "check all", "random pick of half", "export codes", "whole path" };
    std::map<QString, std::vector<double>> times;
    for (int run = 0; run < runs; ++run) {
        ScriptedDialogs dialogs;
        MainWindow window(dialogs);
        window.show();
        QApplication::processEvents();
        const auto button = [&](const char *name) {
            return window.findChild<QPushButton *>(QString::fromUtf8(name));
        };
        QElapsedTimer whole;
        QElapsedTimer step;
        const auto lap = [&](const char *name) {
            QApplication::processEvents(); // the views lay out what is in sight
            times[QString::fromUtf8(name)].push_back(step.nsecsElapsed() / 1e9);
            step.restart();
        };
        whole.start();
        step.start();
        dialogs.openAnswers.push_back(searchFile);
        button("按钮2")->click();
        lap(steps[0]);
        button("按钮1")->click();
        lap(steps[1]);
        window.findChild<QCheckBox *>(QStringLiteral("选择框1"))->click();
        lap(steps[2]);
        window.findChild<QCheckBox *>(QStringLiteral("选择框1"))->click();
        step.restart();
        button("按钮6")->click(); // the proposed count is half of the songs
        lap(steps[3]);
        dialogs.saveAnswers.push_back(out.filePath(QStringLiteral("codes.txt")));
        button("按钮3")->click();
        lap(steps[4]);
        times[QString::fromUtf8(steps[5])].push_back(whole.nsecsElapsed() / 1e9);
        if (!dialogs.messages.isEmpty())
            std::printf("message: %s\n", qPrintable(dialogs.messages.constFirst()));
    }
    std::printf(
        "%s, %d runs, median seconds\n", qPrintable(QDir::toNativeSeparators(searchFile)), runs);
    for (const char *name : steps)
        std::printf("  %-34s %8.3f\n", name, median(times[QString::fromUtf8(name)]));
    std::printf("  %-34s %8.1f MiB\n", "peak resident memory", peakResidentKiB() / 1024.0);
    return 0;
}
