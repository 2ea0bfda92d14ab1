#include "songs/search_file_analysis.h"
#include "songs/song_table_model.h"
#include "songs/source_text_model.h"

#include "ui/core/gbk_text.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::shared_ptr<const SongTable> shared(SongTable table)
{
    return std::make_shared<const SongTable>(std::move(table));
}

std::shared_ptr<const SongTable> threeSongs()
{
    return shared(analyseSearchFile(QByteArray("x||10000001||a\\1.mpg||") + Gbk::encode(u"東方之珠")
        + "||x||x||Pop||Mandarin||" + Gbk::encode(u"羅大佑") + "\r\n"
        + "x||10000002||b||B||x||x||c||l||s\r\n" + "x||10000003||c||C||x||x||c||l||s\r\n")
                      .table);
}

// Records the model's signals as the view would receive them.
struct SignalLog
{
    explicit SignalLog(SongTableModel &model)
    {
        QObject::connect(&model, &QAbstractItemModel::dataChanged,
            [this](const QModelIndex &topLeft, const QModelIndex &bottomRight,
                const QList<int> &roles) {
                changes.push_back(
                    { topLeft.row(), topLeft.column(), bottomRight.row(), bottomRight.column() });
                changedRoles = roles;
            });
        QObject::connect(&model, &QAbstractItemModel::modelReset, [this] { ++resets; });
    }

    std::vector<std::array<int, 4>> changes; // top, left, bottom, right
    QList<int> changedRoles;
    int resets = 0;
};

std::vector<bool> checkMarks(const SongTableModel &model)
{
    std::vector<bool> marks;
    for (int row = 0; row < model.rowCount(); ++row)
        marks.push_back(model.isTicked(row));
    return marks;
}

} // namespace

TEST(SongListDisplay, StartsWithThePlaceholderRowThatIsNoSong)
{
    SongTableModel model;
    ASSERT_EQ(model.rowCount(), 1);
    EXPECT_EQ(model.columnCount(), 6);
    EXPECT_EQ(model.data(model.index(0, 0)).toString(), u"无内容：");
    EXPECT_EQ(model.data(model.index(0, 1)).toString(), u"请浏览搜歌文件后点分析！");
    for (int column = 2; column < 6; ++column)
        EXPECT_EQ(model.data(model.index(0, column)).toString(), QString());
    EXPECT_FALSE(model.hasSongs());
    model.setAllTicked(true);
    EXPECT_EQ(model.tickedSongCount(), 0) << "the placeholder is no song";
    model.setAllTicked(false);
    EXPECT_EQ(model.data(model.index(0, 0), Qt::CheckStateRole).toInt(), Qt::Unchecked);
}

TEST(SongListDisplay, ShowsDecodedCellsWithoutTheStoredLineBreak)
{
    SongTableModel model;
    model.setTable(threeSongs());
    EXPECT_EQ(model.data(model.index(0, 0)).toString(), u"10000001");
    EXPECT_EQ(model.data(model.index(0, 1)).toString(), u"東方之珠");
    EXPECT_EQ(model.data(model.index(0, 2)).toString(), u"羅大佑");
    EXPECT_EQ(model.data(model.index(0, 5)).toString(), u"a\\1.mpg");
    EXPECT_EQ(model.table()->field(0, SongColumn::Singer), Gbk::encode(u"羅大佑"));
    EXPECT_TRUE(model.hasSongs());
}

TEST(SongListDisplay, HasTheSixTitlesAndACheckBoxOnlyInFrontOfTheCode)
{
    SongTableModel model;
    const QStringList titles { u"编码"_qs, u"歌名"_qs, u"歌手"_qs, u"类别"_qs, u"语种"_qs,
        u"文件路径"_qs };
    for (int column = 0; column < 6; ++column) {
        EXPECT_EQ(model.headerData(column, Qt::Horizontal).toString(), titles[column]);
        EXPECT_EQ(
            model.flags(model.index(0, column)).testFlag(Qt::ItemIsUserCheckable), column == 0);
        EXPECT_FALSE(model.flags(model.index(0, column)).testFlag(Qt::ItemIsEditable));
    }
}

