#include "app/source_view.h"

#include "songs/source_text_model.h"
#include "ui/widgets/accessibility.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>

#include <algorithm>

namespace {

// One line of the source view for a screen reader.
class SourceLineAccessible : public QAccessibleInterface
{
public:
    SourceLineAccessible(SourceView *view, int row)
        : m_view(view)
        , m_row(row)
    {
    }

    bool isValid() const override { return m_view && m_row < m_view->model()->rowCount(); }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return m_view->window()->windowHandle(); }
    QAccessibleInterface *parent() const override
    {
        return QAccessible::queryAccessibleInterface(m_view);
    }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    void setText(QAccessible::Text, const QString &) override { }

    QString text(QAccessible::Text text) const override
    {
        return text == QAccessible::Name && isValid() ? index().data().toString() : QString();
    }

    QRect rect() const override
    {
        const QRect inViewport = m_view->visualRect(index());
        return QRect(m_view->viewport()->mapToGlobal(inViewport.topLeft()), inViewport.size());
    }

    QAccessible::State state() const override
    {
        QAccessible::State state;
        state.selectable = true;
        state.focusable = true;
        state.multiSelectable = true;
        state.selected = m_view->selectionModel()->isRowSelected(m_row, {});
        state.focused = m_view->currentIndex().row() == m_row && m_view->hasFocus();
        state.invisible = !m_view->viewport()->rect().intersects(m_view->visualRect(index()));
        return state;
    }

    int row() const { return m_row; }

private:
    QModelIndex index() const { return m_view->model()->index(m_row, 0); }

    QPointer<SourceView> m_view;
    int m_row;
};

// The source view as a list whose items are its lines. Its child indexes are the rows, as in
// the focus and selection events the table view sends.
class SourceListAccessible : public QAccessibleWidget
{
public:
    explicit SourceListAccessible(SourceView *view)
        : QAccessibleWidget(view, QAccessible::List)
    {
    }

    ~SourceListAccessible() override { forgetLines(); }

    int childCount() const override { return view()->model() ? view()->model()->rowCount() : 0; }

    QAccessibleInterface *child(int row) const override
    {
        if (row < 0 || row >= childCount())
            return nullptr;
        if (m_generation != view()->textGeneration()) {
            forgetLines();
            m_generation = view()->textGeneration();
        }
        QAccessible::Id &id = m_lines[row];
        if (id == 0)
            id = QAccessible::registerAccessibleInterface(new SourceLineAccessible(view(), row));
        return QAccessible::accessibleInterface(id);
    }

    int indexOfChild(const QAccessibleInterface *child) const override
    {
        const auto *line = dynamic_cast<const SourceLineAccessible *>(child);
        return line && child->parent() == this ? line->row() : -1;
    }

    QAccessibleInterface *childAt(int x, int y) const override
    {
        const QModelIndex index = view()->indexAt(view()->viewport()->mapFromGlobal(QPoint(x, y)));
        return index.isValid() ? child(index.row()) : nullptr;
    }

private:
    SourceView *view() const { return static_cast<SourceView *>(widget()); }

    void forgetLines() const
    {
        for (const QAccessible::Id id : std::as_const(m_lines))
            QAccessible::deleteAccessibleInterface(id);
        m_lines.clear();
    }

    mutable QHash<int, QAccessible::Id> m_lines;
    mutable int m_generation = 0;
};

} // namespace

SourceView::SourceView(QWidget *parent)
    : QAbstractItemView(parent)
{
    useAccessibleInterface<SourceView, SourceListAccessible>();
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab moves on to the next control.
    setTabKeyNavigation(false);
    setTextElideMode(Qt::ElideNone);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
}

void SourceView::setSourceModel(SourceTextModel *model)
{
    m_model = model;
    setModel(model);
    connect(model, &QAbstractItemModel::modelReset, this, &SourceView::fitItemsToLongestLine);
    fitItemsToLongestLine();
}

