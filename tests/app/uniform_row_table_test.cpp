#include "app/uniform_row_table.h"

#include <QAbstractTableModel>
#include <QAccessible>
#include <QHeaderView>
#include <QPaintEvent>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

namespace {

// Rows of "row:column" cells, a check box in the first column, as many rows as asked.
class NumberedCells : public QAbstractTableModel
{
public:
    explicit NumberedCells(int rows)
        : m_checked(std::size_t(rows), false)
    {
    }

    void checkAll()
    {
        m_checked.assign(m_checked.size(), true);
        emit dataChanged(index(0, 0), index(rowCount() - 1, 0), { Qt::CheckStateRole });
    }

    void resize(int rows)
    {
        beginResetModel();
        m_checked.assign(std::size_t(rows), false);
        endResetModel();
    }

    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_checked.size());
    }
    int columnCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : 3;
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role == Qt::DisplayRole)
            return QString::number(index.row()) + u':' + QString::number(index.column());
        if (role == Qt::CheckStateRole && index.column() == 0)
            return m_checked[std::size_t(index.row())] ? Qt::Checked : Qt::Unchecked;
        return {};
    }
    bool setData(const QModelIndex &index, const QVariant &value, int role) override
    {
        if (role != Qt::CheckStateRole || index.column() != 0)
            return false;
        m_checked[std::size_t(index.row())] = value.toInt() == Qt::Checked;
        emit dataChanged(index, index);
        return true;
    }
    Qt::ItemFlags flags(const QModelIndex &index) const override
    {
        const Qt::ItemFlags flags = QAbstractTableModel::flags(index);
        return index.column() == 0 ? flags | Qt::ItemIsUserCheckable : flags;
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
            return u"Column "_qs + QString::number(section);
        return {};
    }

private:
    std::vector<bool> m_checked;
};

// Collects the regions a widget paints.
class PaintWatch : public QObject
{
public:
    PaintWatch(QWidget *widget, QRegion &painted)
        : m_painted(painted)
    {
        widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            m_painted += static_cast<QPaintEvent *>(event)->region();
        return false;
    }

private:
    QRegion &m_painted;
};

struct ShownTable
{
    explicit ShownTable(int rows)
        : cells(rows)
    {
        table.setSelectionMode(QAbstractItemView::ExtendedSelection);
        table.setModel(&cells);
        for (int column = 0; column < 3; ++column)
            table.setColumnWidth(column, 150);
        table.resize(300, 240);
        table.show();
    }
    QPoint cellCentre(int row, int column) const
    {
        return table.visualRect(cells.index(row, column)).center();
    }
    bool inSight(int row, int column = 0) const
    {
        return table.viewport()->rect().intersects(table.visualRect(cells.index(row, column)));
    }
    QList<int> selectedRows() const
    {
        QList<int> rows;
        for (const QModelIndex &index : table.selectionModel()->selectedRows())
            rows << index.row();
        std::sort(rows.begin(), rows.end());
        return rows;
    }

    NumberedCells cells;
    UniformRowTable table { 6 };
};

} // namespace

TEST(UniformRowTable, PointsCellsAndScrollingAgreeAcrossAMillionRows)
{
    ShownTable shown(1000000);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&shown.table));
    UniformRowTable &table = shown.table;

    EXPECT_EQ(table.indexAt(shown.cellCentre(2, 1)), shown.cells.index(2, 1));
    EXPECT_EQ(table.rowAt(-1), -1);

    table.scrollTo(shown.cells.index(999999, 0));
    EXPECT_TRUE(shown.inSight(999999));
    EXPECT_EQ(table.indexAt(shown.cellCentre(999999, 0)).row(), 999999);
    // Below the last row nothing is hit.
    EXPECT_EQ(table.rowAt(table.visualRect(shown.cells.index(999999, 0)).bottom() + 2), -1);

    // The third column lies beyond the view: bringing it into sight scrolls the header with it.
    table.scrollTo(shown.cells.index(999999, 2));
    const QRect third = table.visualRect(shown.cells.index(999999, 2));
    EXPECT_GE(third.left(), 0);
    EXPECT_LE(third.right(), table.viewport()->width());
    EXPECT_EQ(table.horizontalHeader()->sectionViewportPosition(2), third.left());

    // Fewer rows than were in sight: the view shows from the top again.
    shown.cells.resize(3);
    EXPECT_EQ(table.verticalScrollBar()->maximum(), 0);
    EXPECT_TRUE(shown.inSight(2, 2));
}

