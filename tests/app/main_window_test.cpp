#include "export/workbook_reading.h"
#include "main_window_fixture.h"
#include "support/window_layout.h"

#include "preview/player_window.h"
#include "preview/song_dir_window.h"
#include "ui/widgets/enter_presses_button.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyle>
#include <QTest>

#include <set>

using StartState = MainWindowTest;
using SearchFileImport = MainWindowTest;
using Analysis = MainWindowTest;
using Selection = MainWindowTest;
using CodeExport = MainWindowTest;
using Preview = MainWindowTest;
using HiddenCommands = MainWindowTest;

TEST_F(StartState, OnlyBrowseCanStartAndThePlaceholderRowShows)
{
    EXPECT_EQ(m_window.windowTitle(), u"澜杉V1.1"_qs);
    EXPECT_FALSE(analyseButton()->isEnabled());
    EXPECT_TRUE(browseButton()->isEnabled());
    EXPECT_FALSE(playSelectedAction()->isEnabled());
    EXPECT_FALSE(workbookProgressBar()->isVisibleTo(&m_window));
    EXPECT_EQ(m_window.findChild<QMenuBar *>(), nullptr);
    m_window.show();
    EXPECT_EQ(controlsCutOff(m_window), "");

    ASSERT_EQ(songModel()->rowCount(), 1);
    EXPECT_EQ(songModel()->index(0, 0).data().toString(), u"无内容："_qs);
    EXPECT_EQ(songModel()->index(0, 1).data().toString(), u"请浏览搜歌文件后点分析！"_qs);
    QStringList titles;
    for (int column = 0; column < songModel()->columnCount(); ++column)
        titles << songModel()->headerData(column, Qt::Horizontal).toString();
    EXPECT_EQ(titles,
        (QStringList {
            u"编码"_qs, u"歌名"_qs, u"歌手"_qs, u"类别"_qs, u"语种"_qs, u"文件路径"_qs }));
    EXPECT_EQ(songTable()->columnWidth(1), 220);
}

TEST_F(SearchFileImport, NonEmptyFileFillsTheViewAndEnablesAnalysis)
{
    const QString path = writeFile(u"list.txt"_qs, threeSongs());
    browse(path);
    EXPECT_EQ(m_dialogs.openFilters, QStringList { u"文本文档(*.txt)|*.txt"_qs });
    EXPECT_EQ(searchFilePathLabel()->text(), QDir::toNativeSeparators(path));
    EXPECT_EQ(
        songFolderLabel()->text(), QDir::toNativeSeparators(m_dir.path()) + QDir::separator());
    EXPECT_TRUE(analyseButton()->isEnabled());
    EXPECT_TRUE(playSelectedAction()->isEnabled());
    const auto *source = sourceView()->model();
    ASSERT_EQ(source->rowCount(), 3);
    EXPECT_EQ(
        source->index(2, 0).data().toString(), QString::fromLatin1(songLine("10000003", "Song C")));
    EXPECT_EQ(songModel()->rowCount(), 1) << "browsing leaves the table alone";
}

TEST_F(SearchFileImport, EmptyFileDisablesAnalysisAndShowsItsPathAsTheSongFolder)
{
    browse(writeFile(u"list.txt"_qs, threeSongs()));
    const QString empty = writeFile(u"empty.txt"_qs, {});
    browse(empty);
    EXPECT_EQ(sourceView()->model()->rowCount(), 0);
    EXPECT_EQ(searchFilePathLabel()->text(), QDir::toNativeSeparators(empty));
    EXPECT_EQ(songFolderLabel()->text(), QDir::toNativeSeparators(empty));
    EXPECT_FALSE(analyseButton()->isEnabled());
    EXPECT_FALSE(playSelectedAction()->isEnabled());
}

