#include "export/detail_collection.h"

#include "test_song_tables.h"

#include <gtest/gtest.h>

namespace {

class DetailCollection : public testing::Test
{
protected:
    SongTable m_table = makeSongTable({
        { "10000001", "Song A", "Singer A", "Pop", "Mandarin", "a\\001.mpg" },
        { "00000002", "Song B", "Singer B", "Rock", "Cantonese", "b\\002.mpg" },
        { "10000003", "Song C", "Singer C", "Folk", "English", "" },
    });
};

TEST_F(DetailCollection, ACheckedRowAddsItsSixCellsInColumnOrder)
{
    m_table.setChecked(1, true);

    EXPECT_EQ(collectCheckedDetails(m_table),
        QByteArray("00000002\r\nSong B\r\nSinger B\r\nRock\r\nCantonese\r\nb\\002.mpg\r\n"));
}

TEST_F(DetailCollection, CheckedRowsFollowTableOrderAndUncheckedRowsAddNothing)
{
    m_table.setChecked(2, true);
    m_table.setChecked(0, true);

    EXPECT_EQ(collectCheckedDetails(m_table),
        QByteArray("10000001\r\nSong A\r\nSinger A\r\nPop\r\nMandarin\r\na\\001.mpg\r\n"
                   "10000003\r\nSong C\r\nSinger C\r\nFolk\r\nEnglish\r\n\r\n"));
}

TEST_F(DetailCollection, NothingCheckedOrTheCheckedPlaceholderCollectsNothing)
{
    EXPECT_TRUE(collectCheckedDetails(m_table).isEmpty());
    SongTable placeholder = SongTable::placeholder();
    placeholder.setAllChecked(true);
    EXPECT_TRUE(collectCheckedDetails(placeholder).isEmpty());
}

} // namespace
