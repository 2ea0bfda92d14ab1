#include "songs/packed_numbers.h"
#include "songs/search_file_analysis.h"
#include "songs/song_finder.h"
#include "songs/song_order.h"
#include "songs/song_orders.h"

#include "ui/core/gbk_text.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <numeric>

#include <vector>

namespace {

// Nine fields and a tail: x, code, path, name, initials, x, category, language, singer, extra.
QByteArray line(const QString &code, const QString &name, const QString &initials,
    const QString &language, const QString &singer)
{
    return Gbk::encode(QStringList { u"1"_qs, code, u"a\\"_qs + code + u".mpg"_qs, name, initials,
               u"4"_qs, u"流行"_qs, language, singer, u"tail"_qs }
                           .join(u"||"_qs))
        + "\r\n";
}

SearchFileAnalysis venueSongs()
{
    return analyseSearchFile(
        line(u"101"_qs, u"月亮代表我的心"_qs, u"YLDBWDX"_qs, u"國語"_qs, u"鄧麗君"_qs)
        + line(u"102"_qs, u"稻香"_qs, u"DX"_qs, u"國語"_qs, u"周杰倫"_qs)
        + line(u"103"_qs, u"晴天"_qs, u"QT"_qs, u"国语"_qs, u"周杰伦"_qs)
        + line(u"104"_qs, u"東x"_qs, u"DX"_qs, u"粵語"_qs, u"Beyond"_qs) + "too||short\r\n"
        + line(u"105"_qs, u"海闊天空"_qs, u"HKTK"_qs, u"粵語"_qs, u"BEYOND"_qs));
}

class SongFinding : public testing::Test
{
protected:
    std::vector<std::uint32_t> find(
        const QString &query, const std::vector<std::uint32_t> *candidates = nullptr) const
    {
        return m_finder.find(FindQuery::parse(query), candidates, m_stop).value();
    }

