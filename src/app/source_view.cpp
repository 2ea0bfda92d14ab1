#include "app/source_view.h"

#include "songs/source_text_model.h"
#include "ui/gbk_text.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QStyledItemDelegate>

#include <algorithm>

// Every line gets the same size, that of the longest line, so the view never measures the rest.
class SourceLineDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void setItemSize(QSize size) { m_size = size; }
    QSize sizeHint(const QStyleOptionViewItem &, const QModelIndex &) const override
    {
        return m_size;
    }

private:
    QSize m_size;
};

SourceView::SourceView(QWidget *parent)
    : QListView(parent)
    , m_delegate(new SourceLineDelegate(this))
{
    setItemDelegate(m_delegate);
    setUniformItemSizes(true);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
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
    const int height = fontMetrics().height() + 2;
    int width = 0;
    if (m_model->rowCount() > 0) {
        const QString longest = Gbk::decode(m_model->line(m_model->longestRow()));
        width = fontMetrics().horizontalAdvance(longest) + 2 * fontMetrics().averageCharWidth();
    }
    m_delegate->setItemSize(QSize(std::max(width, viewport()->width()), height));
    scrollToTop();
    doItemsLayout();
}

void SourceView::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Copy)) {
        copySelectedLines();
        return;
    }
    QListView::keyPressEvent(event);
}

void SourceView::copySelectedLines()
{
    QModelIndexList selected = selectionModel()->selectedRows();
    std::sort(selected.begin(), selected.end());
    QStringList lines;
    lines.reserve(selected.size());
    for (const QModelIndex &index : std::as_const(selected))
        lines << index.data().toString();
    if (!lines.isEmpty())
        QApplication::clipboard()->setText(lines.join(u'\n'));
}
