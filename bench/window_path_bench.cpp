// Times the whole window path on a search file, offscreen, through the dialogs seam:
// Browse, Analyse, check all, random pick of half, export of the codes.
//   lanshan_bench_window [--runs N] FILE

#include "app/main_window.h"
#include "bench_support.h"
#include "ui/scripted_dialogs.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const std::optional<BenchArguments> arguments = parseBenchArguments(
        QCoreApplication::arguments(), 5, "lanshan_bench_window [--runs N] FILE");
    if (!arguments || arguments->files.size() != 1)
        return 2;
    const QString searchFile = arguments->files.constFirst();
    const int runs = arguments->runs;
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
    std::printf("  %-34s %8.1f MB\n", "peak resident memory", peakResidentMegabytes());
    return 0;
}
