#include "app/uniform_row_table.h"

#include "app/uniform_row_table_accessible.h"
#include "ui/widgets/accessibility.h"

#include <QHeaderView>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

UniformRowTable::UniformRowTable(int rowPadding, QWidget *parent)
    : QAbstractItemView(parent)
    , m_header(new QHeaderView(Qt::Horizontal, this))
    , m_rowPadding(rowPadding)
{
    useAccessibleInterface<UniformRowTable, UniformRowTableAccessible>();
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_header->setFocusPolicy(Qt::NoFocus);
    const auto relayout = [this] {
        updateGeometries();
        viewport()->update();
    };
    connect(m_header, &QHeaderView::sectionResized, this, relayout);
    connect(m_header, &QHeaderView::sectionMoved, this, relayout);
    connect(m_header, &QHeaderView::sectionCountChanged, this, relayout);
}

UniformRowTable::~UniformRowTable()
{
    // The header and the model outlive this part of the view while its base parts are destroyed;
    // what they signal then must not reach it.
    disconnect(m_header, nullptr, this, nullptr);
    for (const QMetaObject::Connection &connection : std::as_const(m_modelConnections))
        disconnect(connection);
}

void UniformRowTable::setModel(QAbstractItemModel *model)
{
    if (model == this->model())
        return;
    for (const QMetaObject::Connection &connection : std::as_const(m_modelConnections))
        disconnect(connection);
    m_modelConnections.clear();
    QAbstractItemView::setModel(model);
    m_header->setModel(model);
    if (model) {
        m_modelConnections = {
            connect(
                model, &QAbstractItemModel::modelReset, this, &UniformRowTable::onLayoutChanged),
            connect(
                model, &QAbstractItemModel::layoutChanged, this, &UniformRowTable::onLayoutChanged),
            connect(
                model, &QAbstractItemModel::rowsRemoved, this, &UniformRowTable::onLayoutChanged),
        };
    }
    onLayoutChanged();
}

void UniformRowTable::onLayoutChanged()
{
    ++m_layoutGeneration;
    updateGeometries();
}

void UniformRowTable::rowsInserted(const QModelIndex &parent, int start, int end)
{
    QAbstractItemView::rowsInserted(parent, start, end);
    onLayoutChanged();
}

void UniformRowTable::dataChanged(
    const QModelIndex &topLeft, const QModelIndex &bottomRight, const QList<int> &roles)
{
    if (topLeft == bottomRight) {
        QAbstractItemView::dataChanged(topLeft, bottomRight, roles);
        return;
    }
    // A range is repainted where it shows; the base would measure every changed cell, 0.1 s for
    // a million ticked at once.
    if (isVisible()) {
        const QRect changed = visualRect(topLeft).united(visualRect(bottomRight));
        viewport()->update(QRect(0, changed.top(), viewport()->width(), changed.height())
                               .intersected(viewport()->rect()));
    }
    if (QAccessible::isActive()) {
        QAccessibleTableModelChangeEvent event(this, QAccessibleTableModelChangeEvent::DataChanged);
        event.setFirstRow(topLeft.row());
        event.setFirstColumn(topLeft.column());
        event.setLastRow(bottomRight.row());
        event.setLastColumn(bottomRight.column());
        QAccessible::updateAccessibility(&event);
    }
}

int UniformRowTable::rowCount() const
{
    return model() ? model()->rowCount(rootIndex()) : 0;
}

int UniformRowTable::rowHeight() const
{
    return fontMetrics().height() + m_rowPadding;
}

int UniformRowTable::columnWidth(int column) const
{
    return m_header->sectionSize(column);
}

void UniformRowTable::setColumnWidth(int column, int width)
{
    m_header->resizeSection(column, width);
}

int UniformRowTable::rowsInSight() const
{
    return std::max(1, viewport()->height() / rowHeight());
}

int UniformRowTable::firstRowInSight() const
{
    return verticalScrollBar()->value();
}

int UniformRowTable::rowUnder(int y) const
{
    const int height = rowHeight();
    return firstRowInSight() + (y >= 0 ? y / height : (y - height + 1) / height);
}

int UniformRowTable::rowAt(int y) const
{
    const int row = rowUnder(y);
    return y >= 0 && row < rowCount() ? row : -1;
}

int UniformRowTable::columnAt(int x) const
{
    return m_header->logicalIndexAt(x);
}

int UniformRowTable::horizontalOffset() const
{
    return horizontalScrollBar()->value();
}

