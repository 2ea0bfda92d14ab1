#include "main_window_fixture.h"

#include "app/filter_chips.h"

#include "songs/song_filters.h"
#include "ui/core/gbk_text.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QMenu>
#include <QSet>
#include <QStringEncoder>
#include <QTimer>
#include <QToolButton>

namespace {

// Six songs: the language written both ways, and two songs each under a second code in the
// other form (10000003 = 10000001, 10000005 = 10000002).
QByteArray venueSongs()
{
    QByteArray lines;
    const auto add = [&](const char *code, const QString &name, const QString &category,
                         const QString &language, const QString &singer) {
        lines += "1||" + QByteArray(code) + "||p\\" + code + ".mpg||" + Gbk::encode(name)
            + "||X||4||" + Gbk::encode(category) + "||" + Gbk::encode(language) + "||"
            + Gbk::encode(singer) + "\r\n";
    };
    add("10000001", u"稻香"_qs, u"流行"_qs, u"國語"_qs, u"周杰倫"_qs);
    add("10000002", u"海闊天空"_qs, u"經典"_qs, u"粵語"_qs, u"Beyond"_qs);
    add("10000003", u"稻香"_qs, u"流行"_qs, u"国语"_qs, u"周杰伦"_qs);
    add("10000004", u"光輝歲月"_qs, u"經典"_qs, u"粵語"_qs, u"Beyond"_qs);
    add("10000005", u"海阔天空"_qs, u"流行"_qs, u"粤语"_qs, u"beyond"_qs);
    add("10000006", u"月亮代表我的心"_qs, u"流行"_qs, u"國語"_qs, u"鄧麗君"_qs);
    return lines;
}

using Codes = std::vector<QString>;

class VenueFiltersTest : public MainWindowTest
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(showActive());
        browseAndAnalyse(venueSongs());
        waitForStatus(u"显示 6 / 共 6 首"_qs);
        ASSERT_TRUE(QTest::qWaitFor([this] { return menu("语种")->actions().size() > 1; }));
    }

    QMenu *menu(const char *name) const { return control<QMenu>(name); }
    QAction *action(const char *name) const { return control<QAction>(name); }

    QStringList choices(const char *menuName) const
    {
        QStringList texts;
        for (QAction *choice : menu(menuName)->actions())
            texts << choice->text();
        return texts;
    }

    // The choice whose text starts with `spelling`.
    void choose(const char *menuName, const QString &spelling)
    {
        for (QAction *choice : menu(menuName)->actions())
            if (choice->text().startsWith(spelling)) {
                choice->trigger();
                waitUntilShown();
                return;
            }
        ADD_FAILURE() << "no choice " << spelling.toStdString();
    }

    void toggle(const char *name)
    {
        action(name)->trigger();
        waitUntilShown();
    }

    void find(const QString &query)
    {
        findField()->setText(query);
        emit findField()->textEdited(query);
        waitUntilShown();
    }

    // The venue's files and duplicates are found in the background.
    void waitForStatus(const QString &part)
    {
        EXPECT_TRUE(QTest::qWaitFor([&] { return status().contains(part); }, 30000))
            << status().toStdString() << " lacks " << part.toStdString();
    }
    void waitForMessage(const QString &part)
    {
        EXPECT_TRUE(QTest::qWaitFor([&] { return message().contains(part); }, 30000))
            << message().toStdString() << " lacks " << part.toStdString();
    }

    Codes shownCodes() const
    {
        QAbstractItemModel *shown = songTable()->model();
        Codes codes;
        for (int row = 0; row < shown->rowCount(); ++row)
            codes.push_back(shown->index(row, 0).data().toString());
        return codes;
    }

    void chooseVenueFiles(const QStringList &paths)
    {
        m_dialogs.openManyAnswers.push_back(paths);
        action("已有歌曲")->trigger();
        waitForMessage(u"已有歌曲："_qs);
        waitForStatus(u"已有 "_qs);
    }

    void importCodes(const QByteArray &list)
    {
        m_dialogs.openAnswers.push_back(writeFile(u"import.txt"_qs, list));
        action("导入编码")->trigger();
        waitForMessage(u"导入编码："_qs);
    }

    void pick(int count)
    {
        randomCountField()->setText(QString::number(count));
        randomPickButton()->click();
    }
};

