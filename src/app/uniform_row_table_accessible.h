#pragma once

#include <QAccessibleWidget>
#include <QHash>

class UniformRowTable;

// A UniformRowTable for a screen reader: a table whose children are its column headers, then its
// cells row by row. Cells are made as they are asked for and let go when the rows change.
class UniformRowTableAccessible : public QAccessibleWidget, public QAccessibleTableInterface
{
public:
    explicit UniformRowTableAccessible(UniformRowTable *table);
    ~UniformRowTableAccessible() override;

    // The child index of a cell; the headers come first.
    static int childIndex(const UniformRowTable &table, int row, int column);

    void *interface_cast(QAccessible::InterfaceType type) override;
    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;

    QAccessibleInterface *caption() const override { return nullptr; }
    QAccessibleInterface *summary() const override { return nullptr; }
    QAccessibleInterface *cellAt(int row, int column) const override;
    int columnCount() const override;
    int rowCount() const override;
    QString columnDescription(int column) const override;
    QString rowDescription(int) const override { return {}; }
    int selectedCellCount() const override;
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override;
    QList<QAccessibleInterface *> selectedCells() const override;
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override;
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int row) const override;
    bool selectRow(int row) override;
    // Whole rows are selected, never columns.
    bool selectColumn(int) override { return false; }
    bool unselectRow(int row) override;
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent *event) override;

private:
    UniformRowTable *table() const;
    void forgetChildren() const;

    mutable QHash<int, QAccessible::Id> m_children;
    mutable int m_generation = 0;
};
