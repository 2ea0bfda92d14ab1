// Times finding, picking within what is shown, and sorting on a search file, through the core
// classes the window uses (no window): a new query over all songs, a keystroke that narrows it,
// 全选 and a random pick over 100,000 shown songs, the first sort by song name and its reverse.
// The same run times `LC_ALL=C grep -F -c` on the same file and query as the floor, and a plain
// QSortFilterProxyModel with setFilterFixedString over the same model as the alternative. Pinyin
// queries are timed beside a straightforward per-song pinyin matcher, and the analysis with the
// songs' find forms beside the analysis without them.
//   lanshan_bench_find [--runs N] FILE

#include "bench_support.h"
#include "selection/random_selection.h"
#include "songs/gbk_folding.h"
#include "songs/pinyin_readings.h"
#include "songs/search_file_analysis.h"
#include "songs/shown_songs_model.h"
#include "songs/singer_suggestions.h"
#include "songs/song_facets.h"
#include "songs/song_filters.h"
#include "songs/song_table_model.h"
#include "ui/core/file_io.h"
#include "ui/core/gbk_text.h"
#include "venue_filters_bench.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSortFilterProxyModel>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <numeric>
#include <string>
#include <string_view>

namespace {

// Wall time, and the processor time of this process: on a shared machine the wall time
// stretches with other load, the processor time does not.
struct Timing
{
    double wall = 0;
    double cpu = 0;
};

Timing secondsOf(const std::function<void()> &work)
{
    const double cpuStart = processorSeconds(RUSAGE_SELF);
    const auto start = std::chrono::steady_clock::now();
    work();
    return { std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
        processorSeconds(RUSAGE_SELF) - cpuStart };
}

// `prepare` runs before each timed run, untimed.
Timing medianOf(
    int runs, const std::function<void()> &work, const std::function<void()> &prepare = {})
{
    std::vector<double> walls;
    std::vector<double> cpus;
    for (int run = 0; run < runs; ++run) {
        if (prepare)
            prepare();
        const Timing timing = secondsOf(work);
        walls.push_back(timing.wall);
        cpus.push_back(timing.cpu);
    }
    return { median(walls), median(cpus) };
}

void printRow(const char *step, Timing timing, const char *target)
{
    std::printf(
        "| %s | %.1f ms (%.1f ms) | %s |\n", step, timing.wall * 1e3, timing.cpu * 1e3, target);
}

// grep counting the lines that hold the query (as GBK bytes, from a pattern file); its
// processor time is that of the child.
Timing grepSeconds(int runs, const QString &file, const QString &query, bool ignoreCase)
{
    QTemporaryDir dir;
    const QString pattern = dir.filePath(u"pattern"_qs);
    QFile out(pattern);
    if (!out.open(QIODevice::WriteOnly))
        return {};
    out.write(Gbk::encode(query) + "\n");
    out.close();
    const std::string command = std::string("LC_ALL=C grep -F -c ") + (ignoreCase ? "-i " : "")
        + "-f '" + pattern.toStdString() + "' '" + file.toStdString() + "' >/dev/null";
    std::vector<double> walls;
    std::vector<double> cpus;
    for (int run = 0; run < runs; ++run) {
        const double cpuStart = processorSeconds(RUSAGE_CHILDREN);
        const auto start = std::chrono::steady_clock::now();
        if (std::system(command.c_str()) > 256) // 1 only means no line matched
            std::fprintf(stderr, "failed: %s\n", command.c_str());
        walls.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        cpus.push_back(processorSeconds(RUSAGE_CHILDREN) - cpuStart);
    }
    return { median(walls), median(cpus) };
}

// The yardstick: each song's name and singer decoded per character, and the word tried from
// every character with every reading, recursively, as a pinyin library does it per item.
class StraightforwardPinyinMatcher
{
public:
    explicit StraightforwardPinyinMatcher(const QString &word)
        : m_word(word.toLower().toStdString())
    {
    }

