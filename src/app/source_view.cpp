#include "app/source_view.h"

#include "songs/source_text_model.h"
#include "ui/widgets/accessibility.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>

#include <algorithm>

namespace {

// One line of the source view for a screen reader.
class SourceLineAccessible : public WidgetPartAccessible<SourceView>
{
public:
    SourceLineAccessible(SourceView *view, int row)
        : WidgetPartAccessible(view)
        , m_row(row)
    {
    }

    bool isValid() const override { return m_widget && m_row < m_widget->model()->rowCount(); }
    QAccessible::Role role() const override { return QAccessible::ListItem; }

    QString text(QAccessible::Text text) const override
    {
        return text == QAccessible::Name && isValid() ? index().data().toString() : QString();
    }

    QRect rect() const override
    {
        const QRect inViewport = m_widget->visualRect(index());
        return QRect(m_widget->viewport()->mapToGlobal(inViewport.topLeft()), inViewport.size());
    }

    QAccessible::State state() const override
    {
        QAccessible::State state;
        state.selectable = true;
        state.focusable = true;
        state.multiSelectable = true;
        state.selected = m_widget->selectionModel()->isRowSelected(m_row, {});
        state.focused = m_widget->currentIndex().row() == m_row && m_widget->hasFocus();
        state.invisible = !m_widget->viewport()->rect().intersects(m_widget->visualRect(index()));
        return state;
    }

    int row() const { return m_row; }

private:
    QModelIndex index() const { return m_widget->model()->index(m_row, 0); }

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
        if (m_generation != view()->layoutGeneration()) {
            forgetLines();
            m_generation = view()->layoutGeneration();
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
    : UniformRowTable(4, parent)
{
    useAccessibleInterface<SourceView, SourceListAccessible>();
    horizontalHeader()->hide();
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setTextElideMode(Qt::ElideNone);
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
    m_lineWidth = 0;
    if (m_model->rowCount() > 0) {
        const QString longest = m_model->text(m_model->longestRow());
        m_lineWidth
            = fontMetrics().horizontalAdvance(longest) + 2 * fontMetrics().averageCharWidth();
    }
    fitColumnToLines();
    scrollToTop();
    // A new text starts at its first line, for the keyboard and a screen reader alike.
    if (m_model->rowCount() > 0)
        selectionModel()->setCurrentIndex(m_model->index(0, 0), QItemSelectionModel::NoUpdate);
}

// The lines fill the view at least, so a selected one is marked across it.
void SourceView::fitColumnToLines()
{
    if (m_model)
        setColumnWidth(0, std::max(m_lineWidth, viewport()->width()));
}

void SourceView::resizeEvent(QResizeEvent *event)
{
    UniformRowTable::resizeEvent(event);
    fitColumnToLines();
}

void SourceView::focusInEvent(QFocusEvent *event)
{
    UniformRowTable::focusInEvent(event);
    // The widget tells of its focus only once this returns; the current line follows.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (hasFocus() && currentIndex().isValid())
                reportCell(QAccessible::Focus, currentIndex());
        },
        Qt::QueuedConnection);
}

void SourceView::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Copy)) {
        copySelectedLines();
        return;
    }
    UniformRowTable::keyPressEvent(event);
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
