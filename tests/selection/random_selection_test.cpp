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

class PickThatAddsSongs : public testing::Test
{
protected:
    // Rows 0 .. 19 shown in a shuffled order; the even ones below 10 ticked.
    std::vector<std::uint32_t> m_shown { 7, 3, 12, 0, 19, 4, 8, 15, 1, 2, 6, 18, 5, 9, 11, 10, 13,
        14, 16, 17 };
    std::function<bool(std::uint32_t)> m_isTicked
        = [](std::uint32_t row) { return row < 10 && row % 2 == 0; };
    QRandomGenerator m_random { 11 };
};

TEST_F(PickThatAddsSongs, AddsExactlyNDistinctUntickedShownSongs)
{
    const UntickedPick pick = pickUntickedRows(m_shown, m_isTicked, 8, m_random);
    EXPECT_EQ(pick.rows.size(), 8u);
    EXPECT_EQ(pick.untickedBefore, 15);
    EXPECT_EQ(std::set<std::uint32_t>(pick.rows.begin(), pick.rows.end()).size(), 8u);
    for (const std::uint32_t row : pick.rows) {
        EXPECT_FALSE(m_isTicked(row)) << row;
        EXPECT_NE(std::find(m_shown.begin(), m_shown.end(), row), m_shown.end()) << row;
    }
    EXPECT_EQ(randomPickNote(pick, 8), u"随机选中 8 首"_qs);
}

TEST_F(PickThatAddsSongs, AskingForMoreThanRemainTicksAllThatRemainAndSaysSo)
{
    for (const qsizetype count : { 15, 16, 99997 }) {
        UntickedPick pick = pickUntickedRows(m_shown, m_isTicked, count, m_random);
        std::sort(pick.rows.begin(), pick.rows.end());
        EXPECT_EQ(pick.rows,
            (std::vector<std::uint32_t> { 1, 3, 5, 7, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19 }));
        EXPECT_EQ(pick.tookAllLeft(count), count > 15);
    }
    const UntickedPick all = pickUntickedRows(m_shown, m_isTicked, 16, m_random);
    EXPECT_EQ(randomPickNote(all, 16), u"随机选中 15 首（只剩 15 首未选）"_qs);
    const UntickedPick none = pickUntickedRows(
        m_shown, [](std::uint32_t) { return true; }, 3, m_random);
    EXPECT_TRUE(none.rows.empty());
    EXPECT_EQ(randomPickNote(none, 3), u"随机选中 0 首（只剩 0 首未选）"_qs);
}

TEST_F(PickThatAddsSongs, EveryUntickedSongIsEquallyLikely)
{
    std::vector<int> hits(20, 0);
    constexpr int picks = 20000;
    for (int pick = 0; pick < picks; ++pick) {
        for (const std::uint32_t row : pickUntickedRows(m_shown, m_isTicked, 3, m_random).rows)
            ++hits[row];
    }
    const double expected = picks * 3.0 / 15.0;
    double chiSquare = 0;
    for (std::uint32_t row = 0; row < 20; ++row) {
        if (!m_isTicked(row))
            chiSquare += (hits[row] - expected) * (hits[row] - expected) / expected;
    }
    // 14 degrees of freedom: 36.1 is the 0.1 % critical value.
    EXPECT_LT(chiSquare, 36.1);
}
