#include "songs/singer_index.h"
#include "venue_songs.h"

#include "songs/search_file_analysis.h"
#include "ui/core/file_io.h"
#include "ui/core/gbk_text.h"

#include <gtest/gtest.h>

namespace {

using Rows = std::vector<std::uint32_t>;

QStringList namesIn(const QString &field)
{
    QStringList names;
    // Kept alive here: the names are views of it.
    const QByteArray bytes = Gbk::encode(field);
    for (const QByteArrayView name : singerNames(bytes))
        names.append(Gbk::decode(name));
    return names;
}

// Songs 0.. in order, each by `singer`.
QList<VenueSong> songsBy(const QStringList &singers)
{
    QList<VenueSong> songs;
    for (const QString &singer : singers)
        songs.append({ QString::number(10000000 + songs.size()), u"歌"_qs, singer });
    return songs;
}

SingerIndex indexOf(const QList<VenueSong> &songs, TextEncoding encoding = TextEncoding::Gbk)
{
    static const std::atomic<bool> going { false };
    return *SingerIndex::of(venueTable(songs, encoding), going);
}

// Each suggestion as "name count".
QStringList suggestions(const SingerIndex &index, const QString &query,
    const SingerIndex::RowFilter &counted = {}, std::size_t limit = 10)
{
    const std::atomic<bool> going { false };
    QStringList shown;
    const std::optional<std::vector<SingerIndex::Suggestion>> found
        = index.suggest(FindQuery::parse(query), counted, going, limit);
    for (const SingerIndex::Suggestion &suggestion : found.value())
        shown.append(suggestion.name + u' ' + QString::number(suggestion.songCount));
    return shown;
}

} // namespace

TEST(Duets, EachSeparatorNamesTwoSingers)
{
    for (const QString &separator : { u"&"_qs, u"＆"_qs, u"/"_qs, u"／"_qs, u"、"_qs, u"，"_qs,
             u","_qs, u"+"_qs, u"＋"_qs, u" feat. "_qs, u" ft. "_qs, u" Feat."_qs, u" FT. "_qs }) {
        EXPECT_EQ(namesIn(u"周杰伦"_qs + separator + u"费玉清"_qs),
            (QStringList { u"周杰伦"_qs, u"费玉清"_qs }))
            << separator.toStdString();
    }
    EXPECT_EQ(namesIn(u" 王菲　& 那英 /陈奕迅"_qs),
        (QStringList { u"王菲"_qs, u"那英"_qs, u"陈奕迅"_qs }))
        << "blanks around each name, full-width ones too, go";
    EXPECT_EQ(namesIn(u"&&王菲&"_qs), (QStringList { u"王菲"_qs })) << "empty names go";
    EXPECT_EQ(namesIn(u"Swift.Taylor"_qs), (QStringList { u"Swift.Taylor"_qs }));
    EXPECT_EQ(namesIn(u"Left.Right"_qs), (QStringList { u"Left.Right"_qs }))
        << "ft. only after a blank";
    EXPECT_EQ(namesIn(u"胡彦斌"_qs), (QStringList { u"胡彦斌"_qs }));
    EXPECT_TRUE(namesIn(u"  "_qs).isEmpty());
}

TEST(Duets, AFieldNamesEachSingerOnceInEitherEncoding)
{
    for (const TextEncoding encoding : { TextEncoding::Gbk, TextEncoding::Utf8 }) {
        const QString field = u"周杰伦 ／ 周杰倫＋Jay&jay"_qs;
        const QByteArray bytes
            = encoding == TextEncoding::Gbk ? Gbk::encode(field) : field.toUtf8();
        EXPECT_EQ(singersOfField(bytes, encoding), (QStringList { u"周杰伦"_qs, u"Jay"_qs }));
    }
    EXPECT_EQ(
        singersOfField(u"아이유"_qs.toUtf8(), TextEncoding::Utf8), (QStringList { u"아이유"_qs }));
}

TEST(Duets, ADuetCountsForEachOfItsSingersAndItsRowsAreTheirs)
{
    const SingerIndex index = indexOf(songsBy({ u"周杰伦"_qs, u"周杰伦&费玉清"_qs, u"费玉清"_qs,
        u"费玉清 feat. 周杰伦"_qs, u"周杰伦/周杰倫"_qs }));
    const std::uint32_t jay = *index.singerNamed(u"周杰伦"_qs);
    const std::uint32_t fei = *index.singerNamed(u"费玉清"_qs);
    EXPECT_EQ(index.rowsOf(jay), (Rows { 0, 1, 3, 4 }))
        << "one singer twice in a field counts once";
    EXPECT_EQ(index.rowsOf(fei), (Rows { 1, 2, 3 }));
    EXPECT_EQ(index.singers()[jay].songCount, 4);
    EXPECT_EQ(index.singersOfRow(3), (Rows { fei, jay }));
    EXPECT_EQ(index.singers().size(), 2u);
    const SingerIndex::Filter onlyFei = index.filter(fei);
    EXPECT_FALSE(onlyFei.accepts(0));
    EXPECT_TRUE(onlyFei.accepts(1));
}

