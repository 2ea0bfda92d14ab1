#include "songs/singer_suggestions.h"
#include "venue_songs.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class SingerSuggestionList : public testing::Test
{
protected:
    void SetUp() override
    {
        QList<VenueSong> songs;
        for (const QString &singer :
            { u"蔡蓮志"_qs, u"蔡莲志"_qs, u"蔡蓮志"_qs, u"曾磊志"_qs, u"周杰伦&费玉清"_qs })
            songs.append({ QString::number(10000000 + songs.size()), u"歌"_qs, singer });
        QSignalSpy indexed(&m_suggestions, &SingerSuggestions::singersIndexed);
        m_suggestions.setTable(std::make_shared<const SongTable>(venueTable(songs)));
        ASSERT_TRUE(indexed.wait());
    }

    // What the list shows once the work for the newest request is done.
    QStringList shown()
    {
        EXPECT_TRUE(QTest::qWaitFor([this] { return !m_suggestions.isBusy(); }));
        QStringList rows;
        for (int row = 0; row < m_suggestions.rowCount(); ++row)
            rows.append(m_suggestions.index(row).data().toString());
        return rows;
    }

    SingerSuggestions m_suggestions;
    QAbstractItemModelTester m_tester { &m_suggestions,
        QAbstractItemModelTester::FailureReportingMode::Fatal };
};

} // namespace

TEST_F(SingerSuggestionList, EachKeystrokeShowsTheSingersOfTheNewestText)
{
    m_suggestions.setQuery(u"z"_qs);
    m_suggestions.setQuery(u"zj"_qs);
    m_suggestions.setQuery(u"zjl"_qs);
    EXPECT_EQ(shown(), (QStringList { u"周杰伦　1 首"_qs }));
    const QModelIndex first = m_suggestions.index(0);
    EXPECT_EQ(first.data(SingerSuggestions::SingerRole).toString(), u"周杰伦"_qs);
    EXPECT_EQ(first.data(SingerSuggestions::SongCountRole).toLongLong(), 1);
    EXPECT_EQ(first.data(Qt::AccessibleTextRole).toString(), u"歌手 周杰伦，1 首"_qs);

    m_suggestions.setQuery(u"clz"_qs);
    EXPECT_EQ(shown(), (QStringList { u"蔡蓮志　3 首"_qs, u"曾磊志　1 首"_qs }));
    // An empty text empties the list at once.
    m_suggestions.setQuery(u" "_qs);
    EXPECT_EQ(m_suggestions.rowCount(), 0);
}

TEST_F(SingerSuggestionList, CountsFollowTheRowsTheOtherFiltersKeep)
{
    m_suggestions.setQuery(u"clz"_qs);
    ASSERT_EQ(shown().size(), 2);
    m_suggestions.setCountedRows([](std::uint32_t row) { return row != 0; });
    EXPECT_EQ(shown(), (QStringList { u"蔡蓮志　2 首"_qs, u"曾磊志　1 首"_qs }));
    m_suggestions.setCountedRows([](std::uint32_t row) { return row == 3; });
    EXPECT_EQ(shown(), (QStringList { u"曾磊志　1 首"_qs }));
}

TEST_F(SingerSuggestionList, ANewTableIsIndexedAfreshAndNoTableSuggestsNothing)
{
    m_suggestions.setQuery(u"clz"_qs);
    ASSERT_EQ(shown().size(), 2);
    QSignalSpy indexed(&m_suggestions, &SingerSuggestions::singersIndexed);
    m_suggestions.setTable(std::make_shared<const SongTable>(
        venueTable({ { u"10000009"_qs, u"歌"_qs, u"陳磊志"_qs } })));
    EXPECT_EQ(m_suggestions.rowCount(), 0) << "no singer of the table before";
    ASSERT_TRUE(indexed.wait());
    EXPECT_EQ(shown(), (QStringList { u"陳磊志　1 首"_qs }))
        << "the text in the field still counts";
    m_suggestions.setTable(nullptr);
    EXPECT_EQ(m_suggestions.rowCount(), 0);
    EXPECT_FALSE(m_suggestions.singers());
}
