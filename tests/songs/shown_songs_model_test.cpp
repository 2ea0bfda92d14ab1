#include "songs/search_file_analysis.h"
#include "songs/shown_songs_model.h"
#include "songs/song_filters.h"
#include "songs/song_orders.h"

#include <QAbstractItemModelTester>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

namespace {

using Rows = std::vector<std::uint32_t>;

// Songs named by `names`, coded 1, 2, ... in file order, with the singer of the same index.
class ShownSongs : public testing::Test
{
protected:
    void load(const std::vector<QByteArray> &names, const std::vector<QByteArray> &singers = {})
    {
        QByteArray text;
        for (std::size_t song = 0; song < names.size(); ++song) {
            text += "x||" + QByteArray::number(qulonglong(song + 1)) + "||p||" + names[song]
                + "||x||x||c||l||" + (singers.empty() ? QByteArray("s") : singers[song]) + "\r\n";
        }
        SearchFileAnalysis analysis = analyseSearchFile(text);
        m_songs.setTable(std::make_shared<const SongTable>(std::move(analysis.table)));
        m_filters.prepareFinding();
    }

    void waitUntilIdle()
    {
        ASSERT_TRUE(QTest::qWaitFor([this] { return !m_shown.isBusy(); }));
    }

    Rows shownRows() const
    {
        Rows rows;
        for (int row = 0; row < m_shown.rowCount(); ++row)
            rows.push_back(m_shown.tableRow(row));
        return rows;
    }

    // Every set of rows the view was shown, in order.
    void recordResets()
    {
        QObject::connect(&m_shown, &QAbstractItemModel::modelReset,
            [this] { m_shownSets.push_back(shownRows()); });
    }

