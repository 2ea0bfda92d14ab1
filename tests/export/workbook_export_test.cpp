#include "export/song_workbook.h"

#include "test_song_tables.h"
#include "ui/core/gbk_text.h"
#include "workbook_reading.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

QStringList row(std::initializer_list<const char16_t *> cells)
{
    QStringList texts;
    for (const char16_t *cell : cells)
        texts.append(QString::fromUtf16(cell));
    return texts;
}

SongFields numberedSong(int number)
{
    const QByteArray text = QByteArray::number(number);
    return { text.rightJustified(8, '0'), "Song " + text, "Singer", "Pop", "Mandarin", "" };
}

QList<SongFields> numberedSongs(int count)
{
    QList<SongFields> songs;
    for (int number = 1; number <= count; ++number)
        songs.append(numberedSong(number));
    return songs;
}

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

class WorkbookExport : public testing::Test
{
protected:
    QString path(const QString &name = QStringLiteral("songs.xlsx")) const
    {
        return m_folder.filePath(name);
    }
    QStringList folderEntries() const
    {
        return QDir(m_folder.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    QTemporaryDir m_folder;
};

TEST_F(WorkbookExport, EveryRowCheckedOrNotReadsBackAsSixTextColumnsWithoutLineBreaks)
{
    SongTable table = makeSongTable({
        { "10000001", "Song A", "Singer A", "Pop", "Mandarin", "a\\001.mpg" },
        { "20000001", Gbk::encode(u"七里香"), Gbk::encode(u"周杰伦"), Gbk::encode(u"流行"),
            Gbk::encode(u"国语"), Gbk::encode(u"歌曲\\七里香.mpg") },
        { "00012345", "1999", "0", "07", "1e5", "0.50" },
        { "_x0041_", "a\rb\nc\td", "  padded  ", "Tom & Jerry <live>", "_x005F_x0041_", "__x12_" },
        { QByteArray("12\0"
                     "34",
              5),
            "\xFF"
            "A",
            "B\x81", "", "", "" },
    });
    ASSERT_EQ(writeSongWorkbook(table, path()), QString());

    const WorkbookContent content = readWorkbook(path());
    ASSERT_EQ(content.error, QString());
    ASSERT_EQ(content.sheets.size(), 1u);
    ASSERT_EQ(content.sheets[0].size(), 5u);
    const std::vector<QStringList> &rows = content.sheets[0];
    EXPECT_EQ(
        rows[0], row({ u"10000001", u"Song A", u"Singer A", u"Pop", u"Mandarin", u"a\\001.mpg" }));
    EXPECT_EQ(
        rows[1], row({ u"20000001", u"七里香", u"周杰伦", u"流行", u"国语", u"歌曲\\七里香.mpg" }));
    EXPECT_EQ(rows[2], row({ u"00012345", u"1999", u"0", u"07", u"1e5", u"0.50" }));
    EXPECT_EQ(rows[3],
        row({ u"_x0041_", u"a\rb\nc\td", u"  padded  ", u"Tom & Jerry <live>", u"_x005F_x0041_",
            u"__x12_" }));
    // Bytes that are not GBK show as replacement characters; a NUL must not cut the cell short.
    EXPECT_EQ(rows[4], row({ u"12\uFFFD34", u"\uFFFDA", u"B\uFFFD", u"", u"", u"" }));
    EXPECT_EQ(content.nonTextCells, 0);
}

TEST_F(WorkbookExport, EachSheetsColumnsAreAsWideAsTheirWidestTextUpToALimit)
{
    const QList<SongFields> songs = {
        { "1", Gbk::encode(u"月亮代表我的心"), "Teresa Teng", "", "", QByteArray(200, 'x') },
        { "10000002", "Song", Gbk::encode(u"鄧麗君"), "", "", "a\\2.mpg" },
        { "3", "S", "", "", "", "" },
    };
    ASSERT_EQ(writeSongWorkbook(makeSongTable(songs), path(), {}, 2), QString());
    const WorkbookContent content = readWorkbook(path());
    ASSERT_EQ(content.error, QString());
    ASSERT_EQ(content.columnWidths.size(), 2u);
    // As a spreadsheet shows them, without the pixels of padding the file adds: a digit's width
    // more than the text; a Chinese character is two digits wide.
    const auto shown = [](const std::vector<double> &widths) {
        std::vector<int> whole;
        for (const double width : widths)
            whole.push_back(static_cast<int>(width));
        return whole;
    };
    EXPECT_EQ(shown(content.columnWidths[0]), (std::vector<int> { 9, 15, 12, 0, 0, 81 }));
    EXPECT_EQ(shown(content.columnWidths[1]), (std::vector<int> { 2, 2 }))
        << "the second sheet's own";
}

TEST_F(WorkbookExport, AUtf8TableIsWrittenAsItsCharacters)
{
    const SongTable table = makeSongTable(
        { { "1", u"七里香"_qs.toUtf8(), u"周杰伦"_qs.toUtf8(), "", "", QByteArray("a\0", 2) } },
        TextEncoding::Utf8);
    ASSERT_EQ(writeSongWorkbook(table, path()), QString());
    const WorkbookContent content = readWorkbook(path());
    ASSERT_EQ(content.sheets.size(), 1u);
    ASSERT_EQ(content.sheets[0].size(), 1u);
    EXPECT_EQ(content.sheets[0][0], row({ u"1", u"七里香", u"周杰伦", u"", u"", u"a\uFFFD" }));
}

TEST_F(WorkbookExport, EmptyTableGivesAWorkbookWithOneEmptySheet)
{
    ASSERT_EQ(writeSongWorkbook(SongTable(), path()), QString());

    const WorkbookContent content = readWorkbook(path());
    ASSERT_EQ(content.error, QString());
    ASSERT_EQ(content.sheets.size(), 1u);
    EXPECT_TRUE(content.sheets[0].empty());
}

TEST_F(WorkbookExport, RowsBeyondAFullSheetContinueOnANewSheetAndNoSheetIsLeftEmpty)
{
    ASSERT_EQ(writeSongWorkbook(makeSongTable(numberedSongs(7)), path(), {}, 3), QString());
    ASSERT_EQ(
        writeSongWorkbook(makeSongTable(numberedSongs(6)), path(QStringLiteral("six.xlsx")), {}, 3),
        QString());

    const WorkbookContent content = readWorkbook(path());
    ASSERT_EQ(content.error, QString());
    ASSERT_EQ(content.sheets.size(), 3u);
    EXPECT_EQ(content.sheets[0].size(), 3u);
    EXPECT_EQ(content.sheets[1].size(), 3u);
    ASSERT_EQ(content.sheets[2].size(), 1u);
    EXPECT_EQ(content.sheets[0][0][0], u"00000001");
    EXPECT_EQ(content.sheets[1][0][0], u"00000004");
    EXPECT_EQ(content.sheets[1][2][1], u"Song 6");
    EXPECT_EQ(content.sheets[2][0][0], u"00000007");
    EXPECT_EQ(readWorkbook(path(QStringLiteral("six.xlsx"))).sheets.size(), 2u);
}

TEST_F(WorkbookExport, ReplacesAnExistingFileAndLeavesNothingElse)
{
    writeFile(path(), "an older file");

    ASSERT_EQ(writeSongWorkbook(makeSongTable(numberedSongs(2)), path()), QString());

    EXPECT_EQ(readWorkbook(path()).error, QString());
    EXPECT_EQ(folderEntries(), QStringList { QStringLiteral("songs.xlsx") });
}

TEST_F(WorkbookExport, AnUnwritableTargetLeavesNoFileAndNamesTheReason)
{
    const SongTable table = makeSongTable(numberedSongs(2));
    ASSERT_TRUE(QDir(m_folder.path()).mkdir(QStringLiteral("folder.xlsx")));

    const QString missingFolder = writeSongWorkbook(table, path(QStringLiteral("missing/a.xlsx")));
    const QString folderAsTarget = writeSongWorkbook(table, path(QStringLiteral("folder.xlsx")));

    EXPECT_TRUE(missingFolder.contains(QDir::toNativeSeparators(path(QStringLiteral("missing")))))
        << missingFolder.toStdString();
    EXPECT_TRUE(folderAsTarget.contains(QStringLiteral("文件夹"))) << folderAsTarget.toStdString();
    EXPECT_TRUE(QDir(path(QStringLiteral("folder.xlsx"))).isEmpty());
    EXPECT_EQ(folderEntries(), QStringList { QStringLiteral("folder.xlsx") });
}

TEST_F(WorkbookExport, CancellingLeavesNoFileAndKeepsAnExistingOneWhole)
{
    writeFile(path(QStringLiteral("old.xlsx")), "an older file");
    const SongTable table = makeSongTable(numberedSongs(5));
    const auto cancel = [](qsizetype, qsizetype) { return false; };

    EXPECT_FALSE(writeSongWorkbook(table, path(), cancel).isEmpty());
    EXPECT_FALSE(writeSongWorkbook(table, path(QStringLiteral("old.xlsx")), cancel).isEmpty());
    EXPECT_FALSE(writeSongWorkbook(SongTable(), path(), cancel).isEmpty());

    EXPECT_EQ(folderEntries(), QStringList { QStringLiteral("old.xlsx") });
    EXPECT_EQ(contentOf(path(QStringLiteral("old.xlsx"))), QByteArray("an older file"));
}

TEST_F(WorkbookExport, ReportsGrowingProgressThatEndsAtTheRowCount)
{
    const SongTable table = makeSongTable(numberedSongs(10000));
    std::vector<qsizetype> reported;
    const auto record = [&](qsizetype written, qsizetype count) {
        EXPECT_EQ(count, 10000);
        reported.push_back(written);
        return true;
    };

    ASSERT_EQ(writeSongWorkbook(table, path(), record), QString());

    ASSERT_GE(reported.size(), 2u);
    EXPECT_TRUE(std::is_sorted(reported.begin(), reported.end()));
    EXPECT_EQ(std::adjacent_find(reported.begin(), reported.end()), reported.end());
    EXPECT_EQ(reported.back(), 10000);
}

TEST_F(WorkbookExport, ATargetThatIsAFifoOrALinkToOneIsRefusedAndStays)
{
    const QString fifo = path(QStringLiteral("fifo.xlsx"));
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(fifo, path(QStringLiteral("link.xlsx"))));
    const SongTable table = makeSongTable(numberedSongs(2));

    for (const QString &name : { u"fifo.xlsx"_qs, u"link.xlsx"_qs }) {
        const QString error = writeSongWorkbook(table, path(name));
        EXPECT_TRUE(error.contains(QStringLiteral("不是普通文件"))) << error.toStdString();
    }
    EXPECT_FALSE(QFileInfo(fifo).isFile());
    EXPECT_TRUE(QFileInfo(path(QStringLiteral("link.xlsx"))).isSymLink());
    EXPECT_EQ(QDir(m_folder.path())
                  .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)
                  .size(),
        2)
        << "no temporary file left";
}

TEST_F(WorkbookExport, ACellOverTheSheetLimitFailsNamingItsRowAndLeavesNoFile)
{
    QList<SongFields> songs = numberedSongs(3);
    songs[0][1] = QByteArray(WorkbookWriter::maxCellCharacters, 'a');
    songs[1][1] = QByteArray(WorkbookWriter::maxCellCharacters + 1, 'a');

    const QString error = writeSongWorkbook(makeSongTable(songs), path());

    EXPECT_TRUE(error.contains(QStringLiteral("第 2 行"))) << error.toStdString();
    EXPECT_TRUE(folderEntries().isEmpty());
}

} // namespace
