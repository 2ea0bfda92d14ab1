#pragma once

#include "songs/song_table.h"

#include <atomic>
#include <optional>
#include <span>
#include <vector>

class QThreadPool;

// Every row of a column's cells (slices of `text`) in ascending order: empty cells first, then
// all-digit texts as numbers, then other texts in Chinese pinyin order (ICU's collation for
// Chinese) of their simplified form, the original breaking ties, so 愛情 sorts beside 爱情; equal
// cells keep file order. Each cell's collation key is made once, not a collator
// compare per comparison. Nothing when `stop` was set meanwhile.
std::optional<std::vector<std::uint32_t>> sortedRows(const QByteArray &text,
    const std::vector<ByteSpan> &cells, const std::atomic<bool> &stop,
    TextEncoding encoding = TextEncoding::Gbk);
// The same for a column of `table`.
std::optional<std::vector<std::uint32_t>> sortedRows(
    const SongTable &table, SongColumn column, const std::atomic<bool> &stop);

// Each row's place in that order as a rank from 0 to count - 1: rows of equal rank are equal
// cells, a lower rank sorts first.
struct RowRanks
{
    std::vector<std::uint32_t> ofRow;
    std::uint32_t count = 0;
};
// The work is shared among threads of `pool` (Qt's own when none is given), in `partCount` parts
// (by default one per core for a large table); the ranks do not depend on the count.
std::optional<RowRanks> rowRanks(const SongTable &table, SongColumn column,
    const std::atomic<bool> &stop, QThreadPool *pool = nullptr, int partCount = 0);
// Rows 0 to `rowCount` - 1 by their rank (each below `rankCount`), in file order among equal
// ones: one counting pass.
template <typename RankOf>
std::vector<std::uint32_t> rowsByRank(
    std::size_t rowCount, const RankOf &rankOf, std::uint32_t rankCount)
{
    std::vector<std::uint32_t> firstPlace(std::size_t(rankCount) + 1);
    for (std::size_t row = 0; row < rowCount; ++row)
        ++firstPlace[rankOf(row) + 1];
    for (std::size_t at = 1; at < firstPlace.size(); ++at)
        firstPlace[at] += firstPlace[at - 1];
    std::vector<std::uint32_t> rows(rowCount);
    for (std::size_t row = 0; row < rowCount; ++row)
        rows[firstPlace[rankOf(row)]++] = static_cast<std::uint32_t>(row);
    return rows;
}

// `rows` (any order, each row once) in the order of `sortedAll` (every row of the table, as
// sortedRows gives them), or its reverse: one pass over every row, whatever is shown.
std::vector<std::uint32_t> inSortedOrder(
    std::vector<std::uint32_t> rows, std::span<const std::uint32_t> sortedAll, bool descending);
