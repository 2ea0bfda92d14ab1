#include "songs/song_facets.h"
#include "venue_songs.h"

#include "songs/search_file_analysis.h"

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

// Each choice as "spelling count".
QStringList choices(const std::vector<SongFacets::Value> &values, TextEncoding encoding)
{
    QStringList shown;
    for (const SongFacets::Value &value : values)
        shown.append(decodeText(value.spelling, encoding) + u' ' + QString::number(value.count));
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

} // namespace

class LanguageAndCategoryFilters : public testing::TestWithParam<TextEncoding>
{
};

TEST_P(LanguageAndCategoryFilters, ChoicesFoldTraditionalAndSimplifiedAndCountTheirSongs)
{
    const SongFacets facets = *SongFacets::of(venueTable(songs, GetParam()));
    // Most songs first, each as the file writes it most often.
    EXPECT_EQ(choices(facets.languages(), GetParam()),
        (QStringList { u"粵語 4"_qs, u"國語 2"_qs, u" 1"_qs }));
    const QStringList categories = choices(facets.categories(), GetParam());
    ASSERT_EQ(categories.size(), 2);
    EXPECT_EQ(categories[0], u"流行 5"_qs);
    EXPECT_TRUE(categories[1].endsWith(u" 2"_qs)); // 經典 and 经典 once each: either spelling
}

TEST_P(LanguageAndCategoryFilters, EachFilterAloneAndBothTogether)
{
    const SongFacets facets = *SongFacets::of(venueTable(songs, GetParam()));
    const auto rows = [&facets](int language, int category) {
        return accepted(facets.filter(language, category), songs.size());
    };
    EXPECT_TRUE(facets.filter(SongFacets::all, SongFacets::all).keepsAll());
    EXPECT_EQ(rows(0, SongFacets::all), (std::vector<std::uint32_t> { 1, 2, 3, 5 }));
    EXPECT_EQ(rows(SongFacets::all, 1), (std::vector<std::uint32_t> { 1, 3 }));
    EXPECT_EQ(rows(0, 0), (std::vector<std::uint32_t> { 2, 5 }));
    EXPECT_EQ(rows(1, 1), (std::vector<std::uint32_t> {}));
    // A choice the table does not have (a stale one) keeps everything.
    EXPECT_TRUE(facets.filter(7, SongFacets::all).keepsAll());
}

TEST_P(LanguageAndCategoryFilters, TickedSongsSplitByFoldedLanguageInTheFacetsOrder)
{
    const SongFacets facets = *SongFacets::of(venueTable(songs, GetParam()));
    TickMarks ticks(songs.size());
    EXPECT_EQ(tickedLanguageSplit(facets, ticks, GetParam()), QString()) << "nothing ticked";
    for (const qsizetype row : { 0, 2, 3, 4 })
        ticks.set(row, true);
    EXPECT_EQ(facets.languageCounts(ticks), (std::vector<qsizetype> { 2, 2, 0 }));
    EXPECT_EQ(tickedLanguageSplit(facets, ticks, GetParam()), u"粵語 2\u3000國語 2"_qs)
        << "粤语 counts as 粵語, 国语 as 國語";
    ticks.set(6, true);
    ticks.set(2, false);
    ticks.set(3, false);
    EXPECT_EQ(tickedLanguageSplit(facets, ticks, GetParam()), u"國語 2\u3000（空） 1"_qs)
        << "a language with none ticked is left out; an empty one is named";
}

INSTANTIATE_TEST_SUITE_P(Encodings, LanguageAndCategoryFilters,
    testing::Values(TextEncoding::Gbk, TextEncoding::Utf8),
    [](const testing::TestParamInfo<TextEncoding> &info) {
        return info.param == TextEncoding::Gbk ? "Gbk" : "Utf8";
    });

TEST(LanguageAndCategoryFiltersLimits, AnEmptyTableHasNoValuesAndCancellingGivesNone)
{
    const SongFacets facets = *SongFacets::of(SongTable());
    EXPECT_TRUE(facets.languages().empty());
    EXPECT_TRUE(facets.categories().empty());
    EXPECT_FALSE(SongFacets::of(venueTable(songs), [] { return true; }));
}

TEST(LanguageAndCategoryFiltersLimits, ManyDistinctPairsStillFilterExactly)
{
    // More pairs than two bytes a row can number; row 69,999 alone is of category c69999.
    QByteArray text;
    constexpr int count = 70000;
    for (int song = 0; song < count; ++song) {
        text += searchFileLine({ QString::number(song), u"n"_qs, u"s"_qs,
            u"c"_qs + QString::number(song), song % 3 == 0 ? u"粵語"_qs : u"国语"_qs });
    }
    const SongFacets facets = *SongFacets::of(analyseSearchFile(text).table);
    EXPECT_GT(facets.bytesPerRow(), 2.0);
    const auto last = std::find_if(facets.categories().begin(), facets.categories().end(),
        [](const SongFacets::Value &value) { return value.spelling == "c69999"; });
    ASSERT_NE(last, facets.categories().end());
    const int category = int(last - facets.categories().begin());
    TickMarks allTicked(count);
    for (qsizetype row = 0; row < count; ++row)
        allTicked.set(row, true);
    EXPECT_EQ(tickedLanguageSplit(facets, allTicked, TextEncoding::Gbk),
        u"国语 46,666\u3000粵語 23,334"_qs)
        << "wide rows count alike, with separators";
    EXPECT_EQ(accepted(facets.filter(1, category), count), (std::vector<std::uint32_t> { 69999 }));
    EXPECT_TRUE(accepted(facets.filter(0, category), count).empty());
    EXPECT_EQ(accepted(facets.filter(0, SongFacets::all), count).size(), 46666u);
}
