#pragma once

#include "songs/song_table.h"

#include <QByteArray>

// The code cells of the checked rows in table order, exactly as stored: analysed codes each end
// with CR LF, the placeholder's code carries none. Nothing else: no header, no byte-order mark.
QByteArray collectCheckedCodes(const SongTable &table);
