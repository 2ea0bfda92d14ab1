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
        const auto first = std::min_element(
            spans.begin(), spans.end(), [](ByteSpan a, ByteSpan b) { return a.offset < b.offset; });
        chunk.append(spans, first->offset);
    }
    appendChunk(std::move(chunk));
}

void SongTable::RowChunk::reserve(qsizetype count)
{
    m_rows.reserve(static_cast<std::size_t>(count));
    adviseHugePages(m_rows.data(), m_rows.capacity() * sizeof(PackedRow));
}

void SongTable::RowChunk::append(const SongRowSpans &spans, std::uint32_t lineStart)
{
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
        m_unpackedRows.push_back({ spans, lineStart });
    }
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
