#pragma once

#include "songs/song_table_model.h"

#include <QIODevice>

#include <span>

// Writes the given fields of every ticked song in table order, one line a song: the fields as
// in the file, tab-separated, each line ended by CR LF. With the code alone that is the code
// file the song system takes; with all six columns, what a spreadsheet takes when pasted.
// False when a write fails.
bool writeTickedRows(
    const TickedSongs &songs, std::span<const SongColumn> columns, QIODevice &device);

// The columns of the two forms.
inline constexpr std::array<SongColumn, 1> codeColumn { SongColumn::Code };
inline constexpr std::array<SongColumn, songColumnCount> allColumns { SongColumn::Code,
    SongColumn::Name, SongColumn::Singer, SongColumn::Category, SongColumn::Language,
    SongColumn::FilePath };
