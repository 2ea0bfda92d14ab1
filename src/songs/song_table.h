#pragma once

#include "ui/text_encoding.h"

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

// The songs of one analysed search file and a check mark per song. It keeps the file's bytes
// once and every cell as a slice of them, so a million songs cost little beyond the file.
// Rows are addressed by a 0-based index; check marks belong to the rows, whatever a view shows.
class SongTable
{
    // A row's cells relative to its first cell: 28 bytes instead of 48, which a million rows
    // feel in both time and memory (collecting a million codes: 0.008 s packed, 0.038 s with
    // full spans). The rare row that does not fit keeps its full spans aside.
    struct PackedRow
    {
        std::uint32_t base = 0; // offset of the first cell, or the index into unpackedRows
        std::array<std::uint16_t, songColumnCount> offsets {};
        std::array<std::uint16_t, songColumnCount> lengths {};
    };
    static constexpr std::uint16_t unpackedMark = 0xFFFF;

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
    // The single row shown before any analysis: "无内容：", "请浏览搜歌文件后点分析！". It may be
    // ticked, but it is no song: exports and collections leave it out.
    static SongTable placeholder();
    bool isPlaceholder() const { return m_placeholder; }

    // Takes over `bytes` (shared, not copied) and one entry of spans per row; the cells are text
    // in `encoding`.
    SongTable(QByteArray bytes, std::vector<SongRowSpans> rows,
        TextEncoding encoding = TextEncoding::Gbk);

    // Adds the chunk's rows after the present ones, unchecked. Every span must lie in bytes().
    void appendChunk(RowChunk chunk);

    qsizetype rowCount() const { return static_cast<qsizetype>(m_checked.size()); }
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

    bool isChecked(qsizetype row) const { return m_checked[static_cast<std::size_t>(row)] != 0; }
    void setChecked(qsizetype row, bool checked);
    void setAllChecked(bool checked);
    qsizetype checkedCount() const;

private:
    QByteArray m_bytes;
    std::vector<RowChunk> m_chunks;
    // The row count up to and including each chunk, for finding a row's chunk.
    std::vector<qsizetype> m_chunkEnds;
    std::vector<std::uint8_t> m_checked;
    TextEncoding m_encoding = TextEncoding::Gbk;
    bool m_placeholder = false;
};