TEST_F(VenueFiltersTest, LanguageAndCategoryListTheirCountsFoldedAndCombineWithQueryAndTicks)
{
    EXPECT_EQ(
        choices("语种"), (QStringList { u"全部"_qs, u"國語（3 首）"_qs, u"粵語（3 首）"_qs }));
    EXPECT_EQ(
        choices("类别"), (QStringList { u"全部"_qs, u"流行（4 首）"_qs, u"經典（2 首）"_qs }));

    choose("语种", u"粵語"_qs);
    EXPECT_EQ(shownCodes(), (Codes { u"10000002"_qs, u"10000004"_qs, u"10000005"_qs }));
    EXPECT_EQ(songCountLabel()->text(), u"3"_qs);
    choose("类别", u"流行"_qs);
    EXPECT_EQ(shownCodes(), Codes { u"10000005"_qs });
    choose("类别", u"全部"_qs);
    find(u"光"_qs);
    EXPECT_EQ(shownCodes(), Codes { u"10000004"_qs }) << "the query narrows the language";
    find(QString());
    setChecked(1, true);
    setChecked(0, true);
    onlyTickedBox()->click();
    waitUntilShown();
    EXPECT_EQ(shownCodes(), Codes { u"10000002"_qs }) << "only the ticked songs of the language";
    EXPECT_TRUE(status().startsWith(u"显示 1 / 共 6 首　已选 2 首"_qs)) << status().toStdString();
    onlyTickedBox()->click();
    waitUntilShown();

    checkAllBox()->click();
    EXPECT_EQ(checkedRows(), (std::vector<int> { 0, 1, 3, 4 })) << "全选 ticks the shown songs";

    analyse();
    waitUntilShown();
    EXPECT_EQ(shownCodes().size(), 6u) << "a new analysis shows every language again";
    EXPECT_TRUE(QTest::qWaitFor([this] { return menu("语种")->actions().size() == 3; }));
    EXPECT_TRUE(menu("语种")->actions().first()->isChecked());
    EXPECT_TRUE(menu("类别")->actions().first()->isChecked());
}

