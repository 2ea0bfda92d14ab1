#include "songs/duplicate_songs.h"

#include "songs/gbk_folding.h"
#include "ui/core/gbk_text.h"

#include <QHash>

#include <algorithm>
#include <bit>
#include <numeric>
#include <span>

namespace {

constexpr qsizetype rowsBetweenCancelChecks = 65536;

// A row's folded name and singer, kept apart by a byte no cell holds.
void foldedKey(const SongTable &table, qsizetype row, QByteArray &key)
{
    const QByteArrayView name = table.field(row, SongColumn::Name);
    const QByteArrayView singer = table.field(row, SongColumn::Singer);
    if (table.encoding() == TextEncoding::Utf8) {
        const QByteArray gbk = Gbk::encode(
            decodeText(name, TextEncoding::Utf8) + u'\n' + decodeText(singer, TextEncoding::Utf8));
        key.resize(gbk.size());
        GbkFolding::foldLine(gbk, key.data());
        return;
    }
    key.resize(name.size() + 1 + singer.size());
    GbkFolding::foldLine(name, key.data());
    key[name.size()] = '\n';
    GbkFolding::foldLine(singer, key.data() + name.size() + 1);
}

struct HashedRow
{
    std::uint64_t hash;
    std::uint32_t row;
};

// Sorts by hash: a counting pass on the top bits leaves runs of a few rows, each sorted alone.
// Without it (std::sort of the whole) 只看重复 took 0.30 s instead of 0.22 s on 1M songs.
void sortByHash(std::vector<HashedRow> &rows)
{
    const int bits = std::max(1, int(std::bit_width(rows.size())) - 2);
    const auto bucketOf = [bits](const HashedRow &row) { return row.hash >> (64 - bits); };
    std::vector<std::uint32_t> ends((std::size_t(1) << bits) + 1);
    for (const HashedRow &row : rows)
        ++ends[bucketOf(row) + 1];
    std::partial_sum(ends.begin(), ends.end(), ends.begin());
    std::vector<HashedRow> sorted(rows.size());
    for (const HashedRow &row : rows)
        sorted[ends[bucketOf(row)]++] = row;
    for (std::size_t bucket = 0, begin = 0; bucket + 1 < ends.size(); begin = ends[bucket++]) {
        std::sort(sorted.begin() + std::ptrdiff_t(begin), sorted.begin() + ends[bucket],
            [](const HashedRow &a, const HashedRow &b) { return a.hash < b.hash; });
    }
    rows = std::move(sorted);
}

// A group of rows with one key, as a run of `groupedRows`.
struct Group
{
    std::uint32_t firstRow;
    std::uint32_t start;
    std::uint32_t size;
};

// Splits rows (ascending) whose keys share a hash into rows of equal keys, and keeps the groups
// that hold two codes or more.
void addGroups(const SongTable &table, std::span<const std::uint32_t> rows,
    std::vector<std::uint32_t> &groupedRows, std::vector<Group> &groups)
{
    std::vector<std::pair<QByteArray, std::uint32_t>> keyed;
    keyed.reserve(rows.size());
    QByteArray key;
    for (const std::uint32_t row : rows) {
        foldedKey(table, row, key);
        keyed.emplace_back(key, row);
    }
    // Stable: a group's rows stay ascending.
    std::stable_sort(
        keyed.begin(), keyed.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    for (std::size_t start = 0; start < keyed.size();) {
        std::size_t end = start + 1;
        bool twoCodes = false;
        const QByteArrayView code = table.field(keyed[start].second, SongColumn::Code);
        for (; end < keyed.size() && keyed[end].first == keyed[start].first; ++end)
            twoCodes = twoCodes || table.field(keyed[end].second, SongColumn::Code) != code;
        if (twoCodes) {
            groups.push_back({ keyed[start].second, std::uint32_t(groupedRows.size()),
                std::uint32_t(end - start) });
            for (std::size_t at = start; at < end; ++at)
                groupedRows.push_back(keyed[at].second);
        }
        start = end;
    }
}

} // namespace

std::optional<DuplicateSongs> findDuplicateSongs(
    const SongTable &table, const std::function<bool()> &cancelled)
{
    DuplicateSongs duplicates;
    // Hashes sorted, then only rows that share one compared, so no key is kept.
    std::vector<HashedRow> hashed;
    hashed.reserve(static_cast<std::size_t>(table.rowCount()));
    QByteArray key;
    for (qsizetype row = 0; row < table.rowCount(); ++row) {
        if (row % rowsBetweenCancelChecks == 0 && cancelled && cancelled())
            return std::nullopt;
        if (table.field(row, SongColumn::Name).isEmpty())
            continue;
        foldedKey(table, row, key);
        hashed.push_back({ qHash(QByteArrayView(key), 0x5eed), std::uint32_t(row) });
    }
    // Rows of one hash are put in table order by addGroups.
    sortByHash(hashed);
    if (cancelled && cancelled())
        return std::nullopt;
    std::vector<std::uint32_t> groupedRows;
    std::vector<Group> groups;
    std::vector<std::uint32_t> rows;
    for (std::size_t start = 0; start < hashed.size();) {
        std::size_t end = start + 1;
        while (end < hashed.size() && hashed[end].hash == hashed[start].hash)
            ++end;
        if (end - start > 1) {
            rows.clear();
            for (std::size_t at = start; at < end; ++at)
                rows.push_back(hashed[at].row);
            std::sort(rows.begin(), rows.end());
            addGroups(table, rows, groupedRows, groups);
        }
        start = end;
    }
    std::sort(groups.begin(), groups.end(),
        [](const Group &a, const Group &b) { return a.firstRow < b.firstRow; });
    duplicates.rows.reserve(groupedRows.size());
    for (const Group &group : groups) {
        duplicates.groupStarts.push_back(std::uint32_t(duplicates.rows.size()));
        const auto begin = groupedRows.begin() + group.start;
        duplicates.rows.insert(duplicates.rows.end(), begin, begin + group.size);
    }
    return duplicates;
}

void findDuplicateSongsJob(QPromise<DuplicateSongs> &promise, const SongTable &table)
{
    std::optional<DuplicateSongs> duplicates
        = findDuplicateSongs(table, [&promise] { return promise.isCanceled(); });
    if (duplicates)
        promise.addResult(std::move(*duplicates));
}
