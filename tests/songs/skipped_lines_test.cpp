#include "songs/search_file_analysis.h"
#include "songs/skipped_lines.h"

#include "ui/core/gbk_text.h"

#include <gtest/gtest.h>

#include <numeric>

TEST(SkippedLinesReport, CountsEveryLineWithSeparatorsAndNamesTheFirstFive)
{
    std::vector<std::uint32_t> many(1234);
    std::iota(many.begin(), many.end(), 1u);
    EXPECT_EQ(skippedLinesReport(many),
        u"有 1,234 行字段不足九个，不是完整的歌曲记录，已跳过（第 1、2、3、4、5 等行）。"_qs);
    const std::vector<std::uint32_t> two { 3, 5 };
    EXPECT_EQ(skippedLinesReport(two),
        u"有 2 行字段不足九个，不是完整的歌曲记录，已跳过（第 3、5 行）。"_qs);
    EXPECT_EQ(lineNumbersText(two, 1), u"第 3 等行"_qs);
}

TEST(SkippedLinesList, ListsEveryLineWithItsNumberAndTextWhateverEndsTheLines)
{
    // Lines 2, 5 and 7 are short, 4 and 6 empty; the breaks are CR LF, LF and a lone CR.
    const QByteArray text = "x||1||a||b||x||x||c||l||s\r\n" + Gbk::encode(u"只有||两段"_qs)
        + "\nx||2||a||b||x||x||c||l||s\r\r\nshort\r\n\nlast";
    const SearchFileAnalysis analysis = analyseSearchFile(text);
    ASSERT_EQ(analysis.skippedLines, (std::vector<std::uint32_t> { 2, 5, 7 }));
    SkippedLinesModel lines(text, TextEncoding::Gbk, analysis.skippedLines);
    ASSERT_EQ(lines.rowCount(), 3);
    EXPECT_EQ(lines.index(0).data().toString(), u"第 2 行：只有||两段"_qs);
    EXPECT_EQ(lines.index(1).data().toString(), u"第 5 行：short"_qs);
    EXPECT_EQ(lines.index(2).data().toString(), u"第 7 行：last"_qs);
    EXPECT_EQ(lines.allText(), u"第 2 行：只有||两段\r\n第 5 行：short\r\n第 7 行：last"_qs);
    EXPECT_FALSE(lines.index(0).data(Qt::DecorationRole).isValid());

    // Numbers past the text's end (a stale list) show without text rather than crash.
    SkippedLinesModel stale(text, TextEncoding::Gbk, { 7, 40 });
    EXPECT_EQ(stale.index(1).data().toString(), u"第 40 行："_qs);
}

TEST(SkippedLinesList, AHugeLineShowsCut)
{
    const QByteArray text = "short\n" + QByteArray(100000, 'x') + "\n";
    SkippedLinesModel lines(text, TextEncoding::Gbk, { 1, 2 });
    const QString shown = lines.index(1).data().toString();
    EXPECT_LT(shown.size(), 5000);
    EXPECT_TRUE(shown.startsWith(u"第 2 行：xxx"_qs));
}
