#pragma once

#include "songs/song_table_model.h"
#include "ui/core/latest_job.h"

#include <QAbstractProxyModel>

#include <memory>
#include <vector>

class SongFilters;
class SongOrders;

// The songs a view shows, in the order it shows them: the rows that pass every filter of the
// filter state, sorted by a column or in their own order (file order, or duplicate groups
// together). Sorting runs in the background, each newer sort superseding the one before. The
// shown songs are a vector of table rows (4 bytes a song; none when every song shows in file
// order, and every song sorted shows the sort's own order, read backwards when descending), and
// a new set of them is a model reset. Ticks pass through to the song model, where
// they belong to the songs.
class ShownSongsModel : public QAbstractProxyModel
{
    Q_OBJECT

public:
    ShownSongsModel(SongTableModel *songs, SongFilters *filters, QObject *parent = nullptr);

    SongTableModel *songs() const { return m_songs; }

    // After the song model took a new table: its orders made ahead, which sortBy then uses.
    void setSongOrders(std::shared_ptr<const SongOrders> orders);
    // By a column, or in file order for -1; a new table shows in file order.
    void sortBy(int column, Qt::SortOrder order);
    int sortColumn() const { return m_sortColumn; }
    Qt::SortOrder sortOrder() const { return m_sortOrder; }
    // A filter's work or a sort is still running.
    bool isBusy() const;

    std::uint32_t tableRow(int shownRow) const
    {
        if (m_showsAll)
            return std::uint32_t(shownRow);
        return (*m_rows)[m_reversed ? m_rows->size() - 1 - std::size_t(shownRow)
                                    : std::size_t(shownRow)];
    }
    // Where a table row shows, or -1.
    int shownRow(std::uint32_t tableRow) const;
    // Shown songs; the placeholder row is no song.
    qsizetype shownSongCount() const { return m_songs->hasSongs() ? rowCount() : 0; }
    // How many of the shown songs `counts` says yes to.
    template <typename Predicate> qsizetype countShownSongs(Predicate counts) const
    {
        qsizetype count = 0;
        for (int row = 0; row < int(shownSongCount()); ++row)
            count += counts(tableRow(row)) ? 1 : 0;
        return count;
    }
    // The table rows of the shown songs, in the order shown.
    std::vector<std::uint32_t> shownSongs() const;
    // Whether none, some or all of the shown rows are ticked (the placeholder being a row).
    Qt::CheckState tickState() const;
    // Ticks or unticks every shown row, as one change.
    void setShownTicked(bool ticked);

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
    void onFiltersChanged();
    void startSort(int column);
    void showSongs();

    SongTableModel *m_songs;
    SongFilters *m_filters;
    SongTableModel::RowList m_rows;
    bool m_reversed = false;
    bool m_showsAll = true;

    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    // Every row in the ascending order of m_sortColumn, once sorted.
    SongTableModel::RowList m_sortedRows;
    std::shared_ptr<const SongOrders> m_orders;
    LatestJob<SongTableModel::RowList> m_sortJob { this };
};
