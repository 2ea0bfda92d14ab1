#include "export/ticked_rows_writer.h"

#include "songs/search_file_analysis.h"
#include "test_song_tables.h"

#include <QBuffer>

#include <gtest/gtest.h>

namespace {

// The model decides what is a song, so the writer is tested through it.
class TickedRowsWriter : public testing::Test
{
protected:
    void load(SongTable table)
    {
        m_songs.setTable(std::make_shared<const SongTable>(std::move(table)));
    }

    void tick(std::initializer_list<std::uint32_t> rows, bool ticked = true)
    {
        m_songs.setRowsTicked(std::vector<std::uint32_t>(rows), ticked);
    }

    QByteArray written(std::span<const SongColumn> columns) const
    {
        QBuffer file;
        file.open(QIODevice::WriteOnly);
        EXPECT_TRUE(writeTickedRows(m_songs.tickedSongs(), columns, file));
        return file.data();
    }

    SongTableModel m_songs;
};

SongTable threeSongs()
{
    return makeSongTable({
        { "10000001", "Song A", "Singer A", "Pop", "Mandarin", "a\\001.mpg" },
        { "00000002", "Song B", "Singer B", "Rock", "Cantonese", "b\\002.mpg" },
        { "10000003", "Song C", "Singer C", "Folk", "English", "" },
    });
}

TEST_F(TickedRowsWriter, TickedCodesEachEndWithALineBreakInTableOrderAsTicksAreNow)
{
    load(threeSongs());
    EXPECT_TRUE(written(codeColumn).isEmpty());
    tick({ 2, 0 });
    EXPECT_EQ(written(codeColumn), QByteArray("10000001\r\n10000003\r\n"));
    tick({ 0 }, false);
    tick({ 1 });
    EXPECT_EQ(written(codeColumn), QByteArray("00000002\r\n10000003\r\n"));
}

TEST_F(TickedRowsWriter, DetailsAreTheSixFieldsTabSeparatedALineASong)
{
    load(threeSongs());
    tick({ 2, 1 });
    EXPECT_EQ(written(allColumns),
        QByteArray("00000002\tSong B\tSinger B\tRock\tCantonese\tb\\002.mpg\r\n"
                   "10000003\tSong C\tSinger C\tFolk\tEnglish\t\r\n"));
}

TEST_F(TickedRowsWriter, TheTickedPlaceholderIsNoSongAndWritesNothing)
{
    m_songs.setAllTicked(true);
    ASSERT_TRUE(m_songs.isTicked(0));
    EXPECT_TRUE(written(codeColumn).isEmpty());
    EXPECT_TRUE(written(allColumns).isEmpty());
    EXPECT_EQ(m_songs.tickedSongs().count(), 0);
}

TEST_F(TickedRowsWriter, ManyBufferFillsAndAFieldLongerThanTheBufferComeOutWhole)
{
    QByteArray text;
    QByteArray expected;
    for (int song = 0; song < 20000; ++song) {
        const QByteArray code = song == 7000 ? QByteArray(70000, '7') : QByteArray::number(song);
        text += "x||" + code + "||p||n||x||x||c||l||s\r\n";
        if (song % 3 == 0 || song == 7000)
            expected += code + "\r\n";
    }
    load(analyseSearchFile(text).table);
    std::vector<std::uint32_t> rows;
    for (std::uint32_t row = 0; row < 20000; row += 3)
        rows.push_back(row);
    rows.push_back(7000);
    m_songs.setRowsTicked(rows, true);
    EXPECT_EQ(written(codeColumn), expected);
}

TEST_F(TickedRowsWriter, AFailedWriteIsReported)
{
    load(threeSongs());
    tick({ 1 });
    QBuffer readOnly;
    ASSERT_TRUE(readOnly.open(QIODevice::ReadOnly));
    EXPECT_FALSE(writeTickedRows(m_songs.tickedSongs(), codeColumn, readOnly));
}

} // namespace