TEST_F(SearchFileImport, CancelOrUnreadableFileChangesNothing)
{
    browse(writeFile(u"list.txt"_qs, threeSongs()));
    const QString label1 = searchFilePathLabel()->text();
    const QString label7 = songFolderLabel()->text();

    m_dialogs.openAnswers.push_back(std::nullopt);
    browseButton()->click();
    const QString folder = m_dir.filePath(u"a folder.txt"_qs);
    ASSERT_TRUE(QDir().mkdir(folder));
    browse(folder);

    ASSERT_EQ(m_dialogs.messages.size(), 1);
    EXPECT_TRUE(m_dialogs.messages[0].contains(QDir::toNativeSeparators(folder)));
    EXPECT_EQ(searchFilePathLabel()->text(), label1);
    EXPECT_EQ(songFolderLabel()->text(), label7);
    EXPECT_EQ(sourceView()->model()->rowCount(), 3);
    EXPECT_TRUE(analyseButton()->isEnabled());
}

TEST_F(SearchFileImport, DroppedFileLoadsLikeBrowse)
{
    const QString path = writeFile(u"dropped.txt"_qs, threeSongs());
    QMimeData mime;
    mime.setUrls({ QUrl::fromLocalFile(path) });
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&m_window, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&m_window, &drop);
    waitUntilRead();
    EXPECT_EQ(searchFilePathLabel()->text(), QDir::toNativeSeparators(path));
    EXPECT_EQ(sourceView()->model()->rowCount(), 3);
    EXPECT_TRUE(analyseButton()->isEnabled());
}

TEST_F(SearchFileImport, NulAndInvalidBytesAreKeptAndShownAsReplacements)
{
    browse(writeFile(u"list.txt"_qs, QByteArray("a\0b\xFF\r\n", 6) + songLine("10000001")));
    const auto *source = sourceView()->model();
    ASSERT_EQ(source->rowCount(), 2);
    EXPECT_EQ(source->index(0, 0).data().toString(), u"a\uFFFDb\uFFFD"_qs);
}

TEST_F(SearchFileImport, OldMacLineEndsGiveOneLineAndOneSongEach)
{
    QByteArray file = threeSongs();
    file.replace("\r\n", "\r");
    browseAndAnalyse(file);
    const auto *source = sourceView()->model();
    ASSERT_EQ(source->rowCount(), 3);
    EXPECT_EQ(
        source->index(1, 0).data().toString(), QString::fromLatin1(songLine("10000002", "Song B")));
    ASSERT_EQ(songModel()->rowCount(), 3);
    EXPECT_EQ(songModel()->index(0, 5).data().toString(), u"a\\001.mpg"_qs);
    EXPECT_TRUE(m_dialogs.messages.isEmpty());
}

TEST_F(SearchFileImport, Utf8FilesWithOrWithoutTheMarkKeepEverySongAndExportTheirOwnBytes)
{
    const QByteArray songs = songLine("10000001", u"七里香"_qs.toUtf8()) + "\r\n"
        + songLine("10000002", u"稻香"_qs.toUtf8()) + "\r\n" + songLine("10000003", "Plain");
    for (const QByteArray &mark : { QByteArray(), QByteArray("\xEF\xBB\xBF") }) {
        // The first field empty: a mark before it must not hide the separator.
        QByteArray file = mark + songs;
        file.replace(0, mark.size() + 1, mark);
        browseAndAnalyse(file);
        EXPECT_TRUE(m_dialogs.messages.isEmpty()) << m_dialogs.messages.join(u' ').toStdString();
        ASSERT_EQ(songModel()->rowCount(), 3);
        EXPECT_EQ(songModel()->index(1, 1).data().toString(), u"稻香"_qs);
        EXPECT_EQ(songModel()->index(2, 0).data().toString(), u"10000003"_qs);
        EXPECT_EQ(sourceView()->model()->index(1, 0).data().toString(),
            QString::fromUtf8(songLine("10000002", u"稻香"_qs.toUtf8())));

        // The second file keeps the first one's ticks by code.
        songModel()->setAllTicked(true);
        m_dialogs.saveAnswers.push_back(m_dir.filePath(u"codes.txt"_qs));
        exportCodesButton()->click();
        EXPECT_EQ(readWholeFile(m_dir.filePath(u"codes.txt"_qs)).bytes,
            "10000001\r\n10000002\r\n10000003\r\n");
    }
}

