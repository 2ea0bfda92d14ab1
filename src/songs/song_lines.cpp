#include "songs/song_lines.h"

#include <algorithm>

SongLines::SongLines(QByteArray text)
    : m_text(std::move(text))
{
}

void SongLines::reserve(std::size_t count)
{
    m_starts.reserve(count);
    m_endAside.reserve(count);
}

void SongLines::append(std::span<const ByteSpan> lines)
{
    if (lines.empty())
        return;
    // The last line so far was kept aside; the next start now tells whether it must be.
    std::uint32_t previousEnd = 0;
    if (!m_starts.empty()) {
        previousEnd = m_ends.back().second;
        m_ends.pop_back();
        m_endAside.back() = false;
    }
    for (const ByteSpan line : lines) {
        if (!m_starts.empty() && breakBefore(line.offset) != previousEnd) {
            m_endAside.back() = true;
            m_ends.emplace_back(std::uint32_t(m_starts.size() - 1), previousEnd);
        }
        m_starts.push_back(line.offset);
        m_endAside.push_back(false);
        previousEnd = line.offset + line.length;
    }
    m_endAside.back() = true;
    m_ends.emplace_back(std::uint32_t(m_starts.size() - 1), previousEnd);
}

std::uint32_t SongLines::endAside(std::size_t row) const
{
    return std::lower_bound(m_ends.begin(), m_ends.end(), std::pair { std::uint32_t(row), 0u })
        ->second;
}
