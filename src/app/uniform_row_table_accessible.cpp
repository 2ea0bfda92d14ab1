#include "app/uniform_row_table_accessible.h"

#include "app/uniform_row_table.h"

#include "ui/widgets/accessibility.h"

#include <QHeaderView>

namespace {

QRect onScreen(const QWidget *widget, const QRect &rect)
{
    return QRect(widget->mapToGlobal(rect.topLeft()), rect.size());
}

// A column's header.
class HeaderCellAccessible : public WidgetPartAccessible<UniformRowTable>
{
public:
    HeaderCellAccessible(UniformRowTable *table, int column)
        : WidgetPartAccessible(table)
        , m_column(column)
    {
    }

    bool isValid() const override
    {
        return m_widget && m_widget->model() && m_column < m_widget->model()->columnCount();
    }
    QAccessible::Role role() const override { return QAccessible::ColumnHeader; }

    QString text(QAccessible::Text text) const override
    {
        if (text != QAccessible::Name || !isValid())
            return {};
        return m_widget->model()->headerData(m_column, Qt::Horizontal).toString();
    }

    QRect rect() const override
    {
        const QHeaderView *header = m_widget->horizontalHeader();
        return onScreen(header,
            QRect(header->sectionViewportPosition(m_column), 0, header->sectionSize(m_column),
                header->height()));
    }

    QAccessible::State state() const override
    {
        QAccessible::State state;
        state.invisible = m_widget->horizontalHeader()->isHidden();
        return state;
    }

    int column() const { return m_column; }

private:
    int m_column;
};

// One cell: its text, its check box if it has one, whether it is selected and current.
class CellAccessible : public WidgetPartAccessible<UniformRowTable>,
                       public QAccessibleTableCellInterface,
                       public QAccessibleActionInterface
{
public:
    CellAccessible(UniformRowTable *table, int row, int column)
        : WidgetPartAccessible(table)
        , m_row(row)
        , m_column(column)
    {
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TableCellInterface)
            return static_cast<QAccessibleTableCellInterface *>(this);
        if (type == QAccessible::ActionInterface)
            return static_cast<QAccessibleActionInterface *>(this);
        return nullptr;
    }

    bool isValid() const override
    {
        const QAbstractItemModel *model = m_widget ? m_widget->model() : nullptr;
        return model && m_row < model->rowCount(m_widget->rootIndex())
            && m_column < model->columnCount(m_widget->rootIndex());
    }
    QAccessible::Role role() const override { return QAccessible::Cell; }

    QString text(QAccessible::Text text) const override
    {
        if (!isValid())
            return {};
        switch (text) {
        case QAccessible::Name: {
            const QString spoken = index().data(Qt::AccessibleTextRole).toString();
            return spoken.isEmpty() ? index().data().toString() : spoken;
        }
        case QAccessible::Description:
            return index().data(Qt::AccessibleDescriptionRole).toString();
        default:
            return {};
        }
    }

    QRect rect() const override
    {
        return isValid() ? onScreen(m_widget->viewport(), m_widget->visualRect(index())) : QRect();
    }

    QAccessible::State state() const override
    {
        QAccessible::State state;
        if (!isValid())
            return state;
        const QModelIndex cell = index();
        state.invisible = !m_widget->viewport()->rect().intersects(m_widget->visualRect(cell));
        state.selected = m_widget->selectionModel()->isSelected(cell);
        state.focused = m_widget->currentIndex() == cell;
        const QVariant checkState = cell.data(Qt::CheckStateRole);
        state.checked = checkState.isValid() && checkState.toInt() == Qt::Checked;
        const Qt::ItemFlags flags = cell.flags();
        state.checkable = checkState.isValid() && (flags & Qt::ItemIsUserCheckable);
        if (flags & Qt::ItemIsSelectable) {
            state.selectable = true;
            state.focusable = true;
            state.extSelectable = m_widget->selectionMode() == QAbstractItemView::ExtendedSelection;
            state.multiSelectable = m_widget->selectionMode() == QAbstractItemView::MultiSelection;
        }
        return state;
    }

    // QAccessibleTableCellInterface
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    int columnIndex() const override { return m_column; }
    int rowIndex() const override { return m_row; }
    bool isSelected() const override
    {
        return isValid() && m_widget->selectionModel()->isSelected(index());
    }
    QList<QAccessibleInterface *> columnHeaderCells() const override
    {
        QAccessibleInterface *table = parent();
        if (!table || !table->tableInterface())
            return {};
        return { table->child(m_column) };
    }
    QList<QAccessibleInterface *> rowHeaderCells() const override { return {}; }
    QAccessibleInterface *table() const override { return parent(); }

    // QAccessibleActionInterface: a check box is toggled, a cell selects its row.
    QStringList actionNames() const override
    {
        QStringList names;
        if (state().checkable)
            names << toggleAction();
        names << setFocusAction();
        return names;
    }
    void doAction(const QString &name) override
    {
        if (!isValid())
            return;
        const QModelIndex cell = index();
        if (name == toggleAction() && state().checkable) {
            const bool checked = cell.data(Qt::CheckStateRole).toInt() == Qt::Checked;
            m_widget->model()->setData(
                cell, checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
        } else if (name == setFocusAction()) {
            m_widget->selectRow(m_row);
            m_widget->setFocus();
        }
    }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

    int row() const { return m_row; }
    int column() const { return m_column; }

private:
    QModelIndex index() const
    {
        return m_widget->model()->index(m_row, m_column, m_widget->rootIndex());
    }

    int m_row;
    int m_column;
};

} // namespace

UniformRowTableAccessible::UniformRowTableAccessible(UniformRowTable *table)
    : QAccessibleWidget(table, QAccessible::Table)
{
}