TEST_F(VenueFiltersTest, SongsTheVenueHasFromACodeListAndASearchFileAreHiddenAndCounted)
{
    const QString list = writeFile(u"installed.txt"_qs,
        "\xEF\xBB\xBF" + Gbk::encode(u"编码"_qs) + "\r\n10000001\r\n  10000002 \r\n\r\nabc\r\n");
    const QString searchFile = writeFile(
        u"last_month.txt"_qs, songLine("10000004") + "\r\n" + songLine("10000099") + "\r\n");
    chooseVenueFiles({ list, searchFile });
    EXPECT_TRUE(status().contains(u"已有 3 首"_qs)) << status().toStdString();
    EXPECT_TRUE(message().contains(u"2 个文件，4 个编码"_qs)) << message().toStdString();
    EXPECT_TRUE(message().contains(u"跳过 3 行"_qs) && message().contains(u"第 1、4、5 行"_qs))
        << message().toStdString();
    EXPECT_TRUE(m_dialogs.messages.isEmpty()) << "skipped lines are a note, not a message";

    toggle("只看新歌");
    EXPECT_EQ(shownCodes(), (Codes { u"10000003"_qs, u"10000005"_qs, u"10000006"_qs }));
    EXPECT_TRUE(status().contains(u"已隐藏已有 3 首"_qs)) << status().toStdString();
    choose("语种", u"國語"_qs);
    EXPECT_EQ(shownCodes(), (Codes { u"10000003"_qs, u"10000006"_qs }));
    EXPECT_TRUE(status().contains(u"已隐藏已有 1 首"_qs)) << "of the language's songs";
    toggle("只看新歌");
    EXPECT_TRUE(status().contains(u"显示 3 / 共 6 首"_qs) && status().contains(u"已有 1 首"_qs))
        << status().toStdString();

    // A bad choice keeps the files chosen before.
    m_dialogs.openManyAnswers.push_back({ m_dir.filePath(u"nowhere.txt"_qs) });
    action("已有歌曲")->trigger();
    EXPECT_TRUE(QTest::qWaitFor([this] { return !m_dialogs.messages.isEmpty(); }));
    EXPECT_TRUE(m_dialogs.messages.value(0).contains(u"nowhere.txt"_qs));
    waitUntilShown();
    EXPECT_TRUE(status().contains(u"已有 1 首"_qs)) << status().toStdString();

    // A new window reads the remembered files again; one that has gone is named, once.
    ASSERT_TRUE(QFile::remove(searchFile));
    AppState state(m_state.path());
    state.load();
    EXPECT_EQ(state.venueSongFiles(), (QStringList { list, searchFile }));
    ScriptedDialogs dialogs;
    MainWindow window(
        dialogs, [this]() -> PlaybackEngine & { return m_engine; }, state);
    auto *newStatus = window.findChild<QLabel *>(u"查找状态"_qs);
    auto *newMessage = window.findChild<MessageBar *>(u"消息栏"_qs);
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return newMessage->text().contains(u"无法读取“last_month.txt”"_qs);
    })) << newMessage->text().toStdString();
    dialogs.openAnswers.push_back(m_dir.filePath(u"songs.txt"_qs));
    window.findChild<QPushButton *>(u"按钮2"_qs)->click();
    auto *job = window.findChild<FileLoadJob *>();
    ASSERT_TRUE(QTest::qWaitFor([job] { return !job->isRunning(); }));
    window.findChild<QPushButton *>(u"按钮1"_qs)->click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return newStatus->text().contains(u"已有 2 首"_qs); }))
        << newStatus->text().toStdString();
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_TRUE(state.venueSongFiles() == QStringList { list }) << "the gone file is forgotten";

    ASSERT_TRUE(QFile::remove(list));
    AppState lastState(m_state.path());
    lastState.load();
    MainWindow last(
        dialogs, [this]() -> PlaybackEngine & { return m_engine; }, lastState);
    auto *lastMessage = last.findChild<MessageBar *>(u"消息栏"_qs);
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return lastMessage->text().startsWith(u"已有歌曲：无法读取“installed.txt”"_qs);
    })) << lastMessage->text().toStdString();
}

TEST_F(VenueFiltersTest, EachFileDialogSaysWhatItChooses)
{
    m_dialogs.openTitles.clear();
    action("已有歌曲")->trigger();
    action("导入编码")->trigger();
    browseButton()->click();
    EXPECT_EQ(m_dialogs.openTitles,
        (QStringList {
            u"已有歌曲：选择编码列表或搜歌文件"_qs, u"导入编码：选择编码列表"_qs, QString() }))
        << "the search file's dialog keeps its own title";
    EXPECT_EQ(m_dialogs.unscripted.size(), 3) << "all three were cancelled";
}

