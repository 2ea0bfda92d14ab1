#include "main_window_fixture.h"

#include "preview/player_window.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QProgressBar>
#include <QSlider>
#include <QTest>

// What a screen reader reads of the windows: names, values, states and roles of their controls,
// through the same accessibility interfaces the desktop's accessibility bus is served from.
class ScreenReader : public MainWindowTest
{
protected:
    static QAccessibleInterface *readerOf(QObject *object)
    {
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(object);
        if (!accessible)
            ADD_FAILURE() << "nothing accessible for " << object->objectName().toStdString();
        return accessible;
    }
    static QString name(QObject *object) { return readerOf(object)->text(QAccessible::Name); }
    static QString description(QObject *object)
    {
        return readerOf(object)->text(QAccessible::Description);
    }
    static QString value(QObject *object) { return readerOf(object)->text(QAccessible::Value); }

    // Name and value together, as a reader speaks a control.
    static QString spoken(QObject *object) { return name(object) + u' ' + value(object); }
};

TEST_F(ScreenReader, TheSongCountIsReadWithWhatItCounts)
{
    browseAndAnalyse(threeSongs());
    auto *count = songCountLabel();
    EXPECT_TRUE(spoken(count).contains(u"3"_qs)) << spoken(count).toStdString();
    EXPECT_FALSE(description(count).isEmpty());
}

TEST_F(ScreenReader, TheRandomCountIsNamedAfterItsCaptionAndItsFrameHasANameOfItsOwn)
{
    EXPECT_TRUE(name(randomCountField()).startsWith(u"随机机率"_qs))
        << name(randomCountField()).toStdString();
    const QString frame = name(control<QGroupBox>("分组框3"));
    EXPECT_FALSE(frame.isEmpty());
    EXPECT_NE(frame.trimmed(), u"分析"_qs);
}

TEST_F(ScreenReader, TheProgressBarHasAName)
{
    EXPECT_FALSE(name(workbookProgressBar()).isEmpty());
}

TEST_F(ScreenReader, EverySongRowCanBeTickedAndSaysWhetherItIs)
{
    browseAndAnalyse(threeSongs());
    setChecked(1, true);
    QAccessibleInterface *table = readerOf(songTable());
    QAccessibleTableInterface *cells = table->tableInterface();
    ASSERT_NE(cells, nullptr);
    for (int row = 0; row < 3; ++row) {
        QAccessibleInterface *code = cells->cellAt(row, 0);
        EXPECT_TRUE(code->state().checkable) << "row " << row;
        EXPECT_EQ(bool(code->state().checked), row == 1) << "row " << row;
        EXPECT_FALSE(code->text(QAccessible::Description).isEmpty()) << "row " << row;
    }
    EXPECT_NE(cells->cellAt(0, 0)->text(QAccessible::Description),
        cells->cellAt(1, 0)->text(QAccessible::Description));
}

TEST_F(ScreenReader, TheSourceViewIsAListOfItsLines)
{
    m_window.show();
    browse(writeFile(u"songs.txt"_qs, threeSongs()));
    QAccessibleInterface *view = readerOf(control<QWidget>("编辑框1"));
    EXPECT_EQ(view->role(), QAccessible::List);
    ASSERT_EQ(view->childCount(), 3);
    QAccessibleInterface *second = view->child(1);
    EXPECT_EQ(second->role(), QAccessible::ListItem);
    EXPECT_TRUE(second->text(QAccessible::Name).contains(u"Song B"_qs));
    EXPECT_EQ(view->indexOfChild(second), 1);
    EXPECT_EQ(second->parent(), view);
    EXPECT_EQ(view->childAt(second->rect().center().x(), second->rect().center().y()), second);

    browse(writeFile(u"other.txt"_qs, songLine("10000009", "Song Z")));
    ASSERT_EQ(view->childCount(), 1);
    EXPECT_TRUE(view->child(0)->text(QAccessible::Name).contains(u"Song Z"_qs));
}

TEST_F(ScreenReader, TheMainWindowIsAWindow)
{
    EXPECT_EQ(readerOf(&m_window)->role(), QAccessible::Window);
    EXPECT_EQ(name(&m_window), u"澜杉V1.1"_qs);
}

TEST_F(ScreenReader, ThePlayerReadsItsTimesPathAndListNamesAndIsAWindow)
{
    const QString song = writeFile(u"001.mpg"_qs, "not played");
    m_engine.nextTracks = ScriptedEngine::stereoTracks(1);
    m_engine.nextDuration = 95;
    PlayerWindow player(m_engine);
    player.show();
    player.play(song, u"歌"_qs);
    m_engine.seek(83, true);

    EXPECT_EQ(readerOf(&player)->role(), QAccessible::Window);
    const auto child
        = [&](const char *name) { return player.findChild<QWidget *>(QString::fromUtf8(name)); };
    EXPECT_TRUE(spoken(child("已播时间")).contains(u"01:23"_qs))
        << spoken(child("已播时间")).toStdString();
    EXPECT_TRUE(spoken(child("总时间")).contains(u"01:35"_qs));
    EXPECT_TRUE(spoken(child("媒体路径")).contains(QDir::toNativeSeparators(song)));
    EXPECT_FALSE(description(child("已播时间")).isEmpty());

    QObject *form = child("原唱伴唱方式");
    EXPECT_EQ(name(form), static_cast<QWidget *>(form)->accessibleName());
    EXPECT_EQ(value(form), u"声道"_qs);

    QAccessibleInterface *seek = readerOf(child("进度"));
    ASSERT_NE(seek->valueInterface(), nullptr);
    EXPECT_DOUBLE_EQ(seek->valueInterface()->currentValue().toDouble(), 83.0);
    EXPECT_DOUBLE_EQ(seek->valueInterface()->maximumValue().toDouble(), 95.0);
    EXPECT_EQ(value(child("进度")), u"01:23"_qs);
}
