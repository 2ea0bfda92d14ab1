#include "songs/search_file_analysis.h"

#include "ui/core/file_io.h"
#include "ui/core/gbk_text.h"

#include <QByteArrayList>

#include <gtest/gtest.h>

namespace {

// A line with the nine used fields; the name and singer come from `name` and `singer`.
QByteArray songLine(const QByteArray &code, const QByteArray &name, const QByteArray &singer)
{
    return QByteArrayList { "x", code, "a\\" + code + ".mpg", name, "x", "x", "Pop", "Mandarin",
        singer }
        .join("||");
}

std::vector<QByteArray> row(const SearchFileAnalysis &analysis, qsizetype index)
{
    std::vector<QByteArray> cells;
    for (int column = 0; column < songColumnCount; ++column)
        cells.push_back(analysis.table.field(index, static_cast<SongColumn>(column)).toByteArray());
    return cells;
}

} // namespace

TEST(SearchFileAnalysis, ThreeLineFileGivesThreeSongsWithoutLineBreaksInTheirCells)
{
    const QByteArray text = songLine("10000001", "Song A", "Singer A") + "\r\n"
        + songLine("10000002", "Song B", "Singer B") + "\r\n"
        + songLine("10000003", "Song C", "Singer C");
    const SearchFileAnalysis analysis = analyseSearchFile(text);

    ASSERT_EQ(analysis.table.rowCount(), 3);
    EXPECT_TRUE(analysis.error.isEmpty());
    EXPECT_EQ(analysis.skippedLineCount(), 0);
    EXPECT_EQ(row(analysis, 0),
        (std::vector<QByteArray> {
            "10000001", "Song A", "Singer A", "Pop", "Mandarin", "a\\10000001.mpg" }));
    EXPECT_EQ(analysis.table.field(2, SongColumn::Code), "10000003");
}

TEST(SearchFileAnalysis, FieldsAfterTheEighthAndUnusedFieldsAreIgnored)
{
    const SearchFileAnalysis analysis
        = analyseSearchFile("f0||code||path||name||f4||f5||cat||lang||singer||f9||f10\r\n");
    ASSERT_EQ(analysis.table.rowCount(), 1);
    EXPECT_EQ(row(analysis, 0),
        (std::vector<QByteArray> { "code", "name", "singer", "cat", "lang", "path" }));
}

TEST(SearchFileAnalysis, FieldsAreTakenAsTheyAreIncludingSpacesEmptiesAndSingleBars)
{
    const SearchFileAnalysis analysis = analyseSearchFile(" 0 || 1 ||a|b||||||||cat|||| s \r\n");
    ASSERT_EQ(analysis.table.rowCount(), 1);
    EXPECT_EQ(row(analysis, 0), (std::vector<QByteArray> { " 1 ", "", " s ", "cat", "", "a|b" }));
}

TEST(SearchFileAnalysis, LfOnlyLinesAndAFinalLineBreakAddNoEmptySong)
{
    const QByteArray line = songLine("1", "n", "s");
    for (const QByteArray &text :
        { line + "\n" + line + "\n", line + "\r\n" + line + "\r\n", line + "\n" + line + "\r\n" }) {
        const SearchFileAnalysis analysis = analyseSearchFile(text);
        EXPECT_EQ(analysis.table.rowCount(), 2);
        EXPECT_EQ(analysis.skippedLineCount(), 0);
        EXPECT_EQ(analysis.table.field(1, SongColumn::Singer), "s");
    }
}

TEST(SearchFileAnalysis, ALoneCrEndsALineAsLfAndCrLfDo)
{
    const QByteArray line = songLine("1", "n", "s");
    const SearchFileAnalysis analysis = analyseSearchFile(
        line + "\r" + line + "\r\r" + line + "\r\n" + line + "\n" + line + "\r" + "x||short");
    EXPECT_EQ(analysis.table.rowCount(), 5);
    for (qsizetype song = 0; song < analysis.table.rowCount(); ++song)
        EXPECT_EQ(row(analysis, song),
            (std::vector<QByteArray> { "1", "n", "s", "Pop", "Mandarin", "a\\1.mpg" }));
    EXPECT_EQ(analysis.skippedLineCount(), 1);
    EXPECT_EQ(analysis.skippedLines, std::vector<std::uint32_t> { 7 }) << "the empty line counts";
}

