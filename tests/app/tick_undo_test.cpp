#include "app/tick_undo.h"

#include "songs/search_file_analysis.h"
#include "songs/song_table_model.h"

#include <QAction>

#include <gtest/gtest.h>

#include <vector>

namespace {

std::shared_ptr<const SongTable> songsWithCodes(const std::vector<QByteArray> &codes)
{
    QByteArray text;
    for (const QByteArray &code : codes)
        text += "x||" + code + "||p||n||x||x||c||l||s\r\n";
    return std::make_shared<const SongTable>(analyseSearchFile(text).table);
}

using Rows = std::vector<int>;

class TickUndoTest : public testing::Test
{
protected:
    Rows ticked() const
    {
        Rows rows;
        for (int row = 0; row < m_songs.rowCount(); ++row)
            if (m_songs.isTicked(row))
                rows.push_back(row);
        return rows;
    }

    void undo() { m_undo.undoAction()->trigger(); }
    void redo() { m_undo.redoAction()->trigger(); }

    SongTableModel m_songs;
    TickUndo m_undo { &m_songs };
};

TEST_F(TickUndoTest, UndoAndRedoEachKindOfChange)
{
    m_songs.setTable(songsWithCodes({ "1", "2", "3", "4" }));
    m_songs.setData(m_songs.index(1, 0), Qt::Checked, Qt::CheckStateRole);
    const std::vector<std::uint32_t> range { 2, 3 };
    m_songs.setRowsTicked(range, true);
    m_songs.setAllTicked(true);
    EXPECT_EQ(m_songs.tickedSongCount(), 4);

    undo();
    EXPECT_EQ(ticked(), (Rows { 1, 2, 3 })) << "全选 touched only row 0";
    undo();
    EXPECT_EQ(ticked(), Rows { 1 });
    redo();
    EXPECT_EQ(ticked(), (Rows { 1, 2, 3 }));
    EXPECT_EQ(m_songs.tickedSongCount(), 3);

    m_songs.setRowsTicked(range, false);
    EXPECT_FALSE(m_undo.redoAction()->isEnabled()) << "a new change drops what was undone";
    undo();
    EXPECT_EQ(ticked(), (Rows { 1, 2, 3 }));
}

TEST_F(TickUndoTest, AFewRowsAndMostRowsOfALargerTableAreUndoneExactly)
{
    // A few rows are kept as a list, most of a table as a mark a row: both undo alike.
    std::vector<QByteArray> codes;
    for (int code = 0; code < 1000; ++code)
        codes.push_back(QByteArray::number(code));
    m_songs.setTable(songsWithCodes(codes));
    const std::vector<std::uint32_t> few { 998, 7, 500 };
    m_songs.setRowsTicked(few, true);
    std::vector<std::uint32_t> most;
    for (std::uint32_t row = 3; row < 1000; row += 2)
        most.push_back(row);
    m_songs.setRowsTicked(most, true);
    EXPECT_EQ(m_songs.tickedSongCount(), 501) << "7 was ticked already";
    m_songs.setAllTicked(false);

    QStringList notes;
    QObject::connect(&m_undo, &TickUndo::noted, [&notes](const QString &note) { notes << note; });
    undo();
    EXPECT_EQ(m_songs.tickedSongCount(), 501);
    undo();
    EXPECT_EQ(ticked(), (Rows { 7, 500, 998 }));
    redo();
    EXPECT_EQ(m_songs.tickedSongCount(), 501);
    EXPECT_TRUE(m_songs.isTicked(3) && m_songs.isTicked(999) && !m_songs.isTicked(4));
    EXPECT_EQ(notes,
        (QStringList {
            u"已撤销取消勾选 501 首"_qs, u"已撤销勾选 498 首"_qs, u"已重做勾选 498 首"_qs }));
}

TEST_F(TickUndoTest, TheActionsAreDisabledWithNothingToUndoOrRedo)
{
    EXPECT_FALSE(m_undo.undoAction()->isEnabled());
    EXPECT_FALSE(m_undo.redoAction()->isEnabled());
    m_songs.setTable(songsWithCodes({ "1" }));
    m_songs.setAllTicked(true);
    EXPECT_TRUE(m_undo.undoAction()->isEnabled());
    undo();
    EXPECT_FALSE(m_undo.undoAction()->isEnabled());
    EXPECT_TRUE(m_undo.redoAction()->isEnabled());
    m_songs.setAllTicked(false);
    EXPECT_FALSE(m_undo.undoAction()->isEnabled()) << "unticking nothing is no step";
}

TEST_F(TickUndoTest, KeepsItsLimitOfStepsAndForgetsThemWithTheTable)
{
    m_songs.setTable(songsWithCodes({ "1", "2" }));
    for (int step = 0; step < TickUndo::maxSteps + 10; ++step)
        m_songs.setData(
            m_songs.index(0, 0), step % 2 ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
    int undone = 0;
    while (m_undo.undoAction()->isEnabled()) {
        undo();
        ++undone;
    }
    EXPECT_EQ(undone, TickUndo::maxSteps);
    EXPECT_EQ(ticked(), Rows {}) << "sixty steps, fifty undone, an even number in all";

    m_songs.setData(m_songs.index(1, 0), Qt::Checked, Qt::CheckStateRole);
    m_songs.setTable(songsWithCodes({ "1" }));
    EXPECT_FALSE(m_undo.undoAction()->isEnabled());
}

} // namespace
