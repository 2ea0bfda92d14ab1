#include "songs/shown_songs_model.h"

#include "songs/song_filters.h"
#include "songs/song_order.h"
#include "songs/song_orders.h"

#include <algorithm>
#include <numeric>

ShownSongsModel::ShownSongsModel(SongTableModel *songs, SongFilters *filters, QObject *parent)
    : QAbstractProxyModel(parent)
    , m_songs(songs)
    , m_filters(filters)
{
    QAbstractProxyModel::setSourceModel(songs);
    connect(
        m_songs, &QAbstractItemModel::modelAboutToBeReset, this, &ShownSongsModel::beginResetModel);
    connect(m_songs, &QAbstractItemModel::modelReset, this, &ShownSongsModel::onSongsReset);
    // Only ticks and the venue's marks change in place; one signal over the shown rows repaints
    // what is in sight.
    connect(m_songs, &QAbstractItemModel::dataChanged, this,
        [this](
            const QModelIndex &topLeft, const QModelIndex &bottomRight, const QList<int> &roles) {
            if (rowCount() > 0)
                emit dataChanged(
                    index(0, topLeft.column()), index(rowCount() - 1, bottomRight.column()), roles);
        });
    connect(m_filters, &SongFilters::changed, this, &ShownSongsModel::onFiltersChanged);
}

void ShownSongsModel::onSongsReset()
{
    // A sort of the table before orders no rows of this one; the filters follow the new table
    // on their own and say so.
    m_sortJob.cancel();
    m_sortColumn = -1;
    m_sortOrder = Qt::AscendingOrder;
    m_sortedRows.reset();
    m_orders.reset();
    m_rows.reset();
    m_reversed = false;
    m_showsAll = true;
    endResetModel();
}

void ShownSongsModel::onFiltersChanged()
{
    // A sort still running, or a filter still at work, shows both when it is done: no view of a
    // half-made state.
    if (!m_sortJob.isRunning() && !m_filters->hasPendingRows())
        showSongs();
}

void ShownSongsModel::sortBy(int column, Qt::SortOrder order)
{
    if (!m_songs->hasSongs())
        return;
    const bool sameColumn = column == m_sortColumn;
    m_sortColumn = column;
    m_sortOrder = order;
    if (column < 0) {
        m_sortJob.cancel();
        m_sortedRows.reset();
    } else if (!sameColumn || !m_sortedRows) {
        // The order shown stays until the new one is ready.
        m_sortedRows.reset();
        startSort(column);
        return;
    }
    if (!m_filters->hasPendingRows())
        showSongs();
}

void ShownSongsModel::setSongOrders(std::shared_ptr<const SongOrders> orders)
{
    m_orders = std::move(orders);
}

void ShownSongsModel::startSort(int column)
{
    const auto sorted = [this](SongTableModel::RowList rows) {
        m_sortedRows = std::move(rows);
        if (!m_filters->hasPendingRows())
            showSongs();
    };
    const std::shared_ptr<const SongTable> &table = m_songs->table();
    if (m_orders && m_orders->table() == table.get()) {
        if (std::optional<QFuture<SongTableModel::RowList>> ahead
            = m_orders->order(SongColumn(column))) {
            m_sortJob.follow(*ahead, sorted);
            return;
        }
    }
    m_sortJob.start(
        [table, column](QPromise<SongTableModel::RowList> &promise, const std::atomic<bool> &stop) {
            if (std::optional<std::vector<std::uint32_t>> rows
                = sortedRows(*table, SongColumn(column), stop))
                promise.addResult(
                    std::make_shared<const std::vector<std::uint32_t>>(std::move(*rows)));
        },
        sorted);
}

bool ShownSongsModel::isBusy() const
{
    return m_filters->isBusy() || m_sortJob.isRunning();
}

void ShownSongsModel::showSongs()
{
    beginResetModel();
    std::optional<std::vector<std::uint32_t>> rows = m_filters->passingRows();
    m_reversed = false;
    m_showsAll = !rows && !m_sortedRows;
    if (m_showsAll) {
        m_rows.reset(); // no vector of rows at all
    } else if (!rows) {
        // Every song, sorted: the sort's order itself, not a copy of its 4 bytes a song.
        m_rows = m_sortedRows;
        m_reversed = m_sortOrder == Qt::DescendingOrder;
    } else {
        if (m_sortedRows)
            rows = inSortedOrder(
                std::move(*rows), *m_sortedRows, m_sortOrder == Qt::DescendingOrder);
        m_rows = std::make_shared<const std::vector<std::uint32_t>>(std::move(*rows));
    }
    endResetModel();
}

int ShownSongsModel::shownRow(std::uint32_t tableRow) const
{
    if (m_showsAll)
        return tableRow < std::uint32_t(m_songs->rowCount()) ? int(tableRow) : -1;
    const auto found = std::find(m_rows->begin(), m_rows->end(), tableRow);
    if (found == m_rows->end())
        return -1;
    const auto at = found - m_rows->begin();
    return static_cast<int>(m_reversed ? qsizetype(m_rows->size()) - 1 - at : at);
}

std::vector<std::uint32_t> ShownSongsModel::shownSongs() const
{
    if (!m_songs->hasSongs())
        return {};
    if (!m_showsAll)
        return m_reversed ? std::vector<std::uint32_t>(m_rows->rbegin(), m_rows->rend()) : *m_rows;
    std::vector<std::uint32_t> rows(static_cast<std::size_t>(rowCount()));
    std::iota(rows.begin(), rows.end(), 0u);
    return rows;
}

Qt::CheckState ShownSongsModel::tickState() const
{
    const qsizetype ticked = m_showsAll
        ? m_songs->ticks().count()
        : std::count_if(m_rows->begin(), m_rows->end(),
            [this](std::uint32_t row) { return m_songs->isTicked(row); });
    return ticked == 0 ? Qt::Unchecked : ticked == rowCount() ? Qt::Checked : Qt::PartiallyChecked;
}

void ShownSongsModel::setShownTicked(bool ticked)
{
    if (m_showsAll)
        m_songs->setAllTicked(ticked);
    else
        m_songs->setRowsTicked(*m_rows, ticked);
}

QModelIndex ShownSongsModel::mapToSource(const QModelIndex &proxyIndex) const
{
    if (!proxyIndex.isValid())
        return {};
    return m_songs->index(static_cast<int>(tableRow(proxyIndex.row())), proxyIndex.column());
}

QModelIndex ShownSongsModel::mapFromSource(const QModelIndex &sourceIndex) const
{
    if (!sourceIndex.isValid())
        return {};
    const int row = shownRow(static_cast<std::uint32_t>(sourceIndex.row()));
    return row < 0 ? QModelIndex() : index(row, sourceIndex.column());
}

QModelIndex ShownSongsModel::index(int row, int column, const QModelIndex &parent) const
{
    return hasIndex(row, column, parent) ? createIndex(row, column) : QModelIndex();
}

QModelIndex ShownSongsModel::parent(const QModelIndex &) const
{
    return {};
}

int ShownSongsModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return m_showsAll ? m_songs->rowCount() : static_cast<int>(m_rows->size());
}

int ShownSongsModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_songs->columnCount();
}

QVariant ShownSongsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    // Row numbers are the shown ones, not the table's.
    if (orientation == Qt::Vertical)
        return QAbstractItemModel::headerData(section, orientation, role);
    return m_songs->headerData(section, orientation, role);
}