TEST_F(VenueFiltersTest, SongsTheVenueHasShowGreyedWithAMarkAndReadersHearIt)
{
    chooseVenueFiles({ writeFile(u"installed.txt"_qs, "10000002\r\n10000006\r\n") });
    songTable()->clearSelection();
    songTable()->setCurrentIndex({});
    const QImage drawn = songTable()->viewport()->grab().toImage();
    // The darkest ink of a name cell, and how many colours its last 30 pixels hold.
    const auto nameCell = [&](int row) {
        const QRect cell = songTable()->visualRect(songTable()->model()->index(row, 1));
        int darkest = 255;
        for (int x = cell.left(); x < cell.right() - 40; ++x)
            for (int y = cell.top(); y <= cell.bottom(); ++y)
                darkest = std::min(darkest, qGray(drawn.pixel(x, y)));
        QSet<QRgb> endColours;
        for (int x = cell.right() - 30; x < cell.right() - 2; ++x)
            for (int y = cell.top() + 1; y < cell.bottom(); ++y)
                endColours.insert(drawn.pixel(x, y));
        return std::pair { darkest, endColours.size() };
    };
    const auto [newInk, newEnd] = nameCell(0);
    const auto [hadInk, hadEnd] = nameCell(1);
    EXPECT_GT(hadInk, newInk + 40) << "a song the venue has is drawn lighter";
    EXPECT_EQ(newEnd, 1) << "a new song's short name leaves the cell's end blank";
    EXPECT_GT(hadEnd, 2) << "a song the venue has carries a mark there";
    EXPECT_TRUE(nameCell(5).first > newInk + 40);

    QAbstractItemModel *shown = songTable()->model();
    EXPECT_TRUE(
        shown->index(1, 0).data(Qt::AccessibleDescriptionRole).toString().contains(u"已有"_qs));
    EXPECT_FALSE(
        shown->index(0, 0).data(Qt::AccessibleDescriptionRole).toString().contains(u"已有"_qs));
    QAccessibleInterface *table = QAccessible::queryAccessibleInterface(songTable());
    ASSERT_NE(table, nullptr);
    ASSERT_NE(table->tableInterface(), nullptr);
    QAccessibleInterface *cell = table->tableInterface()->cellAt(5, 2);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->text(QAccessible::Description), u"已有"_qs);

    // Once the venue's songs are forgotten, nothing is marked.
    action("清除已有歌曲")->trigger();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return !shown->index(1, 0).data(SongTableModel::VenueSongRole).toBool(); }));
}

TEST_F(VenueFiltersTest, EachFilterInForceShowsAsAChipThatRemovesIt)
{
    auto *chips = control<FilterChips>("筛选条件");
    const auto chipTexts = [chips] {
        QStringList texts;
        for (FilterChip *chip : chips->chips())
            texts << chip->label();
        return texts;
    };
    EXPECT_TRUE(chipTexts().isEmpty());
    choose("语种", u"粵語"_qs);
    choose("类别", u"流行"_qs);
    toggle("只看重复");
    waitForStatus(u"重复 "_qs);
    EXPECT_EQ(chipTexts(), (QStringList { u"语种：粵語"_qs, u"类别：流行"_qs, u"只看重复"_qs }));
    EXPECT_EQ(shownCodes(), Codes { u"10000005"_qs });

    // A click on the 类别 chip, Delete on the 语种 chip.
    chips->chips()[1]->click();
    waitUntilShown();
    EXPECT_EQ(chipTexts(), (QStringList { u"语种：粵語"_qs, u"只看重复"_qs }));
    EXPECT_TRUE(menu("类别")->actions().constFirst()->isChecked()) << "全部 again";
    chips->chips()[0]->setFocus();
    QTest::keyClick(chips->chips()[0], Qt::Key_Delete);
    waitUntilShown();
    EXPECT_EQ(chipTexts(), QStringList { u"只看重复"_qs });
    EXPECT_EQ(shownCodes().size(), 4u) << "every duplicate again";
    toggle("清除筛选");
    EXPECT_TRUE(chipTexts().isEmpty());
}