TEST_F(Analysis, ThreeLinesBecomeThreeSongsAndHalfIsProposed)
{
    browseAndAnalyse(threeSongs());
    ASSERT_EQ(songModel()->rowCount(), 3);
    const SongTable &table = *songModel()->table();
    EXPECT_EQ(table.field(0, SongColumn::Code), "10000001");
    EXPECT_EQ(table.field(0, SongColumn::Name), "Song A");
    EXPECT_EQ(table.field(0, SongColumn::Singer), "Singer");
    EXPECT_EQ(table.field(0, SongColumn::FilePath), "a\\001.mpg");
    EXPECT_EQ(songModel()->index(2, 0).data().toString(), u"10000003"_qs);
    EXPECT_EQ(songCountLabel()->text(), u"3"_qs);
    EXPECT_EQ(randomCountField()->text(), u"1.5"_qs);
    EXPECT_TRUE(m_dialogs.messages.isEmpty());
}

TEST_F(Analysis, NothingShowsBeforeAnalyseAndOnlyTheNewestFileIsAnalysed)
{
    browse(writeFile(u"first.txt"_qs, threeSongs()));
    QTest::qWait(100); // time for the analysis behind the scenes
    EXPECT_FALSE(songModel()->hasSongs());
    EXPECT_EQ(songCountLabel()->text(), QString());

    browse(writeFile(u"second.txt"_qs, songLine("20000001") + "\r\n" + songLine("20000002")));
    analyse();
    ASSERT_EQ(songModel()->rowCount(), 2);
    EXPECT_EQ(songModel()->table()->field(1, SongColumn::Code), "20000002");
}

TEST_F(Analysis, AgainReplacesTheTableAndKeepsTheTicks)
{
    browseAndAnalyse(threeSongs());
    checkAllBox()->click();
    analyse();
    EXPECT_EQ(songModel()->rowCount(), 3);
    EXPECT_EQ(songCountLabel()->text(), u"3"_qs);
    EXPECT_EQ(checkedRows(), (std::vector<int> { 0, 1, 2 }));
    EXPECT_EQ(checkAllBox()->checkState(), Qt::Checked) << "all kept ticked";
}

TEST_F(Analysis, ShortLinesAreSkippedWithAWarningThatListsThemAll)
{
    browseAndAnalyse(
        songLine("10000001") + "\r\nonly||three||fields\r\n\r\n" + songLine("10000002") + "\r\n");
    EXPECT_EQ(songModel()->rowCount(), 2);
    EXPECT_TRUE(m_dialogs.messages.isEmpty()) << "no box to dismiss after every analysis";
    auto *bar = control<MessageBar>("消息栏");
    EXPECT_EQ(bar->kind(), MessageBar::Kind::Warning);
    EXPECT_TRUE(message().startsWith(u"有 1 行"_qs)) << message().toStdString();
    EXPECT_TRUE(message().contains(u"（第 2 行）"_qs)) << message().toStdString();

    QStringList listed;
    m_dialogs.onModal = [&](QDialog &window) {
        auto *list = window.findChild<QAbstractItemView *>(u"不完整的行"_qs);
        for (int row = 0; list && row < list->model()->rowCount(); ++row)
            listed << list->model()->index(row, 0).data().toString();
        return 0;
    };
    ASSERT_EQ(bar->actionButtons().size(), 1);
    EXPECT_EQ(bar->actionButtons()[0]->text(), u"查看全部"_qs);
    bar->actionButtons()[0]->click();
    EXPECT_EQ(m_dialogs.modalWindows, QStringList { u"SkippedLinesWindow"_qs });
    EXPECT_EQ(listed, QStringList { u"第 2 行：only||three||fields"_qs });
}

