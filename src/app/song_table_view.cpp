#include "app/song_table_view.h"

#include "app/fixed_row_table.h"

#include "songs/song_table_model.h"

#include <QContextMenuEvent>
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
    emit contextMenuRequested(position);
    event->accept();
}
