#include "songs/carried_ticks.h"
#include "songs/search_file_analysis.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

SongTable songsWithCodes(const std::vector<QByteArray> &codes)
{
    QByteArray text;
    for (const QByteArray &code : codes)
        text += "x||" + code + "||p||n||x||x||c||l||s\r\n";
    return analyseSearchFile(text).table;
}

using Rows = std::vector<qsizetype>;

Rows ticked(const TickMarks &ticks)
{
    Rows rows;
    ticks.forEachTicked([&rows](qsizetype row) { rows.push_back(row); });
    return rows;
}

TEST(TickMarks, CountsAndVisitsTicksAcrossWordBoundaries)
{
    TickMarks ticks(130);
    for (const qsizetype row : { 0, 63, 64, 129 })
        EXPECT_TRUE(ticks.set(row, true));
    EXPECT_FALSE(ticks.set(64, true)) << "already ticked";
    EXPECT_EQ(ticks.count(), 4);
    EXPECT_EQ(ticked(ticks), (Rows { 0, 63, 64, 129 }));
    ticks.flip(63);
    ticks.flip(1);
    EXPECT_TRUE(ticks.set(0, false));
    EXPECT_EQ(ticked(ticks), (Rows { 1, 64, 129 }));
    EXPECT_EQ(ticks.count(), 3);
}

TEST(CarriedTicks, EveryRowOfATickedCodeStaysTickedAndGoneCodesAreCounted)
{
    const SongTable before = songsWithCodes({ "1", "2", "3", "3" });
    TickMarks beforeTicks(before.rowCount());
    for (const qsizetype row : { 0, 2, 3 })
        beforeTicks.set(row, true);
    const SongTable after = songsWithCodes({ "3", "4", "3", "2" });
    const CarriedTicks carried = carryTicksByCode(before, beforeTicks, after);
    EXPECT_EQ(carried.keptRows, 2);
    EXPECT_EQ(carried.droppedRows, 1) << "code 1 is gone";
    EXPECT_EQ(ticked(carried.ticks), (Rows { 0, 2 }));
    EXPECT_EQ(carried.ticks.size(), 4);
}

} // namespace