TEST_F(Selection, CheckAllCoversEveryRowThePlaceholderIncluded)
{
    checkAllBox()->click();
    EXPECT_EQ(checkedRows(), std::vector<int> { 0 });
    browseAndAnalyse(threeSongs());
    checkAllBox()->click();
    EXPECT_EQ(checkedRows(), (std::vector<int> { 0, 1, 2 }));
    checkAllBox()->click();
    EXPECT_TRUE(checkedRows().empty());
}

TEST_F(Selection, SpaceTicksTheCurrentSongFromAnyOfItsCells)
{
    browseAndAnalyse(threeSongs());
    auto *table = songTable();
    table->setCurrentIndex(table->model()->index(1, 3));
    QTest::keyClick(table, Qt::Key_Space);
    EXPECT_EQ(checkedRows(), std::vector<int> { 1 });
    QTest::keyClick(table, Qt::Key_Space);
    EXPECT_TRUE(checkedRows().empty());
}

TEST_F(Selection, RandomPickChecksDistinctRowsAndKeepsEarlierChecks)
{
    QByteArray lines;
    for (int song = 0; song < 25; ++song)
        lines += songLine(QByteArray::number(10000000 + song)) + "\r\n";
    browseAndAnalyse(lines);
    ASSERT_EQ(randomCountField()->text(), u"12.5"_qs);
    setChecked(0, true);
    randomPickButton()->click();
    const std::vector<int> rows = checkedRows();
    EXPECT_GE(rows.size(), 12u);
    EXPECT_LE(rows.size(), 13u);
    EXPECT_EQ(rows.front(), 0);

    randomCountField()->setText(u"25"_qs);
    randomPickButton()->click();
    EXPECT_EQ(checkedRows().size(), 25u) << "a count equal to the song count checks every song";
    EXPECT_TRUE(m_dialogs.messages.isEmpty());
}

TEST_F(Selection, TooLargeOrMeaninglessCountsCheckNothing)
{
    browseAndAnalyse(threeSongs());
    randomCountField()->setText(u"4"_qs);
    randomPickButton()->click();
    EXPECT_EQ(m_dialogs.messages, QStringList { u"您输入的数值大于实际歌曲数量，请检查数值！"_qs });
    for (const QString &count : { u"0"_qs, u"-2"_qs, u"abc"_qs }) {
        randomCountField()->setText(count);
        randomPickButton()->click();
    }
    EXPECT_TRUE(checkedRows().empty());
    EXPECT_EQ(m_dialogs.messages.size(), 1);
}

TEST_F(CodeExport, WritesExactlyTheCheckedCodesEveryTime)
{
    browseAndAnalyse(threeSongs());
    setChecked(0, true);
    setChecked(2, true);
    const QString first = m_dir.filePath(u"first.txt"_qs);
    const QString second = m_dir.filePath(u"second.txt"_qs);
    m_dialogs.saveAnswers = { std::nullopt, first, second };
    exportCodesButton()->click();
    EXPECT_FALSE(QFileInfo::exists(first)) << "a cancelled export writes nothing";
    exportCodesButton()->click();
    exportCodesButton()->click();
    EXPECT_EQ(m_dialogs.saveFilters.constFirst(), u"文本文档(*.txt)|*.txt"_qs);
    EXPECT_EQ(readWholeFile(first).bytes, "10000001\r\n10000003\r\n");
    EXPECT_EQ(readWholeFile(second).bytes, "10000001\r\n10000003\r\n");

    setChecked(0, false);
    m_dialogs.saveAnswers = { second };
    exportCodesButton()->click();
    EXPECT_EQ(readWholeFile(second).bytes, "10000003\r\n");
    EXPECT_EQ(m_dialogs.saveSuggestions.constLast(), u"新增歌曲编码.txt"_qs);
    EXPECT_TRUE(message().startsWith(u"已导出 1 个编码"_qs)) << message().toStdString();
    EXPECT_TRUE(message().endsWith(u"到 "_qs + QDir::toNativeSeparators(second)))
        << "a finished export says where it went";
}

