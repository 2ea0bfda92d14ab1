#pragma once

#include "songs/song_table.h"

#include <atomic>
#include <optional>
#include <span>
#include <vector>

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

// `rows` (any order) in the order of `sortedAll` (every row of the table, as sortedRows gives
// them), or its reverse: one pass over every row, whatever is shown.
std::vector<std::uint32_t> inSortedOrder(
    std::vector<std::uint32_t> rows, std::span<const std::uint32_t> sortedAll, bool descending);
