#include "main_window_fixture.h"

#include "preview/player_window.h"
#include "songs/song_order.h"
#include "ui/core/gbk_text.h"
#include "ui/widgets/message_bar.h"

#include <QAccessible>
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

namespace {

// Six songs: two of one singer, three in Cantonese written the traditional way.
QByteArray venueSongs()
{
    QByteArray lines;
    const auto add = [&](const char *code, const QString &name, const QString &language,
                         const QString &singer) {
        lines += "1||" + QByteArray(code) + "||p\\" + code + ".mpg||" + Gbk::encode(name)
            + "||X||4||流行||" + Gbk::encode(language) + "||" + Gbk::encode(singer) + "\r\n";
    };
    add("101", u"稻香"_qs, u"國語"_qs, u"周杰倫"_qs);
    add("102", u"海闊天空"_qs, u"粵語"_qs, u"Beyond"_qs);
    add("103", u"晴天"_qs, u"國語"_qs, u"周杰倫"_qs);
    add("104", u"光輝歲月"_qs, u"粵語"_qs, u"Beyond"_qs);
    add("105", u"月亮代表我的心"_qs, u"國語"_qs, u"鄧麗君"_qs);
    add("106", u"千千闕歌"_qs, u"粵語"_qs, u"陳慧嫻"_qs);
    return lines;
}

class FindingSongs : public MainWindowTest
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(showActive());
        browseAndAnalyse(venueSongs());
    }

    QAbstractItemModel *shown() const { return songTable()->model(); }

    // Types as a user does (Chinese arrives committed by an input method, a character at a
    // time) and waits for the search behind it.
    void find(const QString &query)
    {
        auto *field = findField();
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Backspace);
        for (const QChar character : query) {
            if (character.unicode() < 0x80) {
                QTest::keyClick(field, character.toLatin1());
                continue;
            }
            QInputMethodEvent commit;
            commit.setCommitString(character);
            QCoreApplication::sendEvent(field, &commit);
        }
        waitUntilShown();
    }

    void clickHeader(int column)
    {
        QHeaderView *header = songTable()->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier,
            QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
        waitUntilShown();
    }

    std::vector<QString> shownCodes() const
    {
        std::vector<QString> codes;
        for (int row = 0; row < shown()->rowCount(); ++row)
            codes.push_back(shown()->index(row, 0).data().toString());
        return codes;
    }
};

using Codes = std::vector<QString>;

TEST_F(FindingSongs, TypingNarrowsTheTableAndTheStatusCountsShownAllAndTicked)
{
    EXPECT_EQ(status(), u"显示 6 / 共 6 首　已选 0 首"_qs);
    find(u"zhang 周杰伦"_qs);
    EXPECT_EQ(shownCodes(), Codes {}) << "every word must occur";
    find(u"周杰伦"_qs);
    EXPECT_EQ(shownCodes(), (Codes { u"101"_qs, u"103"_qs }));
    EXPECT_EQ(songCountLabel()->text(), u"2"_qs);
    setChecked(0, true);
    EXPECT_EQ(status(), u"显示 2 / 共 6 首　已选 1 首"_qs);
    auto *label = control<QLabel>("查找状态");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(label)->text(QAccessible::Name),
        u"状态："_qs + status());

    find(u"粤语 x"_qs);
    EXPECT_EQ(shownCodes(), (Codes { u"102"_qs, u"104"_qs, u"106"_qs }));
    QTest::keyClick(findField(), Qt::Key_Escape);
    EXPECT_EQ(findField()->text(), QString());
    EXPECT_EQ(shownCodes().size(), 6u) << "Escape clears the query";
    EXPECT_EQ(randomCountField()->text(), u"3"_qs) << "only the analysis proposes";
}

