#include "songs/duplicate_songs.h"

#include "songs/gbk_folding.h"
#include "ui/gbk_text.h"

#include <QHash>

#include <algorithm>

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

// Splits rows whose keys share a hash into groups of equal keys, and keeps those that hold two
// codes or more.
void addGroups(const SongTable &table, std::vector<std::uint32_t> rows,
    std::vector<std::vector<std::uint32_t>> &groups)
{
    std::vector<std::pair<QByteArray, std::uint32_t>> keyed;
    QByteArray key;
    for (const std::uint32_t row : rows) {
        foldedKey(table, row, key);
        keyed.emplace_back(key, row);
    }
    std::sort(keyed.begin(), keyed.end());
    for (std::size_t start = 0; start < keyed.size();) {
        std::size_t end = start + 1;
        bool twoCodes = false;
        const QByteArrayView code = table.field(keyed[start].second, SongColumn::Code);
        for (; end < keyed.size() && keyed[end].first == keyed[start].first; ++end)
            twoCodes = twoCodes || table.field(keyed[end].second, SongColumn::Code) != code;
        if (twoCodes) {
            std::vector<std::uint32_t> &group = groups.emplace_back();
            for (std::size_t at = start; at < end; ++at)
                group.push_back(keyed[at].second);
        }
        start = end;
    }
}

} // namespace

std::optional<DuplicateSongs> findDuplicateSongs(
    const SongTable &table, const std::function<bool()> &cancelled)
{
    DuplicateSongs duplicates;
    // Hashes sorted, then only rows that share one compared: a hash map of a million keys took
    // longer and kept a copy of every key.
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
    std::sort(hashed.begin(), hashed.end(), [](const HashedRow &a, const HashedRow &b) {
        return a.hash < b.hash || (a.hash == b.hash && a.row < b.row);
    });
    if (cancelled && cancelled())
        return std::nullopt;
    std::vector<std::vector<std::uint32_t>> groups;
    for (std::size_t start = 0; start < hashed.size();) {
        std::size_t end = start + 1;
        while (end < hashed.size() && hashed[end].hash == hashed[start].hash)
            ++end;
        if (end - start > 1) {
            std::vector<std::uint32_t> rows;
            for (std::size_t at = start; at < end; ++at)
                rows.push_back(hashed[at].row);
            addGroups(table, std::move(rows), groups);
        }
        start = end;
    }
    std::sort(groups.begin(), groups.end(),
        [](const auto &a, const auto &b) { return a.front() < b.front(); });
    for (const std::vector<std::uint32_t> &group : groups) {
        duplicates.groupStarts.push_back(std::uint32_t(duplicates.rows.size()));
        duplicates.rows.insert(duplicates.rows.end(), group.begin(), group.end());
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
