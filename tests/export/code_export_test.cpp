#include "export/code_export.h"

#include "songs/search_file_analysis.h"

#include <QBuffer>

#include <gtest/gtest.h>

namespace {

SongTable threeSongs()
{
    return analyseSearchFile("x||10000001||a\\001.mpg||Song A||x||x||Pop||Mandarin||Singer A\r\n"
                             "x||10000002||a\\002.mpg||Song B||x||x||Pop||Mandarin||Singer B\r\n"
                             "x||10000003||a\\003.mpg||Song C||x||x||Pop||Mandarin||Singer C")
        .table;
}

} // namespace

TEST(CodeExport, CheckedCodesEachEndWithALineBreakInTableOrder)
{
    SongTable table = threeSongs();
    table.setChecked(2, true);
    table.setChecked(0, true);
    const QByteArray codes = collectCheckedCodes(table);
    EXPECT_EQ(codes, QByteArray("10000001\r\n10000003\r\n"));
}

TEST(CodeExport, EachCollectionFollowsTheTicksOfItsMoment)
{
    SongTable table = threeSongs();
    table.setChecked(0, true);
    table.setChecked(1, true);
    EXPECT_EQ(collectCheckedCodes(table), QByteArray("10000001\r\n10000002\r\n"));

    table.setChecked(0, false);
    table.setChecked(2, true);
    EXPECT_EQ(collectCheckedCodes(table), QByteArray("10000002\r\n10000003\r\n"));
}

TEST(CodeExport, NoCheckedRowsGiveNoBytes)
{
    EXPECT_TRUE(collectCheckedCodes(threeSongs()).isEmpty());
    EXPECT_TRUE(collectCheckedCodes(SongTable()).isEmpty());
}

TEST(CodeExport, TheCheckedPlaceholderIsNoSongAndGivesNothing)
{
    SongTable table = SongTable::placeholder();
    table.setAllChecked(true);
    EXPECT_TRUE(collectCheckedCodes(table).isEmpty());
}

TEST(CodeExport, WritingStraightToAFileGivesTheCollectedBytesAcrossManyBufferFills)
{
    // Enough codes to fill the write buffer many times, one longer than the buffer itself.
    QByteArray text;
    for (int song = 0; song < 20000; ++song) {
        const QByteArray code = song == 7000 ? QByteArray(70000, '7') : QByteArray::number(song);
        text += "x||" + code + "||p||n||x||x||c||l||s\r\n";
    }
    SongTable table = analyseSearchFile(text).table;
    for (qsizetype row = 0; row < table.rowCount(); row += 3)
        table.setChecked(row, true);
    table.setChecked(7000, true);

    QBuffer file;
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(writeCheckedCodes(table, file));
    EXPECT_EQ(file.data(), collectCheckedCodes(table));
    EXPECT_GT(file.data().size(), 100000);

    QBuffer placeholderFile;
    ASSERT_TRUE(placeholderFile.open(QIODevice::WriteOnly));
    SongTable placeholder = SongTable::placeholder();
    placeholder.setAllChecked(true);
    ASSERT_TRUE(writeCheckedCodes(placeholder, placeholderFile));
    EXPECT_TRUE(placeholderFile.data().isEmpty());
}

TEST(CodeExport, AFailedWriteIsReported)
{
    SongTable table = threeSongs();
    table.setChecked(1, true);
    QBuffer readOnly;
    ASSERT_TRUE(readOnly.open(QIODevice::ReadOnly));
    EXPECT_FALSE(writeCheckedCodes(table, readOnly));
}
