#include "songs/pinyin_readings.h"
#include "songs/search_file_analysis.h"
#include "songs/song_finder.h"
#include "ui/core/file_io.h"
#include "ui/core/gbk_text.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

using Rows = std::vector<std::uint32_t>;

std::set<std::string> readingsOf(const QString &character)
{
    const QByteArray bytes = Gbk::encode(character);
    const auto pair = static_cast<std::uint16_t>(
        static_cast<unsigned char>(bytes[0]) << 8 | static_cast<unsigned char>(bytes[1]));
    std::set<std::string> readings;
    for (const std::uint16_t id : PinyinReadings::readings(pair))
        readings.emplace(PinyinReadings::syllable(id));
    return readings;
}

TEST(PinyinReadings, PolyphonesHaveTheirModernReadingsAndNoRareOnes)
{
    using Set = std::set<std::string>;
    EXPECT_EQ(readingsOf(u"长"_qs), (Set { "chang", "zhang" }));
    EXPECT_TRUE(readingsOf(u"行"_qs).count("hang") && readingsOf(u"行"_qs).count("xing"));
    EXPECT_EQ(readingsOf(u"单"_qs), (Set { "chan", "dan", "shan" }));
    EXPECT_EQ(readingsOf(u"長"_qs), readingsOf(u"长"_qs))
        << "a traditional form reads as its simplified";
    EXPECT_TRUE(readingsOf(u"胖"_qs).count("pang"));
    EXPECT_TRUE(readingsOf(u"绿"_qs).count("lv")) << "ü is typed v";
    EXPECT_FALSE(readingsOf(u"广"_qs).count("an")) << "kHanyuPinyin's rare readings stay out";
    EXPECT_FALSE(readingsOf(u"王"_qs).count("yu"));
    EXPECT_TRUE(readingsOf(u"Ａ"_qs).empty()) << "a full-width letter is no Chinese character";
}

TEST(PinyinReadings, CharactersNoModernDictionaryListsReadAsTheOlderOneGives)
{
    using Set = std::set<std::string>;
    EXPECT_EQ(readingsOf(u"咁"_qs), (Set { "gan", "han", "xian" }));
    EXPECT_EQ(readingsOf(u"哋"_qs), (Set { "di", "die" }));
    // Characters the modern dictionaries list keep their readings, nothing of the older one.
    EXPECT_EQ(readingsOf(u"好"_qs), (Set { "hao" }));
    EXPECT_EQ(readingsOf(u"我"_qs), (Set { "wo" }));
    EXPECT_EQ(readingsOf(u"就"_qs), (Set { "jiu" }));
    EXPECT_EQ(readingsOf(u"广"_qs), (Set { "guang" }));
    EXPECT_EQ(readingsOf(u"王"_qs), (Set { "wang" }));
}

// Each song: name and singer, the rest fixed; a hidden field holds nothing a query here types.
QByteArray songs(std::initializer_list<std::pair<QString, QString>> namesAndSingers)
{
    QByteArray text;
    int code = 100;
    for (const auto &[name, singer] : namesAndSingers) {
        const QString number = QString::number(++code);
        text += Gbk::encode(QStringList { u"1"_qs, number, number + u".mpg"_qs, name, u"-"_qs,
                    u"4"_qs, u"流行"_qs, u"國語"_qs, singer, u"9"_qs }
                                .join(u"||"_qs))
            + "\r\n";
    }
    return text;
}

class PinyinFinding : public testing::Test
{
protected:
    // The names and singers that match `query`, "name/singer" each.
    std::vector<QString> find(const QString &query, const Rows *candidates = nullptr) const
    {
        std::vector<QString> found;
        const Rows rows = m_finder.find(FindQuery::parse(query), candidates, m_stop).value();
        for (const std::uint32_t row : rows)
            found.push_back(Gbk::decode(m_songs.table.field(row, SongColumn::Name)) + u'/'
                + Gbk::decode(m_songs.table.field(row, SongColumn::Singer)));
        return found;
    }
    bool finds(const QString &query, const QString &song) const
    {
        const std::vector<QString> found = find(query);
        return std::find(found.begin(), found.end(), song) != found.end();
    }
    // Each query of `matching` (blank-separated) finds `song`, none of `notMatching` does.
    void expectFinds(const QString &song, const QString &matching, const QString &notMatching) const
    {
        for (const QString &query : matching.split(u' '))
            EXPECT_TRUE(finds(query, song)) << query.toStdString();
        for (const QString &query : notMatching.split(u' '))
            EXPECT_FALSE(finds(query, song)) << query.toStdString();
    }