TEST(SongListDisplay, ANewTableResetsTheViewAndStartsUnchecked)
{
    SongTableModel model;
    model.setTable(threeSongs());
    model.setAllTicked(true);
    SignalLog log(model);

    model.setTable(shared(analyseSearchFile("x||10000009||p||n||x||x||c||l||s").table));

    EXPECT_EQ(log.resets, 1);
    ASSERT_EQ(model.rowCount(), 1);
    EXPECT_EQ(model.data(model.index(0, 0)).toString(), u"10000009");
    EXPECT_EQ(model.data(model.index(0, 0), Qt::CheckStateRole).toInt(), Qt::Unchecked);
}

TEST(CheckMarks, CheckingAllIsOneUpdateOverColumnZero)
{
    SongTableModel model;
    model.setTable(threeSongs());
    SignalLog log(model);

    model.setAllTicked(true);
    EXPECT_EQ(checkMarks(model), (std::vector<bool> { true, true, true }));
    model.setAllTicked(false);
    EXPECT_EQ(checkMarks(model), (std::vector<bool> { false, false, false }));

    const std::array<int, 4> wholeColumn { 0, 0, 2, 0 };
    EXPECT_EQ(log.changes, (std::vector<std::array<int, 4>> { wholeColumn, wholeColumn }));
    EXPECT_EQ(log.changedRoles, QList<int> { Qt::CheckStateRole });
}

TEST(CheckMarks, ANewTableKeepsEveryRowOfATickedCodeTickedAndCountsWhatItDropped)
{
    SongTableModel model;
    model.setAllTicked(true);
    EXPECT_EQ(model.setTable(threeSongs()).keptRows, 0) << "the placeholder's tick is no song's";
    EXPECT_EQ(checkMarks(model), (std::vector<bool> { false, false, false }));

    const std::vector<std::uint32_t> ticked { 0, 2 };
    model.setRowsTicked(ticked, true);
    int replaced = 0;
    QObject::connect(&model, &SongTableModel::tableReplaced, [&] {
        ++replaced;
        EXPECT_EQ(model.rowCount(), 4) << "after the rows are the new table's";
    });
    const TicksCarried carried = model.setTable(shared(analyseSearchFile(
        "x||10000003||p||n||x||x||c||l||s\r\nx||10000002||p||n||x||x||c||l||s\r\n"
        "x||10000003||p||n||x||x||c||l||s\r\nx||10000004||p||n||x||x||c||l||s\r\n")
                                                           .table));
    EXPECT_EQ(replaced, 1);
    EXPECT_EQ(checkMarks(model), (std::vector<bool> { true, false, true, false }));
    EXPECT_EQ(model.tickedSongCount(), 2);
    EXPECT_EQ(carried.keptRows, 2) << "both rows of 10000003";
    EXPECT_EQ(carried.droppedRows, 1) << "10000001 is gone";
}

TEST(CheckMarks, CheckingAllBeforeAnyAnalysisChecksThePlaceholder)
{
    SongTableModel model;
    model.setAllTicked(true);
    EXPECT_EQ(model.data(model.index(0, 0), Qt::CheckStateRole).toInt(), Qt::Checked);
}

TEST(CheckMarks, CheckingRowsKeepsEarlierChecksAndIsOneUpdate)
{
    SongTableModel model;
    model.setTable(threeSongs());
    model.setData(model.index(1, 0), Qt::Checked, Qt::CheckStateRole);
    SignalLog log(model);

    const std::vector<std::uint32_t> rows { 2, 0 };
    model.setRowsTicked(rows, true);

    EXPECT_EQ(checkMarks(model), (std::vector<bool> { true, true, true }));
    EXPECT_EQ(log.changes, (std::vector<std::array<int, 4>> { { 0, 0, 2, 0 } }));
}

