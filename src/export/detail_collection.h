#pragma once

#include <QByteArray>

class SongTable;

// The six stored cells of every checked row, in table and column order, joined without
// separators. Each cell keeps its CR LF, so a song adds six lines.
QByteArray collectCheckedDetails(const SongTable &table);

// The six cells of every checked row as one line each, tab-separated, CR LF after every line:
// what a spreadsheet takes when pasted.
QByteArray checkedRowsAsTabSeparatedLines(const SongTable &table);
