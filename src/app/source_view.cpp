#include "app/source_view.h"

#include "app/fixed_row_table.h"

#include "songs/source_text_model.h"
#include "ui/widgets/accessibility.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPointer>

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
    : QTableView(parent)
{
    useAccessibleInterface<SourceView, SourceListAccessible>();
    useFixedRowHeights(*this, 2);
    setTextElideMode(Qt::ElideNone);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    horizontalHeader()->hide();
}

void SourceView::setSourceModel(SourceTextModel *model)
{
    m_model = model;
    setModel(model);
    connect(model, &QAbstractItemModel::modelReset, this, &SourceView::fitItemsToLongestLine);
    fitItemsToLongestLine();
}

void SourceView::fitItemsToLongestLine()
{
    ++m_textGeneration;
    int width = 0;
    if (m_model->rowCount() > 0) {
        const QString longest = m_model->text(m_model->longestRow());
        width = fontMetrics().horizontalAdvance(longest) + 2 * fontMetrics().averageCharWidth();
    }
    setColumnWidth(0, std::max(width, viewport()->width()));
    scrollToTop();
    // A new text starts at its first line, for the keyboard and a screen reader alike.
    if (m_model->rowCount() > 0)
        selectionModel()->setCurrentIndex(m_model->index(0, 0), QItemSelectionModel::NoUpdate);
}

void SourceView::focusInEvent(QFocusEvent *event)
{
    QTableView::focusInEvent(event);
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
    QTableView::keyPressEvent(event);
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
