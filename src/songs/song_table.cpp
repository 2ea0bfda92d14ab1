#include "songs/song_table.h"

#include "ui/core/memory_advice.h"

#include <algorithm>

SongTable::SongTable(QByteArray bytes, std::vector<SongRowSpans> rows, TextEncoding encoding)
    : m_bytes(std::move(bytes))
    , m_encoding(encoding)
{
    RowChunk chunk;
    chunk.reserve(static_cast<qsizetype>(rows.size()));
    for (const SongRowSpans &spans : rows) {
        std::uint32_t start = spans[0].offset;
        std::uint32_t end = 0;
        for (const ByteSpan cell : spans) {
            start = std::min(start, cell.offset);
            end = std::max(end, cell.offset + cell.length);
        }
        chunk.append(spans, { start, end - start });
    }
    appendChunk(std::move(chunk));
}

void SongTable::RowChunk::reserve(qsizetype count)
{
    m_rows.reserve(static_cast<std::size_t>(count));
    adviseHugePages(m_rows.data(), m_rows.capacity() * sizeof(PackedRow));
    m_tails.reserve(static_cast<std::size_t>(count));
}

void SongTable::RowChunk::append(const SongRowSpans &spans, ByteSpan line)
{
    const std::uint32_t lineStart = line.offset;
    PackedRow &packed = m_rows.emplace_back();
    const auto spanAt
        = [&](std::size_t place) { return spans[static_cast<std::size_t>(fileOrder[place])]; };
    packed.base = lineStart;
    bool fits = spanAt(0).offset >= lineStart && spanAt(0).offset - lineStart <= maxLead;
    if (fits)
        packed.lead = static_cast<std::uint8_t>(spanAt(0).offset - lineStart);
    for (std::size_t place = 0; fits && place < fileOrder.size(); ++place) {
        const ByteSpan span = spanAt(place);
        fits = span.length <= 0xFF;
        if (fits && place + 1 < fileOrder.size()) {
            const std::uint32_t end = span.offset + span.length;
            const std::uint32_t next = spanAt(place + 1).offset;
            if (next < end) {
                fits = false;
            } else if (next - end != separatorSize) {
                fits = packed.wideGapAfter == noWideGap && next - end <= 0xFF;
                packed.wideGap = static_cast<std::uint8_t>(next - end);
                packed.wideGapAfter = static_cast<std::uint8_t>(place);
            }
        }
        packed.lengths[place] = static_cast<std::uint8_t>(span.length);
    }
    if (!fits) {
        packed = PackedRow {};
        packed.base = static_cast<std::uint32_t>(m_unpackedRows.size());
        packed.wideGapAfter = unpackedMark;
        m_unpackedRows.push_back({ spans, line });
        m_tails.push_back(0);
        return;
    }
    const ByteSpan last = spanAt(fileOrder.size() - 1);
    m_tails.push_back(static_cast<std::uint8_t>(std::min<std::uint32_t>(
        line.offset + line.length - (last.offset + last.length), longTail)));
}

void SongTable::appendChunk(RowChunk chunk)
{
    Q_ASSERT([&] {
        for (std::size_t row = 0; row < chunk.m_rows.size(); ++row) {
            for (int column = 0; column < songColumnCount; ++column) {
                const ByteSpan span = chunk.span(row, static_cast<SongColumn>(column));
                if (quint64(span.offset) + span.length > quint64(m_bytes.size()))
                    return false;
            }
        }
        return true;
    }());
    if (chunk.m_rows.empty())
        return;
    m_chunkEnds.push_back(rowCount() + chunk.size());
    m_chunks.push_back(std::move(chunk));
}

std::optional<SongTable::LineWalk::Found> SongTable::LineWalk::lineEndingAfter(std::uint32_t offset)
{
    const std::vector<RowChunk> &chunks = m_table->m_chunks;
    while (m_chunk < chunks.size()) {
        const RowChunk &chunk = chunks[m_chunk];
        const std::size_t count = chunk.m_rows.size();
        // On to the last row that starts at or before the offset; lines are in file order.
        while (m_rowInChunk + 1 < count && chunk.lineStart(m_rowInChunk + 1) <= offset) {
            ++m_rowInChunk;
            ++m_row;
        }
        if (m_rowInChunk + 1 == count && m_chunk + 1 < chunks.size()
            && chunks[m_chunk + 1].lineStart(0) <= offset) {
            ++m_chunk;
            m_rowInChunk = 0;
            ++m_row;
            continue;
        }
        if (m_measuredRow != m_row) {
            m_line = m_table->lineIn(chunk, m_rowInChunk);
            m_measuredRow = m_row;
        }
        if (offset < m_line.offset + m_line.length)
            return Found { m_row, m_line };
        // Between this line and the next: the next row, which starts after the offset.
        ++m_row;
        if (++m_rowInChunk == count) {
            ++m_chunk;
            m_rowInChunk = 0;
        }
        if (m_chunk == chunks.size())
            return std::nullopt;
        m_line = m_table->lineIn(chunks[m_chunk], m_rowInChunk);
        m_measuredRow = m_row;
        return Found { m_row, m_line };
    }
    return std::nullopt;
}

ByteSpan SongTable::LineWalk::lineOfRow(qsizetype row)
{
    Q_ASSERT(row >= m_row && row < m_table->rowCount());
    while (row >= m_table->m_chunkEnds[m_chunk])
        ++m_chunk;
    m_row = row;
    m_rowInChunk = std::size_t(row - (m_chunk == 0 ? 0 : m_table->m_chunkEnds[m_chunk - 1]));
    if (m_measuredRow != row) {
        m_line = m_table->lineIn(m_table->m_chunks[m_chunk], m_rowInChunk);
        m_measuredRow = row;
    }
    return m_line;
}
