#include "songs/search_file_analysis.h"

#include <QByteArray>
#include <QList>

#include <gtest/gtest.h>

#include <vector>

namespace {

struct ExpectedSong
{
    QByteArray code;
    ByteSpan line;
};

// Each line of `text` with nine or more fields, read plainly: split at CR LF, LF or a lone CR.
std::vector<ExpectedSong> songsRead(const QByteArray &text)
{
    std::vector<ExpectedSong> songs;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = start;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n')
            ++end;
        const QByteArray line = text.mid(start, end - start);
        const QList<QByteArray> fields = line.split('|');
        // "||" separates, so nine fields make seventeen pieces.
        if (fields.size() >= 17)
            songs.push_back({ fields[2], { std::uint32_t(start), std::uint32_t(end - start) } });
        if (end < text.size() && text[end] == '\r' && end + 1 < text.size()
            && text[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
    return songs;
}

} // namespace

TEST(SongTableLines, EachRowsLineIsItsWholeLineWhateverBreaksItAndWhateverItHolds)
{
    // CR LF, LF and a lone CR; blank and short lines between songs; fields after the ninth, a
    // few bytes of them and more than a row measures; a first field longer than a packed row
    // holds, and an empty one; a last song with no break.
    const QByteArray text = "1||10000001||a.mpg||Rain||R||4||Pop||Mandarin||Ann\r\n"
                            "8||10000008||h.mpg||Sun||S||4||Pop||Mandarin||Hal||"
        + QByteArray(254, 'x') + "\r\n9||10000009||i.mpg||Sky||S||4||Pop||Mandarin||Ivy||"
        + QByteArray(300, 'y')
        + "\r\n"
          "2||10000002||b.mpg||Snow||S||4||Pop||Mandarin||Bob\n"
          "3||10000003||c.mpg||Wind||W||4||Pop||Mandarin||Cat\r"
          "\r\n\r\nnot a song\r\n"
          "4||10000004||d.mpg||Hail||H||4||Pop||Mandarin||Dan||extra||more\r\n"
          "a first field of forty bytes, far too long||10000005||e.mpg||Mist"
          "||M||4||Pop||Mandarin||Eve\n\n"
          "||10000006||f.mpg||Dew||D||4||Pop||Mandarin||Fay\r\r\n"
          "7||10000007||g.mpg||Frost||F||4||Pop||Mandarin||Gus||tail";
    const std::vector<ExpectedSong> expected = songsRead(text);
    ASSERT_EQ(expected.size(), 9u);
    // In one part and in several, as the analysis joins them.
    for (const int parts : { 1, 2, 3, 7 }) {
        const SongTable table = analyseSearchFile(text, TextEncoding::Gbk, parts).table;
        ASSERT_EQ(table.rowCount(), qsizetype(expected.size())) << parts;
        for (qsizetype row = 0; row < table.rowCount(); ++row) {
            const ExpectedSong &song = expected[std::size_t(row)];
            EXPECT_EQ(table.line(row).offset, song.line.offset) << parts << " parts, row " << row;
            EXPECT_EQ(table.line(row).length, song.line.length) << parts << " parts, row " << row;
            EXPECT_EQ(table.field(row, SongColumn::Code), song.code) << parts << " row " << row;
        }
    }
}
