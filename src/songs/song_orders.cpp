#include "songs/song_orders.h"

#include "songs/song_order.h"

#include <QPromise>
#include <QThread>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

namespace {

// One thread at low priority: the orders never take a thread the window's own searches and sorts
// wait for, nor the processor from them.
QThreadPool &orderPool()
{
    static QThreadPool *const pool = [] {
        auto *made = new QThreadPool; // lives as long as the process: a job may outlast main()
        made->setMaxThreadCount(1);
        made->setThreadPriority(QThread::LowPriority);
        return made;
    }();
    return *pool;
}

} // namespace

SongOrders::SongOrders(
    std::shared_ptr<const SongTable> table, const std::vector<SongColumn> &columns)
    : m_table(std::move(table))
    , m_stop(std::make_shared<std::atomic<bool>>(false))
{
    auto promises = std::make_shared<std::vector<QPromise<RowList>>>(columns.size());
    for (std::size_t index = 0; index < columns.size(); ++index)
        m_orders.emplace_back(columns[index], (*promises)[index].future());
    m_work = QtConcurrent::run(&orderPool(), [table = m_table, stop = m_stop, columns, promises] {
        for (std::size_t index = 0; index < columns.size(); ++index) {
            QPromise<RowList> &promise = (*promises)[index];
            promise.start();
            if (std::optional<std::vector<std::uint32_t>> rows
                = sortedRows(*table, columns[index], *stop))
                promise.addResult(
                    std::make_shared<const std::vector<std::uint32_t>>(std::move(*rows)));
            else
                promise.future().cancel();
            promise.finish();
        }
    });
}

SongOrders::~SongOrders()
{
    m_stop->store(true);
}

std::optional<QFuture<SongOrders::RowList>> SongOrders::order(SongColumn column) const
{
    for (const auto &[madeColumn, future] : m_orders) {
        if (madeColumn == column)
            return future;
    }
    return std::nullopt;
}
