#include "songs/song_orders.h"

#include "songs/song_order.h"

#include <QPromise>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <array>
#include <mutex>

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

// One thread: the ranks never take a thread the window's own searches and sorts wait for.
QThreadPool &rankPool()
{
    static QThreadPool *const pool = [] {
        auto *made = new QThreadPool; // lives as long as the process: a job may outlast main()
        made->setMaxThreadCount(1);
        return made;
    }();
    return *pool;
}

struct Ranks
{
    std::vector<std::uint64_t> packed;
    std::array<std::uint32_t, rankFields.size()> counts {};
    std::array<bool, rankFields.size()> fit {};
};

} // namespace

struct SongOrders::State
{
    std::atomic<bool> stop { false };
    std::mutex mutex;
    // Set once the ranks are made; clicks before that wait in `waiting`.
    std::shared_ptr<const Ranks> ranks;
    bool done = false;
    std::vector<std::pair<SongColumn, std::shared_ptr<QPromise<RowList>>>> waiting;
};

namespace {

SongOrders::RowList placedRows(const SongTable &table, SongColumn column, const Ranks *ranks)
{
    const RankField &field = *fieldOf(column);
    const std::size_t index = std::size_t(&field - rankFields.data());
    if (!ranks || !ranks->fit[index]) {
        const std::atomic<bool> never { false };
        std::optional<std::vector<std::uint32_t>> rows = sortedRows(table, column, never);
        return rows ? std::make_shared<const std::vector<std::uint32_t>>(std::move(*rows))
                    : nullptr;
    }
    const std::uint64_t mask = (std::uint64_t(1) << field.bits) - 1;
    return std::make_shared<const std::vector<std::uint32_t>>(rowsByRank(
        ranks->packed.size(),
        [&](std::size_t row) { return std::uint32_t(ranks->packed[row] >> field.shift & mask); },
        ranks->counts[index]));
}

void place(std::shared_ptr<const SongTable> table, SongColumn column,
    std::shared_ptr<const Ranks> ranks, std::shared_ptr<QPromise<SongOrders::RowList>> promise)
{
    // In the ranks' own thread, idle by then: in Qt's pool a click's rows could wait behind the
    // finder still being built for the table just shown.
    rankPool().start([table, column, ranks, promise] {
        promise->start();
        if (SongOrders::RowList rows = placedRows(*table, column, ranks.get()))
            promise->addResult(std::move(rows));
        promise->finish();
    });
}

} // namespace

SongOrders::SongOrders(std::shared_ptr<const SongTable> table)
    : m_table(std::move(table))
    , m_state(std::make_shared<State>())
{
    rankPool().start([table = m_table, state = m_state] {
        auto ranks = std::make_shared<Ranks>();
        ranks->packed.resize(std::size_t(table->rowCount()));
        for (std::size_t index = 0; index < rankFields.size(); ++index) {
            const RankField &field = rankFields[index];
            std::optional<RowRanks> column = rowRanks(*table, field.column, state->stop);
            if (!column) {
                ranks.reset();
                break;
            }
            ranks->counts[index] = column->count;
            ranks->fit[index] = column->count <= (std::uint32_t(1) << field.bits);
            if (!ranks->fit[index])
                continue;
            for (std::size_t row = 0; row < column->ofRow.size(); ++row)
                ranks->packed[row] |= std::uint64_t(column->ofRow[row]) << field.shift;
        }
        const std::lock_guard lock(state->mutex);
        state->ranks = std::move(ranks);
        state->done = true;
        for (auto &[column, promise] : std::exchange(state->waiting, {}))
            place(table, column, state->ranks, std::move(promise));
    });
}

SongOrders::~SongOrders()
{
    m_state->stop.store(true);
}

std::optional<QFuture<SongOrders::RowList>> SongOrders::order(SongColumn column) const
{
    if (!fieldOf(column))
        return std::nullopt;
    auto promise = std::make_shared<QPromise<RowList>>();
    QFuture<RowList> future = promise->future();
    const std::lock_guard lock(m_state->mutex);
    if (m_state->done)
        place(m_table, column, m_state->ranks, std::move(promise));
    else
        m_state->waiting.emplace_back(column, std::move(promise));
    return future;
}
