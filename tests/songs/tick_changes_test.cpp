#include "songs/carried_ticks.h"
#include "songs/search_file_analysis.h"
#include "songs/shown_songs_model.h"
#include "songs/song_table_model.h"

#include <QAbstractItemModelTester>

#include <gtest/gtest.h>

#include <vector>

namespace {

SongTable songsWithCodes(const std::vector<QByteArray> &codes)
{
    QByteArray text;
    for (const QByteArray &code : codes)
        text += "x||" + code + "||p||n||x||x||c||l||s\r\n";
    return analyseSearchFile(text).table;
}

std::vector<int> ticked(const SongTableModel &model)
{
    std::vector<int> rows;
    for (int row = 0; row < model.rowCount(); ++row)
        if (model.table().isChecked(row))
            rows.push_back(row);
    return rows;
}

using Rows = std::vector<int>;

TEST(TickHistory, UndoAndRedoEachKindOfChange)
{
    SongTableModel model;
    model.setTable(songsWithCodes({ "1", "2", "3", "4" }));
    model.setData(model.index(1, 0), Qt::Checked, Qt::CheckStateRole);
    const std::vector<std::uint32_t> range { 2, 3 };
    model.setRowsChecked(range, true);
    model.setAllChecked(true);
    EXPECT_EQ(model.checkedCount(), 4);

    ASSERT_TRUE(model.undoTicks());
    EXPECT_EQ(ticked(model), (Rows { 1, 2, 3 })) << "全选 touched only row 0";
    ASSERT_TRUE(model.undoTicks());
    EXPECT_EQ(ticked(model), Rows { 1 });
    ASSERT_TRUE(model.redoTicks());
    EXPECT_EQ(ticked(model), (Rows { 1, 2, 3 }));
    EXPECT_EQ(model.checkedCount(), 3);

    const std::vector<qsizetype> picked { 0 };
    model.setRowsChecked(range, false);
    model.checkRows(picked);
    EXPECT_FALSE(model.redoTicks()) << "a new change drops what was undone";
    ASSERT_TRUE(model.undoTicks());
    ASSERT_TRUE(model.undoTicks());
    EXPECT_EQ(ticked(model), (Rows { 1, 2, 3 }));
}

TEST(TickHistory, KeepsAtLeastTwentyStepsAndForgetsThemWithTheTable)
{
    SongTableModel model;
    model.setTable(songsWithCodes({ "1", "2" }));
    for (int step = 0; step < 40; ++step)
        model.setData(
            model.index(0, 0), step % 2 ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
    int undone = 0;
    while (model.undoTicks())
        ++undone;
    EXPECT_GE(undone, 20);
    EXPECT_EQ(ticked(model), Rows {});

    model.setData(model.index(1, 0), Qt::Checked, Qt::CheckStateRole);
    model.setTable(songsWithCodes({ "1" }));
    EXPECT_FALSE(model.undoTicks());
}

TEST(CarriedTicks, EveryRowOfATickedCodeStaysTickedAndGoneCodesAreCounted)
{
    SongTable before = songsWithCodes({ "1", "2", "3", "3" });
    before.setChecked(0, true);
    before.setChecked(2, true);
    before.setChecked(3, true);
    SongTable after = songsWithCodes({ "3", "4", "3", "2" });
    const CarriedTicks carried = carryTicksByCode(before, after);
    EXPECT_EQ(carried.keptRows, 2);
    EXPECT_EQ(carried.droppedRows, 1) << "code 1 is gone";
    EXPECT_TRUE(after.isChecked(0));
    EXPECT_FALSE(after.isChecked(1));
    EXPECT_TRUE(after.isChecked(2));
    EXPECT_FALSE(after.isChecked(3));
}

TEST(ShownSongs, ShowsTheGivenRowsAndTicksTheirSongs)
{
    SongTableModel songs;
    ShownSongsModel shown(&songs);
    QAbstractItemModelTester tester(&shown, QAbstractItemModelTester::FailureReportingMode::Fatal);
    songs.setTable(songsWithCodes({ "1", "2", "3" }));
    EXPECT_EQ(shown.rowCount(), 3);
    shown.setRows({ 2, 0 });
    ASSERT_EQ(shown.rowCount(), 2);
    EXPECT_EQ(shown.index(0, 0).data().toString(), u"3"_qs);
    EXPECT_EQ(shown.shownRow(0), 1);
    EXPECT_EQ(shown.shownRow(1), -1);

    EXPECT_TRUE(shown.setData(shown.index(0, 0), Qt::Checked, Qt::CheckStateRole));
    EXPECT_EQ(ticked(songs), Rows { 2 });
    EXPECT_EQ(shown.index(0, 0).data(Qt::CheckStateRole).toInt(), Qt::Checked);
    EXPECT_EQ(shown.headerData(1, Qt::Horizontal).toString(), u"歌名"_qs);

    songs.setTable(songsWithCodes({ "7" }));
    EXPECT_EQ(shown.rowCount(), 1) << "a new table shows every song";
}

} // namespace
