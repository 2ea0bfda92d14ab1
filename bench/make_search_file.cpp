#include "bench/search_file_generator.h"

#include "ui/core/file_io.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

// Writes a generated search file. The sample in data/ comes from
//   lanshan_make_search_file 300 data/sample_search_file.txt --clean
int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    QStringList arguments = QCoreApplication::arguments().mid(1);
    SearchFileOptions options;
    if (arguments.removeAll(u"--clean"_qs) > 0)
        options.malformedLinesPerMillion = 0;
    const qsizetype seedAt = arguments.indexOf(u"--seed"_qs);
    if (seedAt >= 0 && seedAt + 1 < arguments.size()) {
        options.seed = arguments[seedAt + 1].toULongLong();
        arguments.remove(seedAt, 2);
    }
    bool countOk = false;
    if (arguments.size() == 2)
        options.lineCount = arguments[0].toLongLong(&countOk);
    if (!countOk || options.lineCount < 0) {
        std::fprintf(stderr, "usage: lanshan_make_search_file LINES OUTPUT [--seed N] [--clean]\n");
        return 2;
    }
    const QString error = writeFileAtomically(arguments[1], generateSearchFile(options));
    if (!error.isEmpty()) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(arguments[1]), qPrintable(error));
        return 1;
    }
    return 0;
}