UniformRowTableAccessible::~UniformRowTableAccessible()
{
    forgetChildren();
}

UniformRowTable *UniformRowTableAccessible::table() const
{
    return static_cast<UniformRowTable *>(widget());
}

int UniformRowTableAccessible::childIndex(const UniformRowTable &table, int row, int column)
{
    const int columns = table.model() ? table.model()->columnCount(table.rootIndex()) : 0;
    return (row + 1) * columns + column;
}

void *UniformRowTableAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TableInterface)
        return static_cast<QAccessibleTableInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

int UniformRowTableAccessible::columnCount() const
{
    const QAbstractItemModel *model = table()->model();
    return model ? model->columnCount(table()->rootIndex()) : 0;
}

int UniformRowTableAccessible::rowCount() const
{
    const QAbstractItemModel *model = table()->model();
    return model ? model->rowCount(table()->rootIndex()) : 0;
}

int UniformRowTableAccessible::childCount() const
{
    return (rowCount() + 1) * columnCount();
}

QAccessibleInterface *UniformRowTableAccessible::child(int index) const
{
    const int columns = columnCount();
    if (index < 0 || columns == 0 || index >= childCount())
        return nullptr;
    if (m_generation != table()->layoutGeneration()) {
        forgetChildren();
        m_generation = table()->layoutGeneration();
    }
    QAccessible::Id &id = m_children[index];
    if (id == 0) {
        QAccessibleInterface *made = index < columns
            ? static_cast<QAccessibleInterface *>(new HeaderCellAccessible(table(), index))
            : new CellAccessible(table(), index / columns - 1, index % columns);
        id = QAccessible::registerAccessibleInterface(made);
    }
    return QAccessible::accessibleInterface(id);
}

int UniformRowTableAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    if (!child || child->parent() != this)
        return -1;
    if (const auto *header = dynamic_cast<const HeaderCellAccessible *>(child))
        return header->column();
    if (const auto *cell = dynamic_cast<const CellAccessible *>(child))
        return childIndex(*table(), cell->row(), cell->column());
    return -1;
}

QAccessibleInterface *UniformRowTableAccessible::childAt(int x, int y) const
{
    const QHeaderView *header = table()->horizontalHeader();
    const QPoint inHeader = header->mapFromGlobal(QPoint(x, y));
    if (header->isVisible() && header->rect().contains(inHeader)) {
        const int column = header->logicalIndexAt(inHeader.x());
        return column >= 0 ? child(column) : nullptr;
    }
    const QModelIndex index = table()->indexAt(table()->viewport()->mapFromGlobal(QPoint(x, y)));
    return index.isValid() ? cellAt(index.row(), index.column()) : nullptr;
}

QAccessibleInterface *UniformRowTableAccessible::cellAt(int row, int column) const
{
    if (row < 0 || column < 0 || row >= rowCount() || column >= columnCount())
        return nullptr;
    return child(childIndex(*table(), row, column));
}

QString UniformRowTableAccessible::columnDescription(int column) const
{
    const QAbstractItemModel *model = table()->model();
    return model ? model->headerData(column, Qt::Horizontal).toString() : QString();
}

int UniformRowTableAccessible::selectedRowCount() const
{
    // From the ranges: a list of a million selected rows would be made only to be counted.
    int rows = 0;
    for (const QItemSelectionRange &range : table()->selectionModel()->selection())
        rows += range.height();
    return rows;
}

int UniformRowTableAccessible::selectedCellCount() const
{
    return selectedRowCount() * columnCount();
}

QList<int> UniformRowTableAccessible::selectedRows() const
{
    QList<int> rows;
    for (const QItemSelectionRange &range : table()->selectionModel()->selection())
        for (int row = range.top(); row <= range.bottom(); ++row)
            rows << row;
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

QList<QAccessibleInterface *> UniformRowTableAccessible::selectedCells() const
{
    // The cells of the first selected rows: a screen reader reads a few, and an interface for
    // every cell of a million selected rows would take gigabytes.
    constexpr int mostRows = 1000;
    QList<QAccessibleInterface *> cells;
    const QList<int> rows = selectedRows();
    for (int at = 0; at < std::min<qsizetype>(rows.size(), mostRows); ++at)
        for (int column = 0; column < columnCount(); ++column)
            cells << cellAt(rows[at], column);
    return cells;
}

bool UniformRowTableAccessible::isRowSelected(int row) const
{
    return table()->selectionModel()->isRowSelected(row, table()->rootIndex());
}

bool UniformRowTableAccessible::selectRow(int row)
{
    if (row < 0 || row >= rowCount())
        return false;
    const QModelIndex index = table()->model()->index(row, 0, table()->rootIndex());
    const auto command = table()->selectionMode() == QAbstractItemView::ExtendedSelection
            || table()->selectionMode() == QAbstractItemView::MultiSelection
        ? QItemSelectionModel::Select
        : QItemSelectionModel::ClearAndSelect;
    table()->selectionModel()->select(index, command | QItemSelectionModel::Rows);
    return true;
}

bool UniformRowTableAccessible::unselectRow(int row)
{
    if (row < 0 || row >= rowCount())
        return false;
    table()->selectionModel()->select(table()->model()->index(row, 0, table()->rootIndex()),
        QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    return true;
}

void UniformRowTableAccessible::modelChange(QAccessibleTableModelChangeEvent *event)
{
    // Cells stand for places, which changed data leaves where they were.
    if (event->modelChangeType() != QAccessibleTableModelChangeEvent::DataChanged)
        forgetChildren();
}

void UniformRowTableAccessible::forgetChildren() const
{
    for (const QAccessible::Id id : std::as_const(m_children))
        QAccessible::deleteAccessibleInterface(id);
    m_children.clear();
}
