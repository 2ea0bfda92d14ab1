#pragma once

#include "songs/tick_marks.h"

#include <cstdint>
#include <limits>
#include <vector>

// The rows one change of ticks flipped, kept for its undo: listed, 4 bytes a row, or marked, one
// bit a row of the table, whichever a change of that many rows keeps smaller (全选 of a million
// songs keeps 125 KB instead of 4 MB).
class FlippedRows
{
public:
    // For a change of at most `candidates` rows of a table of `tableRows`.
    FlippedRows(qsizetype candidates, qsizetype tableRows);

    // Each row once, in any order.
    void add(std::uint32_t row);
    // Gives back what the list reserved and did not use.
    void fit();

    qsizetype count() const { return m_marked ? m_marks.count() : qsizetype(m_rows.size()); }
    bool isEmpty() const { return count() == 0; }
    std::uint32_t lowest() const { return m_lowest; }
    std::uint32_t highest() const { return m_highest; }

    template <typename Visit> void forEach(Visit visit) const
    {
        if (m_marked) {
            m_marks.forEachTicked([&](qsizetype row) { visit(std::uint32_t(row)); });
        } else {
            for (const std::uint32_t row : m_rows)
                visit(row);
        }
    }

private:
    bool m_marked;
    std::vector<std::uint32_t> m_rows;
    TickMarks m_marks;
    std::uint32_t m_lowest = std::numeric_limits<std::uint32_t>::max();
    std::uint32_t m_highest = 0;
};
