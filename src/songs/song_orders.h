#pragma once

#include "songs/song_table.h"

#include <QFuture>

#include <atomic>
#include <memory>
#include <optional>
#include <vector>

// The orders of a table's columns that people sort by most, made in the background as soon as the
// table is analysed, so the first click on such a header only shows an order already made. Each
// order is every row in the column's ascending order (4 bytes a song), as sortedRows gives it.
// The work runs in a pool of its own, one column after the other, beside the window's searches and
// sorts rather than in their way; it stops when this goes.
class SongOrders
{
public:
    using RowList = std::shared_ptr<const std::vector<std::uint32_t>>;

    SongOrders(std::shared_ptr<const SongTable> table, const std::vector<SongColumn> &columns);
    ~SongOrders();
    SongOrders(const SongOrders &) = delete;
    SongOrders &operator=(const SongOrders &) = delete;

    const SongTable *table() const { return m_table.get(); }
    // The order of `column`, finished or still being made; nothing for a column not made ahead.
    std::optional<QFuture<RowList>> order(SongColumn column) const;

private:
    std::shared_ptr<const SongTable> m_table;
    std::shared_ptr<std::atomic<bool>> m_stop;
    std::vector<std::pair<SongColumn, QFuture<RowList>>> m_orders;
    QFuture<void> m_work;
};
