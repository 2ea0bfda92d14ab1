#pragma once

#include <QAbstractItemView>
#include <QAccessible>

class QHeaderView;

// A read-only table whose rows all have one height, with a header of columns and none of rows.
// Where a row lies is arithmetic, so the view keeps nothing per row: a table view's row header
// keeps 8 bytes a row (a million rows: 7.7 MiB, and every model reset refills it). The vertical
// scroll bar counts rows. Whole rows are selected; Tab leaves the table. A screen reader reads it
// as a table of cells under their column headers. Left and Right scroll the columns sideways.
class UniformRowTable : public QAbstractItemView
{
    Q_OBJECT

public:
    // Rows are as high as a line of the font and `rowPadding` pixels.
    explicit UniformRowTable(int rowPadding, QWidget *parent = nullptr);
    ~UniformRowTable() override;

    void setModel(QAbstractItemModel *model) override;
    QHeaderView *horizontalHeader() const { return m_header; }
    int rowHeight() const;
    int columnWidth(int column) const;
    void setColumnWidth(int column, int width);
    // The row or column at a viewport coordinate, or -1.
    int rowAt(int y) const;
    int columnAt(int x) const;
    // Makes the row current and the only one selected.
    void selectRow(int row);
    // Counts the layouts shown (new rows, a new order), so the accessible cells of an old one are
    // let go.
    int layoutGeneration() const { return m_layoutGeneration; }

    QRect visualRect(const QModelIndex &index) const override;
    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;
    QModelIndex indexAt(const QPoint &point) const override;

protected:
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    int horizontalOffset() const override;
    int verticalOffset() const override;
    bool isIndexHidden(const QModelIndex &) const override { return false; }
    void setSelection(const QRect &rect, QItemSelectionModel::SelectionFlags command) override;
    QRegion visualRegionForSelection(const QItemSelection &selection) const override;
    void scrollContentsBy(int dx, int dy) override;
    void updateGeometries() override;
    void paintEvent(QPaintEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void selectionChanged(
        const QItemSelection &selected, const QItemSelection &deselected) override;
    void rowsInserted(const QModelIndex &parent, int start, int end) override;
    void dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
        const QList<int> &roles = {}) override;
    // Tells a screen reader of an event on the cell.
    void reportCell(QAccessible::Event type, const QModelIndex &index);
    // The cell's child index in this view's accessible interface.
    virtual int accessibleChild(const QModelIndex &index) const;

private:
    int rowCount() const;
    int rowsInSight() const;
    int firstRowInSight() const;
    // The row a viewport coordinate falls on, counted on past either end.
    int rowUnder(int y) const;
    void onLayoutChanged();

    QHeaderView *m_header;
    QList<QMetaObject::Connection> m_modelConnections;
    int m_rowPadding;
    int m_layoutGeneration = 0;
};