    SearchFileAnalysis m_songs = venueSongs();
    SongFinder m_finder { std::make_shared<const SongTable>(m_songs.table) };
    std::atomic<bool> m_stop { false };
};

using Rows = std::vector<std::uint32_t>;

TEST_F(SongFinding, EveryWordMustOccurSomewhereInTheLineIgnoringAsciiCase)
{
    EXPECT_EQ(find(u"yldbwdx"_qs), Rows { 0 }) << "initials the table does not show";
    EXPECT_EQ(find(u"zjl"_qs), (Rows { 1, 2 })) << "the singer read as pinyin";
    EXPECT_EQ(find(u"  dx   稻香 "_qs), Rows { 1 });
    EXPECT_EQ(find(u"beyond"_qs), (Rows { 3, 4 }));
    EXPECT_EQ(find(u"BEYOND 海闊"_qs), Rows { 4 });
    EXPECT_EQ(find(u"TAIL"_qs), (Rows { 0, 1, 2, 3, 4 })) << "fields after the ninth count";
    EXPECT_EQ(find(u"105.MPG"_qs), Rows { 4 });
    EXPECT_EQ(find(u""_qs), (Rows { 0, 1, 2, 3, 4 }));
    EXPECT_EQ(find(u"short"_qs), Rows {}) << "a skipped line is no song";
}

TEST_F(SongFinding, TraditionalAndSimplifiedFormsMatchEachOther)
{
    EXPECT_EQ(find(u"粤语"_qs), (Rows { 3, 4 }));
    EXPECT_EQ(find(u"周杰倫"_qs), (Rows { 1, 2 }));
    EXPECT_EQ(find(u"国語 晴天"_qs), Rows { 2 });
    EXPECT_EQ(find(u"海阔天空"_qs), Rows { 4 });
}

TEST_F(SongFinding, MatchesOnlyAtCharacterBoundaries)
{
    // 東 is 96 7C: its second byte is '|' but no character of the query is half of it.
    EXPECT_EQ(find(u"|x"_qs), Rows {});
    EXPECT_EQ(find(u"東x"_qs), Rows { 3 });
    // 亮代 is C1 C1 B4 FA: the bytes C1 B4 straddle two characters.
    EXPECT_EQ(find(Gbk::decode("\xC1\xB4")), Rows {});
}

TEST_F(SongFinding, CharactersGbkCannotHoldMatchNothing)
{
    EXPECT_EQ(find(u"한"_qs), Rows {});
    EXPECT_EQ(find(u"稻香 😀"_qs), Rows {});
}

TEST_F(SongFinding, NarrowingSearchesOnlyTheCandidatesAndStopsWhenTold)
{
    EXPECT_TRUE(FindQuery::parse(u"周杰伦 晴"_qs).narrows(FindQuery::parse(u"周杰"_qs)));
    EXPECT_TRUE(FindQuery::parse(u"ab"_qs).narrows(FindQuery::parse(u""_qs)));
    EXPECT_FALSE(FindQuery::parse(u"周"_qs).narrows(FindQuery::parse(u"周杰"_qs)));
    EXPECT_FALSE(FindQuery::parse(u"東"_qs).narrows(FindQuery::parse(u"|"_qs)))
        << "half of a character is no part of a word";

    const Rows candidates { 2, 3, 4 };
    EXPECT_EQ(find(u"語"_qs, &candidates), (Rows { 2, 3, 4 }));
    EXPECT_EQ(find(u"粤"_qs, &candidates), (Rows { 3, 4 }));
    m_stop = true;
    EXPECT_FALSE(m_finder.find(FindQuery::parse(u"x"_qs), nullptr, m_stop));
}

std::vector<QString> sortedTexts(const std::vector<QByteArray> &cells)
{
    QByteArray text;
    std::vector<ByteSpan> spans;
    for (const QByteArray &cell : cells) {
        spans.push_back({ std::uint32_t(text.size()), std::uint32_t(cell.size()) });
        text += cell;
    }
    const std::atomic<bool> stop { false };
    const std::vector<std::uint32_t> rows = sortedRows(text, spans, stop).value();
    std::vector<QString> sorted;
    for (const std::uint32_t row : rows)
        sorted.push_back(Gbk::decode(cells[row]));
    return sorted;
}

TEST(SongOrder, EqualCellsKeepFileOrder)
{
    const QByteArray text = "bab10010";
    const std::vector<ByteSpan> cells { { 0, 1 }, { 1, 1 }, { 2, 1 }, { 3, 2 }, { 5, 3 },
        { 3, 2 } };
    const std::atomic<bool> stop { false };
    // "10", "010", "10" are one number: file order among them, as among the two "b".
    EXPECT_EQ(
        sortedRows(text, cells, stop).value(), (std::vector<std::uint32_t> { 3, 4, 5, 1, 0, 2 }));
}

TEST(SongOrder, NumbersCompareAsNumbersAndChineseInPinyinOrder)
{
    EXPECT_EQ(sortedTexts({ "100", "9", "", "0010", "Abc", "12" }),
        (std::vector<QString> { u""_qs, u"9"_qs, u"0010"_qs, u"12"_qs, u"100"_qs, u"Abc"_qs }));
    // zhong, a, bei, guo (traditional), ai: pinyin order whatever the form or the code order.
    std::vector<QByteArray> names;
    for (const QString &name : { u"中国"_qs, u"阿里"_qs, u"北京"_qs, u"國家"_qs, u"愛情"_qs })
        names.push_back(Gbk::encode(name));
    EXPECT_EQ(sortedTexts(names),
        (std::vector<QString> { u"阿里"_qs, u"愛情"_qs, u"北京"_qs, u"國家"_qs, u"中国"_qs }));
}

TEST(SongOrder, TraditionalNamesSortBesideTheirSimplifiedForms)
{
    std::vector<QByteArray> names;
    for (const QString &name : { u"爱夜空"_qs, u"愛情"_qs, u"爱情"_qs, u"愛情"_qs, u"爱人"_qs })
        names.push_back(Gbk::encode(name));
    // ai qing, ai ren, ai ye: 愛情 beside 爱情, the original breaking the tie.
    EXPECT_EQ(sortedTexts(names),
        (std::vector<QString> { u"爱情"_qs, u"愛情"_qs, u"愛情"_qs, u"爱人"_qs, u"爱夜空"_qs }));
}

TEST(SongOrder, RanksDoNotDependOnHowManyThreadsMakeThem)
{
    // Thousands of distinct names (simplified and traditional forms, numbers, Latin, empty) and a
    // few categories, so both ways of finding the distinct texts are taken.
    const QStringList stems { u"爱情"_qs, u"愛情"_qs, u"北京"_qs, u"國家"_qs, u"Rain"_qs,
        u"rain"_qs, u"粤语"_qs, u"粵語"_qs, u"中国"_qs, QString() };
    QByteArray text;
    for (int song = 0; song < 30000; ++song) {
        const QString stem = stems[(song * 7 + song / 11) % stems.size()];
        const QString name = song % 13 == 0 ? QString::number(song % 997)
                                            : stem + QString::number(song * 31 % 6000);
        text += Gbk::encode(QStringList { u"1"_qs, QString::number(song), u"p"_qs, name, u"x"_qs,
                    u"4"_qs, stems[song % 5], u"国语"_qs, stem }
                                .join(u"||"_qs))
            + "\n";
    }
    const SongTable table = analyseSearchFile(text).table;
    const std::atomic<bool> stop { false };
    for (const SongColumn column : { SongColumn::Name, SongColumn::Category }) {
        const RowRanks alone = rowRanks(table, column, stop, nullptr, 1).value();
        EXPECT_GT(alone.count, column == SongColumn::Name ? 5000u : 3u);
        for (const int parts : { 2, 3, 7 }) {
            const RowRanks shared = rowRanks(table, column, stop, nullptr, parts).value();
            EXPECT_EQ(shared.count, alone.count) << parts << " parts";
            EXPECT_EQ(shared.ofRow, alone.ofRow) << parts << " parts";
        }
    }
}

TEST(SongOrder, RowsArePlacedByRankInFileOrderAmongEqualRanks)
{
    // Against a stable sort, with few ranks and with as many as the names of a large file.
    for (const std::uint32_t rankCount : { 1000u, 300000u }) {
        std::vector<std::uint32_t> rankOf(400000);
        for (std::size_t row = 0; row < rankOf.size(); ++row)
            rankOf[row] = std::uint32_t(row * 7919 % 1000003 % rankCount);
        std::vector<std::uint32_t> expected(rankOf.size());
        std::iota(expected.begin(), expected.end(), 0u);
        std::stable_sort(expected.begin(), expected.end(),
            [&](std::uint32_t a, std::uint32_t b) { return rankOf[a] < rankOf[b]; });
        EXPECT_EQ(rowsByRank(
                      rankOf.size(), [&](std::size_t row) { return rankOf[row]; }, rankCount),
            expected)
            << rankCount << " ranks";
    }
}

TEST(SongOrder, PackedNumbersReadBackAsGivenInEveryWidth)
{
    // Widths that divide a word and widths whose numbers straddle two, up to the full 32 bits.
    for (const std::uint32_t bound : { 0u, 2u, 13u, 45533u, 240836u, 0x80000000u, 0xFFFFFFFFu }) {
        const std::size_t count = 1000;
        std::vector<std::uint32_t> expected(count);
        for (std::size_t index = 0; index < count; ++index) {
            // The largest number first, last and now and then; the rest spread over the range.
            if (bound <= 1)
                expected[index] = 0;
            else if (index % 97 == 0 || index + 1 == count)
                expected[index] = bound - 1;
            else
                expected[index] = std::uint32_t(std::uint64_t(index) * 2654435761u % bound);
        }
        const PackedNumbers numbers(expected, bound);
        std::vector<std::uint32_t> read(count);
        for (std::size_t index = 0; index < count; ++index)
            read[index] = numbers[index];
        EXPECT_EQ(read, expected) << bound;
    }
    const std::vector<std::uint32_t> zeros(10);
    EXPECT_EQ(PackedNumbers(zeros, 240836).bitsEach(), 18u);
    EXPECT_EQ(PackedNumbers(zeros, 16).bitsEach(), 4u);
    EXPECT_EQ(PackedNumbers(zeros, 17).bitsEach(), 5u);
}

TEST(SongOrder, OrdersFromTheRanksMadeAheadAreTheColumnsSortedRows)
{
    // Names, singers, categories and languages that repeat, in both forms, with numbers, empty
    // cells and Latin text among them.
    const QStringList texts { u"爱情"_qs, u"愛情"_qs, u"北京"_qs, u"國家"_qs, u"10"_qs, u"010"_qs,
        u"9"_qs, QString(), u"Rain"_qs, u"rain"_qs, u"粤语"_qs, u"粵語"_qs, u"中国"_qs };
    QByteArray text;
    for (int song = 0; song < 3000; ++song) {
        const auto pick = [&](int salt) { return texts[(song * salt + song / 7) % texts.size()]; };
        text += Gbk::encode(QStringList { u"1"_qs, QString::number(song), u"p"_qs, pick(3), u"x"_qs,
                    u"4"_qs, pick(5), pick(11), pick(2) }
                                .join(u"||"_qs))
            + "\r\n";
    }
    const auto table = std::make_shared<const SongTable>(analyseSearchFile(text).table);
    ASSERT_EQ(table->rowCount(), 3000);
    const SongOrders orders(table);
    // Asked before the ranks are made as well as after.
    std::vector<QFuture<SongOrders::RowList>> asked;
    const std::vector<SongColumn> columns { SongColumn::Name, SongColumn::Singer,
        SongColumn::Category, SongColumn::Language };
    for (const SongColumn column : columns)
        asked.push_back(*orders.order(column));
    const std::atomic<bool> stop { false };
    for (std::size_t index = 0; index < columns.size(); ++index) {
        asked[index].waitForFinished();
        const std::vector<std::uint32_t> expected
            = sortedRows(*table, columns[index], stop).value();
        EXPECT_EQ(*asked[index].result(), expected) << int(columns[index]);
        QFuture<SongOrders::RowList> again = *orders.order(columns[index]);
        again.waitForFinished();
        EXPECT_EQ(*again.result(), expected) << int(columns[index]);
    }
    EXPECT_FALSE(orders.order(SongColumn::Code)) << "sorted when clicked";
}

} // namespace

