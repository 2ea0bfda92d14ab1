#include "songs/shown_songs_model.h"

#include "songs/gbk_folding.h"
#include "songs/pinyin_readings.h"
#include "songs/song_order.h"

#include <algorithm>
#include <numeric>
#include <tuple>

ShownSongsModel::ShownSongsModel(SongTableModel *songs, QObject *parent)
    : QAbstractProxyModel(parent)
    , m_songs(songs)
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
}

void ShownSongsModel::onSongsReset()
{
    // Results for the table before are no rows of this one.
    m_finderJob.cancel();
    m_searchJob.cancel();
    m_sortJob.cancel();
    m_finder.reset();
    m_shownQuery = {};
    m_matched.reset();
    m_waitingQuery.reset();
    m_filters.clear();
    m_onlyRows.reset();
    m_sortColumn = -1;
    m_sortOrder = Qt::AscendingOrder;
    m_sortedRows.reset();
    m_rows = {};
    m_showsAll = true;
    endResetModel();
    if (m_onlyTicked)
        showSongs();
}

void ShownSongsModel::setSongLines(std::vector<ByteSpan> lines, SongFindForms findForms)
{
    const std::shared_ptr<const SongTable> &table = m_songs->table();
    if (!table)
        return;
    m_finderJob.start(
        [text = table->bytes(), encoding = table->encoding(), lines = std::move(lines),
            findForms = std::move(findForms)](QPromise<std::shared_ptr<const SongFinder>> &promise,
            const std::atomic<bool> &) mutable {
            // Built here rather than at the first keystroke.
            GbkFolding::prepare();
            PinyinReadings::prepare();
            if (encoding == TextEncoding::Utf8) {
                // The finder reads GBK: a UTF-8 text is re-encoded and its forms made from that.
                std::tie(text, lines) = SongFinder::inGbk(text, lines);
                findForms.clear();
            }
            promise.addResult(findForms.empty()
                    ? std::make_shared<const SongFinder>(std::move(text), std::move(lines))
                    : std::make_shared<const SongFinder>(
                        std::move(text), std::move(lines), std::move(findForms)));
        },
        [this](std::shared_ptr<const SongFinder> finder) {
            m_finder = std::move(finder);
            if (m_waitingQuery)
                startSearch(*std::exchange(m_waitingQuery, std::nullopt));
        });
}

void ShownSongsModel::setQuery(const QString &text)
{
    if (!m_songs->hasSongs())
        return;
    FindQuery query = FindQuery::parse(text);
    m_waitingQuery.reset();
    if (query.isEmpty()) {
        // Every song, at once; a search still running is for another text.
        m_searchJob.cancel();
        m_shownQuery = {};
        m_matched.reset();
        showSongs();
    } else if (!m_finder) {
        m_waitingQuery = std::move(query);
    } else {
        startSearch(std::move(query));
    }
}

void ShownSongsModel::startSearch(FindQuery query)
{
    RowList candidates = query.narrows(m_shownQuery) ? m_matched : nullptr;
    m_searchJob.start(
        [finder = m_finder, query, candidates](
            QPromise<RowList> &promise, const std::atomic<bool> &stop) {
            if (std::optional<std::vector<std::uint32_t>> rows
                = finder->find(query, candidates.get(), stop))
                promise.addResult(
                    std::make_shared<const std::vector<std::uint32_t>>(std::move(*rows)));
        },
        [this, query](RowList rows) {
            m_shownQuery = query;
            m_matched = std::move(rows);
            // A sort still running shows both when it is done: no view of a half-made state.
            if (!m_sortJob.isRunning())
                showSongs();
        });
}

void ShownSongsModel::setOnlyTicked(bool onlyTicked)
{
    m_onlyTicked = onlyTicked;
    showSongs();
}

void ShownSongsModel::setFilter(const QString &name, RowFilter filter)
{
    if (filter)
        m_filters[name] = std::move(filter);
    else if (m_filters.erase(name) == 0)
        return;
    showSongs();
}

void ShownSongsModel::setOnlyRows(RowList rowsInOrder)
{
    m_onlyRows = std::move(rowsInOrder);
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
    showSongs();
}

void ShownSongsModel::startSort(int column)
{
    m_sortJob.start(
        [table = m_songs->table(), column](
            QPromise<RowList> &promise, const std::atomic<bool> &stop) {
            std::vector<ByteSpan> cells(static_cast<std::size_t>(table->rowCount()));
            const char *const text = table->bytes().constData();
            for (qsizetype row = 0; row < table->rowCount(); ++row) {
                const QByteArrayView cell = table->field(row, static_cast<SongColumn>(column));
                cells[std::size_t(row)] = { static_cast<std::uint32_t>(cell.data() - text),
                    static_cast<std::uint32_t>(cell.size()) };
            }
            if (std::optional<std::vector<std::uint32_t>> rows
                = sortedRows(table->bytes(), std::move(cells), stop, table->encoding()))
                promise.addResult(
                    std::make_shared<const std::vector<std::uint32_t>>(std::move(*rows)));
        },
        [this](RowList rows) {
            m_sortedRows = std::move(rows);
            // Likewise a search still running or waiting for the finder.
            if (!m_searchJob.isRunning() && !m_waitingQuery)
                showSongs();
        });
}

bool ShownSongsModel::isBusy() const
{
    return m_finderJob.isRunning() || m_searchJob.isRunning() || m_sortJob.isRunning()
        || m_waitingQuery.has_value();
}

void ShownSongsModel::showSongs()
{
    beginResetModel();
    if (!m_matched && !m_onlyTicked && m_filters.empty() && !m_sortedRows && !m_onlyRows) {
        m_rows = {}; // no vector of rows at all
        m_showsAll = true;
    } else {
        std::vector<std::uint32_t> rows;
        if (m_onlyRows) {
            rows = *m_onlyRows;
            if (m_matched) {
                // The query's rows are in file order.
                std::erase_if(rows, [this](std::uint32_t row) {
                    return !std::binary_search(m_matched->begin(), m_matched->end(), row);
                });
            }
        } else if (m_matched) {
            rows = *m_matched;
        } else {
            rows.resize(static_cast<std::size_t>(m_songs->rowCount()));
            std::iota(rows.begin(), rows.end(), 0u);
        }
        if (m_onlyTicked || !m_filters.empty()) {
            std::erase_if(rows, [this](std::uint32_t row) {
                if (m_onlyTicked && !m_songs->isTicked(row))
                    return true;
                return std::any_of(m_filters.begin(), m_filters.end(),
                    [row](const auto &filter) { return !filter.second(row); });
            });
        }
        if (m_sortedRows)
            rows
                = inSortedOrder(std::move(rows), *m_sortedRows, m_sortOrder == Qt::DescendingOrder);
        m_rows = std::move(rows);
        m_showsAll = false;
    }
    endResetModel();
}

int ShownSongsModel::shownRow(std::uint32_t tableRow) const
{
    if (m_showsAll)
        return tableRow < std::uint32_t(m_songs->rowCount()) ? int(tableRow) : -1;
    const auto found = std::find(m_rows.begin(), m_rows.end(), tableRow);
    return found == m_rows.end() ? -1 : static_cast<int>(found - m_rows.begin());
}

qsizetype ShownSongsModel::shownTickedCount() const
{
    if (m_showsAll)
        return m_songs->ticks().count();
    return std::count_if(
        m_rows.begin(), m_rows.end(), [this](std::uint32_t row) { return m_songs->isTicked(row); });
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
    return m_showsAll ? m_songs->rowCount() : static_cast<int>(m_rows.size());
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
