#include "main_window_fixture.h"

#include "preview/player_window.h"
#include "support/accessibility_events.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QGroupBox>
#include <QMenu>
#include <QPointer>
#include <QProgressBar>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QToolButton>

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
    auto *count = songCountLabel();
    EXPECT_EQ(name(count), u"当前歌曲数量"_qs);
    browseAndAnalyse(threeSongs());
    EXPECT_EQ(count->text(), u"3"_qs);
    EXPECT_EQ(name(count), u"当前歌曲数量：3"_qs);
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

TEST_F(ScreenReader, ThePlayerNamesEveryControlAndLabelAndIsAWindow)
{
    const QString song = writeFile(u"001.mpg"_qs, "not played");
    m_engine.nextTracks = ScriptedEngine::stereoTracks(1);
    m_engine.nextDuration = 95;
    PlayerWindow player(m_engine);
    player.show();
    player.play(song, u"歌"_qs, u"歌手甲"_qs, u"10000001"_qs);
    m_engine.seek(83, true);

    EXPECT_EQ(readerOf(&player)->role(), QAccessible::Window);
    const auto child
        = [&](const char *name) { return player.findChild<QWidget *>(QString::fromUtf8(name)); };
    EXPECT_EQ(name(child("已播时间")), u"已播放：01:23"_qs);
    EXPECT_EQ(name(child("总时间")), u"总时长：01:35"_qs);
    EXPECT_TRUE(spoken(child("媒体路径")).contains(QDir::toNativeSeparators(song)));
    EXPECT_EQ(name(child("歌曲信息")), u"歌手：歌手甲　编码：10000001"_qs);
    EXPECT_NE(description(child("歌曲信息")), name(child("歌曲信息")));

    QObject *form = child("原唱伴唱方式");
    EXPECT_EQ(name(form), static_cast<QWidget *>(form)->accessibleName());
    EXPECT_EQ(value(form), u"声道"_qs);

    QAccessibleInterface *seek = readerOf(child("进度"));
    ASSERT_NE(seek->valueInterface(), nullptr);
    EXPECT_DOUBLE_EQ(seek->valueInterface()->currentValue().toDouble(), 83.0);
    EXPECT_DOUBLE_EQ(seek->valueInterface()->maximumValue().toDouble(), 95.0);
    EXPECT_EQ(value(child("进度")), u"01:23"_qs);

    // Every control and label of the control bar, the volume icon among them.
    QStringList unnamed;
    for (QWidget *part : child("进度")->parentWidget()->findChildren<QWidget *>()) {
        if (qobject_cast<QLabel *>(part) || qobject_cast<QAbstractButton *>(part)
            || qobject_cast<QAbstractSlider *>(part) || qobject_cast<QComboBox *>(part))
            if (name(part).isEmpty())
                unnamed << part->metaObject()->className() + u' ' + part->objectName();
    }
    EXPECT_TRUE(unnamed.isEmpty()) << unnamed.join(u", "_qs).toStdString();
    const QList<QLabel *> labels = child("进度")->parentWidget()->findChildren<QLabel *>();
    EXPECT_TRUE(std::any_of(labels.begin(), labels.end(),
        [](QLabel *label) { return name(label) == u"音量"_qs && !label->pixmap().isNull(); }));
}

// What a screen reader is told as things change: the events the desktop's accessibility bus gets.
class SpokenChanges : public ScreenReader
{
protected:
    void SetUp() override
    {
        m_window.show();
        m_window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&m_window));
    }

    // The focus a screen reader was last told of is on the song shown in `row`, on its check box
    // cell, once the events of the way in have all been sent.
    bool focusEndsOnSong(int row)
    {
        return QTest::qWaitFor([&] {
            const AccessibilityEvents::Event focus = m_events.last(QAccessible::Focus);
            return focus.role == QAccessible::Cell && focus.row == row && focus.column == 0
                && focus.state.focused;
        });
    }

    std::vector<AccessibilityEvents::Event> tickChanges() const
    {
        std::vector<AccessibilityEvents::Event> ticks;
        for (const auto &event : m_events.of(QAccessible::StateChanged))
            if (event.role == QAccessible::Cell && event.changed.checked)
                ticks.push_back(event);
        return ticks;
    }

    QLabel *status() const { return control<QLabel>("查找状态"); }

    // The status's name changes so far, once the commands' posted work is done.
    std::size_t statusNameChanges()
    {
        QCoreApplication::sendPostedEvents();
        return m_events.of(QAccessible::NameChanged, status()).size();
    }

    AccessibilityEvents m_events;
};

