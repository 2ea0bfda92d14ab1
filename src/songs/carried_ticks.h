#pragma once

#include "songs/song_table.h"
#include "songs/tick_marks.h"

// What a re-analysis did with the ticks of the table it replaced.
struct CarriedTicks
{
    TickMarks ticks; // of the new table
    qsizetype keptRows = 0; // rows of the new table ticked because their code was ticked
    qsizetype droppedRows = 0; // ticked rows of the old table whose code is gone
};

// Ticks every row of `to` whose code was ticked in `from`, whatever rows of `from` held it.
CarriedTicks carryTicksByCode(
    const SongTable &from, const TickMarks &fromTicks, const SongTable &to);
