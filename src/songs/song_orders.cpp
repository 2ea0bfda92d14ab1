#include "songs/song_orders.h"

#include "songs/song_order.h"

#include <QPromise>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <QThread>

#include <algorithm>
#include <array>
#include <mutex>
#include <shared_mutex>

namespace {

struct RankField
{
    SongColumn column;
    int shift;
    int bits;
};

// A name or singer has many distinct texts (240,000 names in 1M generated songs), a category or
// language a few dozen.
constexpr std::array<RankField, 4> rankFields { { { SongColumn::Name, 0, 21 },
    { SongColumn::Singer, 21, 21 }, { SongColumn::Category, 42, 11 },
    { SongColumn::Language, 53, 11 } } };

const RankField *fieldOf(SongColumn column)
{
    for (const RankField &field : rankFields) {
        if (field.column == column)
            return &field;
    }
    return nullptr;
}

// The thread that makes the ranks, the threads it shares each column's work with, and one for
// placing a click's rows while the ranks of another column are being made: none of them waits
// behind the window's own searches and sorts in Qt's pool.
QThreadPool &rankPool()
{
    static QThreadPool *const pool = [] {
        auto *made = new QThreadPool; // lives as long as the process: a job may outlast main()
        made->setMaxThreadCount(std::max(2, QThread::idealThreadCount()) + 1);
        return made;
    }();
    return *pool;
}

// The order the columns are ranked in unless a click waits for one: the names first, as the
// likeliest first click, then 类别 and 语种, which take a few hundredths of a second even at 5M
// songs, then the singers.
constexpr std::array<std::size_t, rankFields.size()> rankingOrder { 0, 2, 3, 1 };

} // namespace

struct SongOrders::State
{
    std::atomic<bool> stop { false };
    // Guards the lists below; held only briefly, since the window thread takes it too.
    std::mutex mutex;
    std::array<bool, rankFields.size()> ranked {};
    std::array<bool, rankFields.size()> fit {};
    std::array<std::uint32_t, rankFields.size()> counts {};
    std::vector<std::pair<std::size_t, std::shared_ptr<QPromise<RowList>>>> waiting;
    // Each row's ranks, packed; a column's bits are written once it is ranked, while rows of
    // another column may be placed from them.
    std::shared_mutex packedMutex;
    std::vector<std::uint64_t> packed;
};

namespace {

// Every row of `column` in ascending order, once its ranks are made (`fit` when they fit its
// bits, otherwise sorted here).
SongOrders::RowList placedRows(const SongTable &table, std::size_t index, bool fit,
    std::uint32_t count, SongOrders::State &state)
{
    const RankField &field = rankFields[index];
    if (!fit) {
        const std::atomic<bool> never { false };
        std::optional<std::vector<std::uint32_t>> rows = sortedRows(table, field.column, never);
        return rows ? std::make_shared<const std::vector<std::uint32_t>>(std::move(*rows))
                    : nullptr;
    }
    const std::uint64_t mask = (std::uint64_t(1) << field.bits) - 1;
    const std::shared_lock lock(state.packedMutex);
    return std::make_shared<const std::vector<std::uint32_t>>(rowsByRank(
        state.packed.size(),
        [&](std::size_t row) { return std::uint32_t(state.packed[row] >> field.shift & mask); },
        count));
}

// Places the rows for a click on a ranked column; `state.mutex` is held.
void place(std::shared_ptr<const SongTable> table, std::size_t index,
    std::shared_ptr<SongOrders::State> state,
    std::shared_ptr<QPromise<SongOrders::RowList>> promise)
{
    rankPool().start(
        [table, index, state, promise, fit = state->fit[index], count = state->counts[index]] {
            promise->start();
            if (!state->stop.load()) {
                if (SongOrders::RowList rows = placedRows(*table, index, fit, count, *state))
                    promise->addResult(std::move(rows));
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
    {
        const std::unique_lock lock(state->packedMutex);
        state->packed.resize(std::size_t(table->rowCount()));
    }
    while (true) {
        std::optional<std::size_t> index;
        {
            const std::lock_guard lock(state->mutex);
            index = nextColumn(*state);
        }
        if (!index)
            return;
        const RankField &field = rankFields[*index];
        std::optional<RowRanks> column = rowRanks(*table, field.column, state->stop, &rankPool());
        if (!column) {
            // Stopped: whoever still waits gets no rows.
            const std::lock_guard lock(state->mutex);
            for (auto &[waited, promise] : std::exchange(state->waiting, {})) {
                promise->start();
                promise->finish();
            }
            return;
        }
        const bool fit = column->count <= (std::uint32_t(1) << field.bits);
        if (fit) {
            const std::unique_lock lock(state->packedMutex);
            for (std::size_t row = 0; row < column->ofRow.size(); ++row)
                state->packed[row] |= std::uint64_t(column->ofRow[row]) << field.shift;
        }
        const std::uint32_t count = column->count;
        column.reset();
        const std::lock_guard lock(state->mutex);
        state->ranked[*index] = true;
        state->fit[*index] = fit;
        state->counts[*index] = count;
        auto waited = std::partition(state->waiting.begin(), state->waiting.end(),
            [&](const auto &entry) { return entry.first != *index; });
        for (auto at = waited; at != state->waiting.end(); ++at)
            place(table, *index, state, std::move(at->second));
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
    const RankField *field = fieldOf(column);
    if (!field)
        return std::nullopt;
    const std::size_t index = std::size_t(field - rankFields.data());
    auto promise = std::make_shared<QPromise<RowList>>();
    QFuture<RowList> future = promise->future();
    const std::lock_guard lock(m_state->mutex);
    if (m_state->ranked[index])
        place(m_table, index, m_state, std::move(promise));
    else
        m_state->waiting.emplace_back(index, std::move(promise));
    return future;
}