TEST_F(SpokenChanges, ATickOfTheFocusedSongIsToldAsItsCellsChangeOfState)
{
    browseAndAnalyse(threeSongs());
    findField()->setFocus();
    QTest::keyClick(findField(), Qt::Key_Down);
    ASSERT_TRUE(focusEndsOnSong(0));

    m_events.clear();
    QTest::keyClick(songTable(), Qt::Key_Space);
    ASSERT_EQ(tickChanges().size(), 1u);
    EXPECT_EQ(tickChanges()[0].row, 0);
    EXPECT_EQ(tickChanges()[0].column, 0);
    EXPECT_TRUE(tickChanges()[0].state.checked);
    QTest::keyClick(songTable(), Qt::Key_Space);
    ASSERT_EQ(tickChanges().size(), 2u);
    EXPECT_FALSE(tickChanges()[1].state.checked) << "unticking is told as well";

    setChecked(2, true);
    EXPECT_EQ(tickChanges().size(), 2u) << "another song's tick leaves the focused cell as it was";
    checkAllBox()->click();
    ASSERT_EQ(tickChanges().size(), 3u) << "全选 ticks the focused song too";
    EXPECT_TRUE(tickChanges()[2].state.checked);
}

TEST_F(SpokenChanges, ATickChangeOfSeveralSongsIsAnnouncedWithItsCount)
{
    browseAndAnalyse(threeSongs());
    auto *bar = control<MessageBar>("消息栏");
    const auto announced = [&] {
        QStringList texts;
        for (const auto &event : m_events.of(QAccessible::Alert, bar))
            texts << event.name;
        return texts;
    };
    m_events.clear();
    checkAllBox()->click();
    checkAllBox()->click();
    control<QAction>("撤销勾选")->trigger();
    control<QAction>("重做勾选")->trigger();
    EXPECT_EQ(checkedRows(), std::vector<int> {});

    songTable()->setFocus();
    const QAbstractItemModel *shown = songTable()->model();
    songTable()->selectionModel()->select(QItemSelection(shown->index(0, 0), shown->index(1, 0)),
        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    QTest::keyClick(songTable(), Qt::Key_Space);
    EXPECT_EQ(checkedRows(), (std::vector<int> { 0, 1 }));
    control<QAction>("撤销勾选")->trigger();
    EXPECT_EQ(announced(),
        (QStringList { u"已勾选显示的 3 首"_qs, u"已取消勾选显示的 3 首"_qs,
            u"已撤销取消勾选 3 首"_qs, u"已重做取消勾选 3 首"_qs, u"已勾选选中的 2 首"_qs,
            u"已撤销勾选 2 首"_qs }));
}

TEST_F(SpokenChanges, TheFocusLandsOnTheCurrentSongWhicheverWayTheTableTakesIt)
{
    browseAndAnalyse(threeSongs());
    auto *table = songTable();

    findField()->setFocus();
    QTest::keyClicks(findField(), u"Song B"_qs);
    waitUntilShown();
    m_events.clear();
    QTest::keyClick(findField(), Qt::Key_Return);
    EXPECT_TRUE(focusEndsOnSong(0)) << "Enter from the find field";
    QTest::keyClick(findField(), Qt::Key_Escape);
    waitUntilShown();

    // A click on a song's name makes its check box cell the current one.
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
        table->visualRect(table->model()->index(2, 3)).center());
    EXPECT_EQ(table->currentIndex(), table->model()->index(2, 0));
    EXPECT_TRUE(focusEndsOnSong(2)) << "a click";

    checkAllBox()->setFocus();
    m_events.clear();
    QTest::keyClick(checkAllBox(), Qt::Key_Backtab);
    EXPECT_TRUE(focusEndsOnSong(2)) << "Shift+Tab from 全选";

    m_events.clear();
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(), QPoint());
    QApplication::sendEvent(table, &menuKey);
    auto *menu = control<QMenu>("菜单");
    ASSERT_TRUE(QTest::qWaitFor([&] { return menu->isVisible(); }));
    menu->close();
    EXPECT_TRUE(focusEndsOnSong(2)) << "back from the menu";

    // Another window, as a dialog, takes the activation and gives it back when it closes.
    QWidget dialog;
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    m_events.clear();
    dialog.close();
    m_window.activateWindow();
    EXPECT_TRUE(focusEndsOnSong(2)) << "back from a dialog";
}

