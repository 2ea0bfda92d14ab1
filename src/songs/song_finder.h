#pragma once

#include "songs/song_table.h"

#include <QByteArray>
#include <QStringView>

#include <array>
#include <atomic>
#include <cstdint>
#include <optional>
#include <span>
#include <utility>
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

// The search over the lines of a table's songs. A song matches when each word occurs in its
// whole line (the fields the table does not show included), folded, starting at a character
// boundary, so a double-byte character never matches half of another. The text is searched as
// it is, for the bytes of one character of the query in each form that folds to it; only the
// lines that hold one are folded and compared. No folded copy of the text is kept.
class SongFinder
{
public:
    // The lines of a UTF-8 text re-encoded to GBK, each after the last, so the GBK folding and
    // matching serve UTF-8 files too.
    static std::pair<QByteArray, std::vector<ByteSpan>> inGbk(
        const QByteArray &utf8Text, std::span<const ByteSpan> lines);

    // Keeps `text` (shared, not copied) and the line of each row in it, in file order.
    SongFinder(QByteArray text, std::vector<ByteSpan> lines);

    qsizetype rowCount() const { return qsizetype(m_lines.size()); }

    // The rows, in file order, that match `query`: among all rows, or among `candidates` (in file
    // order) when given. Nothing when `stop` was set meanwhile.
    std::optional<std::vector<std::uint32_t>> find(const FindQuery &query,
        const std::vector<std::uint32_t> *candidates, const std::atomic<bool> &stop) const;

private:
    QByteArray m_text;
    std::vector<ByteSpan> m_lines;
    std::array<std::uint32_t, 256> m_byteCounts {};
};