    bool matches(QByteArrayView field) const
    {
        std::vector<std::vector<std::string>> readings;
        for (qsizetype at = 0; at < field.size();) {
            std::vector<std::string> forms;
            if (Gbk::characterLength(field, at) == 2) {
                const auto pair
                    = static_cast<std::uint16_t>(static_cast<unsigned char>(field[at]) << 8
                        | static_cast<unsigned char>(field[at + 1]));
                for (const std::uint16_t id : PinyinReadings::readings(pair))
                    forms.emplace_back(PinyinReadings::syllable(id));
                char folded[2];
                GbkFolding::foldLine(field.sliced(at, 2), folded);
                forms.push_back(Gbk::decode(QByteArrayView(folded, 2)).toStdString());
                at += 2;
            } else {
                forms.push_back(std::string(1, char(QChar::toLower(field[at]))));
                ++at;
            }
            readings.push_back(std::move(forms));
        }
        for (std::size_t start = 0; start < readings.size(); ++start) {
            if (matchesFrom(readings, start, 0))
                return true;
        }
        return false;
    }

private:
    bool matchesFrom(const std::vector<std::vector<std::string>> &readings, std::size_t at,
        std::size_t used) const
    {
        if (used == m_word.size())
            return true;
        if (at == readings.size())
            return false;
        const std::string_view rest = std::string_view(m_word).substr(used);
        for (const std::string &form : readings[at]) {
            const bool pinyin
                = form.size() > 0 && form[0] >= 'a' && form[0] <= 'z' && readings[at].size() > 1;
            if (pinyin && std::string_view(form).starts_with(rest))
                return true;
            std::vector<std::size_t> lengths { form.size() };
            if (pinyin) {
                lengths.push_back(1);
                if (form.size() > 2 && form[1] == 'h' && std::strchr("zcs", form[0]))
                    lengths.push_back(2);
            }
            for (const std::size_t length : lengths) {
                if (rest.starts_with(std::string_view(form).substr(0, length))
                    && matchesFrom(readings, at + 1, used + length))
                    return true;
            }
        }
        return false;
    }

