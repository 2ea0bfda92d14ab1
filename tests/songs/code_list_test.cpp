#include "songs/code_list.h"
#include "venue_songs.h"

#include "ui/core/file_io.h"
#include "ui/core/gbk_text.h"

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace Qt::Literals::StringLiterals;

namespace {

std::vector<QByteArray> texts(const std::vector<CodeKey> &codes)
{
    std::vector<QByteArray> shown;
    for (const CodeKey code : codes)
        shown.push_back(codeText(code));
    return shown;
}

std::vector<CodeKey> keys(std::initializer_list<const char *> codes)
{
    std::vector<CodeKey> keyed;
    for (const char *code : codes)
        keyed.push_back(codeKey(code));
    return keyed;
}

const QList<VenueSong> venueSongs {
    { u"10000001"_qs, u"稻香"_qs, u"周杰倫"_qs },
    { u"10000002"_qs, u"晴天"_qs, u"周杰伦"_qs },
    { u"0000003"_qs, u"海闊天空"_qs, u"Beyond"_qs },
    { u"10000004"_qs, u"光辉岁月"_qs, u"Beyond"_qs },
};

} // namespace

TEST(CodeLists, LineEndingsBlanksAndAByteOrderMarkReadAlike)
{
    for (const QByteArray &text : { QByteArray("10000001\r\n  10000002 \r\n\t0000003\r\n"),
             QByteArray("\xEF\xBB\xBF"
                        "10000001\n10000002\n0000003"),
             QByteArray("10000001\r\n10000002\xA1\xA1\r\n0000003\r\n"),
             QByteArray("10000001\n\xE3\x80\x80"
                        "10000002\n0000003\n") }) {
        const CodeList list = parseCodeList(text);
        EXPECT_EQ(
            texts(list.codes), (std::vector<QByteArray> { "10000001", "10000002", "0000003" }))
            << text.toStdString();
        EXPECT_EQ(list.skippedLineCount, 0) << text.toStdString();
    }
}

TEST(CodeLists, UnicodeInEitherByteOrderReadsByItsOwnLines)
{
    // As Notepad saves "Unicode": UTF-16 with its byte-order mark, here with a header line.
    const QString text = u"编码\r\n10000001\r\n\r\n 10000002\r\n0000003"_qs;
    for (const auto encoding : { QStringConverter::Utf16LE, QStringConverter::Utf16BE }) {
        QStringEncoder encode(encoding, QStringConverter::Flag::WriteBom);
        const CodeList list = parseCodeList(QByteArray(encode(text)));
        EXPECT_TRUE(list.ok()) << list.error.toStdString();
        EXPECT_EQ(
            texts(list.codes), (std::vector<QByteArray> { "10000001", "10000002", "0000003" }));
        EXPECT_EQ(list.firstSkippedLines, (std::vector<qsizetype> { 1, 3 }));
    }
    QStringEncoder encode(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom);
    const CodeList searchFile = parseCodeList(
        QByteArray(encode(u"x||10000007||a\\1.mpg||歌||x||x||流行||国语||歌手\r\n"_qs)));
    EXPECT_EQ(texts(searchFile.codes), std::vector<QByteArray> { "10000007" });
}

TEST(CodeLists, OtherWideTextIsNamedInsteadOfCountedAsLines)
{
    const QString text = u"10000001\r\n10000002\r\n"_qs;
    const auto encoded = [&text](QStringConverter::Encoding encoding, bool mark) {
        QStringEncoder encode(
            encoding, mark ? QStringConverter::Flag::WriteBom : QStringConverter::Flag::Default);
        return QByteArray(encode(text));
    };
    for (const auto &[bytes, named] : {
             std::pair { encoded(QStringConverter::Utf32LE, true), u"UTF-32"_qs },
             std::pair { encoded(QStringConverter::Utf32BE, true), u"UTF-32"_qs },
             std::pair { encoded(QStringConverter::Utf16LE, false), u"UTF-16"_qs },
             std::pair { encoded(QStringConverter::Utf16BE, false), u"UTF-16"_qs },
             std::pair { "10000001\r\n\0\x01\x02\x03\x04\x05\x06\r\n"_ba, u"不是文本文件"_qs },
         }) {
        const CodeList list = parseCodeList(bytes);
        EXPECT_TRUE(list.error.contains(named)) << list.error.toStdString();
        EXPECT_TRUE(list.codes.empty());
        EXPECT_EQ(list.skippedLineCount, 0);
    }
}

