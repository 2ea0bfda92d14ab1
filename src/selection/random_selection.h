#pragma once

#include <QRandomGenerator>
#include <QString>

#include <cstdint>
#include <functional>
#include <span>

#include <vector>

// `count` distinct rows drawn uniformly from 0 .. rowCount - 1, every set of rows equally likely,
// in no particular order. The count is clamped to rowCount; a count of 0 or less gives none.
// Time grows with the count; memory is one bit a row of the table.
std::vector<qsizetype> pickDistinctRows(
    qsizetype rowCount, qsizetype count, QRandomGenerator &random);

// A pick that adds songs: `count` distinct rows drawn uniformly among the `shownRows` that
// `isTicked` says are not ticked yet, or all of them when no more than `count` are left.
struct UntickedPick
{
    std::vector<std::uint32_t> rows; // table rows to tick, in no particular order
    qsizetype untickedBefore = 0; // shown rows that were not ticked
    // Fewer were left than asked for: the pick took them all.
    bool tookAllLeft(qsizetype count) const { return untickedBefore < count; }
};
UntickedPick pickUntickedRows(std::span<const std::uint32_t> shownRows,
    const std::function<bool(std::uint32_t row)> &isTicked, qsizetype count,
    QRandomGenerator &random);

// What the status text says after such a pick: 随机选中 n 首, or 随机选中 k 首（只剩 k 首未选）.
QString randomPickNote(const UntickedPick &pick, qsizetype count);