int SourceView::lineHeight() const
{
    return fontMetrics().height() + 2;
}

int SourceView::linesInSight() const
{
    return std::max(1, viewport()->height() / lineHeight());
}

// The vertical scroll bar counts lines, so a million of them never overflow its range.
int SourceView::firstLineInSight() const
{
    return verticalScrollBar()->value();
}

int SourceView::lineAt(int y) const
{
    const int height = lineHeight();
    return firstLineInSight() + (y >= 0 ? y / height : (y - height + 1) / height);
}

int SourceView::horizontalOffset() const
{
    return horizontalScrollBar()->value();
}

int SourceView::verticalOffset() const
{
    return firstLineInSight() * lineHeight();
}

QRect SourceView::visualRect(const QModelIndex &index) const
{
    if (!index.isValid() || index.model() != model() || index.parent() != rootIndex())
        return {};
    return QRect(-horizontalOffset(), (index.row() - firstLineInSight()) * lineHeight(),
        std::max(m_lineWidth, viewport()->width()), lineHeight());
}

QModelIndex SourceView::indexAt(const QPoint &point) const
{
    const int row = lineAt(point.y());
    if (!model() || point.y() < 0 || row >= model()->rowCount(rootIndex()))
        return {};
    return model()->index(row, 0, rootIndex());
}

void SourceView::scrollTo(const QModelIndex &index, ScrollHint hint)
{
    if (!index.isValid())
        return;
    const int row = index.row();
    const int first = firstLineInSight();
    const int sight = linesInSight();
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
}

QModelIndex SourceView::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers)
{
    const int count = model() ? model()->rowCount(rootIndex()) : 0;
    if (count == 0)
        return {};
    const QModelIndex current = currentIndex();
    int row = current.isValid() ? current.row() : 0;
    switch (cursorAction) {
    case MoveUp:
    case MovePrevious:
        --row;
        break;
    case MoveDown:
    case MoveNext:
        ++row;
        break;
    case MovePageUp:
        row -= linesInSight();
        break;
    case MovePageDown:
        row += linesInSight();
        break;
    case MoveHome:
        row = 0;
        break;
    case MoveEnd:
        row = count - 1;
        break;
    case MoveLeft:
    case MoveRight:
        // A line wider than the view is read by scrolling it sideways.
        horizontalScrollBar()->triggerAction(cursorAction == MoveLeft
                ? QAbstractSlider::SliderSingleStepSub
                : QAbstractSlider::SliderSingleStepAdd);
        break;
    }
    return model()->index(std::clamp(row, 0, count - 1), 0, rootIndex());
}

void SourceView::setSelection(const QRect &rect, QItemSelectionModel::SelectionFlags command)
{
    const int count = model() ? model()->rowCount(rootIndex()) : 0;
    if (count == 0)
        return;
    const QRect area = rect.normalized();
    const int top = std::clamp(lineAt(area.top()), 0, count - 1);
    const int bottom = std::clamp(lineAt(area.bottom()), 0, count - 1);
    selectionModel()->select(
        QItemSelection(model()->index(top, 0, rootIndex()), model()->index(bottom, 0, rootIndex())),
        command);
}

QRegion SourceView::visualRegionForSelection(const QItemSelection &selection) const
{
    // Clipped to the viewport: a selection of a million lines is one rectangle in sight.
    const QRect sight = viewport()->rect();
    QRegion region;
    for (const QItemSelectionRange &range : selection) {
        if (range.parent() != rootIndex())
            continue;
        const QRect top = visualRect(model()->index(range.top(), 0, rootIndex()));
        const QRect bottom = visualRect(model()->index(range.bottom(), 0, rootIndex()));
        region += top.united(bottom).intersected(sight);
    }
    return region;
}

void SourceView::scrollContentsBy(int dx, int dy)
{
    QAbstractItemView::scrollContentsBy(dx, dy * lineHeight());
}

