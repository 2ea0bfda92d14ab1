#pragma once

#include "songs/song_table.h"

#include <QPromise>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

// The songs that another song repeats under a different code: the same name and the same singer,
// folded (粵語 = 粤语, ABC = abc). A song with no name repeats nothing.
struct DuplicateSongs
{
    // Every row of every group, each group together, groups in the order of their first rows,
    // a group's rows in table order.
    std::vector<std::uint32_t> rows;
    // Where each group starts in `rows`.
    std::vector<std::uint32_t> groupStarts;
    qsizetype groupCount() const { return qsizetype(groupStarts.size()); }
};

// Nothing when `cancelled` says so meanwhile.
std::optional<DuplicateSongs> findDuplicateSongs(
    const SongTable &table, const std::function<bool()> &cancelled = {});
// The same as background work: QtConcurrent::run(findDuplicateSongsJob, std::cref(table)), the
// table left alone until the future is finished. A cancelled promise gives no result.
void findDuplicateSongsJob(QPromise<DuplicateSongs> &promise, const SongTable &table);