class SingerIndexEncodings : public testing::TestWithParam<TextEncoding>
{
};

TEST_P(SingerIndexEncodings, ASingerIsFoldedAndShownAsMostSongsWriteIt)
{
    const SingerIndex index = indexOf(
        songsBy({ u"蔡蓮志"_qs, u"蔡莲志"_qs, u" 蔡蓮志 "_qs, u"蔡蓮志＆Jay"_qs, u"JAY"_qs }),
        GetParam());
    ASSERT_EQ(index.singers().size(), 2u);
    for (const QString &spelling : { u"蔡蓮志"_qs, u"蔡莲志"_qs, u"　蔡莲志 "_qs }) {
        const std::optional<std::uint32_t> singer = index.singerNamed(spelling);
        ASSERT_TRUE(singer) << spelling.toStdString();
        EXPECT_EQ(index.singers()[*singer].name, u"蔡蓮志"_qs);
        EXPECT_EQ(index.singers()[*singer].songCount, 4);
    }
    EXPECT_EQ(index.rowsOf(*index.singerNamed(u"jay"_qs)), (Rows { 3, 4 }));
    EXPECT_FALSE(index.singerNamed(u"蔡"_qs));
    EXPECT_EQ(suggestions(index, u"clz"_qs), (QStringList { u"蔡蓮志 4"_qs }));
}

TEST_P(SingerIndexEncodings, ASpellingSeenLaterWinsByItsSongsAndATieByItsBytes)
{
    const SingerIndex index = indexOf(
        songsBy({ u"蔡莲志"_qs, u"蔡蓮志"_qs, u"Jay"_qs, u"蔡蓮志"_qs, u"JAY"_qs }), GetParam());
    ASSERT_EQ(index.singers().size(), 2u);
    EXPECT_EQ(index.singers()[*index.singerNamed(u"蔡莲志"_qs)].name, u"蔡蓮志"_qs);
    EXPECT_EQ(index.singers()[*index.singerNamed(u"jay"_qs)].name, u"JAY"_qs);
}

TEST(SingerIndexUtf8, ASingerGbkCannotHoldIsOneSingerNamedByItsText)
{
    const SingerIndex index
        = indexOf(songsBy({ u"BTS 방탄소년단"_qs, u"BTS 방탄소년단 "_qs }), TextEncoding::Utf8);
    ASSERT_EQ(index.singers().size(), 1u);
    EXPECT_EQ(index.singers()[0].name, u"BTS 방탄소년단"_qs);
    EXPECT_EQ(index.rowsOf(*index.singerNamed(u"BTS 방탄소년단"_qs)), (Rows { 0, 1 }));
}

INSTANTIATE_TEST_SUITE_P(
    GbkAndUtf8, SingerIndexEncodings, testing::Values(TextEncoding::Gbk, TextEncoding::Utf8));

class SingerSuggestionRanking : public testing::Test
{
protected:
    // Three singers whose initials are clz, as on a large file; 蔡蓮志 has most songs.
    SingerIndex m_index = indexOf(songsBy({ u"蔡蓮志"_qs, u"蔡莲志"_qs, u"蔡蓮志"_qs, u"曾磊志"_qs,
        u"陳磊志"_qs, u"陳磊志"_qs, u"蔡蓮志華"_qs, u"蔡蓮志華"_qs, u"蔡蓮志華"_qs, u"蔡蓮志華"_qs,
        u"小蔡蓮志"_qs, u"周杰伦&蔡蓮志"_qs, u"Celine Zhou"_qs }));
};

