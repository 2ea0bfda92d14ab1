#include "app/song_table_view.h"

#include "songs/shown_songs_model.h"
#include "songs/song_table_model.h"

#include <QAccessible>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QToolTip>

#include <algorithm>
#include <cstdlib>

namespace {

// Makes every cell of a row current as the row's first cell, the one with the check box.
class CheckCellSelectionModel : public QItemSelectionModel
{
public:
    using QItemSelectionModel::QItemSelectionModel;

    void setCurrentIndex(const QModelIndex &index, SelectionFlags command) override
    {
        QItemSelectionModel::setCurrentIndex(
            index.isValid() ? index.siblingAtColumn(0) : index, command);
    }
};

QAccessibleInterface *accessibleCell(QAbstractItemView *view, const QModelIndex &index)
{
    QAccessibleInterface *table = QAccessible::queryAccessibleInterface(view);
    return table && table->tableInterface()
        ? table->tableInterface()->cellAt(index.row(), index.column())
        : nullptr;
}

const QString venueMark = QStringLiteral("已有");

// The room the mark of a song the venue has takes at the end of its name cell; none elsewhere.
int venueMarkRoom(const QModelIndex &index, const QFontMetrics &metrics)
{
    if (index.column() != int(SongColumn::Name)
        || !index.data(SongTableModel::VenueSongRole).toBool())
        return 0;
    return metrics.horizontalAdvance(venueMark) + 10;
}

// Songs the venue has show in the grey of placeholder text, their name followed by a mark, so
// what is new stands out while both show.
class SongCellDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
        const QModelIndex &index) const override
    {
        const int markRoom = venueMarkRoom(index, option.fontMetrics);
        if (markRoom == 0 || option.rect.width() <= 2 * markRoom) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        QStyleOptionViewItem cell = option;
        initStyleOption(&cell, index);
        const QWidget *view = option.widget;
        QStyle *style = view ? view->style() : QApplication::style();
        // The background across the whole cell, the text before the mark.
        style->drawPrimitive(QStyle::PE_PanelItemViewItem, &cell, painter, view);
        cell.rect.setRight(cell.rect.right() - markRoom);
        style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, view);

        const QRect mark(option.rect.right() - markRoom + 2, option.rect.top() + 2, markRoom - 6,
            option.rect.height() - 4);
        const bool selected = option.state & QStyle::State_Selected;
        const QColor ink = option.palette.color(
            selected ? QPalette::HighlightedText : QPalette::PlaceholderText);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(QPen(ink, 1));
        painter->setBrush(Qt::NoBrush);
        painter->drawRoundedRect(QRectF(mark).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
        painter->drawText(mark, Qt::AlignCenter, venueMark);
        painter->restore();
    }

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (!index.data(SongTableModel::VenueSongRole).toBool())
            return;
        const QColor grey = option->palette.color(QPalette::PlaceholderText);
        option->palette.setColor(QPalette::Text, grey);
        option->palette.setColor(QPalette::WindowText, grey);
    }
};

} // namespace

