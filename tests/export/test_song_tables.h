#pragma once

#include "songs/song_table.h"

#include <QByteArray>
#include <QList>

#include <array>

using SongFields = std::array<QByteArray, songColumnCount>;

// A table as the analysis makes it: every cell stored with its CR LF, all rows unchecked.
SongTable makeSongTable(const QList<SongFields> &rows, TextEncoding encoding = TextEncoding::Gbk);
