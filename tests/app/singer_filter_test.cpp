#include "main_window_fixture.h"

#include "app/filter_chips.h"
#include "app/find_bar.h"
#include "app/suggestion_popup.h"
#include "songs/singer_suggestions.h"
#include "songs/song_filters.h"
#include "ui/core/gbk_text.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QMenu>
#include <QToolButton>

namespace {

// Three singers whose initials are clz, one of them also in a duet, and one more singer.
QByteArray singersSongs()
{
    QByteArray lines;
    int code = 200;
    const auto add = [&](const QString &name, const QString &singer, const QString &language) {
        const QByteArray number = QByteArray::number(++code);
        lines += "1||" + number + "||p\\" + number + ".mpg||" + Gbk::encode(name) + "||X||4||流行||"
            + Gbk::encode(language) + "||" + Gbk::encode(singer) + "\r\n";
    };
    add(u"一"_qs, u"蔡蓮志"_qs, u"國語"_qs);
    add(u"二"_qs, u"曾磊志"_qs, u"國語"_qs);
    add(u"三"_qs, u"蔡莲志"_qs, u"粵語"_qs);
    add(u"四"_qs, u"陳磊志"_qs, u"國語"_qs);
    add(u"五"_qs, u"周杰伦&蔡蓮志"_qs, u"粵語"_qs);
    add(u"六"_qs, u"周杰伦"_qs, u"國語"_qs);
    add(u"七"_qs, u"蔡蓮志"_qs, u"粵語"_qs);
    return lines;
}

class SingerFilter : public MainWindowTest
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(showActive());
        browseAndAnalyse(singersSongs());
        auto *suggestions = m_window.findChild<SingerSuggestions *>();
        ASSERT_TRUE(QTest::qWaitFor([suggestions] { return suggestions->singers() != nullptr; }));
        findField()->setFocus();
    }

    SuggestionPopup *popup() const { return control<FindBar>("查找栏")->singerSuggestions(); }
    QAbstractItemView *list() const { return static_cast<QAbstractItemView *>(popup()->list()); }

    // A key as a user presses it: to the open list, which hands typing on to the field.
    void press(Qt::Key key)
    {
        QWidget *target = QApplication::activePopupWidget();
        QTest::keyClick(target ? target : findField(), key);
    }
    void type(const QString &letters)
    {
        for (const QChar letter : letters) {
            QWidget *target = QApplication::activePopupWidget();
            QTest::keyClick(target ? target : findField(), letter.toLatin1());
        }
    }
    bool waitForList()
    {
        auto *suggestions = m_window.findChild<SingerSuggestions *>();
        return QTest::qWaitFor([&] { return !suggestions->isBusy() && popup()->isOpen(); });
    }
    QStringList listed() const
    {
        QStringList rows;
        for (int row = 0; row < list()->model()->rowCount(); ++row)
            rows.append(list()->model()->index(row, 0).data().toString());
        return rows;
    }
    QString fieldDescription() const
    {
        return QAccessible::queryAccessibleInterface(findField())->text(QAccessible::Description);
    }
    std::vector<QString> shownCodes() const
    {
        std::vector<QString> codes;
        QAbstractItemModel *shown = songTable()->model();
        for (int row = 0; row < shown->rowCount(); ++row)
            codes.push_back(shown->index(row, 0).data().toString());
        return codes;
    }
    // The pop-up menu of the song in this shown row, as a right-click opens it.
    QMenu *songMenu(int shownRow)
    {
        songTable()->selectRow(shownRow);
        emit songTable()->contextMenuRequested(songTable()->mapToGlobal(QPoint(10, 10)), false);
        auto *menu = control<QMenu>("菜单");
        EXPECT_TRUE(QTest::qWaitFor([menu] { return menu->isVisible(); }));
        return menu;
    }

    void chooseCantonese()
    {
        auto *languages = control<QMenu>("语种");
        ASSERT_TRUE(QTest::qWaitFor([languages] { return languages->actions().size() > 1; }));
        for (QAction *choice : languages->actions()) {
            if (choice->text().startsWith(u"粵語"_qs))
                choice->trigger();
        }
        waitUntilShown();
    }

    using Codes = std::vector<QString>;
};

} // namespace

