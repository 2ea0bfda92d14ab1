#include "venue_filters_bench.h"

#include "selection/random_selection.h"
#include "songs/code_list.h"
#include "songs/duplicate_songs.h"
#include "songs/song_facets.h"
#include "ui/core/file_io.h"

#include <QTemporaryDir>

#include <cstdio>
#include <numeric>
#include <optional>

namespace {

// What a shown-songs model keeps of a filter: the rows it accepts.
std::vector<std::uint32_t> acceptedRows(const SongTable &table, const SongFacets::Filter &filter)
{
    std::vector<std::uint32_t> rows;
    for (std::uint32_t row = 0; row < table.rowCount(); ++row) {
        if (filter.accepts(row))
            rows.push_back(row);
    }
    return rows;
}

} // namespace

// Every fifth song's code, and one code in ten that the table does not have: 200,000 lines for
// a million songs, as the song system exports them.
QByteArray venueCodeList(const SongTable &table)
{
    QByteArray list;
    for (qsizetype row = 0, line = 0; row < table.rowCount(); row += 5, ++line) {
        if (line % 10 == 9)
            list += '9';
        list += table.field(row, SongColumn::Code);
        list += "\r\n";
    }
    return list;
}

void printVenueFilterRows(const SongTable &table, const TimedRow &timedRow)
{
    const auto rowCount = static_cast<std::uint32_t>(table.rowCount());
    std::optional<SongFacets> facets;
    timedRow(
        "语种 and 类别 choices made (once per analysis)", [&] { facets = SongFacets::of(table); },
        "");
    std::vector<std::uint32_t> shown;
    const int language = facets->languages().size() > 1 ? 1 : 0;
    timedRow(
        "a change of the 语种 choice (" + std::to_string(facets->languages()[language].count)
            + " shown)",
        [&] { shown = acceptedRows(table, facets->filter(language, SongFacets::all)); }, "≤ 30 ms");
    timedRow(
        "a change of the 类别 choice with that 语种 (" + std::to_string([&] {
            return acceptedRows(table, facets->filter(language, 0)).size();
        }()) + " shown)",
        [&] { shown = acceptedRows(table, facets->filter(language, 0)); }, "≤ 30 ms");

    QTemporaryDir folder;
    const QString listPath = folder.filePath(QStringLiteral("venue.txt"));
    const QByteArray list = venueCodeList(table);
    writeFileAtomically(listPath, list);
    std::vector<bool> has;
    timedRow(
        "reading a " + std::to_string(list.count('\n')) + "-code list and 只看新歌",
        [&] {
            const std::vector<CodeList> lists { readCodeList(listPath) };
            has = rowsWithCodesMask(table, CodeSet(std::span<const CodeList>(lists)));
            shown.clear();
            for (std::uint32_t row = 0; row < rowCount; ++row) {
                if (!has[row])
                    shown.push_back(row);
            }
        },
        "≤ 100 ms");
    const CodeList codes = parseCodeList(list);
    CodeMatch match;
    timedRow(
        "导入编码 of that list (rows to tick, codes not found)",
        [&] { match = matchCodes(table, codes.codes); }, "");

    std::optional<DuplicateSongs> duplicates;
    timedRow(
        "只看重复 the first time (duplicates found)",
        [&] { duplicates = findDuplicateSongs(table); }, "≤ 300 ms");
    timedRow(
        "只看重复 again (" + std::to_string(duplicates->rows.size()) + " songs in "
            + std::to_string(duplicates->groupCount()) + " groups shown)",
        [&] { shown = duplicates->rows; }, "free");

    std::vector<bool> ticked(rowCount);
    for (std::uint32_t row = 0; row < rowCount; row += 2)
        ticked[row] = true;
    std::vector<std::uint32_t> all(rowCount);
    std::iota(all.begin(), all.end(), 0u);
    QRandomGenerator random(20240601);
    timedRow(
        "random pick adding 100,000 among every song, half ticked",
        [&] {
            pickUntickedRows(
                all, [&ticked](std::uint32_t row) { return bool(ticked[row]); }, 100000, random);
        },
        "");

    const double filterBytes = facets->bytesPerRow() + 1.0 / 8
        + double(duplicates->rows.size() + duplicates->groupStarts.size()) * 4 / rowCount;
    std::printf("| memory per song for all filters together (choices %.3g, songs the venue has "
                "1/8, duplicates %.2f) | %.2f bytes | ≤ 8 bytes |\n",
        facets->bytesPerRow(),
        double(duplicates->rows.size() + duplicates->groupStarts.size()) * 4 / rowCount,
        filterBytes);
}
