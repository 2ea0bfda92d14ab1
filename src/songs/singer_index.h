#pragma once

#include "songs/packed_numbers.h"
#include "songs/song_finder.h"
#include "songs/song_table.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

// The singers a singer field (GBK) names, in order, each without the blanks around it: a duet
// "周杰伦&费玉清" names two. Singers are separated by & / , + (half or full width), 、 and ，,
// and by the words "feat." and "ft." after a blank.
std::vector<QByteArrayView> singerNames(QByteArrayView gbkField);
// The same for a field in `encoding`, decoded, one name for each singer (a field naming one
// singer twice, in two spellings, gives the first); a UTF-8 field GBK cannot hold is one singer.
QStringList singersOfField(QByteArrayView field, TextEncoding encoding);

// The singers of a table, each with its songs, a duet counting for each of its singers. A singer
// is its name folded as finding folds it (simplified = traditional, case ignored) without the
// blanks around it, so 蔡蓮志 and 蔡莲志 are one singer, shown as most songs write it. Each row
// keeps one number, the index of its distinct singer field, in as few bits as their count needs
// (2 bytes a song for up to 65,536 fields).
class SingerIndex
{
public:
    // Whether a table row counts, as the other filters in force decide; empty: every row.
    using RowFilter = std::function<bool(std::uint32_t tableRow)>;

    struct Singer
    {
        QByteArray key; // folded GBK
        QString name; // as most of its songs write it
        qsizetype songCount = 0;
    };

    struct Suggestion
    {
        std::uint32_t singer = 0;
        QString name;
        qsizetype songCount = 0; // among the rows the filter counts
        FieldMatch match = FieldMatch::None;
    };

    // Which rows one singer's songs are.
    class Filter
    {
    public:
        bool accepts(std::uint32_t row) const { return m_keptFields[m_rowField[row]] != 0; }

    private:
        friend class SingerIndex;
        std::vector<std::uint8_t> m_keptFields;
        PackedNumbers::View m_rowField;
    };

    SingerIndex() = default;
    // Nothing when `stop` was set meanwhile.
    static std::optional<SingerIndex> of(const SongTable &table, const std::atomic<bool> &stop);

    const std::vector<Singer> &singers() const { return m_singers; }
    // The singer a name (any spelling, any blanks around it) stands for.
    std::optional<std::uint32_t> singerNamed(QStringView name) const;
    std::optional<std::uint32_t> singerOfKey(const QByteArray &key) const;
    // The key of the singer a name stands for, whether or not a table has the singer.
    static QByteArray keyOfName(QStringView name);
    // The singers of one row, in the order its field names them.
    std::vector<std::uint32_t> singersOfRow(std::uint32_t row) const;
    // Valid while this index lives.
    Filter filter(std::uint32_t singer) const;
    std::vector<std::uint32_t> rowsOf(std::uint32_t singer) const;

    // The singers `query` could name, as finding reads a singer field, with their songs among the
    // rows `counted` keeps: a whole match before one from the start before one inside, then more
    // songs first; none without songs there; at most `limit`. Nothing when `stop` was set.
    std::optional<std::vector<Suggestion>> suggest(const FindQuery &query, const RowFilter &counted,
        const std::atomic<bool> &stop, std::size_t limit = 10) const;

    double bytesPerRow() const { return m_rowField.bitsEach() / 8.0; }

private:
    std::vector<Singer> m_singers;
    QHash<QByteArray, std::uint32_t> m_singerOfKey;
    // Each row's distinct singer field, in the bits their count needs; each field's rows and
    // singers, each singer's fields.
    PackedNumbers m_rowField;
    std::vector<std::uint32_t> m_fieldRowCounts;
    std::vector<std::uint32_t> m_fieldSingerStarts;
    std::vector<std::uint32_t> m_fieldSingers;
    std::vector<std::uint32_t> m_singerFieldStarts;
    std::vector<std::uint32_t> m_singerFields;
};
