#pragma once

#include "ui/core/text_encoding.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

// The columns of the song table, in display order.
enum class SongColumn : int { Code, Name, Singer, Category, Language, FilePath };
inline constexpr int songColumnCount = 6;

// A slice of the table's bytes.
struct ByteSpan
{
    std::uint32_t offset = 0;
    std::uint32_t length = 0;
};

using SongRowSpans = std::array<ByteSpan, songColumnCount>;

// The songs of one analysed search file. It keeps the file's bytes once and every cell as a slice
// of them, so a million songs cost little beyond the file. Rows are addressed by a 0-based index.
// A table does not change once analysed, so background jobs share it without a copy.
class SongTable
{
    // A row in 12 bytes instead of 56, which a million rows feel in both time and memory
    // (collecting a million codes: 0.008 s packed, 0.038 s with full spans): where its line
    // starts, how far its first cell is from there, each cell's length, and the one gap between
    // cells that is not the two bytes of a "||". It holds a row whose cells lie in the file's
    // order of the columns (code, path, name, category, language, singer), each within 255 bytes,
    // its first within 31 of the line's start, as every row of a search file does; any other
    // keeps its full spans and line aside.
    struct PackedRow
    {
        std::uint32_t base = 0; // where the line starts, or the index into unpackedRows
        std::array<std::uint8_t, songColumnCount> lengths {}; // in the file's order
        std::uint8_t wideGap = 0;
        std::uint8_t lead : 5 = 0; // from the line's start to the first cell
        std::uint8_t wideGapAfter : 3 = noWideGap; // the place in file order it follows
    };
    static_assert(sizeof(PackedRow) == 12);
    static constexpr std::uint8_t noWideGap = 6;
    static constexpr std::uint8_t unpackedMark = 7;
    static constexpr std::uint32_t maxLead = 31;
    static constexpr std::uint32_t separatorSize = 2;
    struct UnpackedRow
    {
        SongRowSpans spans;
        ByteSpan line;
    };
    // What a packed row's line holds after its last cell, so finding reads no text to measure it
    // (1M songs, 85 % of them with fields after the ninth: a narrowing find over 180,000 rows in
    // 19 ms instead of 27 looking for each break); this or more is looked for.
    static constexpr std::uint8_t longTail = 0xFF;
    // The columns in the order their fields stand in a line, and each column's place in it.
    static constexpr std::array<SongColumn, songColumnCount> fileOrder { SongColumn::Code,
        SongColumn::FilePath, SongColumn::Name, SongColumn::Category, SongColumn::Language,
        SongColumn::Singer };
    static constexpr std::array<std::uint8_t, songColumnCount> placeInFile { 0, 2, 5, 3, 4, 1 };
    static_assert([] {
        for (std::size_t place = 0; place < fileOrder.size(); ++place) {
            if (placeInFile[static_cast<std::size_t>(fileOrder[place])] != place)
                return false;
        }
        return true;
    }());

public:
    // A run of consecutive rows, built on its own (one per thread of the analysis) and joined to
    // a table as it is, so rows found in parallel are never copied into one list.
    class RowChunk
    {
    public:
        void reserve(qsizetype count);
        // A row's cells and its whole line, which holds every cell.
        void append(const SongRowSpans &spans, ByteSpan line);
        qsizetype size() const { return static_cast<qsizetype>(m_rows.size()); }

    private:
        ByteSpan span(std::size_t row, SongColumn column) const
        {
            const PackedRow &packed = m_rows[row];
            if (packed.wideGapAfter == unpackedMark)
                return m_unpackedRows[packed.base].spans[static_cast<std::size_t>(column)];
            const std::uint8_t place = placeInFile[static_cast<std::size_t>(column)];
            std::uint32_t offset = packed.base + packed.lead + separatorSize * place;
            for (std::uint8_t before = 0; before < place; ++before)
                offset += packed.lengths[before];
            if (packed.wideGapAfter < place)
                offset += packed.wideGap - separatorSize;
            return { offset, packed.lengths[place] };
        }
        std::uint32_t lineStart(std::size_t row) const
        {
            const PackedRow &packed = m_rows[row];
            return packed.wideGapAfter == unpackedMark ? m_unpackedRows[packed.base].line.offset
                                                       : packed.base;
        }

