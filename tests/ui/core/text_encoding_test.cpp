#include "ui/core/gbk_text.h"
#include "ui/core/text_encoding.h"

#include <gtest/gtest.h>

TEST(TextEncodingChoice, Utf8OnlyWithItsMarkOrWhenValidThroughoutWithAMultiByteCharacter)
{
    const QByteArray utf8 = u"x||歌||周杰伦"_qs.toUtf8();
    EXPECT_EQ(detectTextEncoding(utf8), TextEncoding::Utf8);
    EXPECT_EQ(detectTextEncoding(QByteArray(64, 'a') + utf8), TextEncoding::Utf8)
        << "the multi-byte character after a run of ASCII";
    EXPECT_EQ(detectTextEncoding("\xEF\xBB\xBF||plain"), TextEncoding::Utf8);
    EXPECT_EQ(detectTextEncoding("\xEF\xBB\xBF\xFF"), TextEncoding::Utf8) << "the mark decides";

    EXPECT_EQ(detectTextEncoding(QByteArray(100, 'a')), TextEncoding::Gbk) << "plain ASCII";
    EXPECT_EQ(detectTextEncoding(QByteArray()), TextEncoding::Gbk);
    EXPECT_EQ(detectTextEncoding(Gbk::encode(u"x||歌||周杰伦")), TextEncoding::Gbk);
    EXPECT_EQ(detectTextEncoding(utf8 + QByteArray(40, 'a') + "\xC0"), TextEncoding::Gbk)
        << "one byte that is not UTF-8, late in the file";
}

TEST(TextEncodingChoice, Utf8DecodingShowsNulAndInvalidBytesAsReplacements)
{
    EXPECT_EQ(decodeText(QByteArray("\xE6\xAD\x8C\0a\xFF", 6), TextEncoding::Utf8),
        u"歌\uFFFDa\uFFFD"_qs);
    EXPECT_EQ(decodeText(Gbk::encode(u"歌"), TextEncoding::Gbk), u"歌"_qs);
}