TEST_F(SingerSuggestionRanking, InitialsSyllablesCharactersAndMixedFindTheSingers)
{
    EXPECT_EQ(suggestions(m_index, u"clz"_qs),
        (QStringList {
            u"蔡蓮志 4"_qs, u"陳磊志 2"_qs, u"曾磊志 1"_qs, u"蔡蓮志華 4"_qs, u"小蔡蓮志 1"_qs }))
        << "whole matches first, then from the start, then inside; more songs first";
    EXPECT_EQ(suggestions(m_index, u"cailz"_qs),
        (QStringList { u"蔡蓮志 4"_qs, u"蔡蓮志華 4"_qs, u"小蔡蓮志 1"_qs }));
    EXPECT_EQ(suggestions(m_index, u"cailianzhi"_qs),
        (QStringList { u"蔡蓮志 4"_qs, u"蔡蓮志華 4"_qs, u"小蔡蓮志 1"_qs }));
    EXPECT_EQ(suggestions(m_index, u"蔡莲志"_qs),
        (QStringList { u"蔡蓮志 4"_qs, u"蔡蓮志華 4"_qs, u"小蔡蓮志 1"_qs }))
        << "characters, simplified for traditional";
    EXPECT_EQ(suggestions(m_index, u"陈l"_qs), (QStringList { u"陳磊志 2"_qs }));
    EXPECT_EQ(suggestions(m_index, u"zengl"_qs), (QStringList { u"曾磊志 1"_qs }));
    EXPECT_EQ(suggestions(m_index, u"zjl"_qs), (QStringList { u"周杰伦 1"_qs }))
        << "a duet's singers are found each on their own";
    EXPECT_EQ(suggestions(m_index, u"celine z"_qs), (QStringList { u"Celine Zhou 1"_qs }));
    EXPECT_TRUE(suggestions(m_index, u"zhoulz"_qs).isEmpty())
        << "no match across the singers of a duet";
    EXPECT_TRUE(suggestions(m_index, u"xyz"_qs).isEmpty());
    EXPECT_TRUE(suggestions(m_index, u""_qs).isEmpty());
}

TEST_F(SingerSuggestionRanking, AtMostTheLimitAndCountsUnderTheOtherFilters)
{
    EXPECT_EQ(
        suggestions(m_index, u"c"_qs, {}, 2), (QStringList { u"蔡蓮志 4"_qs, u"蔡蓮志華 4"_qs }));
    // Only the even rows count: 蔡蓮志 keeps rows 0 and 2, 小蔡蓮志 (row 10) its one song; the
    // duet (row 11) and 陳磊志's row 5 no longer count, 曾磊志 (row 3) none and goes.
    const SingerIndex::RowFilter evenRows = [](std::uint32_t row) { return row % 2 == 0; };
    EXPECT_EQ(suggestions(m_index, u"clz"_qs, evenRows),
        (QStringList { u"蔡蓮志 2"_qs, u"陳磊志 1"_qs, u"蔡蓮志華 2"_qs, u"小蔡蓮志 1"_qs }));
    const SingerIndex::RowFilter none = [](std::uint32_t) { return false; };
    EXPECT_TRUE(suggestions(m_index, u"clz"_qs, none).isEmpty());
}

TEST_F(SingerSuggestionRanking, AStopRequestEndsTheSearchWithNothing)
{
    const std::atomic<bool> stop { true };
    EXPECT_FALSE(m_index.suggest(FindQuery::parse(u"c"_qs), {}, stop));
    EXPECT_FALSE(SingerIndex::of(venueTable(songsBy({ u"a"_qs })), stop));
}

// The README's walk-through on the sample: initials that fit several singers, and a duet.
TEST(ReadmeSingers, TheSampleSuggestsEverySingerOfTheInitialsAndKnowsItsDuets)
{
    const FileReadResult read
        = readWholeFile(QStringLiteral(LANSHAN_SOURCE_DIR "/data/sample_search_file.txt"));
    ASSERT_TRUE(read.ok());
    const SearchFileAnalysis sample = analyseSearchFile(read.bytes);
    const std::atomic<bool> going { false };
    const SingerIndex index = *SingerIndex::of(sample.table, going);
    const std::optional<std::vector<SingerIndex::Suggestion>> found
        = index.suggest(FindQuery::parse(u"hjj"_qs), {}, going);
    QStringList whole;
    for (const SingerIndex::Suggestion &suggestion : found.value()) {
        if (suggestion.match == FieldMatch::Whole)
            whole.append(suggestion.name);
    }
    whole.sort();
    EXPECT_EQ(whole,
        (QStringList { u"洪家傑"_qs, u"黃軍靜"_qs, u"黃靜潔"_qs, u"黄杰军"_qs, u"黄洁家"_qs }));
    // Song 10000007 is sung by 蔡蓮志 and 赵玲嘉.
    const std::uint32_t cai = *index.singerNamed(u"蔡蓮志"_qs);
    const Rows rows = index.rowsOf(cai);
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(sample.table.field(rows.front(), SongColumn::Code), "10000007");
    EXPECT_EQ(index.singersOfRow(rows.front()), (Rows { cai, *index.singerNamed(u"赵玲嘉"_qs) }));
}
