#include "songs/song_table.h"

#include "ui/core/memory_advice.h"

#include <algorithm>

SongTable::SongTable(QByteArray bytes, std::vector<SongRowSpans> rows, TextEncoding encoding)
    : m_bytes(std::move(bytes))
    , m_encoding(encoding)
{
    RowChunk chunk;
    chunk.reserve(static_cast<qsizetype>(rows.size()));
    for (const SongRowSpans &spans : rows)
        chunk.append(spans);
    appendChunk(std::move(chunk));
}

void SongTable::RowChunk::reserve(qsizetype count)
{
    m_rows.reserve(static_cast<std::size_t>(count));
    adviseHugePages(m_rows.data(), m_rows.capacity() * sizeof(PackedRow));
}

void SongTable::RowChunk::append(const SongRowSpans &spans)
{
    PackedRow &packed = m_rows.emplace_back();
    packed.base = std::min_element(spans.begin(), spans.end(), [](ByteSpan a, ByteSpan b) {
        return a.offset < b.offset;
    })->offset;
    for (int column = 0; column < songColumnCount; ++column) {
        const std::uint32_t offset = spans[column].offset - packed.base;
        const std::uint32_t length = spans[column].length;
        if (offset >= unpackedMark || length > 0xFF) {
            packed.base = static_cast<std::uint32_t>(m_unpackedRows.size());
            packed.offsets[0] = unpackedMark;
            m_unpackedRows.push_back(spans);
            return;
        }
        packed.offsets[column] = static_cast<std::uint8_t>(offset);
        packed.lengths[column] = static_cast<std::uint8_t>(length);
    }
}

void SongTable::appendChunk(RowChunk chunk)
{
    Q_ASSERT(std::all_of(chunk.m_rows.begin(), chunk.m_rows.end(), [&](const PackedRow &row) {
        for (int column = 0; column < songColumnCount; ++column) {
            const ByteSpan span = row.offsets[0] == unpackedMark
                ? chunk.m_unpackedRows[row.base][static_cast<std::size_t>(column)]
                : ByteSpan { row.base + row.offsets[column], row.lengths[column] };
            if (quint64(span.offset) + span.length > quint64(m_bytes.size()))
                return false;
        }
        return true;
    }));
    if (chunk.m_rows.empty())
        return;
    m_chunkEnds.push_back(rowCount() + chunk.size());
    m_chunks.push_back(std::move(chunk));
}

QByteArrayView SongTable::field(qsizetype row, SongColumn column) const
{
    Q_ASSERT(row >= 0 && row < rowCount());
    std::size_t chunkIndex = 0;
    if (m_chunks.size() > 1) {
        chunkIndex = static_cast<std::size_t>(
            std::upper_bound(m_chunkEnds.begin(), m_chunkEnds.end(), row) - m_chunkEnds.begin());
        if (chunkIndex > 0)
            row -= m_chunkEnds[chunkIndex - 1];
    }
    const RowChunk &chunk = m_chunks[chunkIndex];
    const PackedRow &packed = chunk.m_rows[static_cast<std::size_t>(row)];
    const auto index = static_cast<std::size_t>(column);
    if (packed.offsets[0] == unpackedMark) {
        const ByteSpan span = chunk.m_unpackedRows[packed.base][index];
        return QByteArrayView(m_bytes.constData() + span.offset, span.length);
    }
    return QByteArrayView(
        m_bytes.constData() + packed.base + packed.offsets[index], packed.lengths[index]);
}