int UniformRowTable::verticalOffset() const
{
    return firstRowInSight() * rowHeight();
}

QRect UniformRowTable::visualRect(const QModelIndex &index) const
{
    if (!index.isValid() || index.model() != model() || index.parent() != rootIndex())
        return {};
    return QRect(m_header->sectionViewportPosition(index.column()),
        (index.row() - firstRowInSight()) * rowHeight(), m_header->sectionSize(index.column()),
        rowHeight());
}

QModelIndex UniformRowTable::indexAt(const QPoint &point) const
{
    const int row = rowAt(point.y());
    const int column = columnAt(point.x());
    if (row < 0 || column < 0)
        return {};
    return model()->index(row, column, rootIndex());
}

void UniformRowTable::selectRow(int row)
{
    if (row < 0 || row >= rowCount())
        return;
    const QModelIndex index = model()->index(row, 0, rootIndex());
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    selectionModel()->select(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void UniformRowTable::scrollTo(const QModelIndex &index, ScrollHint hint)
{
    if (!index.isValid())
        return;
    const int row = index.row();
    const int first = firstRowInSight();
    const int sight = rowsInSight();
    int top = first;
    switch (hint) {
    case EnsureVisible:
        if (row < first)
            top = row;
        else if (row >= first + sight)
            top = row - sight + 1;
        break;
    case PositionAtTop:
        top = row;
        break;
    case PositionAtBottom:
        top = row - sight + 1;
        break;
    case PositionAtCenter:
        top = row - sight / 2;
        break;
    }
    verticalScrollBar()->setValue(top);

    // The column too; one wider than the view stays as scrolled while any of it shows, so a
    // long line read sideways is not thrown back at each move.
    const int left = m_header->sectionPosition(index.column());
    const int right = left + m_header->sectionSize(index.column());
    const int shownLeft = horizontalOffset();
    const int shownRight = shownLeft + viewport()->width();
    if (right - left > shownRight - shownLeft) {
        if (right <= shownLeft || left >= shownRight)
            horizontalScrollBar()->setValue(left);
    } else if (left < shownLeft) {
        horizontalScrollBar()->setValue(left);
    } else if (right > shownRight) {
        horizontalScrollBar()->setValue(right - (shownRight - shownLeft));
    }
}

QModelIndex UniformRowTable::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers)
{
    const int rows = rowCount();
    const int columns = model() ? model()->columnCount(rootIndex()) : 0;
    if (rows == 0 || columns == 0)
        return {};
    const QModelIndex current = currentIndex();
    int row = current.isValid() ? current.row() : 0;
    int column = current.isValid() ? current.column() : 0;
    switch (cursorAction) {
    case MoveUp:
        --row;
        break;
    case MoveDown:
        ++row;
        break;
    case MovePageUp:
        row -= rowsInSight();
        break;
    case MovePageDown:
        row += rowsInSight();
        break;
    // As in a list: the first and the last row.
    case MoveHome:
        row = 0;
        break;
    case MoveEnd:
        row = rows - 1;
        break;
    case MovePrevious:
        --column;
        break;
    case MoveNext:
        ++column;
        break;
    case MoveLeft:
    case MoveRight:
        horizontalScrollBar()->triggerAction(cursorAction == MoveLeft
                ? QAbstractSlider::SliderSingleStepSub
                : QAbstractSlider::SliderSingleStepAdd);
        break;
    }
    return model()->index(
        std::clamp(row, 0, rows - 1), std::clamp(column, 0, columns - 1), rootIndex());
}

void UniformRowTable::setSelection(const QRect &rect, QItemSelectionModel::SelectionFlags command)
{
    const int rows = rowCount();
    const int columns = model() ? model()->columnCount(rootIndex()) : 0;
    if (rows == 0 || columns == 0)
        return;
    const QRect area = rect.normalized();
    const auto rowOf = [&](int y) { return std::clamp(rowUnder(y), 0, rows - 1); };
    const auto columnOf = [&](int x, int beyond) {
        const int column = m_header->logicalIndexAt(x);
        return column >= 0 ? column : beyond;
    };
    const int left = columnOf(area.left(), 0);
    const int right = columnOf(area.right(), columns - 1);
    selectionModel()->select(
        QItemSelection(model()->index(rowOf(area.top()), std::min(left, right), rootIndex()),
            model()->index(rowOf(area.bottom()), std::max(left, right), rootIndex())),
        command);
}

QRegion UniformRowTable::visualRegionForSelection(const QItemSelection &selection) const
{
    // Clipped to the viewport: a selection of a million rows is one rectangle in sight.
    const QRect sight = viewport()->rect();
    QRegion region;
    for (const QItemSelectionRange &range : selection) {
        if (range.parent() != rootIndex())
            continue;
        region += visualRect(range.topLeft())
                      .united(visualRect(range.bottomRight()))
                      .intersected(sight);
    }
    return region;
}

void UniformRowTable::scrollContentsBy(int dx, int dy)
{
    m_header->setOffset(horizontalScrollBar()->value());
    QAbstractItemView::scrollContentsBy(dx, dy * rowHeight());
}

void UniformRowTable::updateGeometries()
{
    const int headerHeight = m_header->isHidden() ? 0 : m_header->sizeHint().height();
    setViewportMargins(0, headerHeight, 0, 0);
    const QRect area = viewport()->geometry();
    m_header->setGeometry(area.left(), area.top() - headerHeight, area.width(), headerHeight);

    const int sight = rowsInSight();
    verticalScrollBar()->setSingleStep(1);
    verticalScrollBar()->setPageStep(sight);
    verticalScrollBar()->setRange(0, std::max(0, rowCount() - sight));
    horizontalScrollBar()->setSingleStep(std::max(1, m_header->defaultSectionSize() / 2));
    horizontalScrollBar()->setPageStep(area.width());
    horizontalScrollBar()->setRange(0, std::max(0, m_header->length() - area.width()));
    m_header->setOffset(horizontalScrollBar()->value());
    QAbstractItemView::updateGeometries();
}

void UniformRowTable::paintEvent(QPaintEvent *event)
{
    const int rows = rowCount();
    if (rows == 0 || m_header->count() == 0)
        return;
    QPainter painter(viewport());
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const QStyle::State state = option.state;
    const QRect area = event->rect();
    const int from = std::max(0, rowAt(std::max(0, area.top())));
    int to = rowAt(area.bottom());
    if (to < 0)
        to = rows - 1;
    int firstColumn = m_header->visualIndexAt(area.left());
    int lastColumn = m_header->visualIndexAt(area.right());
    if (firstColumn < 0)
        firstColumn = 0;
    if (lastColumn < 0)
        lastColumn = m_header->count() - 1;
    const QModelIndex current = currentIndex();
    const bool alternate = alternatingRowColors();
    // Rows in order, then their cells: what a model finds quickest.
    for (int row = from; row <= to; ++row) {
        for (int visual = firstColumn; visual <= lastColumn; ++visual) {
            const int column = m_header->logicalIndex(visual);
            if (m_header->isSectionHidden(column))
                continue;
            const QModelIndex index = model()->index(row, column, rootIndex());
            option.rect = visualRect(index);
            option.state = state;
            option.features &= ~QStyleOptionViewItem::Alternate;
            if (alternate && row % 2 == 1)
                option.features |= QStyleOptionViewItem::Alternate;
            if (selectionModel()->isSelected(index))
                option.state |= QStyle::State_Selected;
            if (index == current && hasFocus())
                option.state |= QStyle::State_HasFocus;
            if (isEnabled()) {
                option.palette.setCurrentColorGroup(
                    option.state & QStyle::State_Active ? QPalette::Normal : QPalette::Inactive);
            }
            style()->drawPrimitive(QStyle::PE_PanelItemViewRow, &option, &painter, this);
            itemDelegateForIndex(index)->paint(&painter, option, index);
        }
    }
}

void UniformRowTable::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    if (current.isValid() && hasFocus())
        reportCell(QAccessible::Focus, current);
    QAbstractItemView::currentChanged(current, previous);
}

void UniformRowTable::selectionChanged(
    const QItemSelection &selected, const QItemSelection &deselected)
{
    // The first cell of each change, as a table view tells it.
    if (!selected.isEmpty())
        reportCell(QAccessible::SelectionAdd, selected.constFirst().topLeft());
    if (!deselected.isEmpty())
        reportCell(QAccessible::SelectionRemove, deselected.constFirst().topLeft());
    QAbstractItemView::selectionChanged(selected, deselected);
}

void UniformRowTable::reportCell(QAccessible::Event type, const QModelIndex &index)
{
    if (!QAccessible::isActive() || !index.isValid())
        return;
    QAccessibleEvent event(this, type);
    event.setChild(accessibleChild(index));
    QAccessible::updateAccessibility(&event);
}

int UniformRowTable::accessibleChild(const QModelIndex &index) const
{
    return UniformRowTableAccessible::childIndex(*this, index.row(), index.column());
}