TEST(SearchFileAnalysis, Utf8CharactersBeforeABarDoNotHideTheSeparator)
{
    // 歌 is E6 AD 8C in UTF-8: three bytes that would lead GBK characters, the last paired with
    // '|'.
    const QByteArray name = u"歌"_qs.toUtf8();
    const QByteArray text = songLine("1", name, name) + "\r\n" + songLine("2", "n", name);
    const SearchFileAnalysis analysis = analyseSearchFile(text, TextEncoding::Utf8);
    ASSERT_EQ(analysis.table.rowCount(), 2);
    EXPECT_EQ(analysis.skippedLineCount(), 0);
    EXPECT_EQ(analysis.table.text(0, SongColumn::Name), u"歌"_qs);
    EXPECT_EQ(analysis.table.field(1, SongColumn::Singer), name);
    EXPECT_EQ(analysis.table.encoding(), TextEncoding::Utf8);
}

TEST(SearchFileAnalysis, EmptyTextGivesNoSongsAndNoComplaint)
{
    for (const QByteArray &text : { QByteArray(), QByteArray("\r\n\r\n"), QByteArray("\n") }) {
        const SearchFileAnalysis analysis = analyseSearchFile(text);
        EXPECT_EQ(analysis.table.rowCount(), 0);
        EXPECT_EQ(analysis.skippedLineCount(), 0);
        EXPECT_TRUE(analysis.error.isEmpty());
    }
}

TEST(SearchFileAnalysis, ShortLinesAreSkippedAndCountedWhileEmptyLinesAreSkippedSilently)
{
    const QByteArray text = songLine("1", "n", "s") + "\r\n" // line 1
        + "\r\n" // 2: empty
        + "a||b||c\r\n" // 3: three fields
        + songLine("2", "n", "s") + "\r\n" // 4
        + "0||1||2||3||4||5||6||7\r\n" // 5: eight fields
        + "\r\n" // 6: empty
        + "just text"; // 7: one field, no line break
    const SearchFileAnalysis analysis = analyseSearchFile(text);
    ASSERT_EQ(analysis.table.rowCount(), 2);
    EXPECT_EQ(analysis.table.field(0, SongColumn::Code), "1");
    EXPECT_EQ(analysis.table.field(1, SongColumn::Code), "2");
    EXPECT_EQ(analysis.skippedLineCount(), 3);
    EXPECT_EQ(analysis.skippedLines, (std::vector<std::uint32_t> { 3, 5, 7 }));
}

TEST(SearchFileAnalysis, EverySkippedLineIsListedInOrderWhateverTheParts)
{
    QByteArray text;
    std::vector<std::uint32_t> expected;
    for (std::uint32_t line = 1; line <= 30000; ++line) {
        const bool song = line % 2 == 0 || line > 20000;
        text += (song ? songLine("1", "n", "s") : QByteArray("short")) + "\r\n";
        if (!song)
            expected.push_back(line);
    }
    for (const int partCount : { 1, 4 }) {
        const SearchFileAnalysis analysis = analyseSearchFile(text, TextEncoding::Gbk, partCount);
        EXPECT_EQ(analysis.table.rowCount(), 20000) << partCount;
        EXPECT_EQ(analysis.skippedLineCount(), 10000) << partCount;
        EXPECT_EQ(analysis.skippedLines, expected) << partCount;
    }
}