    SearchFileAnalysis m_songs = analyseSearchFile(songs({ { u"稻香"_qs, u"周杰伦"_qs },
        { u"晴天"_qs, u"周杰倫"_qs }, { u"不得不爱"_qs, u"张靓颖"_qs },
        { u"永不失联的爱"_qs, u"单依纯"_qs }, { u"音乐"_qs, u"曾一鸣"_qs }, { u"银行"_qs, u"x"_qs },
        { u"长城"_qs, u"長城"_qs }, { u"重庆"_qs, u"广东"_qs }, { u"周杰"_qs, u"伦"_qs },
        { u"2002年的第一场雪"_qs, u"G.E.M."_qs }, { u"陳慧嫺"_qs, u"麪包樹"_qs },
        { u"€"_qs, u"王菲"_qs } }));
    SongFinder m_finder { std::make_shared<const SongTable>(m_songs.table), m_songs.findForms };
    std::atomic<bool> m_stop { false };
};

// The README's table of names, with the queries that find each and those that do not.
TEST_F(PinyinFinding, InitialsFindEveryReadingOfAPolyphone)
{
    const std::vector<std::tuple<QString, QString, QString>> table {
        { u"不得不爱/张靓颖"_qs, u"zly zhangliangying zjy"_qs, u"zy"_qs },
        { u"永不失联的爱/单依纯"_qs, u"syc shanyc dyc"_qs, u"ssc"_qs },
        { u"音乐/曾一鸣"_qs, u"zym cym zengyiming"_qs, u"zyn"_qs },
        { u"音乐/曾一鸣"_qs, u"yy yinyue yl"_qs, u"yx"_qs },
        { u"银行/x"_qs, u"yh yinhang yx"_qs, u"yhx"_qs },
        { u"长城/長城"_qs, u"cc zc changcheng zhangcheng"_qs, u"cs"_qs },
        { u"重庆/广东"_qs, u"cq zq chongqing"_qs, u"cs"_qs },
        { u"晴天/周杰倫"_qs, u"zjl zhoujl jielun 周jl zhoujielu"_qs, u"oujielun zhoujilun"_qs },
        { u"重庆/广东"_qs, u"gd guangd"_qs, u"ad"_qs },
        { u"€/王菲"_qs, u"wf wangfei"_qs, u"yf"_qs },
    };
    for (const auto &[song, matching, notMatching] : table)
        expectFinds(song, matching, notMatching);
}

TEST_F(PinyinFinding, InitialsSyllablesAndCharactersMixInOneWord)
{
    for (const QString &query : { u"zjl"_qs, u"zhoujl"_qs, u"zhoujielun"_qs, u"jielun"_qs,
             u"zhouj"_qs, u"周jl"_qs, u"zhjl"_qs, u"z杰l"_qs, u"ZJL"_qs })
        EXPECT_TRUE(finds(query, u"稻香/周杰伦"_qs)) << query.toStdString();
    // A syllable cut short only at the word's end; no word starting inside a syllable.
    EXPECT_FALSE(finds(u"zhoujieluo"_qs, u"稻香/周杰伦"_qs));
    EXPECT_FALSE(finds(u"zhoujilun"_qs, u"稻香/周杰伦"_qs));
    EXPECT_FALSE(finds(u"oujielun"_qs, u"稻香/周杰伦"_qs));
    EXPECT_TRUE(finds(u"zhoujielu"_qs, u"稻香/周杰伦"_qs));
    EXPECT_TRUE(finds(u"zhoujiel"_qs, u"稻香/周杰伦"_qs));
}

