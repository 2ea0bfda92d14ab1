#include "songs/search_file_analysis.h"
#include "songs/shown_songs_model.h"
#include "songs/song_filters.h"
#include "ui/core/file_io.h"
#include "ui/core/gbk_text.h"
#include "venue_songs.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using Rows = std::vector<std::uint32_t>;
using Kind = SongFilters::Kind;

// Two languages written both ways, two categories, two songs repeated under a second code.
const QList<VenueSong> songs {
    { u"101"_qs, u"稻香"_qs, u"周杰倫"_qs, u"流行"_qs, u"國語"_qs }, // 0
    { u"102"_qs, u"海闊天空"_qs, u"Beyond"_qs, u"經典"_qs, u"粵語"_qs }, // 1
    { u"103"_qs, u"稻香"_qs, u"周杰伦"_qs, u"流行"_qs, u"国语"_qs }, // 2
    { u"104"_qs, u"光輝歲月"_qs, u"Beyond"_qs, u"經典"_qs, u"粵語"_qs }, // 3
    { u"105"_qs, u"海阔天空"_qs, u"beyond"_qs, u"流行"_qs, u"粤语"_qs }, // 4
    { u"106"_qs, u"月亮代表我的心"_qs, u"鄧麗君"_qs, u"流行"_qs, u"國語"_qs }, // 5
};

class SongFilterState : public testing::Test
{
protected:
    void SetUp() override { load(songs); }

    void load(const QList<VenueSong> &venueSongs)
    {
        QByteArray text;
        for (const VenueSong &song : venueSongs)
            text += searchFileLine(song);
        SearchFileAnalysis analysis = analyseSearchFile(text);
        m_songs.setTable(std::make_shared<const SongTable>(std::move(analysis.table)));
        m_filters.prepareFinding(std::move(analysis.findForms));
        settle();
        ASSERT_TRUE(QTest::qWaitFor([this] { return m_filters.facets() != nullptr; }));
    }

    // Until every value's work is in.
    void settle()
    {
        ASSERT_TRUE(QTest::qWaitFor([this] { return !m_filters.isBusy(); }));
    }

    Rows passing() const
    {
        const std::optional<Rows> rows = m_filters.passingRows();
        if (rows)
            return *rows;
        Rows all(std::size_t(m_songs.rowCount()));
        std::iota(all.begin(), all.end(), 0u);
        return all;
    }

    // The choice index of the language or category spelled so.
    int choice(const std::vector<SongFacets::Value> &values, const QString &spelling) const
    {
        for (std::size_t index = 0; index < values.size(); ++index)
            if (Gbk::decode(values[index].spelling) == spelling)
                return int(index);
        ADD_FAILURE() << "no choice " << spelling.toStdString();
        return SongFacets::all;
    }
    int language(const QString &spelling) const
    {
        return choice(m_filters.facets()->languages(), spelling);
    }
    int category(const QString &spelling) const
    {
        return choice(m_filters.facets()->categories(), spelling);
    }

    void readVenueFiles(const QByteArray &codes)
    {
        const QString path = m_dir.filePath(u"venue.txt"_qs);
        ASSERT_EQ(writeFileAtomically(path, codes), QString());
        QSignalSpy read(&m_filters, &SongFilters::venueFilesRead);
        m_filters.readVenueFiles({ path });
        ASSERT_TRUE(read.wait());
        ASSERT_TRUE(QTest::qWaitFor([this] { return m_filters.venueRowsMarked(); }));
    }

    void tick(std::uint32_t row)
    {
        const Rows rows { row };
        m_songs.setRowsTicked(rows, true);
    }

    QTemporaryDir m_dir;
    SongTableModel m_songs;
    SongFilters m_filters { &m_songs };
};

