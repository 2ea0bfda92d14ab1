#include "main_window_fixture.h"

#include "preview/player_window.h"

#include <QApplication>
#include <QHeaderView>

// Reaching a song quickly: a double-click plays it, Down or Enter in the find field goes to the
// first song found.
class SongAccess : public MainWindowTest
{
protected:
    void SetUp() override
    {
        m_window.show();
        m_window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&m_window));
        browseAndAnalyse(threeSongs());
    }

    SongTableView *table() const { return songTable(); }
    QPoint cellCentre(int row, int column) const
    {
        return table()->visualRect(table()->model()->index(row, column)).center();
    }
    int currentSong() const
    {
        const int shownRow = table()->selectedRow();
        return shownRow < 0
            ? -1
            : static_cast<int>(m_window.findChild<ShownSongsModel *>()->tableRow(shownRow));
    }
};

TEST_F(SongAccess, ADoubleClickOnASongPlaysItButNotOnItsCheckBox)
{
    const QRect box = table()->visualRect(table()->model()->index(0, 0));
    QTest::mouseDClick(table()->viewport(), Qt::LeftButton, {},
        QPoint(box.left() + table()->horizontalHeader()->sectionSize(0) / 8, box.center().y()));
    EXPECT_EQ(m_window.findChild<PlayerWindow *>(), nullptr) << "the check box only ticks";

    QTest::mouseDClick(table()->viewport(), Qt::LeftButton, {}, cellCentre(2, 1));
    auto *player = m_window.findChild<PlayerWindow *>();
    ASSERT_NE(player, nullptr);
    EXPECT_EQ(player->windowTitle(), u"正在预览  Song C"_qs);
    EXPECT_EQ(player->requestedAddress(), songFolderLabel()->text() + u"a\\001.mpg"_qs);
    EXPECT_EQ(currentSong(), 2);
    player->close();
}

TEST_F(SongAccess, DownOrEnterInTheFindFieldGoesToTheFirstSongShown)
{
    auto *field = findField();
    table()->selectRow(2);
    field->setFocus();
    QTest::keyClick(field, Qt::Key_Down);
    EXPECT_EQ(QApplication::focusWidget(), table());
    EXPECT_EQ(currentSong(), 0);

    for (const Qt::Key key : { Qt::Key_Return, Qt::Key_Enter }) {
        field->setFocus();
        QTest::keyClicks(field, u"Song B"_qs);
        ASSERT_TRUE(QTest::qWaitFor([&] { return table()->model()->rowCount() == 1; }, 5000));
        QTest::keyClick(field, key);
        EXPECT_EQ(QApplication::focusWidget(), table());
        EXPECT_EQ(currentSong(), 1);
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Backspace);
    }
}