TEST_F(VenueFiltersTest, EachChoiceCountsWhatItWouldShowWithEveryOtherFilterAndTheQuery)
{
    // What a menu lists as it opens; a choice that would show nothing is dimmed.
    const auto listed = [this](const char *name) {
        emit menu(name)->aboutToShow();
        QStringList texts;
        for (QAction *choice : menu(name)->actions())
            texts << choice->text() + (choice->isEnabled() ? u""_qs : u" (dimmed)"_qs);
        return texts;
    };
    chooseVenueFiles({ writeFile(u"installed.txt"_qs, "10000001\r\n10000004\r\n") });
    toggle("只看新歌");
    choose("类别", u"流行"_qs);
    EXPECT_EQ(listed("语种"), (QStringList { u"全部"_qs, u"國語（2 首）"_qs, u"粵語（1 首）"_qs }));
    EXPECT_EQ(listed("类别"), (QStringList { u"全部"_qs, u"流行（3 首）"_qs, u"經典（1 首）"_qs }))
        << "类别 counts beside its own choice";

    find(u"稻"_qs);
    EXPECT_EQ(listed("语种"),
        (QStringList { u"全部"_qs, u"國語（1 首）"_qs, u"粵語（0 首） (dimmed)"_qs }));
    EXPECT_EQ(listed("类别"),
        (QStringList { u"全部"_qs, u"流行（1 首）"_qs, u"經典（0 首） (dimmed)"_qs }));

    choose("语种", u"國語"_qs);
    find(u"海"_qs);
    EXPECT_EQ(shownCodes(), Codes {}) << "國語 has no new 海 song";
    EXPECT_EQ(listed("语种"), (QStringList { u"全部"_qs, u"國語（0 首）"_qs, u"粵語（1 首）"_qs }))
        << "the choice in force stays choosable at 0, to leave it";
}

TEST_F(VenueFiltersTest, TheReviewTheExportAndTheCloseQuestionSplitTheTickedSongsByLanguage)
{
    setChecked(0, true);
    setChecked(1, true);
    setChecked(3, true);
    onlyTickedBox()->click();
    waitUntilShown();
    EXPECT_EQ(message(), u"已选 3 首：國語 1　粵語 2"_qs);
    setChecked(1, false);
    EXPECT_TRUE(QTest::qWaitFor([this] { return message() == u"已选 2 首：國語 1　粵語 1"_qs; }))
        << "the split follows the ticks while reviewing: " << message().toStdString();
    onlyTickedBox()->click();
    waitUntilShown();
    EXPECT_EQ(message(), QString()) << "the review's split goes with the review";

    const QString codes = m_dir.filePath(u"codes.txt"_qs);
    m_dialogs.saveAnswers = { codes };
    exportCodesButton()->click();
    EXPECT_EQ(
        message(), u"已导出 2 个编码（國語 1　粵語 1）到 "_qs + QDir::toNativeSeparators(codes));
    const QList<QPushButton *> actions = control<MessageBar>("消息栏")->actionButtons();
    ASSERT_EQ(actions.size(), 1);
    EXPECT_EQ(actions[0]->text(), u"打开所在文件夹"_qs);
    actions[0]->click();
    EXPECT_EQ(m_dialogs.shownFolders, QStringList { m_dir.path() });

    setChecked(5, true);
    m_dialogs.questionAnswers = { Dialogs::Answer::Cancel };
    EXPECT_FALSE(m_window.close());
    ASSERT_EQ(m_dialogs.questions.size(), 1);
    EXPECT_TRUE(m_dialogs.questions[0].startsWith(u"已选 3 首歌曲（國語 2　粵語 1），"_qs))
        << m_dialogs.questions[0].toStdString();
}

TEST_F(VenueFiltersTest, ImportTicksOneUndoStepAndCopiesTheCodesNotFound)
{
    setChecked(5, true);
    importCodes("10000001\r\n10000003\n99999999\n10000001\nno code\n");
    EXPECT_EQ(checkedRows(), (std::vector<int> { 0, 2, 5 }));
    EXPECT_EQ(message(), u"导入编码：勾选 2 首，1 个编码未找到，1 行不是编码（第 5 行）"_qs);
    const QList<QPushButton *> actions = control<MessageBar>("消息栏")->actionButtons();
    ASSERT_EQ(actions.size(), 2);
    EXPECT_EQ(actions[1]->text(), u"复制未找到的编码"_qs);
    actions[1]->click();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), u"99999999\r\n"_qs);

    importCodes("10000006\r\n");
    EXPECT_EQ(checkedRows(), (std::vector<int> { 0, 2, 5 })) << "ticked already";
    EXPECT_TRUE(control<MessageBar>("消息栏")->actionButtons().isEmpty())
        << "no change to take back, no code to copy";
    importCodes("10000001\r\n10000003\n99999999\n");

    QTest::keyClick(&m_window, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(checkedRows(), std::vector<int> { 5 }) << "the import is one undo step";
    importCodes("10000002\r\n");
    ASSERT_EQ(control<MessageBar>("消息栏")->actionButtons().value(0)->text(), u"撤销"_qs);
    control<MessageBar>("消息栏")->actionButtons().value(0)->click();
    EXPECT_EQ(checkedRows(), std::vector<int> { 5 }) << "撤销 in the message takes it back";
}

