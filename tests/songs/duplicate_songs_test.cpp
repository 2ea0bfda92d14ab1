#include "songs/duplicate_songs.h"
#include "venue_songs.h"

#include <QtConcurrent>

#include <gtest/gtest.h>

namespace {

const QList<VenueSong> songs {
    { u"101"_qs, u"海闊天空"_qs, u"Beyond"_qs }, // 0: group A
    { u"102"_qs, u"稻香"_qs, u"周杰倫"_qs }, // 1: group B
    { u"103"_qs, u"海阔天空"_qs, u"BEYOND"_qs }, // 2: group A, simplified and upper case
    { u"104"_qs, u"海闊天空"_qs, u"黃家駒"_qs }, // 3: another singer
    { u"105"_qs, u"晴天"_qs, u"周杰伦"_qs }, // 4
    { u"106"_qs, u"晴天"_qs, u"周杰伦"_qs }, // 5: the same as 4 under its own code
    { u"102"_qs, u"稻香"_qs, u"周杰伦"_qs }, // 6: group B, the same code as 1
    { u"107"_qs, u"稻香"_qs, u"周杰伦"_qs }, // 7: group B, a new code
    { u"108"_qs, u"光辉岁月"_qs, u"Beyond"_qs }, // 8
    { u"108"_qs, u"光輝歲月"_qs, u"Beyond"_qs }, // 9: the same code as 8: no duplicate
    { u"109"_qs, u""_qs, u"Beyond"_qs }, // 10: no name
    { u"110"_qs, u""_qs, u"Beyond"_qs }, // 11: no name
};

} // namespace

TEST(DuplicateSongsTest, GroupsFoldTraditionalSimplifiedAndCaseAndNeedTwoCodes)
{
    for (const TextEncoding encoding : { TextEncoding::Gbk, TextEncoding::Utf8 }) {
        const std::optional<DuplicateSongs> found = findDuplicateSongs(venueTable(songs, encoding));
        ASSERT_TRUE(found);
        EXPECT_EQ(found->rows, (std::vector<std::uint32_t> { 0, 2, 1, 6, 7, 4, 5 }));
        EXPECT_EQ(found->groupStarts, (std::vector<std::uint32_t> { 0, 2, 5 }));
        EXPECT_EQ(found->groupCount(), 3);
    }
}

TEST(DuplicateSongsTest, RunsInTheBackgroundAndStopsWhenCancelled)
{
    const SongTable table = venueTable(songs);
    QFuture<DuplicateSongs> future = QtConcurrent::run(findDuplicateSongsJob, std::cref(table));
    future.waitForFinished();
    ASSERT_EQ(future.resultCount(), 1);
    EXPECT_EQ(future.result().groupCount(), 3);
    EXPECT_FALSE(findDuplicateSongs(table, [] { return true; }));
    EXPECT_EQ(findDuplicateSongs(SongTable())->groupCount(), 0);
}