TEST_F(CodeExport, UnwritableTargetIsReportedAndTheOldFileStays)
{
    browseAndAnalyse(threeSongs());
    setChecked(1, true);
    const QString folder = m_dir.filePath(u"taken"_qs);
    ASSERT_TRUE(QDir().mkdir(folder));
    m_dialogs.saveAnswers = { folder };
    exportCodesButton()->click();
    ASSERT_EQ(m_dialogs.messages.size(), 1);
    EXPECT_TRUE(m_dialogs.messages[0].contains(QDir::toNativeSeparators(folder)));
    EXPECT_TRUE(QFileInfo(folder).isDir());
}

TEST_F(Preview, PopUpMenuOffersPlayOnlyAfterAFileIsLoaded)
{
    auto *table = songTable();
    auto *menu = control<QMenu>("菜单");
    m_window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_window));
    Q_EMIT table->contextMenuRequested(table->mapToGlobal(QPoint(10, 10)), false);
    EXPECT_TRUE(menu->isVisible());
    EXPECT_FALSE(playSelectedAction()->isEnabled());
    EXPECT_TRUE(control<QAction>("关于")->isEnabled());
    menu->hide();

    control<QAction>("关于")->trigger();
    aboutButton()->click();
    EXPECT_EQ(m_dialogs.modalWindows, (QStringList { u"AboutWindow"_qs, u"AboutWindow"_qs }));
}

TEST_F(Preview, PlayGivesTheSongFolderAndPathAndTitlesTheWindow)
{
    browseAndAnalyse(threeSongs());
    playSelectedAction()->trigger();
    EXPECT_EQ(m_window.findChild<PlayerWindow *>(), nullptr) << "no selected row plays nothing";

    songTable()->selectRow(1);
    playSelectedAction()->trigger();
    auto *player = m_window.findChild<PlayerWindow *>();
    ASSERT_NE(player, nullptr);
    EXPECT_EQ(player->windowTitle(), u"正在预览  Song B"_qs);
    EXPECT_EQ(player->requestedAddress(), songFolderLabel()->text() + u"a\\001.mpg"_qs);

    playSelectedAction()->trigger();
    EXPECT_EQ(m_window.findChildren<PlayerWindow *>().size(), 1) << "an open player is reused";
}

TEST_F(Preview, LabelsOnlyShowTheFolderAndTheCount)
{
    browseAndAnalyse(threeSongs());
    const QString folder = songFolderLabel()->text();
    // Whatever a label happens to read, the window acts on its own state.
    songFolderLabel()->setText(u"/elsewhere/"_qs);
    songCountLabel()->setText(u"999"_qs);
    songTable()->selectRow(0);
    playSelectedAction()->trigger();
    auto *player = m_window.findChild<PlayerWindow *>();
    ASSERT_NE(player, nullptr);
    EXPECT_EQ(player->requestedAddress(), folder + u"a\\001.mpg"_qs);
    randomCountField()->setText(u"4"_qs);
    randomPickButton()->click();
    EXPECT_EQ(m_dialogs.messages, QStringList { u"您输入的数值大于实际歌曲数量，请检查数值！"_qs });
}

TEST_F(Preview, AFoundSongIsHandedToTheEngineAndPlays)
{
    browseAndAnalyse(threeSongs());
    EXPECT_EQ(m_engineRequests, 0) << "no engine before the player first opens";
    ASSERT_TRUE(QDir(m_dir.path()).mkpath(u"a"_qs));
    const QString song = writeFile(u"a/001.mpg"_qs, "picture and sound");
    songTable()->selectRow(2);
    playSelectedAction()->trigger();
    EXPECT_EQ(m_engine.loads, QStringList { song });
    auto *player = m_window.findChild<PlayerWindow *>();
    ASSERT_NE(player, nullptr);
    EXPECT_EQ(player->status(), PlayerView::Status::Playing);
    player->close();
    EXPECT_TRUE(m_engine.loadedPath().isEmpty()) << "closing the player stops the song";
}

