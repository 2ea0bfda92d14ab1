#include "app/song_table_view.h"

#include "app/fixed_row_table.h"

#include "songs/song_table_model.h"

#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>

SongTableView::SongTableView(QWidget *parent)
    : QTableView(parent)
{
    useFixedRowHeights(*this, 6);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setAlternatingRowColors(true);
    horizontalHeader()->setHighlightSections(false);
}

void SongTableView::setSongModel(SongTableModel *model)
{
    setModel(model);
    for (int column = 0; column < model->columnCount(); ++column)
        setColumnWidth(column, SongTableModel::defaultColumnWidth(column));
}

int SongTableView::selectedRow() const
{
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.constFirst().row();
}

void SongTableView::keyPressEvent(QKeyEvent *event)
{
    // Space ticks the current song whichever of its cells has the focus.
    const QModelIndex current = currentIndex();
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier
        && current.isValid()) {
        const QModelIndex checkCell = current.siblingAtColumn(0);
        const bool checked = checkCell.data(Qt::CheckStateRole).toInt() == Qt::Checked;
        model()->setData(checkCell, checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
        return;
    }
    QTableView::keyPressEvent(event);
}

void SongTableView::focusInEvent(QFocusEvent *event)
{
    QTableView::focusInEvent(event);
    // Tabbing in gives a current cell; make its row the selected one the menu plays.
    const bool byKeyboard = event->reason() == Qt::TabFocusReason
        || event->reason() == Qt::BacktabFocusReason || event->reason() == Qt::ShortcutFocusReason;
    if (byKeyboard && currentIndex().isValid() && selectionModel()->selectedRows().isEmpty())
        selectRow(currentIndex().row());
}

void SongTableView::contextMenuEvent(QContextMenuEvent *event)
{
    QPoint position = event->globalPos();
    if (event->reason() == QContextMenuEvent::Mouse) {
        const QModelIndex index = indexAt(viewport()->mapFromGlobal(position));
        if (index.isValid())
            selectRow(index.row());
    } else if (currentIndex().isValid()) {
        position = viewport()->mapToGlobal(visualRect(currentIndex()).center());
    }
    Q_EMIT contextMenuRequested(position);
    event->accept();
}