        friend class SongTable;
        std::vector<PackedRow> m_rows;
        // Each row's bytes of line after its last cell, up to longTail.
        std::vector<std::uint8_t> m_tails;
        std::vector<UnpackedRow> m_unpackedRows;
    };

    SongTable() = default;

    // Takes over `bytes` (shared, not copied) and one entry of spans per row; the cells are text
    // in `encoding`. Each row's line runs from its first cell to the end of its last.
    SongTable(QByteArray bytes, std::vector<SongRowSpans> rows,
        TextEncoding encoding = TextEncoding::Gbk);

    // Adds the chunk's rows after the present ones. Every span must lie in bytes().
    void appendChunk(RowChunk chunk);

    qsizetype rowCount() const { return m_chunkEnds.empty() ? 0 : m_chunkEnds.back(); }
    // The text every cell is a slice of.
    const QByteArray &bytes() const { return m_bytes; }

    // The cell's bytes as in the file, without a line break. Inline, for the passes over every
    // row that ask for one column.
    QByteArrayView field(qsizetype row, SongColumn column) const
    {
        const auto [chunk, rowInChunk] = locate(row);
        const ByteSpan span = chunk.span(rowInChunk, column);
        return QByteArrayView(m_bytes.constData() + span.offset, span.length);
    }
    // The row's whole line, without its line break, for finding songs by any of their fields.
    ByteSpan line(qsizetype row) const
    {
        const auto [chunk, rowInChunk] = locate(row);
        return lineIn(chunk, rowInChunk);
    }

    // The lines of a pass's rows, taken in file order, by the rows or by offsets in their text:
    // the rows are walked once, each line measured once (1M songs: `粤语` found in the whole text
    // in 26.5 ms, against 67 ms looking up the row of each hit).
    class LineWalk
    {
    public:
        explicit LineWalk(const SongTable &table)
            : m_table(&table)
        {
        }

        struct Found
        {
            qsizetype row = 0;
            ByteSpan line;
        };
        // The first row, from the last one found on, whose line ends after `offset`; nothing
        // past the last line. Offsets must not decrease from call to call.
        std::optional<Found> lineEndingAfter(std::uint32_t offset);
        // The line of `row`, a row at or after the last one found.
        ByteSpan lineOfRow(qsizetype row);

    private:
        const SongTable *m_table;
        std::size_t m_chunk = 0;
        std::size_t m_rowInChunk = 0;
        qsizetype m_row = 0;
        qsizetype m_measuredRow = -1;
        ByteSpan m_line;
    };
    // The field decoded for display.
    QString text(qsizetype row, SongColumn column) const
    {
        return decodeText(field(row, column), m_encoding);
    }
    TextEncoding encoding() const { return m_encoding; }

private:
    ByteSpan lineIn(const RowChunk &chunk, std::size_t rowInChunk) const
    {
        const PackedRow &packed = chunk.m_rows[rowInChunk];
        if (packed.wideGapAfter == unpackedMark)
            return chunk.m_unpackedRows[packed.base].line;
        const ByteSpan last = chunk.span(rowInChunk, fileOrder.back());
        const std::uint8_t tail = chunk.m_tails[rowInChunk];
        std::uint32_t end = last.offset + last.length + tail;
        if (tail == longTail) {
            const char *const text = m_bytes.constData();
            while (end < std::uint32_t(m_bytes.size()) && text[end] != '\n' && text[end] != '\r')
                ++end;
        }
        return { packed.base, end - packed.base };
    }
    std::pair<const RowChunk &, std::size_t> locate(qsizetype row) const
    {
        Q_ASSERT(row >= 0 && row < rowCount());
        std::size_t chunkIndex = 0;
        if (m_chunks.size() > 1) {
            chunkIndex = static_cast<std::size_t>(
                std::upper_bound(m_chunkEnds.begin(), m_chunkEnds.end(), row)
                - m_chunkEnds.begin());
            if (chunkIndex > 0)
                row -= m_chunkEnds[chunkIndex - 1];
        }
        return { m_chunks[chunkIndex], static_cast<std::size_t>(row) };
    }

    QByteArray m_bytes;
    std::vector<RowChunk> m_chunks;
    // The row count up to and including each chunk, for finding a row's chunk.
    std::vector<qsizetype> m_chunkEnds;
    TextEncoding m_encoding = TextEncoding::Gbk;
};
