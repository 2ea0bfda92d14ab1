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
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>

// The two tables driven with real input events, as a person drives them.

namespace {

QByteArray numberedLines(int count)
{
    QByteArray text;
    for (int line = 0; line < count; ++line)
        text += "line " + QByteArray::number(line) + "\n";
    return text;
}

QList<int> selectedLines(const QAbstractItemView &view)
{
    QList<int> rows;
    for (const QModelIndex &index : view.selectionModel()->selectedRows())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

// A source view of `text`, shown at 300 × 200 once the test waits for it.
struct ShownSourceView
{
    explicit ShownSourceView(const QByteArray &text)
    {
        model.setBytes(text);
        view.setSourceModel(&model);
        view.resize(300, 200);
        view.show();
    }
    QPoint lineCentre(int row) const { return view.visualRect(model.index(row)).center(); }

    SourceTextModel model;
    SourceView view;
};

} // namespace

TEST(SourceViewInput, CtrlCCopiesEverySelectedLineInFileOrder)
{
    ShownSourceView shown("first\r\nsecond\r\nthird\r\n");
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&shown.view));
    SourceView &view = shown.view;

    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, shown.lineCentre(2));
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::ControlModifier, shown.lineCentre(0));
    QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), u"first\nthird"_qs);
}

TEST(SourceViewInput, CtrlCCopiesALongLineWholeThoughItShowsCut)
{
    const QByteArray longLine(100000, 'x');
    ShownSourceView shown(longLine + "\nshort");
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&shown.view));
    SourceView &view = shown.view;
    const SourceTextModel &model = shown.model;
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier,
        view.visualRect(model.index(0)).topLeft() + QPoint(5, 5));
    QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QString::fromLatin1(longLine));
}

TEST(SourceViewInput, TheKeyboardReachesEveryLineAndKeepsTheCurrentOneInSight)
{
    ShownSourceView shown(numberedLines(100000));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&shown.view));
    SourceView &view = shown.view;
    const SourceTextModel &model = shown.model;
    view.setFocus();
    const auto inSight = [&](int row) {
        return view.viewport()->rect().contains(view.visualRect(model.index(row)));
    };
    const auto current = [&] { return view.currentIndex().row(); };

    QTest::keyClick(&view, Qt::Key_End);
    EXPECT_EQ(current(), 99999);
    EXPECT_TRUE(inSight(99999));
    EXPECT_EQ(view.indexAt(view.visualRect(model.index(99999)).center()).row(), 99999);

    QTest::keyClick(&view, Qt::Key_PageUp);
    const int pageUp = current();
    EXPECT_LT(pageUp, 99999 - 3);
    EXPECT_TRUE(inSight(pageUp));
    QTest::keyClick(&view, Qt::Key_PageDown);
    EXPECT_EQ(current(), 99999);

    QTest::keyClick(&view, Qt::Key_Up, Qt::ShiftModifier);
    QTest::keyClick(&view, Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(selectedLines(view), (QList<int> { 99997, 99998, 99999 }));

    QTest::keyClick(&view, Qt::Key_Home);
    EXPECT_EQ(current(), 0);
    EXPECT_TRUE(inSight(0));
    EXPECT_EQ(selectedLines(view), QList<int> { 0 });

    view.scrollTo(model.index(50000), QAbstractItemView::PositionAtCenter);
    EXPECT_TRUE(inSight(50000));
    EXPECT_FALSE(inSight(0));
}

TEST(SourceViewInput, TheMouseSelectsByDraggingAndWithShiftAndALongLineScrollsSideways)
{
    ShownSourceView shown(QByteArray(2000, 'w') + "\n" + numberedLines(50));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&shown.view));
    SourceView &view = shown.view;
    const SourceTextModel &model = shown.model;

    QTest::mousePress(view.viewport(), Qt::LeftButton, Qt::NoModifier, shown.lineCentre(1));
    QTest::mouseMove(view.viewport(), shown.lineCentre(4));
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, Qt::NoModifier, shown.lineCentre(4));
    EXPECT_EQ(selectedLines(view), (QList<int> { 1, 2, 3, 4 }));

    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, shown.lineCentre(2));
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::ShiftModifier, shown.lineCentre(6));
    EXPECT_EQ(selectedLines(view), (QList<int> { 2, 3, 4, 5, 6 }));

    // Below the last line nothing is hit.
    view.scrollToBottom();
    EXPECT_FALSE(view.indexAt(QPoint(5, view.visualRect(model.index(50)).bottom() + 2)).isValid());

    // The first line is wider than the view: Right scrolls to its end, every line along with it.
    view.setFocus();
    EXPECT_EQ(view.horizontalScrollBar()->value(), 0);
    QTest::keyClick(&view, Qt::Key_Right);
    const int step = view.horizontalScrollBar()->value();
    EXPECT_GT(step, 0);
    EXPECT_EQ(view.visualRect(model.index(3)).left(), -step);
    QTest::keyClick(&view, Qt::Key_Down);
    EXPECT_EQ(view.horizontalScrollBar()->value(), step);
    view.horizontalScrollBar()->setValue(view.horizontalScrollBar()->maximum());
    EXPECT_GE(view.visualRect(model.index(0)).right(), view.viewport()->width() - 1);
    EXPECT_LE(view.visualRect(model.index(0)).right(), view.viewport()->width() + 1);
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