void SourceView::updateGeometries()
{
    const int count = model() ? model()->rowCount(rootIndex()) : 0;
    const int sight = linesInSight();
    verticalScrollBar()->setSingleStep(1);
    verticalScrollBar()->setPageStep(sight);
    verticalScrollBar()->setRange(0, std::max(0, count - sight));
    horizontalScrollBar()->setSingleStep(2 * fontMetrics().averageCharWidth());
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setRange(0, std::max(0, m_lineWidth - viewport()->width()));
    QAbstractItemView::updateGeometries();
}

void SourceView::paintEvent(QPaintEvent *event)
{
    if (!model())
        return;
    QPainter painter(viewport());
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const QStyle::State state = option.state;
    const int count = model()->rowCount(rootIndex());
    const int from = std::max(firstLineInSight(), lineAt(event->rect().top()));
    const int to = std::min(count - 1, lineAt(event->rect().bottom()));
    const QModelIndex current = currentIndex();
    // Lines are asked for in order, which the model finds quickest.
    for (int row = from; row <= to; ++row) {
        const QModelIndex index = model()->index(row, 0, rootIndex());
        option.rect = visualRect(index);
        option.state = state;
        if (selectionModel()->isSelected(index))
            option.state |= QStyle::State_Selected;
        if (index == current && hasFocus())
            option.state |= QStyle::State_HasFocus;
        if (isEnabled()) {
            option.palette.setCurrentColorGroup(
                option.state & QStyle::State_Active ? QPalette::Normal : QPalette::Inactive);
        }
        itemDelegateForIndex(index)->paint(&painter, option, index);
    }
}

void SourceView::fitItemsToLongestLine()
{
    ++m_textGeneration;
    m_lineWidth = 0;
    if (m_model->rowCount() > 0) {
        const QString longest = m_model->text(m_model->longestRow());
        m_lineWidth
            = fontMetrics().horizontalAdvance(longest) + 2 * fontMetrics().averageCharWidth();
    }
    updateGeometries();
    scrollToTop();
    // A new text starts at its first line, for the keyboard and a screen reader alike.
    if (m_model->rowCount() > 0)
        selectionModel()->setCurrentIndex(m_model->index(0, 0), QItemSelectionModel::NoUpdate);
}

void SourceView::focusInEvent(QFocusEvent *event)
{
    QAbstractItemView::focusInEvent(event);
    // The widget tells of its focus only once this returns; the current line follows.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (hasFocus() && currentIndex().isValid())
                reportLine(QAccessible::Focus, currentIndex().row());
        },
        Qt::QueuedConnection);
}

void SourceView::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    if (current.isValid() && hasFocus())
        reportLine(QAccessible::Focus, current.row());
    QAbstractItemView::currentChanged(current, previous);
}

void SourceView::selectionChanged(const QItemSelection &selected, const QItemSelection &deselected)
{
    if (!selected.isEmpty())
        reportLine(QAccessible::SelectionAdd, selected.constFirst().top());
    if (!deselected.isEmpty())
        reportLine(QAccessible::SelectionRemove, deselected.constFirst().top());
    QAbstractItemView::selectionChanged(selected, deselected);
}

void SourceView::reportLine(QAccessible::Event type, int row)
{
    if (!QAccessible::isActive())
        return;
    QAccessibleEvent event(this, type);
    event.setChild(row);
    QAccessible::updateAccessibility(&event);
}

void SourceView::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Copy)) {
        copySelectedLines();
        return;
    }
    QAbstractItemView::keyPressEvent(event);
}

void SourceView::copySelectedLines()
{
    QModelIndexList selected = selectionModel()->selectedRows();
    std::sort(selected.begin(), selected.end());
    QStringList lines;
    lines.reserve(selected.size());
    for (const QModelIndex &index : std::as_const(selected))
        lines << index.data(SourceTextModel::wholeLineRole).toString();
    if (!lines.isEmpty())
        QApplication::clipboard()->setText(lines.join(u'\n'));
}
