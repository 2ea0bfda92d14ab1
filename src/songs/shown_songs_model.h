#pragma once

#include "songs/song_finder.h"
#include "songs/song_table_model.h"
#include "ui/core/latest_job.h"

#include <QAbstractProxyModel>

#include <functional>
#include <map>
#include <memory>
#include <span>
#include <vector>

class SongOrders;

// The songs a view shows, in the order it shows them: those that match the query and pass every
// filter (all combined by AND), only the ticked ones when asked, sorted by a column or in file
// order. The window hands it the values of its widgets; finding and sorting run in the
// background, each newer request superseding the one before. The shown songs are a vector of
// table rows (4 bytes a song; none when every song shows in file order), and a new set of them
// is a model reset. Ticks pass through to the song model, where they belong to the songs.
class ShownSongsModel : public QAbstractProxyModel
{
    Q_OBJECT

public:
    using RowList = SongTableModel::RowList;
    // Whether a table row passes.
    using RowFilter = std::function<bool(std::uint32_t tableRow)>;

    explicit ShownSongsModel(SongTableModel *songs, QObject *parent = nullptr);

    SongTableModel *songs() const { return m_songs; }
    // After the song model took a new table: the whole line of each of its songs, to find in,
    // and what pinyin finding needs of each, as the analysis made them (made here when empty).
    // A new table clears the query, the filters and the sort.
    void setSongLines(std::vector<ByteSpan> lines, SongFindForms findForms = {});

    // Each change below shows its songs once the work it needs is done.
    void setQuery(const QString &text);
    void setOnlyTicked(bool onlyTicked);
    // Adds, replaces or (with an empty filter) removes the filter of this name.
    void setFilter(const QString &name, RowFilter filter);
    // Shows only these rows, in this order unless a column sort is chosen; null lifts the limit.
    void setOnlyRows(RowList rowsInOrder);
    // After the song model took a new table: its orders made ahead, which sortBy then uses.
    void setSongOrders(std::shared_ptr<const SongOrders> orders);
    // By a column, or in file order for -1.
    void sortBy(int column, Qt::SortOrder order);
    int sortColumn() const { return m_sortColumn; }
    Qt::SortOrder sortOrder() const { return m_sortOrder; }
    // A search or a sort is still running.
    bool isBusy() const;

    bool showsAllRows() const { return m_showsAll; }
    // The shown table rows; empty when all show.
    std::span<const std::uint32_t> rows() const { return m_rows; }
    std::uint32_t tableRow(int shownRow) const
    {
        return m_showsAll ? std::uint32_t(shownRow) : m_rows[std::size_t(shownRow)];
    }
    // Where a table row shows, or -1.
    int shownRow(std::uint32_t tableRow) const;
    // Ticked rows among the shown ones, the placeholder included.
    qsizetype shownTickedCount() const;
    // Shown songs, as opposed to the placeholder, which is no song.
    qsizetype shownSongCount() const { return m_songs->hasSongs() ? rowCount() : 0; }

    QModelIndex mapToSource(const QModelIndex &proxyIndex) const override;
    QModelIndex mapFromSource(const QModelIndex &sourceIndex) const override;
    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant headerData(
        int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    void onSongsReset();
    void startSearch(FindQuery query);
    void startSort(int column);
    void showSongs();

    SongTableModel *m_songs;
    std::vector<std::uint32_t> m_rows;
    bool m_showsAll = true;

    std::shared_ptr<const SongFinder> m_finder;
    LatestJob<std::shared_ptr<const SongFinder>> m_finderJob { this };
    // The query whose rows are shown, its rows in file order (none: every song), and a newer
    // one waiting for the finder.
    FindQuery m_shownQuery;
    RowList m_matched;
    std::optional<FindQuery> m_waitingQuery;
    LatestJob<RowList> m_searchJob { this };

    bool m_onlyTicked = false;
    std::map<QString, RowFilter> m_filters;
    RowList m_onlyRows;

    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    // Every row in the ascending order of m_sortColumn, once sorted.
    RowList m_sortedRows;
    std::shared_ptr<const SongOrders> m_orders;
    LatestJob<RowList> m_sortJob { this };
};
