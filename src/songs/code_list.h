#pragma once

#include "songs/song_table.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <span>
#include <vector>

// A song code as a number that keeps its digit count, so 00012 and 12 stay two codes: the count
// in the top bits, the value below. Codes are 1 to 17 ASCII digits; anything else is no code.
using CodeKey = std::uint64_t;
inline constexpr int maxCodeDigits = 17;

// The key of `text` (blanks around it ignored), or 0 when it is no code.
CodeKey codeKey(QByteArrayView text);
// The code's digits again.
QByteArray codeText(CodeKey key);

// The codes of a code list (one code per line) or of a search file (each line's field 1), read
// as bytes: CR LF, LF or a lone CR, GBK, UTF-8 with or without its byte-order mark, ASCII, or
// UTF-16 (LE or BE) with its byte-order mark. A line that gives no code (blank, a header, text)
// is skipped and counted; a file in another wide encoding (UTF-32, UTF-16 without its mark) or
// with zero bytes gives an error that names it.
struct CodeList
{
    std::vector<CodeKey> codes; // in file order, repeats kept
    qsizetype skippedLineCount = 0;
    std::vector<qsizetype> firstSkippedLines; // 1-based, the first `keptSkippedLines` of them
    QString error; // why the file could not be read; empty when it was
    bool ok() const { return error.isEmpty(); }

    static constexpr qsizetype keptSkippedLines = 5;
};

CodeList parseCodeList(QByteArrayView bytes);
// "第 3、7 行" for the first skipped lines, with 等 when there were more.
QString skippedLinesText(const CodeList &list);
// Reads only an ordinary file: a FIFO or a device gives an error, not a wait.
CodeList readCodeList(const QString &path);

struct CodeMatch;

// A set of codes with a lookup of one probe or a few, as a million table rows ask it.
class CodeSet
{
public:
    CodeSet() = default;
    explicit CodeSet(std::span<const CodeKey> codes);
    // The union of the lists' codes (lists that failed to read add nothing).
    explicit CodeSet(std::span<const CodeList> lists);

    qsizetype size() const { return m_size; }
    bool contains(CodeKey key) const { return key != 0 && m_slots[slotOf(key)] == key; }

private:
    friend CodeMatch matchCodes(const SongTable &table, std::span<const CodeKey> codes);
    void insertAll(std::span<const CodeKey> codes);
    std::size_t slotOf(CodeKey key) const;

    // Open addressing over a power-of-two table at most half full; 0 marks a free slot.
    std::vector<CodeKey> m_slots = std::vector<CodeKey>(1);
    qsizetype m_size = 0;
};

// Whether each row's code (blanks around it ignored) is in `codes`, one bit a row: the songs
// the venue already has.
std::vector<bool> rowsWithCodesMask(const SongTable &table, const CodeSet &codes);

// What a list of codes finds in a table: the rows whose code is in the list, ascending, and the
// list's codes that no row has, in list order without repeats.
struct CodeMatch
{
    std::vector<std::uint32_t> rows;
    std::vector<CodeKey> missing;
};
CodeMatch matchCodes(const SongTable &table, std::span<const CodeKey> codes);
