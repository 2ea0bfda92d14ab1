#include "songs/tick_marks.h"

TickMarks::TickMarks(qsizetype rowCount)
    : m_words((std::size_t(rowCount) + 63) / 64)
    , m_size(rowCount)
{
}

bool TickMarks::set(qsizetype row, bool ticked)
{
    Q_ASSERT(row >= 0 && row < m_size);
    std::uint64_t &word = m_words[std::size_t(row) / 64];
    const std::uint64_t bit = std::uint64_t(1) << (std::size_t(row) % 64);
    if (bool(word & bit) == ticked)
        return false;
    word ^= bit;
    m_count += ticked ? 1 : -1;
    return true;
}