    SongTableModel m_songs;
    SongFilters m_filters { &m_songs };
    ShownSongsModel m_shown { &m_songs, &m_filters };
    QAbstractItemModelTester m_tester { &m_shown,
        QAbstractItemModelTester::FailureReportingMode::Fatal };
    std::vector<Rows> m_shownSets;
};

TEST_F(ShownSongs, QueryFiltersOnlyTickedAndSortCombine)
{
    load({ "b rain", "a sun", "c rain", "d rain" }, { "s", "s", "s", "t" });
    waitUntilIdle();
    m_filters.setQuery(u"rain"_qs);
    waitUntilIdle();
    EXPECT_EQ(shownRows(), (Rows { 0, 2, 3 }));

    m_filters.setSinger(SongFacets::foldedValue("s", TextEncoding::Gbk));
    waitUntilIdle();
    EXPECT_EQ(shownRows(), (Rows { 0, 2 }));
    m_shown.sortBy(1, Qt::DescendingOrder);
    waitUntilIdle();
    EXPECT_EQ(shownRows(), (Rows { 2, 0 })) << "c rain before b rain";

    const Rows tick { 0 };
    m_songs.setRowsTicked(tick, true);
    m_filters.setOnlyTicked(true);
    EXPECT_EQ(shownRows(), Rows { 0 });
    EXPECT_TRUE(m_shown.setData(m_shown.index(0, 0), Qt::Unchecked, Qt::CheckStateRole));
    EXPECT_FALSE(m_songs.isTicked(0)) << "ticks pass through to the songs";

    m_filters.setOnlyTicked(false);
    m_filters.setSinger({});
    m_filters.setQuery(QString());
    EXPECT_EQ(shownRows(), (Rows { 3, 2, 0, 1 })) << "every song, still sorted";
    EXPECT_EQ(m_shown.shownSongs(), (Rows { 3, 2, 0, 1 }));
    EXPECT_EQ(m_shown.shownRow(0), 2) << "where a table row shows, read backwards";
    EXPECT_EQ(m_shown.mapFromSource(m_songs.index(3, 1)), m_shown.index(0, 1));
    m_shown.setShownTicked(true);
    EXPECT_EQ(m_songs.tickedSongCount(), 4);
    m_shown.sortBy(-1, Qt::AscendingOrder);
    EXPECT_EQ(shownRows(), (Rows { 0, 1, 2, 3 }));
    EXPECT_EQ(m_shown.headerData(1, Qt::Horizontal).toString(), u"歌名"_qs);
}

TEST_F(ShownSongs, ANewerQueryOrSortSupersedesAnOlderOneStillRunning)
{
    std::vector<QByteArray> names;
    for (int song = 0; song < 50000; ++song)
        names.push_back(song % 2 ? "odd " + QByteArray::number(song) : "even");
    load(names);
    waitUntilIdle();
    recordResets();

    m_filters.setQuery(u"odd"_qs);
    m_filters.setQuery(u"even"_qs);
    m_shown.sortBy(1, Qt::AscendingOrder);
    m_shown.sortBy(0, Qt::DescendingOrder);
    waitUntilIdle();

    ASSERT_EQ(m_shown.rowCount(), 25000);
    EXPECT_EQ(m_shown.tableRow(0), 49998u) << "the even songs by code, descending";
    EXPECT_EQ(m_shown.tableRow(24999), 0u);
    for (const Rows &shown : m_shownSets) {
        EXPECT_TRUE(shown.empty() || shown.front() % 2 == 0) << "an odd song was shown";
        EXPECT_NE(shown.size(), 50000u) << "a superseded query's set was shown";
    }
}

TEST_F(ShownSongs, ASortUsesTheRanksMadeAheadForItsColumnAndSortsOthersWhenClicked)
{
    load({ "c", "a", "b", "a" }, { "y", "z", "x", "x" });
    const auto orders = std::make_shared<const SongOrders>(m_songs.table());
    m_shown.setSongOrders(orders);
    waitUntilIdle();
    m_shown.sortBy(1, Qt::AscendingOrder);
    waitUntilIdle();
    EXPECT_EQ(shownRows(), (Rows { 1, 3, 2, 0 }));
    m_shown.sortBy(2, Qt::DescendingOrder);
    waitUntilIdle();
    EXPECT_EQ(shownRows(), (Rows { 1, 0, 3, 2 })) << "equal singers reversed too";
    m_shown.sortBy(0, Qt::DescendingOrder);
    waitUntilIdle();
    EXPECT_EQ(shownRows(), (Rows { 3, 2, 1, 0 })) << "a column not made ahead";
}

TEST_F(ShownSongs, OrdersMadeForAnotherTableAreNotUsed)
{
    load({ "b", "a" });
    const auto orders = std::make_shared<const SongOrders>(m_songs.table());
    load({ "a", "c", "b" });
    m_shown.setSongOrders(orders);
    waitUntilIdle();
    m_shown.sortBy(1, Qt::AscendingOrder);
    waitUntilIdle();
    EXPECT_EQ(shownRows(), (Rows { 0, 2, 1 }));
}

TEST_F(ShownSongs, ResultsForAReplacedTableAreDropped)
{
    load({ "rain", "sun", "rain" });
    waitUntilIdle();
    m_filters.setQuery(u"rain"_qs);
    m_shown.sortBy(1, Qt::AscendingOrder);
    recordResets();
    load({ "x", "y", "z", "w" });
    waitUntilIdle();
    EXPECT_EQ(shownRows(), (Rows { 0, 1, 2, 3 }));
    EXPECT_EQ(m_shown.rowCount(), 4);
    EXPECT_EQ(m_shown.sortColumn(), -1);
    for (const Rows &shown : m_shownSets)
        EXPECT_TRUE(shown.size() == 4) << "rows of the old table reached the new one";
}

TEST_F(ShownSongs, AQueryTypedBeforeTheFinderIsReadyIsAnsweredWhenItIs)
{
    load({ "rain", "sun" });
    m_filters.setQuery(u"sun"_qs);
    waitUntilIdle();
    EXPECT_EQ(shownRows(), Rows { 1 });
}

} // namespace
