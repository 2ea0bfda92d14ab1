#pragma once

#include "songs/song_table.h"

#include <QByteArray>

#include <functional>
#include <string>

// Times `work` and prints it as one row of the benchmark's table, with its target.
using TimedRow = std::function<void(
    const std::string &step, const std::function<void()> &work, const char *target)>;

// The rows of the venue's filters over an analysed table: a change of the language or category
// choice, reading a 200,000-code list of songs the venue has and hiding them, finding duplicate
// songs, a random pick that adds songs, and the memory all filters keep per song.
void printVenueFilterRows(const SongTable &table, const TimedRow &timedRow);

// Every fifth song's code, and one code in ten that the table does not have: 200,000 lines for
// a million songs, as the song system exports them.
QByteArray venueCodeList(const SongTable &table);