    std::string m_word;
};

// Singers: their index beside the analysis, the suggestions at each keystroke (over all songs
// and counted under a language), and choosing one, its songs shown.
void printSingerRows(SongTableModel &songs, SongFilters &filters, ShownSongsModel &shown, int runs)
{
    const auto untilDone = [&](const auto &busy) {
        while (busy())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    };
    std::atomic<bool> stop = false;
    printRow("singer index made (background)",
        secondsOf([&] { SingerIndex::of(*songs.table(), stop); }), "");
    untilDone([&] { return !filters.singerIndex(); });
    const std::shared_ptr<const SingerIndex> index = filters.singerIndex();
    SingerSuggestions suggestions;
    suggestions.setSingers(index);
    const auto untilSuggested = [&] { untilDone([&] { return suggestions.isBusy(); }); };
    qsizetype duets = 0;
    for (std::uint32_t row = 0; row < std::uint32_t(songs.table()->rowCount()); ++row)
        duets += index->singersOfRow(row).size() > 1 ? 1 : 0;
    std::printf(
        "| singer index memory per song (%zu singers, %lld duets) | %.3g bytes | ≤ 4 bytes |\n",
        index->singers().size(), static_cast<long long>(duets), index->bytesPerRow());

    // Initials that fit several singers, typed a letter at a time, and the characters of the
    // middle song's singer.
    const QString middleSinger
        = index
              ->singers()[index->singersOfRow(std::uint32_t(songs.table()->rowCount() / 2)).front()]
              .name;
    const std::vector<std::pair<QString, QString>> keystrokes { { QString(), u"c"_qs },
        { u"c"_qs, u"cl"_qs }, { u"cl"_qs, u"clz"_qs }, { QString(), middleSinger } };
    untilDone([&] { return !filters.facets(); });
    for (const bool counted : { false, true }) {
        // Counted as the window counts them: under the filters in force.
        filters.setLanguage(counted ? 1 : SongFacets::all);
        untilDone([&] { return shown.isBusy(); });
        suggestions.setCountedRows(filters.rowsBesideQueryAndSinger());
        for (const auto &[from, to] : keystrokes) {
            const Timing timing = medianOf(
                runs,
                [&] {
                    suggestions.setQuery(to);
                    untilSuggested();
                },
                [&] {
                    suggestions.setQuery(from);
                    untilSuggested();
                });
            const std::string step = "singer suggestions for the keystroke to `" + to.toStdString()
                + "` (" + std::to_string(suggestions.rowCount()) + " listed, first "
                + suggestions.index(0).data().toString().toStdString()
                + (counted ? ", counted in "
                            + Gbk::decode(filters.facets()->languages()[1].spelling).toStdString()
                           : std::string())
                + ")";
            printRow(step.c_str(), timing, "≤ 30 ms");
        }
    }
    filters.setLanguage(SongFacets::all);
    untilDone([&] { return shown.isBusy(); });

    // Choosing the first suggestion for `clz`: its songs shown, from all songs.
    suggestions.setCountedRows({});
    suggestions.setQuery(u"clz"_qs);
    untilSuggested();
    const QString singer = suggestions.index(0).data(SingerSuggestions::SingerRole).toString();
    const Timing timing = medianOf(
        runs,
        [&] {
            filters.setSingerNamed(singer);
            untilDone([&] { return shown.isBusy(); });
        },
        [&] {
            filters.setSinger({});
            untilDone([&] { return shown.isBusy(); });
        });
    const std::string step = "choosing the singer `" + singer.toStdString() + "` ("
        + std::to_string(shown.rowCount()) + " songs shown)";
    printRow(step.c_str(), timing, "≤ 30 ms");
    filters.setSinger({});
}

// A 语种 choice as the operator makes it, with 只看新歌 (a fifth of the songs the venue's) and a
// query in force: the songs shown, how many of the venue's it hides (the status counts them) and
// both menus' counts, which follow every other filter.
void printCountedChoiceRows(SongFilters &filters, ShownSongsModel &shown, int runs)
{
    const auto untilDone = [&](const auto &busy) {
        while (busy())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    };
    const auto untilShown = [&] { untilDone([&] { return shown.isBusy(); }); };
    QTemporaryDir folder;
    const QString listPath = folder.filePath(u"venue.txt"_qs);
    writeFileAtomically(listPath, venueCodeList(*shown.songs()->table()));
    untilDone([&] { return !filters.facets(); });
    filters.readVenueFiles({ listPath });
    untilDone([&] { return !filters.venueRowsMarked(); });
    filters.setNewSongsOnly(true);
    untilShown();
    for (const QString &query : { QString(), u"zjl"_qs }) {
        filters.setQuery(query);
        untilShown();
        std::size_t counted = 0;
        qsizetype hidden = 0;
        const Timing timing = medianOf(
            runs,
            [&] {
                filters.setLanguage(1);
                untilShown();
                counted = filters.languageCounts().size() + filters.categoryCounts().size();
                hidden = filters.hiddenVenueSongCount();
            },
            [&] {
                filters.setLanguage(SongFacets::all);
                untilShown();
            });
        const std::string step = "a 语种 change under 只看新歌"
            + (query.isEmpty() ? std::string() : " and `" + query.toStdString() + "`") + " ("
            + std::to_string(shown.rowCount()) + " shown, " + std::to_string(hidden)
            + " of the venue's hidden) with that count and the " + std::to_string(counted)
            + " counts of both menus";
        printRow(step.c_str(), timing, "≤ 30 ms");
    }
    filters.setQuery(QString());
    filters.setNewSongsOnly(false);
    filters.forgetVenueFiles();
    untilShown();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0); // each row as soon as it is measured
    const std::optional<BenchArguments> arguments = parseBenchArguments(
        QCoreApplication::arguments(), 7, "lanshan_bench_find [--runs N] FILE");
    if (!arguments || arguments->files.size() != 1)
        return 2;
    const int runs = arguments->runs;
    const QString path = arguments->files.front();
    const double fileMegabytes = double(QFileInfo(path).size()) / 1e6;