TEST(UniformRowTable, KeysAndTheMouseSelectWholeRows)
{
    ShownTable shown(1000);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&shown.table));
    UniformRowTable &table = shown.table;
    table.setFocus();

    QTest::mouseClick(table.viewport(), Qt::LeftButton, Qt::NoModifier, shown.cellCentre(1, 1));
    EXPECT_EQ(shown.selectedRows(), QList<int> { 1 });
    QTest::mouseClick(table.viewport(), Qt::LeftButton, Qt::ShiftModifier, shown.cellCentre(3, 2));
    EXPECT_EQ(shown.selectedRows(), (QList<int> { 1, 2, 3 }));
    QTest::mousePress(table.viewport(), Qt::LeftButton, Qt::NoModifier, shown.cellCentre(5, 0));
    QTest::mouseMove(table.viewport(), shown.cellCentre(7, 1));
    QTest::mouseRelease(table.viewport(), Qt::LeftButton, Qt::NoModifier, shown.cellCentre(7, 1));
    EXPECT_EQ(shown.selectedRows(), (QList<int> { 5, 6, 7 }));

    QTest::keyClick(&table, Qt::Key_End);
    EXPECT_EQ(table.currentIndex().row(), 999);
    EXPECT_TRUE(shown.inSight(999));
    QTest::keyClick(&table, Qt::Key_PageUp);
    const int pageUp = table.currentIndex().row();
    EXPECT_LT(pageUp, 999 - 3);
    EXPECT_TRUE(shown.inSight(pageUp));
    QTest::keyClick(&table, Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(shown.selectedRows(), (QList<int> { pageUp - 1, pageUp }));
    QTest::keyClick(&table, Qt::Key_Home);
    EXPECT_EQ(table.currentIndex().row(), 0);
    EXPECT_TRUE(shown.inSight(0));

    // Every row ticked at once: the rows in sight are painted again, ticked.
    QCoreApplication::processEvents();
    QRegion painted;
    PaintWatch watch(table.viewport(), painted);
    shown.cells.checkAll();
    ASSERT_TRUE(QTest::qWaitFor([&] { return painted.contains(shown.cellCentre(2, 0)); }));
    EXPECT_TRUE(painted.contains(shown.cellCentre(5, 1)));

    // A click on a check box changes it.
    QTest::mouseClick(table.viewport(), Qt::LeftButton, Qt::NoModifier,
        table.visualRect(shown.cells.index(2, 0)).topLeft() + QPoint(10, table.rowHeight() / 2));
    EXPECT_EQ(shown.cells.index(2, 0).data(Qt::CheckStateRole).toInt(), Qt::Unchecked);
}

TEST(UniformRowTable, AScreenReaderReadsATableOfCellsUnderTheirHeaders)
{
    ShownTable shown(100000);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&shown.table));
    QAccessibleInterface *reader = QAccessible::queryAccessibleInterface(&shown.table);
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(reader->role(), QAccessible::Table);
    QAccessibleTableInterface *cells = reader->tableInterface();
    ASSERT_NE(cells, nullptr);
    EXPECT_EQ(cells->rowCount(), 100000);
    EXPECT_EQ(cells->columnCount(), 3);
    EXPECT_EQ(reader->childCount(), (100000 + 1) * 3);

    QAccessibleInterface *header = reader->child(1);
    EXPECT_EQ(header->role(), QAccessible::ColumnHeader);
    EXPECT_EQ(header->text(QAccessible::Name), u"Column 1"_qs);

    QAccessibleInterface *cell = cells->cellAt(4, 1);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->role(), QAccessible::Cell);
    EXPECT_EQ(cell->text(QAccessible::Name), u"4:1"_qs);
    EXPECT_EQ(reader->indexOfChild(cell), (4 + 1) * 3 + 1);
    EXPECT_EQ(reader->child(reader->indexOfChild(cell)), cell);
    EXPECT_EQ(cell->tableCellInterface()->columnHeaderCells().value(0), header);
    const QPoint centre = cell->rect().center();
    EXPECT_EQ(reader->childAt(centre.x(), centre.y()), cell);
    EXPECT_TRUE(cells->cellAt(99999, 0)->state().invisible);

    // The check box: its state, and toggled as a screen reader's action.
    QAccessibleInterface *box = cells->cellAt(4, 0);
    EXPECT_TRUE(box->state().checkable);
    EXPECT_FALSE(box->state().checked);
    box->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_TRUE(box->state().checked);

    // Selection both ways, counted without listing every selected row.
    EXPECT_TRUE(cells->selectRow(7));
    EXPECT_TRUE(cells->isRowSelected(7));
    EXPECT_TRUE(cells->cellAt(7, 2)->state().selected);
    shown.table.selectAll();
    EXPECT_EQ(cells->selectedRowCount(), 100000);
    EXPECT_EQ(cells->selectedCellCount(), 300000);
    EXPECT_TRUE(cells->unselectRow(7));
    EXPECT_FALSE(cells->isRowSelected(7));
    EXPECT_EQ(cells->selectedRowCount(), 99999);

    // New rows: the cells of the old ones are let go, the new ones read.
    shown.cells.resize(2);
    EXPECT_EQ(cells->cellAt(4, 1), nullptr);
    EXPECT_EQ(cells->cellAt(1, 1)->text(QAccessible::Name), u"1:1"_qs);
}
