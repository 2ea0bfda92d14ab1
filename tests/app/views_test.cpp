#include "app/skipped_lines_window.h"
#include "app/song_table_view.h"
#include "app/source_view.h"
#include "songs/search_file_analysis.h"
#include "songs/shown_songs_model.h"
#include "songs/skipped_lines.h"
#include "songs/song_filters.h"
#include "songs/song_table_model.h"
#include "songs/source_text_model.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QListView>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

// The two tables driven with real input events, as a person drives them.

TEST(SourceViewInput, CtrlCCopiesEverySelectedLineInFileOrder)
{
    SourceTextModel model;
    model.setBytes("first\r\nsecond\r\nthird\r\n");
    SourceView view;
    view.setSourceModel(&model);
    view.resize(300, 200);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));

    const auto lineCentre = [&](int row) { return view.visualRect(model.index(row)).center(); };
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, lineCentre(2));
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::ControlModifier, lineCentre(0));
    QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), u"first\nthird"_qs);
}

TEST(SourceViewInput, CtrlCCopiesALongLineWholeThoughItShowsCut)
{
    const QByteArray longLine(100000, 'x');
    SourceTextModel model;
    model.setBytes(longLine + "\nshort");
    SourceView view;
    view.setSourceModel(&model);
    view.resize(300, 200);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier,
        view.visualRect(model.index(0)).topLeft() + QPoint(5, 5));
    QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QString::fromLatin1(longLine));
}

TEST(SongTableViewInput, RightClickSelectsTheRowUnderTheMouseBeforeTheMenu)
{
    SongTableModel model;
    model.setTable(std::make_shared<const SongTable>(
        analyseSearchFile("x||1||p||A||x||x||c||l||s\r\nx||2||p||B||x||x||c||l||s\r\n"
                          "x||3||p||C||x||x||c||l||s\r\n")
            .table));
    SongFilters filters(&model);
    ShownSongsModel shown(&model, &filters);
    SongTableView view;
    view.setSongModel(&shown);
    view.resize(400, 200);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    view.selectRow(0);

    QSignalSpy menuRequests(&view, &SongTableView::contextMenuRequested);
    const QPoint onRowTwo = view.visualRect(shown.index(2, 1)).center();
    QContextMenuEvent rightClick(
        QContextMenuEvent::Mouse, onRowTwo, view.viewport()->mapToGlobal(onRowTwo));
    QApplication::sendEvent(view.viewport(), &rightClick);

    EXPECT_EQ(view.selectedRow(), 2);
    ASSERT_EQ(menuRequests.size(), 1);
    EXPECT_EQ(menuRequests[0][0].toPoint(), view.viewport()->mapToGlobal(onRowTwo));
}

TEST(SkippedLinesWindowInput, ListsEveryLineAndCopiesThemAll)
{
    const QByteArray text = "a||b\nc\nd||e||f\n";
    SkippedLinesModel lines(text, TextEncoding::Gbk, { 1, 2, 3 });
    SkippedLinesWindow window(&lines, skippedLinesReport(std::vector<std::uint32_t> { 1, 2, 3 }));
    EXPECT_EQ(window.windowTitle(), u"不完整的歌曲记录"_qs);
    EXPECT_EQ(window.list()->model()->rowCount(), 3);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(window.list())->text(QAccessible::Name),
        u"不完整的行"_qs);
    window.copyButton()->click();
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
        u"第 1 行：a||b\r\n第 2 行：c\r\n第 3 行：d||e||f"_qs);
}
