#include "songs/song_facets.h"
#include "venue_songs.h"

#include "songs/search_file_analysis.h"

#include <algorithm>

#include <gtest/gtest.h>

namespace {

const QList<VenueSong> songs {
    { u"101"_qs, u"a"_qs, u"s"_qs, u"流行"_qs, u"國語"_qs },
    { u"102"_qs, u"b"_qs, u"s"_qs, u"經典"_qs, u"粵語"_qs },
    { u"103"_qs, u"c"_qs, u"s"_qs, u"流行"_qs, u"粤语"_qs },
    { u"104"_qs, u"d"_qs, u"s"_qs, u"经典"_qs, u"粵語"_qs },
    { u"105"_qs, u"e"_qs, u"s"_qs, u"流行"_qs, u"国语"_qs },
    { u"106"_qs, u"f"_qs, u"s"_qs, u"流行"_qs, u"粵語"_qs },
    { u"107"_qs, u"g"_qs, u"s"_qs, u"流行"_qs, u""_qs },
};

struct Choice
{
    QString spelling;
    qsizetype count;
    bool operator==(const Choice &) const = default;
};

std::vector<Choice> choices(const std::vector<SongFacets::Value> &values, TextEncoding encoding)
{
    std::vector<Choice> shown;
    for (const SongFacets::Value &value : values)
        shown.push_back({ decodeText(value.spelling, encoding), value.count });
    return shown;
}

std::vector<std::uint32_t> accepted(const SongFacets::Filter &filter, qsizetype rowCount)
{
    std::vector<std::uint32_t> rows;
    for (std::uint32_t row = 0; row < rowCount; ++row) {
        if (filter.accepts(row))
            rows.push_back(row);
    }
    return rows;
}

[[maybe_unused]] void PrintTo(const Choice &choice, std::ostream *out)
{
    *out << choice.spelling.toStdString() << " " << choice.count;
}

} // namespace

class LanguageAndCategoryFilters : public testing::TestWithParam<TextEncoding>
{
};

TEST_P(LanguageAndCategoryFilters, ChoicesFoldTraditionalAndSimplifiedAndCountTheirSongs)
{
    const SongTable table = venueTable(songs, GetParam());
    const SongFacets facets = *SongFacets::of(table);
    // Most songs first; the spelling the file writes most often.
    EXPECT_EQ(choices(facets.languages(), GetParam()),
        (std::vector<Choice> { { u"粵語"_qs, 4 }, { u"國語"_qs, 2 }, { u""_qs, 1 } }));
    const std::vector<Choice> categories = choices(facets.categories(), GetParam());
    ASSERT_EQ(categories.size(), 2u);
    EXPECT_EQ(categories[0], (Choice { u"流行"_qs, 5 }));
    EXPECT_EQ(categories[1].count, 2); // 經典 and 经典 once each: either spelling
}

TEST_P(LanguageAndCategoryFilters, EachFilterAloneAndBothTogether)
{
    const SongTable table = venueTable(songs, GetParam());
    const SongFacets facets = *SongFacets::of(table);
    const qsizetype rows = table.rowCount();
    EXPECT_TRUE(facets.filter(SongFacets::all, SongFacets::all).keepsAll());
    EXPECT_EQ(accepted(facets.filter(0, SongFacets::all), rows),
        (std::vector<std::uint32_t> { 1, 2, 3, 5 }));
    EXPECT_EQ(
        accepted(facets.filter(SongFacets::all, 1), rows), (std::vector<std::uint32_t> { 1, 3 }));
    EXPECT_EQ(accepted(facets.filter(0, 0), rows), (std::vector<std::uint32_t> { 2, 5 }));
    EXPECT_EQ(accepted(facets.filter(1, 1), rows), (std::vector<std::uint32_t> {}));
    // A choice the table does not have (a stale one) keeps everything.
    EXPECT_TRUE(facets.filter(7, SongFacets::all).keepsAll());
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, LanguageAndCategoryFilters, testing::Values(TextEncoding::Gbk, TextEncoding::Utf8));

TEST(LanguageAndCategoryFiltersLimits, AnEmptyTableHasNoValuesAndCancellingGivesNone)
{
    const SongFacets facets = *SongFacets::of(SongTable());
    EXPECT_TRUE(facets.languages().empty());
    EXPECT_TRUE(facets.categories().empty());
    EXPECT_FALSE(SongFacets::of(venueTable(songs), [] { return true; }));
}

TEST(LanguageAndCategoryFiltersLimits, ManyDistinctPairsStillFilterExactly)
{
    // More pairs than two bytes a row can number.
    QByteArray text;
    constexpr int count = 70000;
    for (int song = 0; song < count; ++song) {
        text += searchFileLine({ QString::number(song), u"n"_qs, u"s"_qs,
            u"c"_qs + QString::number(song), song % 3 == 0 ? u"粵語"_qs : u"国语"_qs });
    }
    const SongTable table = analyseSearchFile(text).table;
    const SongFacets facets = *SongFacets::of(table);
    EXPECT_EQ(facets.bytesPerRow(), 4u);
    ASSERT_EQ(facets.categories().size(), std::size_t(count));
    const auto last = std::find_if(facets.categories().begin(), facets.categories().end(),
        [](const SongFacets::Value &value) { return value.spelling == "c69999"; });
    ASSERT_NE(last, facets.categories().end());
    const int category = int(last - facets.categories().begin());
    EXPECT_EQ(accepted(facets.filter(SongFacets::all, category), count),
        (std::vector<std::uint32_t> { 69999 }));
    EXPECT_EQ(accepted(facets.filter(1, category), count), (std::vector<std::uint32_t> { 69999 }));
    EXPECT_EQ(accepted(facets.filter(0, category), count).size(), 0u);
    EXPECT_EQ(accepted(facets.filter(0, SongFacets::all), count).size(), 46666u);
}
