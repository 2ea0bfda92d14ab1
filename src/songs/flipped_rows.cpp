#include "songs/flipped_rows.h"

#include <algorithm>

FlippedRows::FlippedRows(qsizetype candidates, qsizetype tableRows)
    : m_marked(candidates * 32 > tableRows)
{
    if (m_marked)
        m_marks = TickMarks(tableRows);
    else
        m_rows.reserve(std::size_t(candidates));
}

void FlippedRows::add(std::uint32_t row)
{
    if (m_marked)
        m_marks.set(qsizetype(row), true);
    else
        m_rows.push_back(row);
    m_lowest = std::min(m_lowest, row);
    m_highest = std::max(m_highest, row);
}

void FlippedRows::fit()
{
    if (m_rows.size() < m_rows.capacity() / 2)
        m_rows.shrink_to_fit();
}