TEST(CheckMarks, ClickingTheCheckBoxTogglesOnlyThatSong)
{
    SongTableModel model;
    model.setTable(threeSongs());
    SignalLog log(model);

    EXPECT_TRUE(model.setData(model.index(1, 0), Qt::Checked, Qt::CheckStateRole));
    EXPECT_EQ(checkMarks(model), (std::vector<bool> { false, true, false }));
    EXPECT_EQ(log.changes, (std::vector<std::array<int, 4>> { { 1, 0, 1, 0 } }));

    EXPECT_TRUE(model.setData(model.index(1, 0), Qt::Unchecked, Qt::CheckStateRole));
    EXPECT_EQ(model.tickedSongCount(), 0);

    EXPECT_FALSE(model.setData(model.index(1, 1), Qt::Checked, Qt::CheckStateRole));
    EXPECT_FALSE(model.setData(model.index(1, 0), u"text"_qs, Qt::EditRole));
    EXPECT_EQ(model.tickedSongCount(), 0);
}

TEST(VenueSongMarks, MarkedRowsSayAlreadyHadToReadersAndANewTableOrAStaleMaskMarksNone)
{
    SongTableModel model;
    model.setTable(threeSongs());
    SignalLog log(model);
    const auto description = [&model](int row, int column) {
        return model.data(model.index(row, column), Qt::AccessibleDescriptionRole).toString();
    };
    const auto marked = [&model](int row) {
        return model.data(model.index(row, 2), SongTableModel::VenueSongRole).toBool();
    };
    EXPECT_FALSE(marked(1));
    EXPECT_EQ(description(1, 0), u"未勾选，可勾选"_qs);

    model.setVenueRows(
        std::make_shared<const std::vector<bool>>(std::vector { false, true, false }));
    EXPECT_TRUE(marked(1));
    EXPECT_FALSE(marked(0));
    EXPECT_EQ(description(1, 0), u"未勾选，可勾选，已有"_qs);
    EXPECT_EQ(description(1, 1), u"已有"_qs) << "every cell of the row, not only the code";
    EXPECT_EQ(description(0, 1), QString());
    model.setData(model.index(1, 0), Qt::Checked, Qt::CheckStateRole);
    EXPECT_EQ(description(1, 0), u"已勾选，已有"_qs);
    ASSERT_FALSE(log.changes.empty());
    EXPECT_EQ(log.changes.front(), (std::array { 0, 0, 2, 5 })) << "one update over every cell";

    // A mask of another table's size marks nothing, and nor does the next table.
    model.setVenueRows(std::make_shared<const std::vector<bool>>(std::vector { true, true }));
    EXPECT_FALSE(marked(0));
    EXPECT_FALSE(marked(1));
    model.setVenueRows(std::make_shared<const std::vector<bool>>(std::vector { true, true, true }));
    EXPECT_TRUE(marked(2));
    model.setTable(threeSongs());
    EXPECT_FALSE(marked(2));
    EXPECT_EQ(description(2, 0), u"未勾选，可勾选"_qs);
}

TEST(LongLines, ALongLineShowsItsStartCutAtACharacterAndMarkedWhileCopyingGetsItWhole)
{
    // An odd start, so a cut at a fixed byte count would split a double-byte character.
    const QByteArray longLine = "a" + Gbk::encode(QString(3 << 20, u'歌'));
    SourceTextModel source;
    source.setBytes("short\r\n" + longLine + "\r\nlast");
    ASSERT_EQ(source.rowCount(), 3);
    const QString shown = source.data(source.index(1)).toString();
    EXPECT_LE(shown.size(), maxShownBytes);
    EXPECT_TRUE(shown.startsWith(u"a歌歌"_qs));
    EXPECT_TRUE(shown.contains(u"截断"_qs)) << "marked as cut";
    EXPECT_FALSE(shown.contains(QChar(QChar::ReplacementCharacter)));
    EXPECT_EQ(source.data(source.index(1), SourceTextModel::wholeLineRole).toString().size(),
        1 + (3 << 20));
    EXPECT_EQ(source.data(source.index(2)).toString(), u"last"_qs);

    source.setBytes(u"歌"_qs.repeated(5000).toUtf8(), TextEncoding::Utf8);
    const QString utf8Shown = source.data(source.index(0)).toString();
    EXPECT_TRUE(utf8Shown.contains(u"截断"_qs));
    EXPECT_FALSE(utf8Shown.contains(QChar(QChar::ReplacementCharacter)));
}