TEST_F(SingerFilter, TypingGoesOnWhileTheListFollowsAndDownEnterChoosesASinger)
{
    type(u"cl"_qs);
    ASSERT_TRUE(waitForList());
    type(u"z"_qs);
    EXPECT_EQ(findField()->text(), u"clz"_qs) << "typing goes on into the field";
    ASSERT_TRUE(waitForList());
    EXPECT_EQ(
        listed(), (QStringList { u"蔡蓮志　4 首"_qs, u"曾磊志　1 首"_qs, u"陳磊志　1 首"_qs }));
    EXPECT_EQ(fieldDescription(), QString()) << "nothing chosen yet";

    press(Qt::Key_Down);
    EXPECT_EQ(list()->currentIndex().row(), 0);
    EXPECT_EQ(fieldDescription(), u"歌手 蔡蓮志，4 首"_qs) << "a screen reader hears the entry";
    press(Qt::Key_Down);
    EXPECT_EQ(fieldDescription(), u"歌手 曾磊志，1 首"_qs);
    press(Qt::Key_Up);
    EXPECT_EQ(findField()->text(), u"clz"_qs) << "browsing leaves the text as typed";

    press(Qt::Key_Return);
    EXPECT_FALSE(popup()->isOpen());
    EXPECT_EQ(findField()->text(), QString()) << "choosing empties the field";
    waitUntilShown();
    EXPECT_EQ(shownCodes(), (Codes { u"201"_qs, u"203"_qs, u"205"_qs, u"207"_qs }))
        << "both spellings and the duet";
    EXPECT_EQ(fieldDescription(), QString());
    checkAllBox()->click();
    EXPECT_EQ(checkedRows(), (std::vector<int> { 0, 2, 4, 6 }));
}

TEST_F(SingerFilter, EscapeClosesTheListAndEnterBeforeAnyEntryGoesOnToTheSongs)
{
    type(u"zjl"_qs);
    ASSERT_TRUE(waitForList());
    EXPECT_EQ(listed(), (QStringList { u"周杰伦　2 首"_qs }));
    press(Qt::Key_Escape);
    EXPECT_FALSE(popup()->isOpen());
    EXPECT_EQ(findField()->text(), u"zjl"_qs) << "Escape only closes the list";
    press(Qt::Key_Backspace);
    ASSERT_TRUE(waitForList()) << "a new keystroke opens it again";
    EXPECT_EQ(findField()->text(), u"zj"_qs);
    ASSERT_TRUE(waitForList());
    press(Qt::Key_Return);
    EXPECT_FALSE(popup()->isOpen());
    EXPECT_TRUE(songTable()->hasFocus()) << "on to the songs found, as without the list";
    waitUntilShown();
    EXPECT_EQ(shownCodes(), (Codes { u"205"_qs, u"206"_qs })) << "no singer filter";
}

TEST_F(SingerFilter, ThePopUpMenuOffersEachSingerOfADuetAndClearingShowsAllAgain)
{
    QMenu *menu = songMenu(4);
    QStringList texts;
    for (QAction *action : menu->actions())
        texts.append(action->text());
    ASSERT_GE(texts.size(), 4);
    EXPECT_EQ(texts.mid(0, 4),
        (QStringList {
            u"播放选中项"_qs, u"关于"_qs, u"只看歌手“周杰伦”"_qs, u"只看歌手“蔡蓮志”"_qs }));
    QAction *second = menu->actions()[3];
    menu->close();
    second->trigger();
    waitUntilShown();
    EXPECT_EQ(shownCodes(), (Codes { u"201"_qs, u"203"_qs, u"205"_qs, u"207"_qs }));

    menu = songMenu(1);
    EXPECT_EQ(menu->actions()[2]->text(), u"只看歌手“蔡莲志”"_qs) << "as this song writes it";
    menu->actions()[2]->trigger();
    EXPECT_EQ(
        m_window.findChild<SongFilters *>()->displayValue(SongFilters::Kind::Singer), u"蔡蓮志"_qs)
        << "the filter names the singer as most of the file writes it";
    waitUntilShown();
    auto *chips = control<FilterChips>("筛选条件");
    ASSERT_EQ(chips->chips().size(), 1);
    EXPECT_EQ(chips->chips()[0]->label(), u"歌手：蔡蓮志"_qs);
    chips->chips()[0]->click();
    waitUntilShown();
    EXPECT_TRUE(chips->chips().isEmpty());
    EXPECT_EQ(shownCodes().size(), 7u) << "the chip removes the singer filter";
    const QList<QAction *> actions = menu->actions();
    EXPECT_EQ(std::count_if(actions.begin(), actions.end(),
                  [](QAction *action) { return action->objectName() == u"只看歌手"_qs; }),
        1)
        << "the entries of the song before are gone";
    menu->close();

    control<QAction>("清除筛选")->trigger();
    waitUntilShown();
    EXPECT_EQ(shownCodes().size(), 7u);
    menu = songMenu(5);
    EXPECT_EQ(menu->actions()[2]->text(), u"只看歌手“周杰伦”"_qs);
    menu->actions()[2]->trigger();
    menu->close();
    waitUntilShown();
    EXPECT_EQ(shownCodes(), (Codes { u"205"_qs, u"206"_qs }));
}