    FileReadResult read = readWholeFile(path);
    if (!read.ok()) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(path), qPrintable(read.error));
        return 1;
    }
    PinyinReadings::prepare();
    GbkFolding::prepare();
    const int parts = analysisPartCount(read.bytes.size());
    const Timing analysisWithout = medianOf(
        runs, [&] { analyseSearchFile(read.bytes, TextEncoding::Gbk, parts, FindForms::Skipped); });
    const Timing analysisWith
        = medianOf(runs, [&] { analyseSearchFile(read.bytes, TextEncoding::Gbk, parts); });
    SearchFileAnalysis analysis = analyseSearchFile(read.bytes);
    // As the window has them: the filters follow the table from the first one on.
    SongTableModel songs;
    SongFilters filters(&songs);
    ShownSongsModel shown(&songs, &filters);
    songs.setTable(std::make_shared<const SongTable>(std::move(analysis.table)));
    const SongTable &table = *songs.table();
    const auto rowCount = static_cast<std::uint32_t>(table.rowCount());
    // As the window waits: the event loop runs until the shown songs follow the request.
    const auto untilShown = [&] {
        while (shown.isBusy())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    };

    const Timing indexSeconds = secondsOf([&] {
        filters.prepareFinding(std::move(analysis.findForms));
        untilShown();
    });

    // Queries from the file itself: a singer of a song in the middle, a language as the user
    // types it (simplified, while the file writes 粵語), and a word of ASCII letters.
    const QString singer = Gbk::decode(table.field(rowCount / 2, SongColumn::Singer));
    const QString language = u"粤语"_qs;
    const QString ascii = u"dream"_qs;
    // How many songs a query shows.
    const auto search = [&](const QString &text) {
        filters.setQuery(text);
        untilShown();
        return shown.rowCount();
    };
    // A query from `from` (all songs when empty), searched in the background and shown (a model
    // reset), as the window does it.
    const auto searchAndShow = [&](const QString &text, const QString &from) {
        return medianOf(
            runs,
            [&] {
                filters.setQuery(text);
                untilShown();
            },
            [&] {
                filters.setQuery(from);
                untilShown();
            });
    };

    std::printf("File: %s, %.1f MB, %u songs, median of %d runs.\n\n", qPrintable(path),
        fileMegabytes, rowCount, runs);
    std::printf("| step | wall (processor) | target |\n|---|---:|---|\n");
    printRow("the finder taking the lines and find forms of the analysis (background)",
        indexSeconds, "");
    printRow("analysis, today's (no find forms)", analysisWithout, "");
    const std::string withForms = "analysis with the find forms ("
        + std::to_string(analysisWith.wall / analysisWithout.wall).substr(0, 4) + " × wall, "
        + std::to_string(analysisWith.cpu / analysisWithout.cpu).substr(0, 4) + " × processor)";
    printRow(withForms.c_str(), analysisWith, "≤ 1.3 ×");
    std::printf(
        "| extra memory per song (find form) | %zu bytes | ≤ 16 bytes |\n", sizeof(SongFindForm));
    for (const QString &query : { u"zjl"_qs, u"zhoujielun"_qs, u"xq"_qs }) {
        const std::string step = "new pinyin query `" + query.toStdString() + "` ("
            + std::to_string(search(query)) + " shown)";
        printRow(step.c_str(), searchAndShow(query, QString()), "≤ 60 ms");
        const StraightforwardPinyinMatcher matcher(query);
        std::size_t matched = 0;
        const Timing yardstick = medianOf(std::min(runs, 3), [&] {
            matched = 0;
            for (std::uint32_t row = 0; row < rowCount; ++row) {
                matched += matcher.matches(table.field(row, SongColumn::Name))
                    || matcher.matches(table.field(row, SongColumn::Singer));
            }
        });
        const std::string line = "  yardstick: a straightforward per-song matcher (name or singer, "
            + std::to_string(matched) + " songs)";
        printRow(line.c_str(), yardstick, "");
    }
    for (const auto &[shorter, query] : { std::pair { u"zj"_qs, u"zjl"_qs },
             std::pair { u"zhoujielu"_qs, u"zhoujielun"_qs }, std::pair { u"x"_qs, u"xq"_qs } }) {
        const std::string step = "pinyin keystroke that narrows `" + shorter.toStdString() + "` ("
            + std::to_string(search(shorter)) + ") to `" + query.toStdString() + "`";
        printRow(step.c_str(), searchAndShow(query, shorter), "≤ 30 ms");
    }
    for (const QString &query : { singer, language, ascii }) {
        const std::string step = "new query over all songs `" + query.toStdString() + "` ("
            + std::to_string(search(query)) + " shown)";
        printRow(step.c_str(), searchAndShow(query, QString()), "≤ 60 ms");
        const std::string floor = "  floor: `LC_ALL=C grep -F -c` of `" + query.toStdString() + "`";
        printRow(floor.c_str(), grepSeconds(runs, path, query, query == ascii), "");
    }
    for (const QString &query : { singer, language }) {
        const QString shorter = query.left(query.size() - 1);
        const std::string step = "keystroke that narrows `" + shorter.toStdString() + "` ("
            + std::to_string(search(shorter)) + ") to `" + query.toStdString() + "`";
        printRow(step.c_str(), searchAndShow(query, shorter), "≤ 30 ms");
    }
    filters.setQuery(QString());
    untilShown();

    // 100,000 shown songs, every tenth: those ticked, with 只看已选.
    const std::uint32_t step = std::max(1u, rowCount / 100000);
    std::vector<std::uint32_t> everyTenth;
    for (std::uint32_t row = 0; row < rowCount; row += step)
        everyTenth.push_back(row);
    songs.setRowsTicked(everyTenth, true);
    filters.setOnlyTicked(true);
    untilShown();
    bool ticked = true;
    printRow("全选 over 100,000 shown songs",
        medianOf(runs,
            [&] {
                ticked = !ticked;
                shown.setShownTicked(ticked);
            }),
        "≤ 20 ms");
    songs.setAllTicked(false);
    QRandomGenerator random(20240601);
    printRow("random pick of half of 100,000 shown songs",
        medianOf(runs,
            [&] {
                const std::vector<qsizetype> picked
                    = pickDistinctRows(shown.rowCount(), 50000, random);
                std::vector<std::uint32_t> rows(picked.size());
                std::transform(picked.begin(), picked.end(), rows.begin(),
                    [&](qsizetype row) { return shown.tableRow(int(row)); });
                songs.setRowsTicked(rows, true);
            }),
        "≤ 20 ms");
    filters.setOnlyTicked(false);
    songs.setAllTicked(false);
    untilShown();

    // While the finder has the table's lines: the sorts below replace the table.
    printCountedChoiceRows(filters, shown, runs);

    // Sorting: the first sort by name makes its keys; a reverse only walks the order. A new
    // table each time, so no sort is kept from the run before.
    std::vector<double> firstSorts;
    std::vector<double> firstSortsCpu;
    for (int run = 0; run < std::min(runs, 3); ++run) {
        songs.setTable(songs.table());
        const Timing timing = secondsOf([&] {
            shown.sortBy(int(SongColumn::Name), Qt::AscendingOrder);
            untilShown();
        });
        firstSorts.push_back(timing.wall);
        firstSortsCpu.push_back(timing.cpu);
    }
    printRow("first sort of all songs by name (keys made, rows shown)",
        { median(firstSorts), median(firstSortsCpu) }, "≤ 500 ms");
    bool descending = false;
    printRow("reverse of that sort, all songs shown",
        medianOf(runs,
            [&] {
                descending = !descending;
                shown.sortBy(
                    int(SongColumn::Name), descending ? Qt::DescendingOrder : Qt::AscendingOrder);
            }),
        "≤ 50 ms");
    const double peak = peakResidentMegabytes();
    std::printf("| filter memory per shown song | %zu bytes | ≤ 4 bytes |\n",
        sizeof(decltype(shown.shownSongs())::value_type));
    std::printf("| peak resident memory, whole path with a sort | %.0f MB = %.2f × file | ≤ 2.5 × "
                "file |\n",
        peak, peak / fileMegabytes);

    // The alternative: a proxy over the same model, filtering every column.
    QSortFilterProxyModel proxy;
    proxy.setSourceModel(&songs);
    proxy.setFilterKeyColumn(-1);
    proxy.setFilterCaseSensitivity(Qt::CaseInsensitive);
    for (const QString &query : { singer, ascii }) {
        const Timing seconds = medianOf(std::min(runs, 3), [&] {
            proxy.setFilterFixedString(query);
            proxy.setFilterFixedString(QString());
        });
        const std::string step = "  alternative: QSortFilterProxyModel setFilterFixedString `"
            + query.toStdString() + "` and back to all";
        printRow(step.c_str(), seconds, "");
    }
    printSingerRows(songs, filters, shown, runs);
    // After the peak above, which the venue's filters should not change.
    printVenueFilterRows(table,
        [runs](const std::string &step, const std::function<void()> &work, const char *target) {
            printRow(step.c_str(), medianOf(runs, work), target);
        });
    return 0;
}
