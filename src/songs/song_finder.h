#pragma once

#include "songs/song_table.h"

#include <QByteArray>
#include <QStringView>

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
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

// What pinyin finding keeps of a song: the letters the characters of its name and singer can
// start a reading with, 4 bytes a song. Only a song that has every letter a word needs is read
// further: its line is split into fields then, at find time.
struct SongFindForm
{
    // Bit n: a character can be read starting with 'a' + n (a Latin letter reads as itself).
    std::uint32_t letters = 0;

    // The form of a song with these name and singer fields (GBK).
    static SongFindForm of(QByteArrayView name, QByteArrayView singer);
};

// The find forms of every row, in row order, in runs of consecutive rows (one per part of the
// analysis): joined into one list, a million songs' forms took a tenth of the analysis's time.
using SongFindForms = std::vector<std::vector<SongFindForm>>;

class PinyinWord;

// How a query reads in one field, best last: somewhere inside it, from its start, or the whole.
enum class FieldMatch { None, Inside, Prefix, Whole };

// A query matched against single fields (GBK) as the finder matches a song's name or singer:
// each word as folded text or as pinyin. For what a query could name, such as a singer.
class FieldMatcher
{
public:
    explicit FieldMatcher(const FindQuery &query);
    ~FieldMatcher();
    FieldMatcher(FieldMatcher &&) noexcept;
    FieldMatcher &operator=(FieldMatcher &&) noexcept;

    // None unless every word matches; else how the first word does.
    FieldMatch match(QByteArrayView field) const;

private:
    struct Word;
    std::vector<Word> m_words;
    bool m_matchesNothing = false;
};

class SongFinder
{
public:
    // The rows of a UTF-8 table with their lines re-encoded to GBK, each after the last, so the
    // GBK folding and matching serve UTF-8 files too.
    static std::shared_ptr<const SongTable> inGbk(const SongTable &utf8Table);

    // Finds among the rows of a GBK table, shared, not copied, by their whole lines, with the
    // find forms the analysis made (SearchFileAnalysis::findForms); when `forms` does not cover
    // the rows (none given, or a UTF-8 file re-encoded by inGbk) they are made here.
    explicit SongFinder(std::shared_ptr<const SongTable> table, SongFindForms forms = {});

    qsizetype rowCount() const { return m_table->rowCount(); }

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

    std::shared_ptr<const SongTable> m_table;
    QByteArray m_text; // the table's
    SongFindForms m_forms;
    // The first row of each run of m_forms.
    std::vector<std::uint32_t> m_formRunStarts;
    std::array<std::uint32_t, 256> m_byteCounts {};
};