TEST_F(SingerFilter, TheSingerCombinesWithTheLanguageTheNewSongsAndTheQuery)
{
    QMenu *menu = songMenu(0);
    QAction *onlyCai = menu->actions()[2];
    menu->close();
    onlyCai->trigger();
    waitUntilShown();
    ASSERT_EQ(shownCodes(), (Codes { u"201"_qs, u"203"_qs, u"205"_qs, u"207"_qs }));

    chooseCantonese();
    EXPECT_EQ(shownCodes(), (Codes { u"203"_qs, u"205"_qs, u"207"_qs }));

    m_dialogs.openManyAnswers.push_back({ writeFile(u"venue.txt"_qs, "207\r\n") });
    control<QAction>("已有歌曲")->trigger();
    EXPECT_TRUE(QTest::qWaitFor([this] { return status().contains(u"已有 "_qs); }));
    control<QAction>("只看新歌")->trigger();
    waitUntilShown();
    EXPECT_EQ(shownCodes(), (Codes { u"203"_qs, u"205"_qs }));

    findField()->setText(u"五"_qs);
    emit findField()->textEdited(u"五"_qs);
    waitUntilShown();
    EXPECT_EQ(shownCodes(), (Codes { u"205"_qs }));
    EXPECT_EQ(control<QToolButton>("筛选")->accessibleName(), u"筛选（3 项起作用）"_qs)
        << "the singer counts as a filter";
}

TEST_F(SingerFilter, SuggestionsCountTheSongsTheOtherFiltersShow)
{
    chooseCantonese();
    type(u"clz"_qs);
    ASSERT_TRUE(waitForList());
    EXPECT_EQ(listed(), (QStringList { u"蔡蓮志　3 首"_qs }))
        << "曾磊志 and 陳磊志 have no 粵語 song";

    press(Qt::Key_Down);
    press(Qt::Key_Return);
    waitUntilShown();
    EXPECT_EQ(shownCodes(), (Codes { u"203"_qs, u"205"_qs, u"207"_qs }));
    type(u"zjl"_qs);
    ASSERT_TRUE(waitForList());
    EXPECT_EQ(listed(), (QStringList { u"周杰伦　1 首"_qs }))
        << "the singer chosen does not narrow the counts of another";
}

TEST_F(SingerFilter, TwoSingersChosenInTurnAndTickedLeaveExactlyTheirSongsTicked)
{
    type(u"clz"_qs);
    ASSERT_TRUE(waitForList());
    press(Qt::Key_Down);
    press(Qt::Key_Return);
    waitUntilShown();
    checkAllBox()->click();

    control<QAction>("清除筛选")->trigger();
    waitUntilShown();
    QMenu *menu = songMenu(3);
    ASSERT_EQ(menu->actions()[2]->text(), u"只看歌手“陳磊志”"_qs);
    menu->actions()[2]->trigger();
    menu->close();
    waitUntilShown();
    checkAllBox()->click();

    control<QAction>("清除筛选")->trigger();
    waitUntilShown();
    EXPECT_EQ(shownCodes().size(), 7u);
    EXPECT_EQ(checkedRows(), (std::vector<int> { 0, 2, 3, 4, 6 }))
        << "蔡蓮志 in both spellings and the duet, and 陳磊志; no other";
}