TEST_F(FindingSongs, CheckAllShowsWhetherNoneSomeOrAllShownSongsAreTicked)
{
    auto *checkAll = checkAllBox();
    find(u"粤语"_qs);
    checkAll->click();
    EXPECT_EQ(checkAll->checkState(), Qt::Checked);
    find(QString());
    EXPECT_EQ(checkAll->checkState(), Qt::PartiallyChecked) << "3 of 6 shown songs ticked";
    checkAll->click();
    EXPECT_EQ(checkedRows().size(), 6u) << "a partly checked 全选 ticks every shown song";
    EXPECT_EQ(checkAll->checkState(), Qt::Checked);

    setChecked(0, false);
    EXPECT_EQ(checkAll->checkState(), Qt::PartiallyChecked);
    QTest::keyClick(&m_window, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(checkAll->checkState(), Qt::Checked) << "undo brings the state back";
    checkAll->click();
    EXPECT_TRUE(checkedRows().empty());
    EXPECT_EQ(checkAll->checkState(), Qt::Unchecked);
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(checkAll);
    checkAll->click();
    setChecked(2, false);
    EXPECT_TRUE(accessible->state().checkStateMixed);
}

TEST_F(FindingSongs, CheckAllAndRandomPickActOnShownSongsAndExportWritesEveryTick)
{
    find(u"粤语"_qs);
    checkAllBox()->click();
    EXPECT_EQ(checkedRows(), (std::vector<int> { 1, 3, 5 }));
    checkAllBox()->click();
    EXPECT_TRUE(checkedRows().empty());

    randomCountField()->setText(u"4"_qs);
    randomPickButton()->click();
    EXPECT_EQ(m_dialogs.messages.size(), 1) << "more than the three shown";
    randomCountField()->setText(u"3"_qs);
    randomPickButton()->click();
    EXPECT_EQ(checkedRows(), (std::vector<int> { 1, 3, 5 }));
    setChecked(0, true);

    find(u"晴天"_qs);
    const QString target = m_dir.filePath(u"codes.txt"_qs);
    m_dialogs.saveAnswers.push_back(target);
    exportCodesButton()->click();
    QFile written(target);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), "101\r\n102\r\n104\r\n106\r\n") << "hidden ticks, file order";
}

TEST_F(FindingSongs, OnlyTickedShowsTheTickedSongsForReview)
{
    setChecked(4, true);
    setChecked(1, true);
    onlyTickedBox()->click();
    EXPECT_EQ(shownCodes(), (Codes { u"102"_qs, u"105"_qs }));
    find(u"月亮"_qs);
    EXPECT_EQ(shownCodes(), Codes { u"105"_qs });
    onlyTickedBox()->click();
    EXPECT_EQ(shownCodes(), Codes { u"105"_qs });
}

TEST_F(FindingSongs, ReanalysisKeepsTicksByCodeAndClearsTheQuery)
{
    find(u"國語"_qs);
    checkAllBox()->click();
    ASSERT_EQ(checkedRows(), (std::vector<int> { 0, 2, 4 }));
    // The file changes: 103 is gone, 101 now appears twice.
    QByteArray changed = venueSongs();
    changed.replace("||103||", "||101||");
    browse(writeFile(u"songs.txt"_qs, changed));
    analyse();
    EXPECT_EQ(checkedRows(), (std::vector<int> { 0, 2, 4 }));
    EXPECT_EQ(findField()->text(), QString());
    EXPECT_EQ(checkAllBox()->checkState(), Qt::PartiallyChecked);
    EXPECT_EQ(shownCodes().size(), 6u);
    EXPECT_EQ(status(), u"显示 6 / 共 6 首　已选 3 首"_qs);
    EXPECT_EQ(message(), u"重新分析：保留已选 3 首，舍弃 1 首"_qs);

    changed.replace("||101||", "||201||");
    browse(writeFile(u"songs.txt"_qs, changed));
    analyse();
    EXPECT_EQ(checkedRows(), std::vector<int> { 4 });
    EXPECT_EQ(message(), u"重新分析：保留已选 1 首，舍弃 2 首"_qs);
}