TEST_F(Preview, SongFolderIsSetOnlyBySetting)
{
    const QString before = songFolderLabel()->text();
    m_dialogs.onModal = [](QDialog &) { return int(QDialog::Rejected); };
    songFolderButton()->click();
    EXPECT_EQ(songFolderLabel()->text(), before);

    m_dialogs.onModal = [](QDialog &chooser) {
        chooser.findChild<QPushButton *>(u"按钮1"_qs)->click();
        return chooser.result();
    };
    songFolderButton()->click();
    EXPECT_EQ(m_dialogs.modalWindows, (QStringList { u"SongDirWindow"_qs, u"SongDirWindow"_qs }));
    EXPECT_EQ(songFolderLabel()->text(),
        QDir::toNativeSeparators(QDir::currentPath()) + QDir::separator());
}

TEST_F(HiddenCommands, CollectionsGatherTheCheckedRows)
{
    browseAndAnalyse(threeSongs());
    setChecked(1, true);
    setChecked(2, true);
    copyCodesAction()->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), u"10000002\r\n10000003\r\n"_qs);
    EXPECT_EQ(message(), u"已复制 2 个编码"_qs);
    setChecked(2, false);
    EXPECT_EQ(status(), u"显示 3 / 共 3 首　已选 1 首"_qs) << "the status holds only counts";

    copyDetailsAction()->trigger();
    copyDetailsAction()->trigger();
    // Each copy replaces the last. Six tab-separated columns a song, as a spreadsheet pastes them.
    EXPECT_EQ(QApplication::clipboard()->text(),
        u"10000002\tSong B\tSinger\tPop\tMandarin\ta\\001.mpg\r\n"_qs);
    EXPECT_EQ(message(), u"已复制 1 首歌曲的明细"_qs);
}

TEST_F(HiddenCommands, TheTickedPlaceholderIsNeverExported)
{
    checkAllBox()->click();
    ASSERT_EQ(checkedRows(), std::vector<int> { 0 });
    const QString codes = writeFile(u"codes.txt"_qs, "old");
    m_dialogs.saveAnswers = { codes };
    exportCodesButton()->click();
    EXPECT_EQ(readWholeFile(codes).bytes, QByteArray()) << "as for no ticked rows";
    EXPECT_TRUE(message().startsWith(u"已导出 0 个编码到"_qs)) << message().toStdString();
    QApplication::clipboard()->setText(u"before"_qs);
    copyDetailsAction()->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), QString());
    EXPECT_EQ(message(), u"已复制 0 首歌曲的明细"_qs);
    copyCodesAction()->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), QString());
    EXPECT_EQ(message(), u"已复制 0 个编码"_qs);
}

TEST_F(HiddenCommands, WorkbookExportWritesTheFileWithTheBarShownMeanwhile)
{
    browseAndAnalyse(threeSongs());
    const QString path = m_dir.filePath(u"songs.xlsx"_qs);
    m_dialogs.saveAnswers = { std::nullopt, path };
    exportWorkbookAction()->trigger();
    EXPECT_FALSE(workbookProgressBar()->isVisibleTo(&m_window));
    exportWorkbookAction()->trigger();
    EXPECT_TRUE(workbookProgressBar()->isVisibleTo(&m_window));
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return !workbookProgressBar()->isVisibleTo(&m_window); }, 10000));
    EXPECT_TRUE(m_dialogs.messages.isEmpty());
    const WorkbookContent content = readWorkbook(path);
    ASSERT_EQ(content.error, QString());
    ASSERT_EQ(content.sheets.size(), 1u);
    ASSERT_EQ(content.sheets[0].size(), 3u);
    EXPECT_EQ(content.sheets[0][1].mid(0, 2), (QStringList { u"10000002"_qs, u"Song B"_qs }));
}

