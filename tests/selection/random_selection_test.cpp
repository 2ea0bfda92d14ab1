#include "selection/random_selection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

namespace {

bool distinctAndWithin(const std::vector<qsizetype> &rows, qsizetype rowCount)
{
    const std::set<qsizetype> unique(rows.begin(), rows.end());
    return unique.size() == rows.size()
        && std::all_of(rows.begin(), rows.end(),
            [rowCount](qsizetype row) { return row >= 0 && row < rowCount; });
}

} // namespace

TEST(RandomSelection, PicksExactlyTheRequestedNumberOfDistinctRows)
{
    QRandomGenerator random(7);
    for (const auto &[rowCount, count] : std::vector<std::pair<qsizetype, qsizetype>> { { 25, 12 },
             { 10, 3 }, { 100, 99 }, { 1, 1 }, { 100000, 50000 }, { 10000000, 5000 } }) {
        const std::vector<qsizetype> rows = pickDistinctRows(rowCount, count, random);
        EXPECT_EQ(static_cast<qsizetype>(rows.size()), count) << rowCount << " " << count;
        EXPECT_TRUE(distinctAndWithin(rows, rowCount)) << rowCount << " " << count;
    }
}

TEST(RandomSelection, ACountEqualToTheSongCountPicksEveryRow)
{
    QRandomGenerator random(7);
    std::vector<qsizetype> rows = pickDistinctRows(10, 10, random);
    std::sort(rows.begin(), rows.end());
    EXPECT_EQ(rows, (std::vector<qsizetype> { 0, 1, 2, 3, 4, 5, 6, 7, 8, 9 }));
}

TEST(RandomSelection, NothingIsPickedForNoCountOrNoRows)
{
    QRandomGenerator random(7);
    EXPECT_TRUE(pickDistinctRows(10, 0, random).empty());
    EXPECT_TRUE(pickDistinctRows(10, -3, random).empty());
    EXPECT_TRUE(pickDistinctRows(0, 5, random).empty());
}

TEST(RandomSelection, ACountAboveTheSongCountIsClamped)
{
    QRandomGenerator random(7);
    const std::vector<qsizetype> rows = pickDistinctRows(4, 9, random);
    EXPECT_EQ(rows.size(), 4u);
    EXPECT_TRUE(distinctAndWithin(rows, 4));
}

TEST(RandomSelection, EveryRowIsEquallyLikelyIncludingTheFirstOnes)
{
    // Half of a small table, as the proposed count reads, and a couple of rows from a larger one;
    // fixed seeds, and the 0.1 % critical value of chi-square for rowCount - 1 degrees of freedom.
    struct Case
    {
        qsizetype rowCount;
        qsizetype count;
        int picks;
        double critical;
    };
    for (const Case &c : { Case { 25, 12, 20000, 51.2 }, Case { 1000, 2, 50000, 1143.0 } }) {
        QRandomGenerator random(20240601);
        std::vector<int> hits(static_cast<std::size_t>(c.rowCount), 0);
        for (int pick = 0; pick < c.picks; ++pick) {
            for (const qsizetype row : pickDistinctRows(c.rowCount, c.count, random))
                ++hits[static_cast<std::size_t>(row)];
        }
        const double expected = double(c.picks) * double(c.count) / double(c.rowCount);
        double chiSquare = 0;
        for (const int hit : hits)
            chiSquare += (hit - expected) * (hit - expected) / expected;
        EXPECT_LT(chiSquare, c.critical) << c.rowCount << " rows";
        EXPECT_GT(hits.front(), 0) << c.rowCount << " rows";
    }
}

TEST(RandomSelection, PairsOfRowsAreEquallyLikelyToBePickedTogether)
{
    // Uniform per row is not enough: every pair of 6 rows must come up as often when 2 are drawn.
    constexpr qsizetype rowCount = 6;
    constexpr int picks = 30000;
    QRandomGenerator random(99);
    std::vector<int> pairHits(rowCount * rowCount, 0);
    for (int pick = 0; pick < picks; ++pick) {
        std::vector<qsizetype> rows = pickDistinctRows(rowCount, 2, random);
        std::sort(rows.begin(), rows.end());
        ++pairHits[static_cast<std::size_t>(rows[0] * rowCount + rows[1])];
    }
    const double expected = picks / 15.0;
    double chiSquare = 0;
    for (qsizetype first = 0; first < rowCount; ++first) {
        for (qsizetype second = first + 1; second < rowCount; ++second) {
            const int hit = pairHits[static_cast<std::size_t>(first * rowCount + second)];
            chiSquare += (hit - expected) * (hit - expected) / expected;
        }
    }
    // 14 degrees of freedom: 36.1 is the 0.1 % critical value.
    EXPECT_LT(chiSquare, 36.1);
}
