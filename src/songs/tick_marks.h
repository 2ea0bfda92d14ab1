#pragma once

#include <QtGlobal>

#include <bit>
#include <cstdint>
#include <vector>

// One tick mark a row, one bit each, with the count kept as marks change so a status line never
// counts a million rows.
class TickMarks
{
public:
    TickMarks() = default;
    explicit TickMarks(qsizetype rowCount);

    qsizetype size() const { return m_size; }
    qsizetype count() const { return m_count; }
    bool test(qsizetype row) const
    {
        return (m_words[std::size_t(row) / 64] >> (std::size_t(row) % 64)) & 1u;
    }
    // False when the row already had that mark.
    bool set(qsizetype row, bool ticked);
    void flip(qsizetype row) { set(row, !test(row)); }

    // Calls `visit(row)` for each ticked row in row order, skipping unticked words whole.
    template <typename Visit> void forEachTicked(Visit visit) const
    {
        for (std::size_t word = 0; word < m_words.size(); ++word) {
            for (std::uint64_t bits = m_words[word]; bits != 0; bits &= bits - 1)
                visit(qsizetype(word * 64 + std::size_t(std::countr_zero(bits))));
        }
    }

private:
    std::vector<std::uint64_t> m_words;
    qsizetype m_size = 0;
    qsizetype m_count = 0;
};
