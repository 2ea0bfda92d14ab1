#pragma once

#include <QByteArray>

class SongTable;

// The six fields of every checked row, in table and column order, each on its own CR LF line,
// so a song adds six lines. The placeholder adds nothing.
QByteArray collectCheckedDetails(const SongTable &table);

// The six cells of every checked row as one line each, tab-separated, CR LF after every line:
// what a spreadsheet takes when pasted.
QByteArray checkedRowsAsTabSeparatedLines(const SongTable &table);
