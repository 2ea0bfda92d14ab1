#pragma once

#include <QAbstractTableModel>

#include <cstdint>
#include <span>
#include <vector>

class SongTableModel;

// The songs a view shows, in the order it shows them: a vector of table rows over the song
// table model (4 bytes per shown song; none when every song shows in file order). A new set of
// rows is a model reset; ticks pass through to the table, where they belong to the songs.
class ShownSongsModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit ShownSongsModel(SongTableModel *songs, QObject *parent = nullptr);

    SongTableModel *songs() const { return m_songs; }
    // Shows these table rows in this order.
    void setRows(std::vector<std::uint32_t> rows);
    // Shows every song in file order.
    void showAllRows();
    bool showsAllRows() const { return m_showsAll; }
    // The shown table rows; empty when all show.
    std::span<const std::uint32_t> rows() const { return m_rows; }
    std::uint32_t tableRow(int shownRow) const
    {
        return m_showsAll ? std::uint32_t(shownRow) : m_rows[std::size_t(shownRow)];
    }
    // Where a table row shows, or -1.
    int shownRow(std::uint32_t tableRow) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(
        int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QModelIndex songIndex(const QModelIndex &index) const;

    SongTableModel *m_songs;
    std::vector<std::uint32_t> m_rows;
    bool m_showsAll = true;
};