TEST_F(PinyinFinding, NoWordMatchesAcrossAFieldSeparator)
{
    // 周杰 ends the name and 伦 is the singer of one song.
    EXPECT_EQ(find(u"zjl"_qs), (std::vector<QString> { u"稻香/周杰伦"_qs, u"晴天/周杰倫"_qs }));
    EXPECT_EQ(find(u"周杰伦"_qs), (std::vector<QString> { u"稻香/周杰伦"_qs, u"晴天/周杰倫"_qs }));
    EXPECT_TRUE(find(u"|"_qs).empty());
    EXPECT_TRUE(find(u"香|"_qs).empty());
    EXPECT_TRUE(find(u"|周"_qs).empty());
    EXPECT_TRUE(find(u"鸣||9"_qs).empty());
    EXPECT_TRUE(find(u"9 |"_qs).empty());
}

TEST_F(PinyinFinding, LatinLettersDigitsAndVariantsReadAsThemselves)
{
    expectFinds(u"2002年的第一场雪/G.E.M."_qs, u"2002ndd g.e.m 02nian"_qs, u"2003n gem"_qs);
    expectFinds(u"陳慧嫺/麪包樹"_qs, u"陈慧娴 面包树 chx mianbs"_qs, u"陈慧贤"_qs);
    expectFinds(u"€/王菲"_qs, u"€"_qs, u"e"_qs);
}

TEST_F(PinyinFinding, ALongerWordNarrowsOnlyWhenItBeginsWithTheShorterOne)
{
    const auto narrows = [](const QString &longer, const QString &shorter) {
        return FindQuery::parse(longer).narrows(FindQuery::parse(shorter));
    };
    EXPECT_TRUE(narrows(u"zhoujl"_qs, u"zhouj"_qs));
    EXPECT_FALSE(narrows(u"zhoujl"_qs, u"oujl"_qs)) << "oujl finds nothing that zhoujl finds";
    EXPECT_FALSE(narrows(u"x周jl"_qs, u"周jl"_qs));
    EXPECT_TRUE(narrows(u"x周jl"_qs, u"周"_qs)) << "a word without letters only matches as text";
    // The narrowed search over the wider one's rows finds what a new search finds.
    for (const auto &[shorter, longer] :
        { std::pair { u"z"_qs, u"zjl"_qs }, std::pair { u"zhouji"_qs, u"zhoujie"_qs },
            std::pair { u"周"_qs, u"周jl"_qs }, std::pair { u"2"_qs, u"2002n"_qs } }) {
        ASSERT_TRUE(narrows(longer, shorter));
        const Rows wider = m_finder.find(FindQuery::parse(shorter), nullptr, m_stop).value();
        EXPECT_EQ(find(longer, &wider), find(longer)) << longer.toStdString();
    }
}

TEST(PinyinFindingCantonese, SongsWithCharactersOnlyTheOldDictionaryReadAreFound)
{
    const SearchFileAnalysis songsFound = analyseSearchFile(songs({ { u"咁就好"_qs, u"許冠傑"_qs },
        { u"我哋"_qs, u"謝安琪"_qs }, { u"好"_qs, u"黎明"_qs } }));
    const SongFinder finder(
        std::make_shared<const SongTable>(songsFound.table), songsFound.findForms);
    const std::atomic<bool> stop { false };
    const auto rows
        = [&](const QString &query) { return finder.find(FindQuery::parse(query), nullptr, stop); };
    EXPECT_EQ(rows(u"xjh"_qs), (Rows { 0 }));
    EXPECT_EQ(rows(u"hanjiuhao"_qs), (Rows { 0 }));
    EXPECT_EQ(rows(u"wd"_qs), (Rows { 1 }));
    EXPECT_EQ(rows(u"wodi"_qs), (Rows { 1 }));
    EXPECT_EQ(rows(u"wdi"_qs), (Rows { 1 }));
    EXPECT_EQ(rows(u"wx"_qs), Rows {}) << "no reading beyond the old dictionary's";
}