TEST_F(SpokenChanges, ThePlayerTakesTheFocusEscapeClosesItAndTheFocusReturnsToTheSong)
{
    browseAndAnalyse(threeSongs());
    songTable()->setFocus();
    songTable()->selectRow(1);
    playSelectedAction()->trigger();
    QPointer<PlayerWindow> player = m_window.findChild<PlayerWindow *>();
    ASSERT_TRUE(player);
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == player; }));

    m_events.clear();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(player.isNull());
    m_window.activateWindow();
    EXPECT_TRUE(focusEndsOnSong(1));
}

TEST_F(SpokenChanges, MenusOpenedFromTheKeyboardStartOnTheirFirstItem)
{
    browseAndAnalyse(threeSongs());
    auto *filterButton = control<QToolButton>("筛选");
    auto *filterMenu = control<QMenu>("筛选菜单");
    for (const Qt::Key key : { Qt::Key_Space, Qt::Key_Down, Qt::Key_Return }) {
        QAction *selected = nullptr;
        // The menu runs its own loop until closed: closed once an item is selected, or after a
        // while when none is.
        const QMetaObject::Connection closeOnSelection
            = QObject::connect(filterMenu, &QMenu::hovered, filterMenu, [&](QAction *action) {
                  selected = action;
                  filterMenu->close();
              });
        QTimer::singleShot(5000, filterMenu, &QMenu::close);
        filterButton->setFocus();
        m_events.clear();
        QTest::keyClick(filterButton, key);
        QObject::disconnect(closeOnSelection);
        EXPECT_EQ(selected, filterMenu->actions().constFirst()) << "key " << key;
        EXPECT_EQ(m_events.last(QAccessible::Focus).name, u"语种"_qs) << "key " << key;
        EXPECT_FALSE(control<QMenu>("语种")->isVisible()) << "its submenu stays closed";
    }

    auto *menu = control<QMenu>("菜单");
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(), QPoint());
    QApplication::sendEvent(songTable(), &menuKey);
    EXPECT_TRUE(QTest::qWaitFor([&] { return menu->activeAction() == playSelectedAction(); }));
    menu->close();

    // The mouse chooses for itself.
    const QPoint onSong = songTable()->visualRect(songTable()->model()->index(0, 1)).center();
    QContextMenuEvent rightClick(
        QContextMenuEvent::Mouse, onSong, songTable()->viewport()->mapToGlobal(onSong));
    QApplication::sendEvent(songTable()->viewport(), &rightClick);
    ASSERT_TRUE(menu->isVisible());
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(menu->activeAction(), nullptr);
    menu->close();
}