TEST(SearchFileAnalysis, CharactersWhoseSecondByteIsABarDoNotSplitFields)
{
    const QByteArray east = Gbk::encode(u"東");
    const QByteArray hundredMillion = Gbk::encode(u"億");
    const QByteArray wei = Gbk::encode(u"瑋");
    ASSERT_EQ(east, QByteArray("\x96\x7C"));
    ASSERT_TRUE(hundredMillion.endsWith('|') && wei.endsWith('|'));

    const QByteArray name = Gbk::encode(u"東方之東");
    const QByteArray singer = Gbk::encode(u"陳億瑋");
    const QByteArray text = songLine("10000001", name, singer) + "||" + east + "\r\n"
        + songLine("10000002", east, east);
    const SearchFileAnalysis analysis = analyseSearchFile(text);

    ASSERT_EQ(analysis.table.rowCount(), 2);
    EXPECT_EQ(analysis.table.field(0, SongColumn::Name), name);
    EXPECT_EQ(analysis.table.field(0, SongColumn::Singer), singer);
    EXPECT_EQ(analysis.table.field(0, SongColumn::Category), "Pop");
    EXPECT_EQ(analysis.table.field(1, SongColumn::Name), east);
    EXPECT_EQ(analysis.table.field(1, SongColumn::Singer), east);
    EXPECT_EQ(Gbk::decode(analysis.table.field(0, SongColumn::Singer)), u"陳億瑋");
}

TEST(SearchFileAnalysis, ABarAfterAnEvenRunOfDoubleByteCharactersStillSeparates)
{
    // 0x81 0x81 is one character, so the bar after it is a separator; after 0x81 alone it is not.
    const SearchFileAnalysis even = analyseSearchFile("0||1||2||\x81\x81||4||5||6||7||8");
    ASSERT_EQ(even.table.rowCount(), 1);
    EXPECT_EQ(even.table.field(0, SongColumn::Name), "\x81\x81");

    const SearchFileAnalysis odd = analyseSearchFile("0||1||2||\x81||4||5||6||7||8||9");
    ASSERT_EQ(odd.table.rowCount(), 1);
    EXPECT_EQ(odd.table.field(0, SongColumn::Name), "\x81||4");
    EXPECT_EQ(odd.table.field(0, SongColumn::Singer), "9");
}

TEST(SearchFileAnalysis, TheTableSharesTheTextInsteadOfCopyingIt)
{
    const QByteArray text = songLine("10000001", "n", "s") + "\r\n";
    const SearchFileAnalysis analysis = analyseSearchFile(text);
    ASSERT_EQ(analysis.table.rowCount(), 1);
    EXPECT_EQ(analysis.table.field(0, SongColumn::Code).data(), text.constData() + 3);
}

TEST(SearchFileAnalysis, FieldsLongerThanSixtyFourKilobytesAreKeptWhole)
{
    const QByteArray longName(70000, 'n');
    const QByteArray longTail(70000, 't');
    const QByteArray text = songLine("10000001", longName, "s") + "\r\n"
        + songLine("10000002", "n", "s") + "||" + longTail + "\r\n"
        + songLine("10000003", "n", longTail) + "\r\n";
    const SearchFileAnalysis analysis = analyseSearchFile(text);
    ASSERT_EQ(analysis.table.rowCount(), 3);
    EXPECT_EQ(analysis.table.field(0, SongColumn::Name), longName);
    EXPECT_EQ(analysis.table.field(0, SongColumn::Singer), "s");
    EXPECT_EQ(analysis.table.field(1, SongColumn::Code), "10000002");
    EXPECT_EQ(analysis.table.field(1, SongColumn::Singer), "s");
    EXPECT_EQ(analysis.table.field(2, SongColumn::Singer), longTail);
}

