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
    // begins one of this query's words, or holds no ASCII letter and occurs in one. (A word
    // read as pinyin keeps matching when it is cut at its end, not at its start: `zhoujl`
    // finds 周杰伦, `oujl` does not.)
    bool narrows(const FindQuery &wider) const;
};

// Where a song's name and singer lie in its line (offsets from the line's start) and the
// letters their characters can start a reading with, for pinyin finding: 12 bytes a song. A
// song whose line is too long for these offsets is found as text only.
struct SongFindForm
{
    std::uint16_t nameStart = 0;
    std::uint16_t nameLength = 0;
    std::uint16_t singerStart = 0;
    std::uint16_t singerLength = 0;
    // Bit n: a character can be read starting with 'a' + n (a Latin letter reads as itself).
    std::uint32_t letters = 0;

    // The form of a GBK line at `line` whose name and singer fields are the slices given.
    static SongFindForm of(const char *line, QByteArrayView name, QByteArrayView singer);
};

// The search over the lines of a table's songs. A song matches when each word matches it:
// - as text: the word occurs in one field of its line (the fields the table does not show
//   included), folded, starting at a character boundary, so a double-byte character never
//   matches half of another and nothing matches across a "||";
// - or, for a word with an ASCII letter, as pinyin along consecutive characters of the name or of
//   the singer: each Chinese character by its initial (zh, ch, sh also as z, c, s), one of its
//   whole syllables, itself, or, the last one, any beginning of a syllable; any other character
//   by itself, ignoring case. `zjl`, `zhoujl`, `jielun` and `周jl` all find 周杰伦.
// The text is searched as it is, for the bytes of one character of a text-only word in each form
// that folds to it; only the lines that hold one are folded and compared. No folded copy of the
// text is kept.
// The find forms of every row, in row order, in runs of consecutive rows (one per part of the
// analysis): joined into one list, a million songs' forms took a tenth of the analysis's time.
using SongFindForms = std::vector<std::vector<SongFindForm>>;

class PinyinWord;

class SongFinder
{
public:
    // The lines of a UTF-8 text re-encoded to GBK, each after the last, so the GBK folding and
    // matching serve UTF-8 files too.
    static std::pair<QByteArray, std::vector<ByteSpan>> inGbk(
        const QByteArray &utf8Text, std::span<const ByteSpan> lines);

    // Keeps `text` (shared, not copied) and the line of each row in it, in file order, and makes
    // each song's find form.
    SongFinder(QByteArray text, std::vector<ByteSpan> lines);
    // The same with the find forms the analysis made (SearchFileAnalysis::findForms); when
    // `forms` does not cover the lines (a UTF-8 file re-encoded by inGbk) they are made here.
    SongFinder(QByteArray text, std::vector<ByteSpan> lines, SongFindForms forms);

    qsizetype rowCount() const { return qsizetype(m_lines.size()); }

    // The rows, in file order, that match `query`: among all rows, or among `candidates` (in file
    // order) when given. Nothing when `stop` was set meanwhile.
    std::optional<std::vector<std::uint32_t>> find(const FindQuery &query,
        const std::vector<std::uint32_t> *candidates, const std::atomic<bool> &stop) const;

private:
    std::optional<std::vector<std::uint32_t>> findAsText(const std::vector<QByteArray> &words,
        const std::vector<std::uint32_t> *candidates, const std::atomic<bool> &stop) const;
    bool isReadAs(const PinyinWord &word, std::uint32_t row, const SongFindForm &form) const;
    std::optional<std::vector<std::uint32_t>> findAsPinyin(const PinyinWord &word,
        const std::vector<std::uint32_t> *candidates, const std::atomic<bool> &stop) const;

    QByteArray m_text;
    std::vector<ByteSpan> m_lines;
    SongFindForms m_forms;
    // The first row of each run of m_forms.
    std::vector<std::uint32_t> m_formRunStarts;
    std::array<std::uint32_t, 256> m_byteCounts {};
};