TEST_F(VenueFiltersTest, UnicodeCodeListsReadForBothCommandsAndOtherWideTextIsNamed)
{
    // As Notepad saves "Unicode": UTF-16 with its byte-order mark.
    const auto unicode = [](QStringConverter::Encoding encoding, const QString &text) {
        QStringEncoder encode(encoding, QStringConverter::Flag::WriteBom);
        return QByteArray(encode(text));
    };
    importCodes(unicode(QStringConverter::Utf16LE, u"10000001\r\n10000003\r\n10000006\r\n"_qs));
    EXPECT_EQ(checkedRows(), (std::vector<int> { 0, 2, 5 }));
    EXPECT_EQ(message(), u"导入编码：勾选 3 首，0 个编码未找到"_qs);

    chooseVenueFiles({ writeFile(u"installed.txt"_qs,
        unicode(QStringConverter::Utf16BE, u"编码\r\n10000002\r\n10000004\r\n"_qs)) });
    EXPECT_TRUE(message().contains(u"1 个文件，2 个编码"_qs)) << message().toStdString();
    EXPECT_TRUE(message().contains(u"跳过 1 行不是编码（第 1 行）"_qs)) << message().toStdString();

    QStringEncoder utf32(QStringConverter::Utf32LE, QStringConverter::Flag::WriteBom);
    m_dialogs.openAnswers.push_back(
        writeFile(u"wide.txt"_qs, QByteArray(utf32(u"10000004\r\n"_qs))));
    action("导入编码")->trigger();
    EXPECT_TRUE(QTest::qWaitFor([this] { return !m_dialogs.messages.isEmpty(); }));
    EXPECT_TRUE(m_dialogs.messages.value(0).contains(u"wide.txt"_qs)
        && m_dialogs.messages.value(0).contains(u"UTF-32"_qs))
        << m_dialogs.messages.value(0).toStdString();
    EXPECT_EQ(checkedRows(), (std::vector<int> { 0, 2, 5 }));
}

TEST_F(VenueFiltersTest, DuplicatesInEitherFormShowGroupedAndCounted)
{
    toggle("只看重复");
    waitForStatus(u"重复 2 组"_qs);
    waitUntilShown();
    const Codes shown = shownCodes();
    ASSERT_EQ(shown.size(), 4u);
    const auto together = [&](const QString &a, const QString &b) {
        const auto at = std::find(shown.begin(), shown.end(), a) - shown.begin();
        return at % 2 == 0 && shown[std::size_t(at + 1)] == b;
    };
    EXPECT_TRUE(
        together(u"10000001"_qs, u"10000003"_qs) || together(u"10000003"_qs, u"10000001"_qs));
    EXPECT_TRUE(
        together(u"10000002"_qs, u"10000005"_qs) || together(u"10000005"_qs, u"10000002"_qs));

    choose("语种", u"粵語"_qs);
    checkAllBox()->click();
    EXPECT_EQ(checkedRows(), (std::vector<int> { 1, 4 })) << "全选 acts on what shows";
}

