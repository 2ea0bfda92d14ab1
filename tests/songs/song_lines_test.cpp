#include "songs/song_lines.h"

#include <QByteArray>

#include <gtest/gtest.h>

#include <vector>

namespace {

// The span from each `mark` that starts a line up to its line's
// end, as the analysis gives a song's line.
std::vector<ByteSpan> linesMarked(const QByteArray &text, char mark)
{
    std::vector<ByteSpan> lines;
    for (qsizetype at = 0; at < text.size(); ++at) {
        if (text[at] != mark || (at > 0 && text[at - 1] != '\n' && text[at - 1] != '\r'))
            continue;
        qsizetype end = at;
        while (end < text.size() && text[end] != '\n' && text[end] != '\r')
            ++end;
        lines.push_back({ std::uint32_t(at), std::uint32_t(end - at) });
    }
    return lines;
}

void expectLines(const SongLines &lines, const std::vector<ByteSpan> &expected)
{
    ASSERT_EQ(lines.size(), expected.size());
    for (std::size_t row = 0; row < expected.size(); ++row) {
        EXPECT_EQ(lines[row].offset, expected[row].offset) << "row " << row;
        EXPECT_EQ(lines[row].length, expected[row].length) << "row " << row;
    }
}

} // namespace

TEST(SongLines, EveryLineEndsWhereItDidWhateverBreaksAndSkippedLinesFollowIt)
{
    // CR LF, LF and lone CR; blank and short lines (no songs) between songs; a song after a
    // skipped line at the very end, and a last song with no break after it.
    const QByteArray text = "S one\r\nS two\nS three\rS four\r\n\r\nskip\r\nS five\n\n"
                            "S six\r\r\nS seven\nnot a song\nS last";
    const std::vector<ByteSpan> expected = linesMarked(text, 'S');
    ASSERT_EQ(expected.size(), 8u);

    SongLines whole(text);
    whole.append(expected);
    expectLines(whole, expected);

    // Appended in runs, as the analysis joins its parts: every boundary settles alike.
    for (std::size_t split = 1; split < expected.size(); ++split) {
        SongLines parted(text);
        parted.append(std::span(expected).first(split));
        parted.append(std::span(expected).subspan(split));
        expectLines(parted, expected);
    }
}

TEST(SongLines, LinesWithNoBreakBetweenThemAndAnEmptyTextReadAsGiven)
{
    const QByteArray text = "abcdefghij";
    const std::vector<ByteSpan> expected { { 0, 3 }, { 3, 4 }, { 7, 3 } };
    SongLines lines(text);
    lines.append(expected);
    expectLines(lines, expected);

    SongLines none(QByteArray {});
    none.append({});
    EXPECT_TRUE(none.empty());
}
