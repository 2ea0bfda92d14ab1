#pragma once

#include "songs/song_table.h"

#include <QByteArray>
#include <QIODevice>

#include <span>

// The given fields of the checked rows in table order, each as in the file and followed by CR LF.
// The placeholder is no song and gives nothing.
QByteArray collectCheckedFields(const SongTable &table, std::span<const SongColumn> columns);

// The codes of the checked rows, one per CR LF line: no header, no byte-order mark.
QByteArray collectCheckedCodes(const SongTable &table);

// Writes what collectCheckedCodes gives straight to `device`, through a small buffer instead of
// one the size of the result; false when a write fails.
bool writeCheckedCodes(const SongTable &table, QIODevice &device);
