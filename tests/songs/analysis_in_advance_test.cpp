#include "songs/analysis_in_advance.h"

#include <gtest/gtest.h>

namespace {

QByteArray songs(const QByteArray &code, int count)
{
    QByteArray text;
    for (int song = 0; song < count; ++song)
        text += "x||" + code + QByteArray::number(song) + "||p||n||x||x||c||l||s\r\n";
    return text;
}

} // namespace

TEST(AnalysisInAdvance, TheLoadedBytesGetTheirAnalysisOnceAndNoOtherTextGetsIt)
{
    const QByteArray text = songs("a", 500);
    AnalysisInAdvance advance;
    advance.start(text, TextEncoding::Gbk);

    const QByteArray equalCopy(text.constData(), text.size());
    EXPECT_FALSE(advance.take(equalCopy, TextEncoding::Gbk)) << "another file of the same bytes";
    EXPECT_FALSE(advance.take(text, TextEncoding::Utf8));

    std::optional<SearchFileAnalysis> taken = advance.take(text, TextEncoding::Gbk);
    ASSERT_TRUE(taken);
    ASSERT_EQ(taken->table.rowCount(), 500);
    EXPECT_EQ(taken->table.field(499, SongColumn::Code), "a499");
    EXPECT_EQ(taken->table.bytes().constData(), text.constData());
    EXPECT_FALSE(advance.take(text, TextEncoding::Gbk)) << "a second Analyse analyses afresh";
}

TEST(AnalysisInAdvance, ANewerFileOrACancelDropsTheEarlierAnalysis)
{
    const QByteArray first = songs("a", 20000);
    const QByteArray second = songs("b", 3);
    AnalysisInAdvance advance;
    advance.start(first, TextEncoding::Gbk);
    advance.start(second, TextEncoding::Gbk);
    EXPECT_FALSE(advance.take(first, TextEncoding::Gbk));
    std::optional<SearchFileAnalysis> taken = advance.take(second, TextEncoding::Gbk);
    ASSERT_TRUE(taken);
    EXPECT_EQ(taken->table.rowCount(), 3);
    EXPECT_EQ(taken->table.field(0, SongColumn::Code), "b0");

    advance.start(first, TextEncoding::Gbk);
    advance.cancel();
    EXPECT_FALSE(advance.take(first, TextEncoding::Gbk));
}