TEST_F(StartState, GrowingGivesTheSourceViewAndTheTableTheRoomAndKeepsTheBottomRowAtTheBottom)
{
    const auto geometryOf = [this](const char *name) {
        QWidget *widget = control<QWidget>(name);
        return QRect(widget->mapTo(&m_window, QPoint(0, 0)), widget->size());
    };
    const char *const names[] = { "编辑框1", "超级列表框1", "标签1", "按钮1", "按钮3", "查找栏" };
    std::vector<QRect> before;
    for (const char *name : names)
        before.push_back(geometryOf(name));
    const QSize start = m_window.size();
    m_window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_window));
    EXPECT_EQ(geometryOf("超级列表框1"), before[1]) << "nothing moves at start";

    // A fifth of the extra height goes to the source view, the rest to the table.
    m_window.resize(start + QSize(200, 300));
    EXPECT_EQ(geometryOf("编辑框1").size(), before[0].size() + QSize(200, 60));
    EXPECT_EQ(geometryOf("超级列表框1").size(), before[1].size() + QSize(200, 240));
    EXPECT_EQ(geometryOf("超级列表框1").top(), before[1].top() + 60);
    EXPECT_EQ(geometryOf("标签1").top(), before[2].top() + 60) << "paths stay under the source";
    EXPECT_EQ(geometryOf("按钮1").topLeft(), before[3].topLeft() + QPoint(200, 60));
    EXPECT_EQ(geometryOf("按钮3").top(), before[4].top() + 300);
    EXPECT_EQ(geometryOf("查找栏"), before[5].adjusted(0, 300, 200, 300));

    m_window.resize(start);
    for (std::size_t index = 0; index < std::size(names); ++index)
        EXPECT_EQ(geometryOf(names[index]), before[index]) << names[index];
    EXPECT_EQ(m_window.minimumSize(), start) << "no smaller than the layout";
}

// The main window driven from the keyboard alone, with Enter pressing buttons as the app sets up.
class Keyboard : public MainWindowTest
{
protected:
    void SetUp() override
    {
        m_window.show();
        m_window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&m_window));
    }

    QString focusedName() const
    {
        return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
    }

    // The controls Tab visits from the one focused, until it comes back round.
    QStringList tabRound(Qt::Key key = Qt::Key_Tab)
    {
        const QString start = focusedName();
        QStringList visited;
        for (int i = 0; i < 30; ++i) {
            QTest::keyClick(QApplication::focusWidget(), key);
            if (focusedName() == start)
                return visited;
            visited << focusedName();
        }
        return visited << u"(no way back)"_qs;
    }

    EnterPressesButton m_enterPressesButton;
};

TEST_F(Keyboard, TabAndShiftTabLeaveTheTablesAndReachEveryControl)
{
    browseAndAnalyse(threeSongs());
    control<QWidget>("编辑框1")->setFocus();
    const QStringList forward = tabRound();
    for (const char *name : { "按钮2", "按钮1", "按钮9", "超级列表框1", "选择框1", "编辑框3",
             "按钮6", "按钮3", "按钮8" })
        EXPECT_TRUE(forward.contains(QString::fromUtf8(name))) << name << " not reached";
    EXPECT_FALSE(forward.contains(u"(no way back)"_qs)) << forward.join(u' ').toStdString();
    control<QWidget>("超级列表框1")->setFocus();
    EXPECT_TRUE(tabRound(Qt::Key_Backtab).contains(u"编辑框1"_qs));
}

TEST_F(Keyboard, EnterAndKeypadEnterPressTheFocusedButton)
{
    aboutButton()->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(m_dialogs.modalWindows, (QStringList { u"AboutWindow"_qs, u"AboutWindow"_qs }));
}