TEST(SongFindingInOtherFiles, Utf8SongsAreFoundByEitherFormAndSortInPinyinOrder)
{
    const QByteArray file = u"1||102||a.mpg||稻香||DX||4||流行||國語||周杰倫\r\n"
                            u"1||101||b.mpg||爱你||AN||4||流行||粵語||王心凌\r\n"_qs.toUtf8();
    const SearchFileAnalysis songs = analyseSearchFile(file, TextEncoding::Utf8);
    ASSERT_EQ(songs.table.rowCount(), 2);
    const SongFinder finder(SongFinder::inGbk(songs.table));
    const std::atomic<bool> stop { false };
    EXPECT_EQ(finder.find(FindQuery::parse(u"周杰伦 dx"_qs), nullptr, stop).value(), Rows { 0 });
    EXPECT_EQ(finder.find(FindQuery::parse(u"粤语"_qs), nullptr, stop).value(), Rows { 1 });
    EXPECT_EQ(finder.find(FindQuery::parse(u"wangxl"_qs), nullptr, stop).value(), Rows { 1 })
        << "read as pinyin in the re-encoded lines";

    std::vector<ByteSpan> names;
    for (qsizetype row = 0; row < songs.table.rowCount(); ++row) {
        const QByteArrayView name = songs.table.field(row, SongColumn::Name);
        names.push_back({ std::uint32_t(name.data() - songs.table.bytes().constData()),
            std::uint32_t(name.size()) });
    }
    // 爱 (ài) before 稻 (dào); read as GBK the UTF-8 bytes would sort otherwise.
    EXPECT_EQ(
        sortedRows(songs.table.bytes(), names, stop, TextEncoding::Utf8).value(), (Rows { 1, 0 }));
    EXPECT_EQ(sortedRows(songs.table, SongColumn::Name, stop).value(), (Rows { 1, 0 }))
        << "straight from the table, in its encoding";
}

TEST(SongFindingInOtherFiles, ALoneCarriageReturnEndsASongsLine)
{
    const QByteArray file = "1||101||a.mpg||Rain||x||4||Pop||Mandarin||Ann\r"
                            "1||102||b.mpg||Snow||x||4||Pop||Mandarin||Bob\r";
    const SearchFileAnalysis songs = analyseSearchFile(file);
    ASSERT_EQ(songs.table.rowCount(), 2);
    const SongFinder finder(std::make_shared<const SongTable>(songs.table));
    const std::atomic<bool> stop { false };
    EXPECT_EQ(finder.find(FindQuery::parse(u"rain"_qs), nullptr, stop).value(), Rows { 0 });
    EXPECT_EQ(finder.find(FindQuery::parse(u"bob"_qs), nullptr, stop).value(), Rows { 1 });
}
