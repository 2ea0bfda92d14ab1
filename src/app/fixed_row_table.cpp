#include "app/fixed_row_table.h"

#include <QHeaderView>
#include <QTableView>

void useFixedRowHeights(QTableView &view, int rowPadding)
{
    view.setSelectionBehavior(QAbstractItemView::SelectRows);
    view.setEditTriggers(QAbstractItemView::NoEditTriggers);
    view.setWordWrap(false);
    // Tab moves on to the next control instead of from cell to cell.
    view.setTabKeyNavigation(false);
    view.setShowGrid(false);
    view.verticalHeader()->hide();
    view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view.verticalHeader()->setDefaultSectionSize(view.fontMetrics().height() + rowPadding);
}
