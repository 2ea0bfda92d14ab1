#include "export/code_export.h"

#include "songs/search_file_analysis.h"

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