TEST_F(VenueFiltersTest, RandomPickAddsUntickedSongsAndWarnsAgainstTheShownCount)
{
    choose("语种", u"粵語"_qs);
    setChecked(1, true);
    pick(3);
    EXPECT_EQ(message(), u"随机选中 2 首（只剩 2 首未选）"_qs);
    EXPECT_EQ(checkedRows(), (std::vector<int> { 1, 3, 4 }));
    QTest::keyClick(&m_window, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(checkedRows(), std::vector<int> { 1 }) << "undo takes the whole pick back";

    pick(4);
    EXPECT_EQ(m_dialogs.messages, QStringList { u"您输入的数值大于实际歌曲数量，请检查数值！"_qs })
        << "4 is more than the 3 in 标签4";
    choose("语种", u"全部"_qs);
    pick(4);
    EXPECT_EQ(message(), u"随机选中 4 首"_qs);
    EXPECT_EQ(checkedRows().size(), 5u);
}

TEST_F(VenueFiltersTest, TheCommandsAreReachedByKeyboardAndFromThePopUpMenu)
{
    auto *filterButton = control<QToolButton>("筛选");
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(filterButton);
    EXPECT_EQ(accessible->text(QAccessible::Name), u"筛选"_qs);
    EXPECT_EQ(accessible->role(), QAccessible::ButtonMenu);

    findField()->setFocus();
    QTest::keyClick(findField(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), filterButton) << "Tab goes from the field to 筛选";
    for (const Qt::Key key : { Qt::Key_Space, Qt::Key_Down, Qt::Key_Return }) {
        QWidget *opened = nullptr;
        QTimer::singleShot(0, [&opened] {
            opened = QApplication::activePopupWidget();
            if (opened)
                opened->close();
        });
        QTest::keyClick(filterButton, key);
        EXPECT_EQ(opened, menu("筛选菜单")) << "key " << key << " opens the menu";
        QApplication::processEvents();
    }

    const QList<QAction *> popUp = menu("菜单")->actions();
    ASSERT_GE(popUp.size(), 2);
    EXPECT_EQ(popUp[0]->text(), u"播放选中项"_qs);
    EXPECT_EQ(popUp[1]->text(), u"关于"_qs);
    for (const char *name : { "只看新歌", "只看重复", "已有歌曲", "导入编码", "复制未找到的编码" })
        EXPECT_TRUE(popUp.contains(action(name))) << name;
    EXPECT_TRUE(popUp.contains(menu("语种")->menuAction()));
}

} // namespace

namespace {

TEST_F(VenueFiltersTest, TheButtonSaysHowManyFiltersHideSongsAndOneCommandClearsThem)
{
    auto *button = control<QToolButton>("筛选");
    EXPECT_FALSE(button->font().bold());
    choose("语种", u"粵語"_qs);
    toggle("只看重复");
    waitForStatus(u"重复 "_qs);
    EXPECT_TRUE(button->font().bold());
    EXPECT_EQ(QAccessible::queryAccessibleInterface(button)->text(QAccessible::Name),
        u"筛选（2 项起作用）"_qs);

    toggle("清除筛选");
    EXPECT_EQ(shownCodes().size(), 6u);
    EXPECT_FALSE(action("只看重复")->isChecked());
    EXPECT_TRUE(menu("语种")->actions().constFirst()->isChecked()) << "全部 chosen again";
    EXPECT_FALSE(button->font().bold());
    EXPECT_EQ(button->accessibleName(), u"筛选"_qs);
}

} // namespace

namespace {

TEST_F(VenueFiltersTest, TheMenusShowTheFilterStateWhateverSetIt)
{
    auto *filters = m_window.findChild<SongFilters *>();
    ASSERT_NE(filters, nullptr);
    filters->setLanguage(1);
    filters->setDuplicatesOnly(true);
    const QList<QAction *> languages = menu("语种")->actions();
    ASSERT_EQ(languages.size(), 3);
    EXPECT_TRUE(languages[2]->isChecked()) << languages[2]->text().toStdString();
    EXPECT_FALSE(languages[0]->isChecked());
    EXPECT_TRUE(action("只看重复")->isChecked());
    EXPECT_TRUE(control<QToolButton>("筛选")->font().bold());

    filters->clearFilters();
    EXPECT_TRUE(languages[0]->isChecked());
    EXPECT_FALSE(action("只看重复")->isChecked());
    EXPECT_FALSE(control<QToolButton>("筛选")->font().bold());
    waitUntilShown();
    EXPECT_EQ(shownCodes().size(), 6u);
}

} // namespace
