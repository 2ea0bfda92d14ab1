#include "ui/core/gbk_text.h"

#include <gtest/gtest.h>

TEST(GbkText, ChineseWordsDecodeAndEncodeBothWays)
{
    // 澜杉 歌名 東 in GBK.
    const QByteArray bytes("\xC0\xBD\xC9\xBC \xB8\xE8\xC3\xFB \x96\x7C");
    const QString text = u"澜杉 歌名 東"_qs;
    EXPECT_EQ(Gbk::decode(bytes), text);
    EXPECT_EQ(Gbk::encode(text), bytes);
}

TEST(GbkText, InvalidBytesAndNulShowAsOneReplacementEach)
{
    // A lone 0xFF, a NUL, a lead byte before an invalid trail, and a lead byte at the end.
    const QByteArray bytes("a\xFF"
                           "b"
                           "\0"
                           "c\x81\x20"
                           "d\xC0",
        9);
    const QString expected = u"a\uFFFDb\uFFFDc\uFFFD d\uFFFD"_qs;
    EXPECT_EQ(Gbk::decode(bytes), expected);
}

TEST(GbkText, Byte80IsTheEuroSignBothWays)
{
    EXPECT_EQ(Gbk::decode("a\x80\xB0\xA1"), u"a€啊"_qs);
    EXPECT_EQ(Gbk::encode(u"€a€"_qs),
        QByteArray("\x80"
                   "a\x80"));
    EXPECT_EQ(Gbk::decode(Gbk::encode(u"啊€"_qs)), u"啊€"_qs);
}

TEST(GbkText, CharacterLengthKeepsPipeTrailBytesInsideTheCharacter)
{
    const QByteArray bytes("\x96\x7C|");
    EXPECT_EQ(Gbk::characterLength(bytes, 0), 2);
    EXPECT_EQ(Gbk::characterLength(bytes, 2), 1);
    EXPECT_EQ(Gbk::characterLength(QByteArray("\x96"), 0), 1);
}
