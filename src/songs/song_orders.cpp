#include "songs/song_orders.h"

#include "songs/packed_numbers.h"
#include "songs/song_order.h"

#include <QCoreApplication>
#include <QPromise>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <QThread>

#include <algorithm>
#include <array>
#include <mutex>

namespace {

// The columns ranked ahead.
constexpr std::array<SongColumn, 4> rankedColumns { SongColumn::Name, SongColumn::Singer,
    SongColumn::Category, SongColumn::Language };

std::optional<std::size_t> indexOf(SongColumn column)
{
    const auto found = std::find(rankedColumns.begin(), rankedColumns.end(), column);
    if (found == rankedColumns.end())
        return std::nullopt;
    return std::size_t(found - rankedColumns.begin());
}

// The thread that makes the ranks, the threads it shares each column's work with, and one for
// placing a click's rows while the ranks of another column are being made: none of them waits
// behind the window's own searches and sorts in Qt's pool.
QThreadPool &rankPool()
{
    static QThreadPool *const pool = [] {
        auto *made = new QThreadPool; // lives as long as the process
        made->setMaxThreadCount(std::max(2, QThread::idealThreadCount()) + 1);
        // Work still running when the application ends is waited for (it stops soon once its
        // orders are gone): left running into the process's exit, it read tables already freed
        // (a crash in the GBK folding, now and then, when a window closed while ranking).
        qAddPostRoutine([] { rankPool().waitForDone(); });
        return made;
    }();
    return *pool;
}

// The order the columns are ranked in unless a click waits for one: the names first, as the
// likeliest first click, then 类别 and 语种, which take a few hundredths of a second even at 5M
// songs, then the singers.
constexpr std::array<std::size_t, rankedColumns.size()> rankingOrder { 0, 2, 3, 1 };

} // namespace

struct SongOrders::State
{
    std::atomic<bool> stop { false };
    // Guards the lists below; held only briefly, since the window thread takes it too. A column's
    // ranks are stored before it is marked ranked and never change after, so its rows are placed
    // from them without the lock.
    std::mutex mutex;
    std::array<bool, rankedColumns.size()> ranked {};
    std::array<std::uint32_t, rankedColumns.size()> counts {};
    std::array<PackedNumbers, rankedColumns.size()> ranks;
    std::vector<std::pair<std::size_t, std::shared_ptr<QPromise<RowList>>>> waiting;
};

namespace {

// Places the rows for a click on a ranked column; `state.mutex` is held.
void place(std::size_t index, std::shared_ptr<SongOrders::State> state,
    std::shared_ptr<QPromise<SongOrders::RowList>> promise)
{
    rankPool().start([index, state, promise, count = state->counts[index]] {
        promise->start();
        if (!state->stop.load()) {
            const PackedNumbers &ranks = state->ranks[index];
            promise->addResult(std::make_shared<const std::vector<std::uint32_t>>(rowsByRank(
                ranks.size(), [&](std::size_t row) { return ranks[row]; }, count)));
        }
        promise->finish();
    });
}

// The column to rank next: the first a click waits for, or the next in the usual order;
// `state.mutex` is held.
std::optional<std::size_t> nextColumn(const SongOrders::State &state)
{
    for (const auto &[index, promise] : state.waiting) {
        if (!state.ranked[index])
            return index;
    }
    for (const std::size_t index : rankingOrder) {
        if (!state.ranked[index])
            return index;
    }
    return std::nullopt;
}

void makeRanks(
    const std::shared_ptr<const SongTable> &table, const std::shared_ptr<SongOrders::State> &state)
{
    while (true) {
        std::optional<std::size_t> index;
        {
            const std::lock_guard lock(state->mutex);
            index = nextColumn(*state);
        }
        if (!index)
            return;
        std::optional<RowRanks> column
            = rowRanks(*table, rankedColumns[*index], state->stop, &rankPool());
        if (!column) {
            // Stopped: whoever still waits gets no rows.
            const std::lock_guard lock(state->mutex);
            for (auto &[waited, promise] : std::exchange(state->waiting, {})) {
                promise->start();
                promise->finish();
            }
            return;
        }
        PackedNumbers ranks(column->ofRow, column->count);
        const std::uint32_t count = column->count;
        column.reset();
        const std::lock_guard lock(state->mutex);
        state->ranks[*index] = std::move(ranks);
        state->counts[*index] = count;
        state->ranked[*index] = true;
        auto waited = std::partition(state->waiting.begin(), state->waiting.end(),
            [&](const auto &entry) { return entry.first != *index; });
        for (auto at = waited; at != state->waiting.end(); ++at)
            place(*index, state, std::move(at->second));
        state->waiting.erase(waited, state->waiting.end());
    }
}

} // namespace

SongOrders::SongOrders(std::shared_ptr<const SongTable> table)
    : m_table(std::move(table))
    , m_state(std::make_shared<State>())
{
    rankPool().start([table = m_table, state = m_state] { makeRanks(table, state); });
}

SongOrders::~SongOrders()
{
    m_state->stop.store(true);
}

std::optional<QFuture<SongOrders::RowList>> SongOrders::order(SongColumn column) const
{
    const std::optional<std::size_t> index = indexOf(column);
    if (!index)
        return std::nullopt;
    auto promise = std::make_shared<QPromise<RowList>>();
    QFuture<RowList> future = promise->future();
    const std::lock_guard lock(m_state->mutex);
    if (m_state->ranked[*index])
        place(*index, m_state, std::move(promise));
    else
        m_state->waiting.emplace_back(*index, std::move(promise));
    return future;
}