TEST_F(FindingSongs, SpaceTicksTheSelectedRangeAndCtrlZUndoesIt)
{
    auto *table = songTable();
    table->setFocus();
    table->setCurrentIndex(shown()->index(1, 2));
    QTest::keyClick(table, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(table, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(table, Qt::Key_Space);
    EXPECT_EQ(checkedRows(), (std::vector<int> { 1, 2, 3 }));
    setChecked(2, false);
    QTest::keyClick(table, Qt::Key_Space);
    EXPECT_EQ(checkedRows(), (std::vector<int> { 1, 2, 3 })) << "some unticked: all get ticked";
    QTest::keyClick(table, Qt::Key_Space);
    EXPECT_TRUE(checkedRows().empty()) << "all ticked: all get unticked";

    QTest::keyClick(table, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(checkedRows(), (std::vector<int> { 1, 2, 3 }));
    QTest::keyClick(table, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(checkedRows(), (std::vector<int> { 1, 3 }));
    QTest::keyClick(table, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(checkedRows(), (std::vector<int> { 1, 2, 3 }));

    QTest::keyClick(table, Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(findField()->hasFocus());
}

TEST_F(FindingSongs, TheCurrentSongStaysCurrentWhileItIsShown)
{
    auto *table = songTable();
    table->selectRow(2);
    find(u"周杰伦"_qs);
    ASSERT_EQ(table->selectedRow(), 1);
    playSelectedAction()->trigger();
    auto *player = m_window.findChild<PlayerWindow *>();
    ASSERT_NE(player, nullptr);
    EXPECT_EQ(player->windowTitle(), u"正在预览  晴天"_qs);
}

TEST_F(FindingSongs, HeaderClicksSortByPinyinThenReverseThenReturnToFileOrder)
{
    auto *table = songTable();
    clickHeader(1);
    // dao, guang, hai, qian, qing, yue: not the order of the characters' code points.
    EXPECT_EQ(
        shownCodes(), (Codes { u"101"_qs, u"104"_qs, u"102"_qs, u"106"_qs, u"103"_qs, u"105"_qs }));
    EXPECT_EQ(table->horizontalHeader()->sortIndicatorSection(), 1);
    find(u"粤语"_qs);
    EXPECT_EQ(shownCodes(), (Codes { u"104"_qs, u"102"_qs, u"106"_qs })) << "the shown, sorted";
    clickHeader(1);
    EXPECT_EQ(shownCodes(), (Codes { u"106"_qs, u"102"_qs, u"104"_qs }));
    EXPECT_EQ(table->horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);
    clickHeader(1);
    EXPECT_EQ(shownCodes(), (Codes { u"102"_qs, u"104"_qs, u"106"_qs }));
    EXPECT_EQ(table->horizontalHeader()->sortIndicatorSection(), -1);

    clickHeader(2);
    const QString target = m_dir.filePath(u"codes.txt"_qs);
    setChecked(5, true);
    setChecked(1, true);
    m_dialogs.saveAnswers.push_back(target);
    exportCodesButton()->click();
    QFile written(target);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), "102\r\n106\r\n") << "the export keeps file order";
}

} // namespace

TEST_F(FindingSongs, AUtf8FileIsFoundAsItsCharactersRead)
{
    browseAndAnalyse(u"1||201||a.mpg||稻香||DX||4||流行||國語||周杰倫\r\n"
                     u"1||202||b.mpg||海闊天空||HKTK||4||流行||粵語||Beyond\r\n"_qs.toUtf8());
    find(u"粤语"_qs);
    EXPECT_EQ(shownCodes(), Codes { u"202"_qs });
    find(u"周杰伦 dx"_qs);
    EXPECT_EQ(shownCodes(), Codes { u"201"_qs });
}

using ReviewingTicks = MainWindowTest;

TEST_F(ReviewingTicks, OnlyTickedOpensTheListAtItsTopWhereverTheWholeListWasScrolled)
{
    ASSERT_TRUE(showActive());
    QByteArray lines;
    for (int song = 0; song < 300; ++song)
        lines += songLine(QByteArray::number(10000000 + song)) + "\r\n";
    browseAndAnalyse(lines);
    // More ticked songs than the list shows at once, the last one current.
    for (int row = 3; row < 300; row += 8)
        setChecked(row, true);
    // The user was working near the end of the whole list.
    const QModelIndex late = songTable()->model()->index(299, 0);
    songTable()->selectionModel()->setCurrentIndex(
        late, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    songTable()->scrollToBottom();
    ASSERT_GT(songTable()->verticalScrollBar()->value(), 0);

    onlyTickedBox()->click();
    waitUntilShown();
    ASSERT_EQ(songTable()->model()->rowCount(), 38);
    EXPECT_EQ(songTable()->verticalScrollBar()->value(), 0);
    EXPECT_EQ(songTable()->currentIndex().row(), 0);
    EXPECT_EQ(songTable()->currentIndex().data().toString(), u"10000003"_qs);
    EXPECT_EQ(songTable()->rowAt(0), 0) << "the first ticked song is in sight";
}

using CountText = MainWindowTest;

namespace {

// Songs coded 10000000 on, one a line.
QByteArray numberedSongs(int count)
{
    QByteArray lines;
    for (int song = 0; song < count; ++song)
        lines += songLine(QByteArray::number(10000000 + song)) + "\r\n";
    return lines;
}

} // namespace

TEST_F(CountText, CountsReadWithSeparatorsWhileTheRandomCountAndTheCodesStayPlain)
{
    browseAndAnalyse(numberedSongs(2400));
    EXPECT_TRUE(status().startsWith(u"显示 2,400 / 共 2,400 首　已选 0 首"_qs))
        << status().toStdString();
    EXPECT_EQ(songCountLabel()->text(), u"2400"_qs) << "标签4 keeps the plain number";
    EXPECT_EQ(randomCountField()->text(), u"1200"_qs) << "as 编辑框3 does";

    randomCountField()->setText(u"1200"_qs);
    randomPickButton()->click();
    EXPECT_TRUE(status().contains(u"已选 1,200 首"_qs)) << status().toStdString();
    EXPECT_EQ(message(), u"随机选中 1,200 首"_qs);
    copyCodesAction()->trigger();
    EXPECT_EQ(message(), u"已复制 1,200 个编码"_qs);
    EXPECT_FALSE(QGuiApplication::clipboard()->text().contains(u','));

    const QString exported = m_dir.filePath(u"codes.txt"_qs);
    m_dialogs.saveAnswers.push_back(exported);
    exportCodesButton()->click();
    EXPECT_TRUE(message().startsWith(u"已导出 1,200 个编码"_qs)) << message().toStdString();
    QFile written(exported);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QByteArray codes = written.readAll();
    EXPECT_EQ(codes.count("\r\n"), 1200);
    EXPECT_FALSE(codes.contains(','));
}

using CommandResults = MainWindowTest;

TEST_F(CommandResults, APickShowsWholeInTheMessageBarAndItsUndoTakesItBack)
{
    browseAndAnalyse(numberedSongs(40));
    auto *bar = control<MessageBar>("消息栏");
    EXPECT_TRUE(bar->isHidden()) << "nothing done yet";

    randomCountField()->setText(u"7"_qs);
    randomPickButton()->click();
    ASSERT_FALSE(bar->isHidden());
    EXPECT_EQ(bar->text(), u"随机选中 7 首"_qs);
    ASSERT_EQ(bar->actionButtons().size(), 1);
    EXPECT_EQ(bar->actionButtons().constFirst()->text(), u"撤销"_qs);
    EXPECT_EQ(songModel()->tickedSongCount(), 7);

    bar->actionButtons().constFirst()->click();
    EXPECT_EQ(songModel()->tickedSongCount(), 0) << "the whole pick, one step";

    copyCodesAction()->trigger();
    EXPECT_EQ(bar->text(), u"已复制 0 个编码"_qs) << "the next command's result replaces it";
    EXPECT_TRUE(bar->actionButtons().isEmpty()) << "a copy has nothing to take back";
}
