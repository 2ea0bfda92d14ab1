#pragma once

class QTableView;

// Sets up a read-only table of whole-row selection that Tab leaves, whose rows all have one height,
// so it never asks a row for its size: a million rows then show at once. Never combine it with
// ResizeToContents, which measures every row.
void useFixedRowHeights(QTableView &view, int rowPadding);
