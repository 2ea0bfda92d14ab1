#pragma once

#include "songs/song_table.h"

#include <QFuture>

#include <atomic>
#include <memory>
#include <optional>
#include <vector>

// What the first click on 歌名, 歌手, 类别 or 语种 needs, made in the background as soon as a
// table is analysed: each row's rank in each of those columns' orders, in as few bits as the
// column's count of ranks needs (1M generated songs: 18 bits for the names, 16 for the singers,
// 4 each for the categories and languages; 5 bytes a song). A click then only places the rows by
// rank, one counting pass, instead of collating the column's texts. The columns are ranked one
// after the other, each on several threads, a column a click waits for first; a column's ranks
// take their room only once it is ranked, so the first column's work meets no other ranks. The
// work runs in a pool of its own beside the window's searches and sorts, and stops when this
// goes.
class SongOrders
{
public:
    using RowList = std::shared_ptr<const std::vector<std::uint32_t>>;

    explicit SongOrders(std::shared_ptr<const SongTable> table);
    ~SongOrders();
    SongOrders(const SongOrders &) = delete;
    SongOrders &operator=(const SongOrders &) = delete;

    const SongTable *table() const { return m_table.get(); }
    // Every row in the column's ascending order, as sortedRows gives it, once the ranks are made;
    // nothing for the other columns.
    std::optional<QFuture<RowList>> order(SongColumn column) const;

    // Shared with the work, which may outlast this.
    struct State;

private:
    std::shared_ptr<const SongTable> m_table;
    std::shared_ptr<State> m_state;
};
