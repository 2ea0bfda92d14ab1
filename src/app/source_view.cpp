#include "app/source_view.h"

#include "app/fixed_row_table.h"

#include "songs/source_text_model.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>

#include <algorithm>

SourceView::SourceView(QWidget *parent)
    : QTableView(parent)
{
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
    int width = 0;
    if (m_model->rowCount() > 0) {
        const QString longest = m_model->text(m_model->longestRow());
        width = fontMetrics().horizontalAdvance(longest) + 2 * fontMetrics().averageCharWidth();
    }
    setColumnWidth(0, std::max(width, viewport()->width()));
    scrollToTop();
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