TEST(CodeLists, LinesThatAreNoCodesAreSkippedCountedAndNamed)
{
    const QByteArray text = Gbk::encode(u"编码\r\n10000001\r\n\r\n第二首 10000002\r\n"
                                        u"1000000x\r\n123456789012345678\r\n10000003\r\n"
                                        u"   \r\n12 34\r\n"_qs);
    const CodeList list = parseCodeList(text);
    EXPECT_EQ(texts(list.codes), (std::vector<QByteArray> { "10000001", "10000003" }));
    EXPECT_EQ(list.skippedLineCount, 7);
    EXPECT_EQ(list.firstSkippedLines, (std::vector<qsizetype> { 1, 3, 4, 5, 6 }));
    // A code's leading zeros count: 0012 is not 12.
    EXPECT_NE(codeKey("0012"), codeKey("12"));
    EXPECT_EQ(codeText(codeKey("0012")), "0012");
}

TEST(CodeLists, ASearchFileGivesTheCodeOfEachLine)
{
    // GBK's 東 ends in '|': its trail byte must not start a separator.
    const QByteArray text = searchFileLine({ u"10000001"_qs, u"東"_qs, u"s"_qs })
        + Gbk::encode(u"東||10000002||x||y||z\r\nonly||\r\nshort\r\n"_qs)
        + searchFileLine({ u"10000003"_qs, u"n"_qs, u"s"_qs });
    const CodeList list = parseCodeList(text);
    EXPECT_EQ(texts(list.codes), (std::vector<QByteArray> { "10000001", "10000002", "10000003" }));
    EXPECT_EQ(list.skippedLineCount, 2);
    const CodeList utf8 = parseCodeList(
        searchFileLine({ u"10000004"_qs, u"東方之珠"_qs, u"羅大佑"_qs }, TextEncoding::Utf8));
    EXPECT_EQ(texts(utf8.codes), (std::vector<QByteArray> { "10000004" }));
}

TEST(CodeLists, SeveralFilesUniteIntoTheSongsTheVenueHasAndAFifoIsRefused)
{
    QTemporaryDir folder;
    const QString list = folder.filePath(u"list.txt"_qs);
    const QString search = folder.filePath(u"search.txt"_qs);
    const QString fifo = folder.filePath(u"fifo"_qs);
    ASSERT_EQ(writeFileAtomically(list, "10000001\r\n10000009\r\n"), QString());
    ASSERT_EQ(writeFileAtomically(search, searchFileLine({ u"0000003"_qs, u"n"_qs, u"s"_qs })),
        QString());
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const std::vector<CodeList> lists { readCodeList(list), readCodeList(search),
        readCodeList(folder.filePath(u"gone.txt"_qs)), readCodeList(fifo) };
    EXPECT_FALSE(lists[2].ok());
    EXPECT_FALSE(lists[3].ok());
    const CodeSet has { std::span<const CodeList>(lists) };
    EXPECT_EQ(has.size(), 3);
    EXPECT_TRUE(has.contains(codeKey("0000003")));
    EXPECT_FALSE(has.contains(codeKey("3")));
    EXPECT_EQ(rowsWithCodesMask(venueTable(venueSongs), has),
        (std::vector<bool> { true, false, true, false }));
    EXPECT_TRUE(rowsWithCodesMask(SongTable(), has).empty());
}

TEST(CodeLists, AnImportFindsTheRowsAndNamesTheCodesNotInTheTable)
{
    const CodeMatch match = matchCodes(venueTable(venueSongs),
        keys({ "10000004", "20000000", "10000001", "20000000", "3", "0000003" }));
    EXPECT_EQ(match.rows, (std::vector<std::uint32_t> { 0, 2, 3 }));
    EXPECT_EQ(texts(match.missing), (std::vector<QByteArray> { "20000000", "3" }));
    EXPECT_TRUE(matchCodes(SongTable(), keys({ "1" })).rows.empty());
}
