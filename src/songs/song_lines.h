#pragma once

#include "songs/song_table.h"

#include <QByteArray>

#include <cstdint>
#include <span>
#include <utility>
#include <vector>

// The whole line of each song of a text, in file order, in 4 bytes a song instead of 8: a line
// runs from its start to the next song's start, less the line break between them. The last song
// and the few followed by more than a break (a skipped line) keep their end aside.
class SongLines
{
public:
    SongLines() = default;
    // The lines are slices of `text`, which is shared, not copied.
    explicit SongLines(QByteArray text);

    void reserve(std::size_t count);
    // Adds lines after the present ones; each starts after the end of the one before.
    void append(std::span<const ByteSpan> lines);

    std::size_t size() const { return m_starts.size(); }
    bool empty() const { return m_starts.empty(); }
    ByteSpan operator[](std::size_t row) const
    {
        const std::uint32_t start = m_starts[row];
        const std::uint32_t end = m_endAside[row] ? endAside(row) : breakBefore(m_starts[row + 1]);
        return { start, end - start };
    }

private:
    // Where the line break that ends at `next` begins: a line holds neither CR nor LF.
    std::uint32_t breakBefore(std::uint32_t next) const
    {
        const char *const text = m_text.constData();
        if (text[next - 1] == '\n')
            --next;
        if (text[next - 1] == '\r')
            --next;
        return next;
    }
    std::uint32_t endAside(std::size_t row) const;

    QByteArray m_text;
    std::vector<std::uint32_t> m_starts;
    std::vector<bool> m_endAside;
    // The rows whose end is kept aside, with their ends, in row order.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> m_ends;
};