TEST_F(SpokenChanges, TheStatusIsTheStatusBarToldOfEachResultOnce)
{
    QAccessibleInterface *line = readerOf(status());
    EXPECT_EQ(line->role(), QAccessible::StatusBar);
    browseAndAnalyse(threeSongs());
    EXPECT_EQ(name(status()), u"状态：显示 3 / 共 3 首　已选 0 首"_qs);

    m_events.clear();
    randomCountField()->setText(u"2"_qs);
    randomPickButton()->click();
    EXPECT_EQ(statusNameChanges(), 1u);
    EXPECT_EQ(name(status()), u"状态：显示 3 / 共 3 首　已选 2 首"_qs);
    EXPECT_TRUE(m_events.of(QAccessible::DescriptionChanged, status()).empty());

    m_events.clear();
    setChecked(0, !songModel()->isTicked(0));
    EXPECT_EQ(statusNameChanges(), 1u);
    m_events.clear();
    setChecked(0, !songModel()->isTicked(0));
    setChecked(0, !songModel()->isTicked(0));
    EXPECT_EQ(statusNameChanges(), 0u) << "no change, nothing told";
}

TEST_F(SpokenChanges, TheSourceViewTellsOfItsLinesByTheirOwnIndex)
{
    const auto focusIsOnLine = [&](const QString &text) {
        return QTest::qWaitFor([&] {
            const AccessibilityEvents::Event focus = m_events.last(QAccessible::Focus);
            return focus.role == QAccessible::ListItem && focus.name.contains(text)
                && focus.state.focused;
        });
    };
    sourceView()->setFocus();
    browse(writeFile(u"songs.txt"_qs, threeSongs()));
    EXPECT_TRUE(focusIsOnLine(u"Song A"_qs)) << "an opened file starts at its first line";

    browseButton()->setFocus();
    m_events.clear();
    sourceView()->setFocus();
    EXPECT_TRUE(focusIsOnLine(u"Song A"_qs)) << "back into the view";

    QTest::keyClick(sourceView(), Qt::Key_Down);
    EXPECT_TRUE(focusIsOnLine(u"Song B"_qs));
    EXPECT_TRUE(m_events.last(QAccessible::SelectionAdd).name.contains(u"Song B"_qs));
}

TEST_F(ScreenReader, TheRandomPickIsHeardWithItsGroupAndTheCountItWillUse)
{
    randomCountField()->setText(u"12.5"_qs);
    EXPECT_EQ(description(randomPickButton()), u"随机勾选 12 首"_qs);
    randomCountField()->setText(u"x"_qs);
    EXPECT_TRUE(description(randomPickButton()).startsWith(u"随机勾选"_qs));
    EXPECT_FALSE(description(randomPickButton()).contains(u"0 首"_qs));
}

TEST_F(SpokenChanges, AMissingSongIsAnAlertShownAnewForEachSong)
{
    browseAndAnalyse(threeSongs());
    songTable()->selectRow(0);
    playSelectedAction()->trigger();
    auto *player = m_window.findChild<PlayerWindow *>();
    ASSERT_NE(player, nullptr);
    auto *message = player->findChild<QLabel *>(u"提示"_qs);
    ASSERT_TRUE(QTest::qWaitFor([&] { return message->isVisible(); }));
    EXPECT_EQ(readerOf(message)->role(), QAccessible::AlertMessage);
    EXPECT_TRUE(name(message).startsWith(u"找不到要预览的歌曲文件"_qs));
    EXPECT_FALSE(m_events.of(QAccessible::ObjectShow, message).empty());

    m_events.clear();
    songTable()->selectRow(1);
    playSelectedAction()->trigger();
    EXPECT_EQ(m_events.of(QAccessible::ObjectShow, message).size(), 1u)
        << "the message already in sight is shown anew for the next song";
    player->close();
}

TEST_F(SpokenChanges, ThePlayingPositionIsToldOnceASecond)
{
    const QString song = writeFile(u"001.mpg"_qs, "not played");
    PlayerWindow player(m_engine);
    player.show();
    player.play(song, u"歌"_qs);
    QWidget *seek = player.findChild<QWidget *>(u"进度"_qs);
    m_events.clear();
    m_engine.playFor(3);
    EXPECT_EQ(m_events.of(QAccessible::ValueChanged, seek).size(), 3u);
    EXPECT_EQ(value(seek), u"00:03"_qs);
    EXPECT_LE(
        m_events.of(QAccessible::NameChanged, player.findChild<QLabel *>(u"已播时间"_qs)).size(),
        3u);
}