TEST_F(Keyboard, TabbingIntoTheSongTableSelectsTheCurrentRowForThePlayer)
{
    browseAndAnalyse(threeSongs());
    checkAllBox()->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    ASSERT_EQ(focusedName(), u"超级列表框1"_qs);
    EXPECT_EQ(songTable()->selectedRow(), 0);
    playSelectedAction()->trigger();
    auto *player = m_window.findChild<PlayerWindow *>();
    ASSERT_NE(player, nullptr);
    EXPECT_EQ(player->windowTitle(), u"正在预览  Song A"_qs);
}

TEST_F(Keyboard, LeftAndRightScrollTheSongColumnsWhileTheCheckBoxCellStaysCurrent)
{
    browseAndAnalyse(threeSongs());
    auto *table = songTable();
    QScrollBar *columns = table->horizontalScrollBar();
    ASSERT_GT(columns->maximum(), 0) << "the columns are wider than the table";
    table->setFocus();
    table->setCurrentIndex(table->model()->index(1, 0));
    QTest::keyClick(table, Qt::Key_Right);
    EXPECT_GT(columns->value(), 0);
    EXPECT_EQ(table->currentIndex(), table->model()->index(1, 0));

    // A click on a cell in sight leaves the columns where they are.
    const int scrolled = columns->value();
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
        table->visualRect(table->model()->index(2, 5)).center());
    EXPECT_EQ(table->currentIndex(), table->model()->index(2, 0));
    EXPECT_EQ(columns->value(), scrolled);
    QTest::keyClick(table, Qt::Key_Left);
    EXPECT_LT(columns->value(), scrolled);
}

TEST_F(Keyboard, CtrlOBrowsesF5AnalysesCtrlSExports)
{
    const QString path = writeFile(u"songs.txt"_qs, threeSongs());
    m_dialogs.openAnswers = { path };
    // A button's shortcut shows the button pressed for a moment before it acts.
    QTest::keyClick(&m_window, Qt::Key_O, Qt::ControlModifier);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return searchFilePathLabel()->text() == QDir::toNativeSeparators(path); }));
    QTest::keyClick(&m_window, Qt::Key_F5);
    ASSERT_TRUE(QTest::qWaitFor([&] { return songModel()->rowCount() == 3; }));
    setChecked(2, true);
    const QString codes = m_dir.filePath(u"codes.txt"_qs);
    m_dialogs.saveAnswers = { codes };
    QTest::keyClick(&m_window, Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(codes); }));
    EXPECT_EQ(readWholeFile(codes).bytes, "10000003\r\n");
}

using Layout = MainWindowTest;

TEST_F(Layout, TheRandomCountRowReadsCleanlyUpToHalfAMillion)
{
    auto *caption = control<QLabel>("标签3");
    auto *field = randomCountField();
    auto *note = control<QLabel>("标签5");
    auto *count = songCountLabel();
    const auto textEnd = [](const QLabel *label, const QString &text) {
        return label->x() + label->fontMetrics().horizontalAdvance(text);
    };
    const int frame = field->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, field);
    EXPECT_LE(
        field->fontMetrics().horizontalAdvance(u"500000.5"_qs) + 2 * frame + 4, field->width())
        << "the proposal for a million songs is cut";
    EXPECT_LT(textEnd(caption, u"随机机率"_qs), field->x());
    const int unitLeft
        = caption->geometry().right() + 1 - caption->fontMetrics().horizontalAdvance(u"个"_qs);
    EXPECT_GT(unitLeft, field->geometry().right()) << "个 is drawn under the field";
    EXPECT_LT(caption->geometry().right(), note->x()) << "个 runs into 注";
    EXPECT_LT(textEnd(note, note->text()), count->x());
    EXPECT_LE(textEnd(count, u"1000000"_qs), count->geometry().right() + 1);
    EXPECT_LE(count->geometry().right(), control<QWidget>("分组框3")->geometry().right());
}

TEST_F(Layout, TheSourceCaptionIsNotCoveredByTheSourceView)
{
    auto *group = control<QWidget>("分组框1");
    EXPECT_LE(group->y() + group->fontMetrics().height(), control<QWidget>("编辑框1")->y());
}
