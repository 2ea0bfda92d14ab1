#include "songs/search_file_document.h"
#include "songs/song_orders.h"

#include <QSignalSpy>
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
    QObject::connect(&document, &SearchFileDocument::analysed, [&document, &into] {
        into.firstCodes.push_back(document.table()->field(0, SongColumn::Code).toByteArray());
        into.sizes.push_back(document.table()->rowCount());
    });
}

TEST(SearchFileDocument, AnalyseDeliversTheLoadedTextsSongsSharingItsBytes)
{
    SearchFileDocument document;
    Delivered delivered;
    record(document, delivered);
    const QByteArray text = songs("a", 500);
    document.setText(u"/songs.txt"_qs, text, TextEncoding::Gbk);
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
    SearchFileDocument document;
    Delivered delivered;
    record(document, delivered);
    document.setText(u"/a.txt"_qs, "x||2||p||b||x||x||c||l||z\r\nx||1||p||a||x||x||c||l||y\r\n",
        TextEncoding::Gbk);
    document.analyseInAdvance();
    document.analyse();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !delivered.sizes.isEmpty(); }));
    ASSERT_TRUE(document.songOrders());
    EXPECT_EQ(document.songOrders()->table(), document.table().get());
    QFuture<SongOrders::RowList> names = *document.songOrders()->order(SongColumn::Name);
    names.waitForFinished();
    EXPECT_EQ(*names.result(), (std::vector<std::uint32_t> { 1, 0 }));
    EXPECT_FALSE(document.songOrders()->order(SongColumn::Code)) << "made when clicked";

    document.setText(u"/b.txt"_qs, songs("b", 3), TextEncoding::Gbk);
    document.analyse();
    ASSERT_TRUE(QTest::qWaitFor([&] { return delivered.sizes.size() == 2; }));
    EXPECT_EQ(document.songOrders()->table(), document.table().get()) << "the new table's";
}

TEST(SearchFileDocument, ANewFileCancelsTheRunningAnalysisAndOnlyItsOwnSongsArrive)
{
    SearchFileDocument document;
    Delivered delivered;
    record(document, delivered);
    document.setText(u"/big.txt"_qs, songs("a", 200000), TextEncoding::Gbk);
    document.analyse();
    document.setText(u"/small.txt"_qs, songs("b", 3), TextEncoding::Gbk);
    EXPECT_FALSE(document.isAnalysing()) << "the new file was not asked for yet";
    document.analyseInAdvance();
    document.analyse();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !document.isAnalysing(); }));
    // Anything still queued for the first file would arrive now.
    QTest::qWait(50);
    EXPECT_EQ(delivered.firstCodes, QList<QByteArray> { "b0" });
    EXPECT_EQ(delivered.sizes, QList<qsizetype> { 3 });
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