TEST_F(SongFilterState, EachFilterSaysWhetherItIsActiveAndShowsItsValue)
{
    readVenueFiles("101\r\n");
    const QList<std::pair<Kind, QString>> expected {
        { Kind::Query, u"稻"_qs }, { Kind::Language, u"粵語"_qs }, { Kind::Category, u"流行"_qs },
        { Kind::NewSongsOnly, u"只看新歌"_qs }, { Kind::DuplicatesOnly, u"只看重复"_qs },
        { Kind::OnlyTicked, u"只看已选"_qs },
        { Kind::Singer, u"Beyond"_qs }, // as most of its songs write it
    };
    for (const auto &[kind, value] : expected) {
        EXPECT_FALSE(m_filters.isActive(kind));
        EXPECT_EQ(m_filters.displayValue(kind), QString());
    }
    m_filters.setQuery(u"稻"_qs);
    m_filters.setLanguage(language(u"粵語"_qs));
    m_filters.setCategory(category(u"流行"_qs));
    m_filters.setNewSongsOnly(true);
    m_filters.setDuplicatesOnly(true);
    m_filters.setOnlyTicked(true);
    m_filters.setSingerNamed(u" beyond "_qs);
    settle();
    for (const auto &[kind, value] : expected) {
        EXPECT_TRUE(m_filters.isActive(kind)) << int(kind);
        EXPECT_EQ(m_filters.displayValue(kind), value) << int(kind);
    }
    EXPECT_EQ(m_filters.activeFilterCount(), 5) << "the query and 只看已选 are no menu filters";

    m_filters.clear(Kind::Category);
    EXPECT_FALSE(m_filters.isActive(Kind::Category));
    EXPECT_EQ(m_filters.activeFilterCount(), 4);
}

TEST_F(SongFilterState, ClearingTheFiltersKeepsTheQueryAndOnlyTickedAndSignalsOnce)
{
    readVenueFiles("101\r\n");
    m_filters.setQuery(u"稻"_qs);
    m_filters.setOnlyTicked(true);
    m_filters.setLanguage(language(u"國語"_qs));
    m_filters.setNewSongsOnly(true);
    m_filters.setDuplicatesOnly(true);
    m_filters.setSinger("x");
    settle();

    QSignalSpy changed(&m_filters, &SongFilters::changed);
    m_filters.clearFilters();
    EXPECT_EQ(changed.size(), 1);
    EXPECT_EQ(m_filters.activeFilterCount(), 0);
    EXPECT_EQ(m_filters.language(), SongFacets::all);
    EXPECT_FALSE(m_filters.newSongsOnly());
    EXPECT_FALSE(m_filters.duplicatesOnly());
    EXPECT_TRUE(m_filters.singer().isEmpty());
    EXPECT_EQ(m_filters.query(), u"稻"_qs);
    EXPECT_TRUE(m_filters.onlyTicked());
    EXPECT_TRUE(m_filters.hasVenueSongs()) << "the venue's files stay";

    m_filters.clearFilters();
    m_filters.setOnlyTicked(true);
    m_filters.setLanguage(SongFacets::all);
    EXPECT_EQ(changed.size(), 1) << "setting a value it has is no change";
}

TEST_F(SongFilterState, EveryFilterAndTheQueryCombineByAnd)
{
    EXPECT_FALSE(m_filters.passingRows()) << "every row, with no vector of rows";
    m_filters.setLanguage(language(u"國語"_qs));
    EXPECT_EQ(passing(), (Rows { 0, 2, 5 }));
    m_filters.setQuery(u"daox"_qs);
    settle();
    EXPECT_EQ(passing(), (Rows { 0, 2 })) << "稻香 by its pinyin";
    tick(2);
    tick(3);
    m_filters.setOnlyTicked(true);
    EXPECT_EQ(passing(), Rows { 2 });
    m_filters.setOnlyTicked(false);

    readVenueFiles("101\r\n");
    m_filters.setNewSongsOnly(true);
    EXPECT_EQ(passing(), Rows { 2 }) << "the venue has 101";
    m_filters.setNewSongsOnly(false);
    m_filters.setQuery(QString());
    m_filters.setLanguage(SongFacets::all);

    m_filters.setSinger(SongFacets::foldedValue(Gbk::encode(u"周杰伦"_qs), TextEncoding::Gbk));
    settle();
    EXPECT_EQ(passing(), (Rows { 0, 2 })) << "周杰倫 and 周杰伦 fold alike";
    m_filters.setSinger({});
    EXPECT_FALSE(m_filters.passingRows());
}

