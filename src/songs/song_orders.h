#pragma once

#include "songs/song_table.h"

#include <QFuture>

#include <atomic>
#include <memory>
#include <optional>
#include <vector>

// What the first click on 歌名, 歌手, 类别 or 语种 needs, made in the background as soon as a
// table is analysed: each row's rank in each of those columns' orders, packed into 8 bytes a song
// (21 bits for a name or singer, 11 for a category or language). A click then only places the
// rows by rank, one counting pass, instead of collating the column's texts. The columns are
// ranked one after the other, each on several threads, a column a click waits for first. The work
// runs in a pool of its own beside the window's searches and sorts, and stops when this goes.
class SongOrders
{
public:
    using RowList = std::shared_ptr<const std::vector<std::uint32_t>>;

    explicit SongOrders(std::shared_ptr<const SongTable> table);
    ~SongOrders();
    SongOrders(const SongOrders &) = delete;
    SongOrders &operator=(const SongOrders &) = delete;

    const SongTable *table() const { return m_table.get(); }
    // Every row in the column's ascending order, as sortedRows gives it, once the ranks are made
    // (a column with more distinct texts than its bits hold is sorted then instead); nothing for
    // the other columns.
    std::optional<QFuture<RowList>> order(SongColumn column) const;

    // Shared with the work, which may outlast this.
    struct State;

private:
    std::shared_ptr<const SongTable> m_table;
    std::shared_ptr<State> m_state;
};
