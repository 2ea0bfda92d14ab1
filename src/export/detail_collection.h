#pragma once

#include <QByteArray>

class SongTable;

// The six fields of every checked row, in table and column order, each on its own CR LF line,
// so a song adds six lines. The placeholder adds nothing.
QByteArray collectCheckedDetails(const SongTable &table);