TEST_F(SongFilterState, DuplicatesPassEachGroupTogether)
{
    m_filters.setDuplicatesOnly(true);
    EXPECT_TRUE(m_filters.isBusy()) << "they are found in the background";
    settle();
    EXPECT_EQ(m_filters.duplicateGroupCount(), 2);
    EXPECT_EQ(passing(), (Rows { 0, 2, 1, 4 }));
    m_filters.setQuery(u"海"_qs);
    settle();
    EXPECT_EQ(passing(), (Rows { 1, 4 }));
}

TEST_F(SongFilterState, CountsOfEachChoiceHoldEveryOtherFilterButItsOwn)
{
    const int guoyu = language(u"國語"_qs);
    const int yueyu = language(u"粵語"_qs);
    const int pop = category(u"流行"_qs);
    const int classic = category(u"經典"_qs);
    using Counts = std::vector<qsizetype>;
    const auto counts = [](const std::vector<qsizetype> &all, int first, int second) {
        return Counts { all.at(std::size_t(first)), all.at(std::size_t(second)) };
    };
    EXPECT_EQ(counts(m_filters.languageCounts(), guoyu, yueyu), (Counts { 3, 3 }));

    m_filters.setLanguage(yueyu);
    m_filters.setCategory(pop);
    EXPECT_EQ(counts(m_filters.languageCounts(), guoyu, yueyu), (Counts { 3, 1 }))
        << "languages counted among the 流行 songs, whatever language is chosen";
    EXPECT_EQ(counts(m_filters.categoryCounts(), pop, classic), (Counts { 1, 2 }))
        << "categories counted among the 粵語 songs";

    m_filters.setQuery(u"天空"_qs);
    settle();
    EXPECT_EQ(counts(m_filters.categoryCounts(), pop, classic), (Counts { 1, 1 }));
    readVenueFiles("105\r\n");
    EXPECT_EQ(m_filters.hiddenVenueSongCount(), 0) << "nothing hidden while 只看新歌 is off";
    m_filters.setNewSongsOnly(true);
    EXPECT_EQ(counts(m_filters.categoryCounts(), pop, classic), (Counts { 0, 1 }));
    EXPECT_EQ(m_filters.hiddenVenueSongCount(), 1) << "105: 粵語, 流行 and 天空, the venue's";
    m_filters.setCategory(classic);
    EXPECT_EQ(m_filters.hiddenVenueSongCount(), 0) << "the other filters hide it already";
    m_filters.setCategory(pop);
    tick(1);
    m_filters.setOnlyTicked(true);
    m_filters.setNewSongsOnly(false);
    EXPECT_EQ(counts(m_filters.languageCounts(), guoyu, yueyu), (Counts { 0, 0 }))
        << "the only ticked song is 經典, not 流行";
    EXPECT_EQ(counts(m_filters.categoryCounts(), pop, classic), (Counts { 0, 1 }));
}

