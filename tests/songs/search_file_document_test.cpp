#include "songs/search_file_document.h"
#include "songs/song_orders.h"
#include "ui/core/file_io.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QByteArray songs(const QByteArray &code, int count)
{
    QByteArray text;
    for (int song = 0; song < count; ++song)
        text += "x||" + code + QByteArray::number(song) + "||p||n||x||x||c||l||s\r\n";
    return text;
}

// The tables delivered, by their first code and size.
struct Delivered
{
    QList<QByteArray> firstCodes;
    QList<qsizetype> sizes;
};

void record(SearchFileDocument &document, Delivered &into)
{
    QObject::connect(&document, &SearchFileDocument::tableReplaced, [&document, &into] {
        into.firstCodes.push_back(document.table()->field(0, SongColumn::Code).toByteArray());
        into.sizes.push_back(document.table()->rowCount());
    });
}

// Loads a file of these bytes and waits until it is read.
void load(SearchFileDocument &document, const QTemporaryDir &dir, const QByteArray &text)
{
    const QString path = dir.filePath(QString::number(text.size()) + u".txt"_qs);
    ASSERT_EQ(writeFileAtomically(path, text), QString());
    QSignalSpy loaded(&document, &SearchFileDocument::textLoaded);
    document.load(path);
    ASSERT_TRUE(loaded.wait());
    EXPECT_EQ(document.path(), path);
    EXPECT_EQ(document.bytes(), text);
}

TEST(SearchFileDocument, AnalyseDeliversTheLoadedTextsSongsSharingItsBytes)
{
    QTemporaryDir dir;
    SearchFileDocument document;
    Delivered delivered;
    record(document, delivered);
    load(document, dir, songs("a", 500));
    const QByteArray text = document.bytes();
    document.analyse();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !delivered.sizes.isEmpty(); }));
    EXPECT_EQ(delivered.sizes, QList<qsizetype> { 500 });
    EXPECT_EQ(document.table()->field(499, SongColumn::Code), "a499");
    EXPECT_EQ(document.table()->bytes().constData(), text.constData()) << "no copy";

    document.analyse();
    ASSERT_TRUE(QTest::qWaitFor([&] { return delivered.sizes.size() == 2; }))
        << "a second Analyse analyses afresh";
    EXPECT_FALSE(document.isAnalysing());
}

TEST(SearchFileDocument, WhatSortingTheDeliveredTableNeedsIsMadeAhead)
{
    QTemporaryDir dir;
    SearchFileDocument document;
    Delivered delivered;
    record(document, delivered);
    load(document, dir, "x||2||p||b||x||x||c||l||z\r\nx||1||p||a||x||x||c||l||y\r\n");
    document.analyse();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !delivered.sizes.isEmpty(); }));
    ASSERT_TRUE(document.songOrders());
    EXPECT_EQ(document.songOrders()->table(), document.table().get());
    QFuture<SongOrders::RowList> names = *document.songOrders()->order(SongColumn::Name);
    names.waitForFinished();
    EXPECT_EQ(*names.result(), (std::vector<std::uint32_t> { 1, 0 }));
    EXPECT_FALSE(document.songOrders()->order(SongColumn::Code)) << "made when clicked";

    load(document, dir, songs("b", 3));
    document.analyse();
    ASSERT_TRUE(QTest::qWaitFor([&] { return delivered.sizes.size() == 2; }));
    EXPECT_EQ(document.songOrders()->table(), document.table().get()) << "the new table's";
}

TEST(SearchFileDocument, ANewFileCancelsTheRunningAnalysisAndOnlyItsOwnSongsArrive)
{
    QTemporaryDir dir;
    SearchFileDocument document;
    Delivered delivered;
    record(document, delivered);
    load(document, dir, songs("a", 200000));
    document.analyse();
    ASSERT_TRUE(document.isAnalysing());
    load(document, dir, songs("b", 3));
    EXPECT_FALSE(document.isAnalysing()) << "the new file was not asked for yet";
    document.analyse();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !document.isAnalysing(); }));
    // The first file's analysis was dropped when the second was loaded: its result, had it been
    // queued, would have come before the second's.
    EXPECT_EQ(delivered.firstCodes, QList<QByteArray> { "b0" });
    EXPECT_EQ(delivered.sizes, QList<qsizetype> { 3 });
}

TEST(SearchFileDocument, AFileThatCannotBeReadKeepsTheTextBefore)
{
    QTemporaryDir dir;
    SearchFileDocument document;
    load(document, dir, songs("a", 2));
    QSignalSpy failed(&document, &SearchFileDocument::loadFailed);
    document.load(dir.filePath(u"missing.txt"_qs));
    EXPECT_TRUE(document.isLoading());
    ASSERT_TRUE(failed.wait());
    EXPECT_EQ(failed.at(0).at(0).toString(), dir.filePath(u"missing.txt"_qs));
    EXPECT_FALSE(document.isLoading());
    EXPECT_EQ(document.bytes(), songs("a", 2));
}

TEST(SearchFileAnalysis, AStopSetMidwayEndsTheAnalysisWithNothing)
{
    const std::atomic<bool> stop = true;
    EXPECT_FALSE(analyseSearchFile(songs("a", 20000), TextEncoding::Gbk, stop));
    const std::atomic<bool> go = false;
    const std::optional<SearchFileAnalysis> analysis
        = analyseSearchFile(songs("a", 20000), TextEncoding::Gbk, go);
    ASSERT_TRUE(analysis);
    EXPECT_EQ(analysis->table.rowCount(), 20000);
}

} // namespace
