#pragma once

#include "songs/song_table.h"

#include <QByteArray>
#include <QStringView>

#include <array>
#include <atomic>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// What the user typed, ready to match: words split at blanks, each encoded to GBK and folded.
struct FindQuery
{
    std::vector<QByteArray> words;
    // A character GBK cannot hold: no line can contain it.
    bool matchesNothing = false;

    static FindQuery parse(QStringView text);
    bool isEmpty() const { return words.empty() && !matchesNothing; }
    // True when every song this query shows is also shown by `wider`: each word of `wider`
    // occurs in one of this query's words.
    bool narrows(const FindQuery &wider) const;
};

// The lines of a table's songs, folded once, and the search over them. A song matches when each
// word occurs in its whole line (the fields the table does not show included), starting at a
// character boundary, so a double-byte character never matches half of another.
class SongFinder
{
public:
    // The line of every row of `table`, found around its cells.
    static std::vector<ByteSpan> linesOf(const SongTable &table);

    // Folds the lines (spans into `text`, one per row); `text` is not kept.
    SongFinder(const QByteArray &text, std::span<const ByteSpan> lines);

    qsizetype rowCount() const { return qsizetype(m_lineStarts.size()) - 1; }

    // The rows, in file order, that match `query`: among all rows, or among `candidates` (in file
    // order) when given. Nothing when `stop` was set meanwhile.
    std::optional<std::vector<std::uint32_t>> find(const FindQuery &query,
        const std::vector<std::uint32_t> *candidates, const std::atomic<bool> &stop) const;

private:
    // Folded lines, each followed by '\n'; m_lineStarts has one more entry than rows.
    QByteArray m_folded;
    std::vector<std::uint32_t> m_lineStarts;
    std::array<std::uint32_t, 256> m_byteCounts {};
};