TEST_F(SongFilterState, ANewTableSetsTheChoicesBackAndKeepsTheVenueAndOnlyTicked)
{
    readVenueFiles("101\r\n106\r\n");
    m_filters.setQuery(u"稻"_qs);
    m_filters.setLanguage(language(u"國語"_qs));
    m_filters.setDuplicatesOnly(true);
    m_filters.setNewSongsOnly(true);
    m_filters.setOnlyTicked(true);
    settle();

    QSignalSpy choices(&m_filters, &SongFilters::choicesChanged);
    load({ songs[5], songs[2] });
    EXPECT_GE(choices.size(), 2) << "none while the table is new, then its own";
    EXPECT_EQ(m_filters.query(), QString());
    EXPECT_EQ(m_filters.language(), SongFacets::all);
    EXPECT_FALSE(m_filters.duplicatesOnly());
    EXPECT_TRUE(m_filters.newSongsOnly());
    EXPECT_TRUE(m_filters.onlyTicked());
    ASSERT_TRUE(QTest::qWaitFor([this] { return m_filters.venueRowsMarked(); }));
    EXPECT_TRUE(m_filters.venueHas(0)) << "106 is marked in the new table";
    EXPECT_FALSE(m_filters.venueHas(1));
}

TEST_F(SongFilterState, VenueFilesThatAllFailKeepTheFilesBeforeAndForgettingDropsNewSongsOnly)
{
    readVenueFiles("101\r\nabc\r\n");
    m_filters.setNewSongsOnly(true);
    std::optional<VenueFilesRead> report;
    QObject::connect(&m_filters, &SongFilters::venueFilesRead,
        [&report](const VenueFilesRead &read) { report = read; });
    m_filters.readVenueFiles({ m_dir.filePath(u"missing.txt"_qs) });
    ASSERT_TRUE(QTest::qWaitFor([&report] { return report.has_value(); }));
    EXPECT_TRUE(report->keptEarlierFiles());
    EXPECT_TRUE(report->problems.value(0).contains(u"missing.txt"_qs));
    EXPECT_EQ(m_filters.venueFiles(), QStringList { m_dir.filePath(u"venue.txt"_qs) });
    EXPECT_TRUE(m_filters.newSongsOnly());

    m_filters.forgetVenueFiles();
    EXPECT_FALSE(m_filters.hasVenueSongs());
    EXPECT_FALSE(m_filters.newSongsOnly());
    m_filters.setNewSongsOnly(true);
    EXPECT_FALSE(m_filters.newSongsOnly()) << "no songs of the venue to hide";
}

TEST(ShownSongsOfTheFilters, AQueryAndASortShowOnceWhenBothAreDone)
{
    SongTableModel songs;
    SongFilters filters(&songs);
    ShownSongsModel shown(&songs, &filters);
    SearchFileAnalysis analysis = analyseSearchFile(searchFileLine({ u"1"_qs, u"b"_qs, u"s"_qs })
        + searchFileLine({ u"2"_qs, u"a"_qs, u"s"_qs })
        + searchFileLine({ u"3"_qs, u"c"_qs, u"t"_qs }));
    songs.setTable(std::make_shared<const SongTable>(std::move(analysis.table)));
    filters.prepareFinding(std::move(analysis.findForms));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !shown.isBusy(); }));

    QSignalSpy resets(&shown, &QAbstractItemModel::modelReset);
    filters.setQuery(u"s"_qs);
    shown.sortBy(1, Qt::AscendingOrder);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !shown.isBusy(); }));
    EXPECT_EQ(resets.size(), 1) << "no half-made state shown";
    ASSERT_EQ(shown.rowCount(), 2);
    EXPECT_EQ(shown.tableRow(0), 1u);
    EXPECT_EQ(shown.tableRow(1), 0u);
    EXPECT_EQ(shown.shownSongs(), (Rows { 1, 0 }));
}

} // namespace