TEST(SearchFileAnalysis, CellsAndGapsAroundTwoHundredAndFiftyFiveBytesAreKeptWhole)
{
    // A row is kept in little space while each cell and the gap the two fields between name and
    // category make stay within 255 bytes; a longer one is kept in full.
    for (const int length : { 245, 250, 251, 254, 255, 256, 300 }) {
        const QByteArray longField(length, 'n');
        const QByteArray singer = "s" + QByteArray::number(length);
        const QByteArrayList lines {
            songLine("10000001", longField, singer),
            QByteArrayList { "x", "10000002", "a\\10000002.mpg", "name", longField, "x", "Pop",
                "Mandarin", singer }
                .join("||"),
            // Every field long: two wide gaps.
            QByteArrayList {
                "x", "10000003", "p", "name", longField, longField, "Pop", "Mandarin", singer }
                .join("||"),
        };
        const SearchFileAnalysis analysis = analyseSearchFile(lines.join("\r\n") + "\r\n");
        ASSERT_EQ(analysis.table.rowCount(), 3);
        EXPECT_EQ(row(analysis, 0),
            (std::vector<QByteArray> {
                "10000001", longField, singer, "Pop", "Mandarin", "a\\10000001.mpg" }))
            << length;
        EXPECT_EQ(row(analysis, 1),
            (std::vector<QByteArray> {
                "10000002", "name", singer, "Pop", "Mandarin", "a\\10000002.mpg" }))
            << length;
        EXPECT_EQ(row(analysis, 2),
            (std::vector<QByteArray> { "10000003", "name", singer, "Pop", "Mandarin", "p" }))
            << length;
    }
}

TEST(SearchFileAnalysis, TheSampleFileGivesThreeHundredSongsFiledByLanguage)
{
    const FileReadResult read
        = readWholeFile(QStringLiteral(LANSHAN_SOURCE_DIR "/data/sample_search_file.txt"));
    ASSERT_TRUE(read.ok()) << read.error.toStdString();
    const SearchFileAnalysis analysis = analyseSearchFile(read.bytes);
    ASSERT_EQ(analysis.table.rowCount(), 300);
    EXPECT_EQ(analysis.skippedLineCount(), 0);
    for (qsizetype row = 0; row < analysis.table.rowCount(); ++row) {
        const QByteArrayView code = analysis.table.field(row, SongColumn::Code);
        const QByteArray expectedPathStart
            = analysis.table.field(row, SongColumn::Language).toByteArray() + '\\'
            + code.toByteArray();
        EXPECT_EQ(code.size(), 8) << row;
        EXPECT_TRUE(analysis.table.field(row, SongColumn::FilePath).startsWith(expectedPathStart))
            << row;
    }
}

TEST(SearchFileAnalysis, AnalysingInPartsGivesTheSameSongsSkippedLinesAndTicksAsOneRun)
{
    // Every kind of line end, empty and short lines and rows too long to pack, in every part.
    const QByteArray longName(70000, 'n');
    QByteArray mixed;
    for (int line = 0; line < 400; ++line) {
        const QByteArray code = QByteArray::number(line);
        mixed += line % 37 == 0 ? songLine(code, longName, "s")
            : line % 11 == 0    ? QByteArray("short")
            : line % 13 == 0    ? QByteArray()
                                : songLine(code, "n" + code, "s");
        mixed += line % 3 == 0 ? "\r\n" : line % 3 == 1 ? "\n" : "\r";
    }
    QByteArray loneCrOnly;
    for (int line = 0; line < 50; ++line)
        loneCrOnly += (line % 7 == 0 ? QByteArray("short") : songLine("1", "n", "s")) + "\r";

    for (const QByteArray &text : { mixed, loneCrOnly, songLine("1", "n", "s") }) {
        const SearchFileAnalysis whole = analyseSearchFile(text, TextEncoding::Gbk, 1);
        for (const int partCount : { 2, 3, 7, 64 }) {
            SearchFileAnalysis parted = analyseSearchFile(text, TextEncoding::Gbk, partCount);
            ASSERT_EQ(parted.table.rowCount(), whole.table.rowCount()) << partCount;
            for (qsizetype song = 0; song < whole.table.rowCount(); ++song)
                ASSERT_EQ(row(parted, song), row(whole, song)) << partCount << " row " << song;
            EXPECT_EQ(parted.skippedLines, whole.skippedLines) << partCount;
            for (qsizetype song = 0; song < whole.table.rowCount(); ++song) {
                ASSERT_EQ(parted.table.line(song).offset, whole.table.line(song).offset)
                    << partCount;
                ASSERT_EQ(parted.table.line(song).length, whole.table.line(song).length)
                    << partCount;
            }
        }
    }
}
