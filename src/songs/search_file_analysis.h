#pragma once

#include "songs/song_finder.h"
#include "songs/song_table.h"
#include "ui/core/text_encoding.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <optional>
#include <span>
#include <utility>
#include <vector>

// The outcome of reading a search file's text into songs: one row per line with nine or more
// fields, in file order.
struct SearchFileAnalysis
{
    SongTable table;
    // What pinyin finding needs of each row, for a GBK text; empty for UTF-8, whose lines the
    // finder re-encodes and measures itself.
    SongFindForms findForms;
    // The 1-based numbers of the lines with one to eight fields, every one of them, 4 bytes a
    // line; empty lines are skipped silently and not counted.
    std::vector<std::uint32_t> skippedLines;
    // Non-empty when the text cannot be analysed at all; the table is then empty.
    QString error;

    qsizetype skippedLineCount() const { return qsizetype(skippedLines.size()); }
};

// Cells are 32-bit offsets into the text, so a larger text cannot be analysed.
inline constexpr qint64 maxSearchFileSize = 0xFFFFFFFF;

// Lines end at CR LF, LF or a lone CR, so Windows, Unix and old Mac files read alike.
// Fields 1, 3, 8, 6, 7, 2 become the columns; "||" only separates at a character boundary of
// `encoding`. The table shares `text`; nothing is copied. A large text is analysed on every core.
SearchFileAnalysis analyseSearchFile(
    const QByteArray &text, TextEncoding encoding = TextEncoding::Gbk);
// The same in `partCount` runs of whole lines, each on a thread of its own; the result does not
// depend on the count. `FindForms::Skipped` leaves findForms empty (to measure what they cost).
enum class FindForms { Made, Skipped };
SearchFileAnalysis analyseSearchFile(const QByteArray &text, TextEncoding encoding, int partCount,
    FindForms findForms = FindForms::Made);
// The same, looking at `stop` every few thousand lines: nothing once it was set.
std::optional<SearchFileAnalysis> analyseSearchFile(
    const QByteArray &text, TextEncoding encoding, const std::atomic<bool> &stop);
// The number of parts analyseSearchFile(text, encoding) takes.
int analysisPartCount(qsizetype textSize);

// The find form of each row of a GBK table, from its name and singer.
std::vector<SongFindForm> songFindForms(const SongTable &gbkTable);