// Duets, the same singer in two scripts, and one 粵語 song the venue has.
const QList<VenueSong> singerSongs {
    { u"201"_qs, u"屋顶"_qs, u"周杰伦&温岚"_qs, u"流行"_qs, u"国语"_qs }, // 0
    { u"202"_qs, u"稻香"_qs, u"周杰倫"_qs, u"流行"_qs, u"國語"_qs }, // 1
    { u"203"_qs, u"红颜如霜"_qs, u"周杰伦"_qs, u"流行"_qs, u"国语"_qs }, // 2
    { u"204"_qs, u"千里之外"_qs, u"费玉清 feat. 周杰伦"_qs, u"经典"_qs, u"国语"_qs }, // 3
    { u"205"_qs, u"粤语的歌"_qs, u"周杰伦／陈奕迅"_qs, u"流行"_qs, u"粤语"_qs }, // 4
    { u"206"_qs, u"爱的飞行日记"_qs, u"温岚"_qs, u"流行"_qs, u"国语"_qs }, // 5
};

TEST_F(SongFilterState, TheSingerFilterKnowsEachSingerOfADuetAndCombinesWithTheOthers)
{
    load(singerSongs);
    m_filters.setSingerNamed(u"周杰倫"_qs);
    settle();
    EXPECT_EQ(passing(), (Rows { 0, 1, 2, 3, 4 })) << "duets count for each of their singers";
    EXPECT_EQ(m_filters.displayValue(Kind::Singer), u"周杰伦"_qs)
        << "the spelling most songs write, not the one chosen";
    EXPECT_EQ(m_filters.activeFilterCount(), 1);

    m_filters.setLanguage(language(u"国语"_qs));
    EXPECT_EQ(passing(), (Rows { 0, 1, 2, 3 })) << "國語 and 国语 are one language";
    readVenueFiles("203\r\n");
    m_filters.setNewSongsOnly(true);
    EXPECT_EQ(passing(), (Rows { 0, 1, 3 }));
    m_filters.setQuery(u"qlzw"_qs);
    settle();
    EXPECT_EQ(passing(), Rows { 3 }) << "千里之外 by its initials";
    m_filters.setQuery(u"wenl"_qs);
    settle();
    EXPECT_EQ(passing(), Rows { 0 }) << "the whole field still matches the query as text";

    m_filters.setQuery(QString());
    m_filters.setNewSongsOnly(false);
    m_filters.setLanguage(SongFacets::all);
    m_filters.setSingerNamed(u"温岚"_qs);
    EXPECT_EQ(passing(), (Rows { 0, 5 }));
    m_filters.setSingerNamed(u"王菲"_qs);
    EXPECT_TRUE(m_filters.passingRows()) << "a singer the file lacks hides every song";
    EXPECT_EQ(passing(), Rows {});
    EXPECT_EQ(m_filters.displayValue(Kind::Singer), u"王菲"_qs);
    m_filters.clearFilters();
    EXPECT_FALSE(m_filters.passingRows());
}

TEST_F(SongFilterState, RowsBesideTheQueryAndSingerAreASnapshotOfTheOtherFilters)
{
    load(singerSongs);
    EXPECT_FALSE(m_filters.rowsBesideQueryAndSinger()) << "no filter: every row counts";
    readVenueFiles("203\r\n");
    tick(0);
    tick(2);
    tick(4);
    m_filters.setLanguage(language(u"国语"_qs));
    m_filters.setNewSongsOnly(true);
    m_filters.setOnlyTicked(true);
    m_filters.setQuery(u"wu"_qs);
    m_filters.setSingerNamed(u"温岚"_qs);
    settle();
    const SingerIndex::RowFilter counted = m_filters.rowsBesideQueryAndSinger();
    ASSERT_TRUE(counted);
    const auto countedRows = [&counted] {
        Rows rows;
        for (std::uint32_t row = 0; row < std::uint32_t(singerSongs.size()); ++row)
            if (counted(row))
                rows.push_back(row);
        return rows;
    };
    EXPECT_EQ(countedRows(), Rows { 0 }) << "国语, new and ticked, whatever the query and singer";

    // Later changes do not reach a snapshot taken for work already running.
    m_filters.clearFilters();
    m_filters.setOnlyTicked(false);
    tick(5);
    m_filters.forgetVenueFiles();
    EXPECT_EQ(countedRows(), Rows { 0 });
}