TEST(SourceText, EveryLineIsFoundInAnyOrderWhateverEndsTheLinesBeforeIt)
{
    // Past several marks of every 64th line, with LF, CR LF, lone CR and empty lines.
    const char *const ends[] = { "\r\n", "\n", "\r", "\r\n\r\n" };
    QByteArray text;
    QStringList expected;
    for (int line = 0; line < 300; ++line) {
        text += "line " + QByteArray::number(line) + ends[line % 4];
        expected << u"line %1"_qs.arg(line);
        if (line % 4 == 3)
            expected << QString();
    }
    text += "last";
    expected << u"last"_qs;
    SourceTextModel source;
    source.setBytes(text);
    ASSERT_EQ(source.rowCount(), expected.size());
    for (const int row : { 200, 3, 64, 63, 0, 65, 64, 374, 128, 127, 129, 375, 1 })
        EXPECT_EQ(source.data(source.index(row)).toString(), expected[row]) << row;
    for (int row = 0; row < source.rowCount(); ++row)
        ASSERT_EQ(source.data(source.index(row)).toString(), expected[row]) << row;
}

TEST(SourceText, AFirstScreenShowsWhileTheTextSetLastStaysTheTextUntilReplaced)
{
    SourceTextModel source;
    source.setBytes("old 1\r\nold 2\r\n");
    const auto shownLines = [&source] {
        QStringList lines;
        for (int row = 0; row < source.rowCount(); ++row)
            lines << source.data(source.index(row)).toString();
        return lines;
    };

    source.showFirstScreen("new 1\nnew 2\nnew 3\n", TextEncoding::Gbk);
    EXPECT_EQ(shownLines(), (QStringList { u"new 1"_qs, u"new 2"_qs, u"new 3"_qs }));
    EXPECT_EQ(source.bytes(), "old 1\r\nold 2\r\n") << "what Analyse reads";
    source.showFirstScreen(u"下一个\n"_qs.toUtf8(), TextEncoding::Utf8);
    EXPECT_EQ(shownLines(), QStringList { u"下一个"_qs });
    EXPECT_EQ(source.encoding(), TextEncoding::Gbk);
    source.withdrawFirstScreen();
    EXPECT_EQ(shownLines(), (QStringList { u"old 1"_qs, u"old 2"_qs }));

    source.showFirstScreen("new 1\n", TextEncoding::Gbk);
    source.setBytes("new 1\nnew 2\n");
    source.withdrawFirstScreen();
    EXPECT_EQ(source.bytes(), "new 1\nnew 2\n");
    EXPECT_EQ(shownLines(), (QStringList { u"new 1"_qs, u"new 2"_qs }));
}

TEST(LongLines, ALongFieldShowsCutInTheSongTable)
{
    const QByteArray longName(1 << 20, 'n');
    SongTableModel model;
    model.setTable(shared(analyseSearchFile("x||1||p||" + longName + "||x||x||c||l||s\r\n").table));
    const QString shown = model.data(model.index(0, 1)).toString();
    EXPECT_LE(shown.size(), maxShownBytes + 40);
    EXPECT_TRUE(shown.startsWith(u"nnn"_qs));
    EXPECT_TRUE(shown.contains(u"截断"_qs));
    EXPECT_EQ(model.data(model.index(0, 2)).toString(), u"s"_qs);
}
