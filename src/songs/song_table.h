#pragma once

#include "ui/core/text_encoding.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>
#include <cstdint>
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
    // A row's cells relative to its first cell: 16 bytes instead of 48, which a million rows
    // feel in both time and memory (collecting a million codes: 0.008 s packed, 0.038 s with
    // full spans). A song's cells lie within 255 bytes of its first one (every row of the
    // generated 1M file); the rare row that does not fit keeps its full spans aside.
    struct PackedRow
    {
        std::uint32_t base = 0; // offset of the first cell, or the index into unpackedRows
        std::array<std::uint8_t, songColumnCount> offsets {};
        std::array<std::uint8_t, songColumnCount> lengths {};
    };
    static constexpr std::uint8_t unpackedMark = 0xFF;

public:
    // A run of consecutive rows, built on its own (one per thread of the analysis) and joined to
    // a table as it is, so rows found in parallel are never copied into one list.
    class RowChunk
    {
    public:
        void reserve(qsizetype count);
        void append(const SongRowSpans &spans);
        qsizetype size() const { return static_cast<qsizetype>(m_rows.size()); }

    private:
        friend class SongTable;
        std::vector<PackedRow> m_rows;
        std::vector<SongRowSpans> m_unpackedRows;
    };

    SongTable() = default;

    // Takes over `bytes` (shared, not copied) and one entry of spans per row; the cells are text
    // in `encoding`.
    SongTable(QByteArray bytes, std::vector<SongRowSpans> rows,
        TextEncoding encoding = TextEncoding::Gbk);

    // Adds the chunk's rows after the present ones. Every span must lie in bytes().
    void appendChunk(RowChunk chunk);

    qsizetype rowCount() const { return m_chunkEnds.empty() ? 0 : m_chunkEnds.back(); }
    // The text every cell is a slice of.
    const QByteArray &bytes() const { return m_bytes; }

    // The cell's bytes as in the file, without a line break.
    QByteArrayView field(qsizetype row, SongColumn column) const;
    // The field decoded for display.
    QString text(qsizetype row, SongColumn column) const
    {
        return decodeText(field(row, column), m_encoding);
    }
    TextEncoding encoding() const { return m_encoding; }

private:
    QByteArray m_bytes;
    std::vector<RowChunk> m_chunks;
    // The row count up to and including each chunk, for finding a row's chunk.
    std::vector<qsizetype> m_chunkEnds;
    TextEncoding m_encoding = TextEncoding::Gbk;
};