TEST(PinyinFindingAnalysis, PartsGiveTheFindFormsOfOneRunAndTheFinderMakesTheSame)
{
    const FileReadResult read
        = readWholeFile(QStringLiteral(LANSHAN_SOURCE_DIR "/data/sample_search_file.txt"));
    ASSERT_TRUE(read.ok());
    const SearchFileAnalysis whole = analyseSearchFile(read.bytes, TextEncoding::Gbk, 1);
    const SearchFileAnalysis parted = analyseSearchFile(read.bytes, TextEncoding::Gbk, 7);
    const auto joined = [](const SongFindForms &runs) {
        std::vector<SongFindForm> forms;
        for (const std::vector<SongFindForm> &run : runs)
            forms.insert(forms.end(), run.begin(), run.end());
        return forms;
    };
    const std::vector<SongFindForm> one = joined(whole.findForms);
    const std::vector<SongFindForm> parts = joined(parted.findForms);
    const std::vector<SongFindForm> made = songFindForms(whole.table);
    const auto rowCount = std::size_t(whole.table.rowCount());
    ASSERT_EQ(parted.findForms.size(), 7u);
    ASSERT_EQ(one.size(), rowCount);
    ASSERT_EQ(parts.size(), rowCount);
    for (std::size_t row = 0; row < rowCount; ++row) {
        for (const std::vector<SongFindForm> *forms : { &parts, &made }) {
            const SongFindForm &form = (*forms)[row];
            EXPECT_EQ(form.letters, one[row].letters) << row;
        }
    }
    // A finder over the runs of many parts finds what one over a single run finds.
    const SongFinder finder(std::make_shared<const SongTable>(parted.table), parted.findForms);
    const std::atomic<bool> stop { false };
    const Rows candidates = finder.find(FindQuery::parse(u"h"_qs), nullptr, stop).value();
    const SongFinder oneRun(std::make_shared<const SongTable>(whole.table), whole.findForms);
    const Rows found = finder.find(FindQuery::parse(u"hjj"_qs), &candidates, stop).value();
    EXPECT_EQ(found.size(), 5u);
    EXPECT_EQ(found, oneRun.find(FindQuery::parse(u"hjj"_qs), nullptr, stop).value());
}

// The README's find examples, as it states them, on the sample file.
TEST(ReadmeExamples, FindOnTheSampleWhatTheReadmeSays)
{
    const FileReadResult read
        = readWholeFile(QStringLiteral(LANSHAN_SOURCE_DIR "/data/sample_search_file.txt"));
    ASSERT_TRUE(read.ok());
    const SearchFileAnalysis sample = analyseSearchFile(read.bytes);
    const SongFinder finder(std::make_shared<const SongTable>(sample.table), sample.findForms);
    const std::atomic<bool> stop { false };
    const auto codes = [&](const QString &query) {
        QStringList found;
        const Rows rows = finder.find(FindQuery::parse(query), nullptr, stop).value();
        for (const std::uint32_t row : rows)
            found += Gbk::decode(sample.table.field(row, SongColumn::Code));
        return found.join(u' ');
    };
    EXPECT_EQ(codes(u"zxc"_qs), u"10000091"_qs);
    EXPECT_EQ(codes(u"zhouxc"_qs), u"10000091"_qs);
    EXPECT_EQ(codes(u"ytxk"_qs), u"10000104"_qs);
    EXPECT_EQ(codes(u"zhoulin"_qs), u"10000034 10000208 10000256"_qs);
    EXPECT_EQ(codes(u"周t"_qs), u"10000169 10000278"_qs);
    EXPECT_EQ(codes(u"zll"_qs), u"10000126 10000289"_qs);
    EXPECT_EQ(codes(u"cll"_qs), u"10000289"_qs);
    EXPECT_EQ(codes(u"周琳 微笑"_qs), u"10000034"_qs);
    EXPECT_EQ(codes(u"离开"_qs).count(u' ') + 1, 10);
    EXPECT_EQ(codes(u"离开"_qs), codes(u"離開"_qs));
    EXPECT_EQ(codes(u"|"_qs), QString());
}

} // namespace