SongTableView::SongTableView(QWidget *parent)
    : UniformRowTable(6, parent)
{
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setAlternatingRowColors(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(true);
    setItemDelegate(new SongCellDelegate(this));
}

void SongTableView::setSongModel(ShownSongsModel *model)
{
    m_songs = model;
    setModel(model);
    QItemSelectionModel *defaultSelection = selectionModel();
    setSelectionModel(new CheckCellSelectionModel(model, this));
    delete defaultSelection;
    connect(model, &QAbstractItemModel::modelAboutToBeReset, this, &SongTableView::rememberCurrent);
    connect(model, &QAbstractItemModel::modelReset, this, &SongTableView::restoreCurrent);
    // A new table shows in file order.
    connect(model, &QAbstractItemModel::modelReset, this, &SongTableView::showSortIndicator);
    connect(
        horizontalHeader(), &QHeaderView::sectionClicked, this, &SongTableView::onHeaderClicked);
    horizontalHeader()->setSortIndicatorShown(true);
    showSortIndicator();
    connect(model, &QAbstractItemModel::dataChanged, this, &SongTableView::onTicksShown);
    fitColumnsToWidth();
}

void SongTableView::onHeaderClicked(int column)
{
    // Ascending, descending, then file order again.
    Qt::SortOrder order = Qt::AscendingOrder;
    if (column == m_songs->sortColumn()) {
        if (m_songs->sortOrder() == Qt::AscendingOrder)
            order = Qt::DescendingOrder;
        else
            column = -1;
    }
    m_songs->sortBy(column, order);
    showSortIndicator();
}

void SongTableView::showSortIndicator()
{
    horizontalHeader()->setSortIndicator(m_songs->sortColumn(), m_songs->sortOrder());
}

void SongTableView::resizeEvent(QResizeEvent *event)
{
    UniformRowTable::resizeEvent(event);
    fitColumnsToWidth();
}

void SongTableView::fitColumnsToWidth()
{
    if (!m_songs)
        return;
    // What the view shows beyond the default widths goes to the name, the singer and, twice as
    // much, the path; the code and the short columns keep theirs.
    int defaultWidths = 0;
    for (int column = 0; column < songColumnCount; ++column)
        defaultWidths += SongTableModel::defaultColumnWidth(column);
    const int shown = width() - 2 * frameWidth() - verticalScrollBar()->sizeHint().width();
    const int spare = std::max(shown - defaultWidths, 0);
    const auto widthOf = [spare](SongColumn column) {
        const int base = SongTableModel::defaultColumnWidth(static_cast<int>(column));
        switch (column) {
        case SongColumn::Name:
        case SongColumn::Singer:
            return base + spare / 4;
        case SongColumn::FilePath:
            return base + spare - 2 * (spare / 4);
        default:
            return base;
        }
    };
    for (int column = 0; column < songColumnCount; ++column)
        setColumnWidth(column, widthOf(static_cast<SongColumn>(column)));
}

QString SongTableView::cutText(const QModelIndex &index) const
{
    if (!index.isValid())
        return {};
    // Measured as the style draws the cell: its text room, less a margin on either side.
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualRect(index);
    option.index = index;
    option.text = index.data().toString();
    option.features |= QStyleOptionViewItem::HasDisplay;
    if (index.data(Qt::CheckStateRole).isValid())
        option.features |= QStyleOptionViewItem::HasCheckIndicator;
    QRect textRoom = style()->subElementRect(QStyle::SE_ItemViewItemText, &option, this);
    textRoom.setRight(textRoom.right() - venueMarkRoom(index, option.fontMetrics));
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    return option.fontMetrics.horizontalAdvance(option.text) > textRoom.width() - 2 * margin
        ? option.text
        : QString();
}

bool SongTableView::viewportEvent(QEvent *event)
{
    if (event->type() != QEvent::ToolTip)
        return UniformRowTable::viewportEvent(event);
    const auto *help = static_cast<QHelpEvent *>(event);
    const QString text = cutText(indexAt(help->pos()));
    if (text.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(help->globalPos(), text, viewport());
    return true;
}

void SongTableView::rememberCurrent()
{
    const QModelIndex current = currentIndex();
    m_currentSong
        = current.isValid() ? std::optional(m_songs->tableRow(current.row())) : std::nullopt;
}

void SongTableView::restoreCurrent()
{
    // The current song stays current when it is still shown.
    const int shownRow = m_currentSong ? m_songs->shownRow(*m_currentSong) : -1;
    m_currentTicked.reset();
    if (shownRow < 0)
        return;
    const QModelIndex index = m_songs->index(shownRow, 0);
    selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index);
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
    UniformRowTable::keyPressEvent(event);
}

void SongTableView::scrollTo(const QModelIndex &index, ScrollHint hint)
{
    // Only rows scroll into sight: the current cell is always the first, and a click on a cell
    // further right must not scroll the columns back.
    const int columnsAt = horizontalScrollBar()->value();
    UniformRowTable::scrollTo(index, hint);
    horizontalScrollBar()->setValue(columnsAt);
}

void SongTableView::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    UniformRowTable::currentChanged(current, previous);
    m_currentTicked = isCurrentTicked();
}

std::optional<bool> SongTableView::isCurrentTicked() const
{
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return std::nullopt;
    return m_songs->songs()->isTicked(m_songs->tableRow(current.row()));
}

void SongTableView::onTicksShown()
{
    const std::optional<bool> ticked = isCurrentTicked();
    const bool changed = ticked && m_currentTicked && *ticked != *m_currentTicked;
    m_currentTicked = ticked;
    if (!changed || !QAccessible::isActive())
        return;
    if (QAccessibleInterface *cell = accessibleCell(this, currentIndex())) {
        QAccessible::State checked;
        checked.checked = true;
        QAccessibleStateChangeEvent event(cell, checked);
        QAccessible::updateAccessibility(&event);
    }
}

void SongTableView::reportFocusOnCurrentCell()
{
    if (!hasFocus() || !currentIndex().isValid() || !QAccessible::isActive())
        return;
    if (QAccessibleInterface *cell = accessibleCell(this, currentIndex())) {
        QAccessibleEvent event(cell, QAccessible::Focus);
        QAccessible::updateAccessibility(&event);
    }
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
    const bool allTicked = std::all_of(
        rows.begin(), rows.end(), [songs](std::uint32_t row) { return songs->isTicked(row); });
    const qsizetype tickedBefore = songs->tickedSongCount();
    songs->setRowsTicked(rows, !allTicked);
    // One song's change is spoken by its cell; several need a word.
    if (rows.size() > 1)
        emit songsTicked(std::abs(songs->tickedSongCount() - tickedBefore), !allTicked);
}

void SongTableView::focusInEvent(QFocusEvent *event)
{
    UniformRowTable::focusInEvent(event);
    // Tabbing in gives a current cell; make its row the selected one the menu plays.
    const bool byKeyboard = event->reason() == Qt::TabFocusReason
        || event->reason() == Qt::BacktabFocusReason || event->reason() == Qt::ShortcutFocusReason;
    if (byKeyboard && currentIndex().isValid() && selectionModel()->selectedRows().isEmpty())
        selectRow(currentIndex().row());
    // The widget tells of its focus only once this returns, which would leave a screen reader on
    // the table rather than on the song: the cell follows.
    QMetaObject::invokeMethod(this, &SongTableView::reportFocusOnCurrentCell, Qt::QueuedConnection);
}

void SongTableView::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    UniformRowTable::mouseDoubleClickEvent(event);
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
    showFirstSong();
    setFocus(Qt::OtherFocusReason);
}

void SongTableView::showFirstSong()
{
    if (model()->rowCount() == 0)
        return;
    const QModelIndex first = model()->index(0, 0);
    selectionModel()->setCurrentIndex(
        first, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(first);
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
    emit contextMenuRequested(position, event->reason() != QContextMenuEvent::Mouse);
    event->accept();
}
