#include "app/song_table_view.h"

#include "app/fixed_row_table.h"

#include "songs/shown_songs_model.h"
#include "songs/song_table_model.h"

#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>

#include <algorithm>

SongTableView::SongTableView(QWidget *parent)
    : QTableView(parent)
{
    useFixedRowHeights(*this, 6);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setAlternatingRowColors(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(true);
}

void SongTableView::setSongModel(ShownSongsModel *model)
{
    m_songs = model;
    setModel(model);
    for (int column = 0; column < model->columnCount(); ++column)
        setColumnWidth(column, SongTableModel::defaultColumnWidth(column));
}

int SongTableView::selectedRow() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() && selectionModel()->isRowSelected(current.row()) ? current.row() : -1;
}

void SongTableView::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier
        && currentIndex().isValid()) {
        tickSelectedSongs();
        return;
    }
    QTableView::keyPressEvent(event);
}

void SongTableView::tickSelectedSongs()
{
    // The selected songs, or the current one (whichever of its cells has the focus).
    std::vector<std::uint32_t> rows;
    for (const QModelIndex &selected : selectionModel()->selectedRows())
        rows.push_back(m_songs->tableRow(selected.row()));
    if (rows.empty())
        rows.push_back(m_songs->tableRow(currentIndex().row()));
    SongTableModel *songs = m_songs->songs();
    const bool allTicked = std::all_of(rows.begin(), rows.end(),
        [songs](std::uint32_t row) { return songs->table().isChecked(row); });
    songs->setRowsChecked(rows, !allTicked);
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

void SongTableView::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    QTableView::mouseDoubleClickEvent(event);
    // A quick second click on a check box only ticks.
    if (event->button() != Qt::LeftButton || !index.isValid()
        || isOnCheckBox(index, event->position().toPoint()))
        return;
    selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    emit songDoubleClicked();
}

bool SongTableView::isOnCheckBox(const QModelIndex &index, const QPoint &position)
{
    if (!(model()->flags(index) & Qt::ItemIsUserCheckable))
        return false;
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualRect(index);
    option.features |= QStyleOptionViewItem::HasCheckIndicator;
    return style()
        ->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, this)
        .contains(position);
}

void SongTableView::focusFirstSong()
{
    if (model()->rowCount() == 0)
        return;
    const QModelIndex first = model()->index(0, 0);
    selectionModel()->setCurrentIndex(
        first, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(first);
    setFocus(Qt::OtherFocusReason);
}

void SongTableView::contextMenuEvent(QContextMenuEvent *event)
{
    QPoint position = event->globalPos();
    if (event->reason() == QContextMenuEvent::Mouse) {
        const QModelIndex index = indexAt(viewport()->mapFromGlobal(position));
        if (index.isValid() && !selectionModel()->isRowSelected(index.row()))
            selectRow(index.row());
        if (index.isValid())
            selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    } else if (currentIndex().isValid()) {
        position = viewport()->mapToGlobal(visualRect(currentIndex()).center());
    }
    emit contextMenuRequested(position);
    event->accept();
}
