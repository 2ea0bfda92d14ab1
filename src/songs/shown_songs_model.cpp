#include "songs/shown_songs_model.h"

#include "songs/song_table_model.h"

#include <algorithm>

ShownSongsModel::ShownSongsModel(SongTableModel *songs, QObject *parent)
    : QAbstractTableModel(parent)
    , m_songs(songs)
{
    showAllRows();
    connect(m_songs, &QAbstractItemModel::modelReset, this, &ShownSongsModel::showAllRows);
    // Only ticks change in place; one signal over the shown rows repaints what is in sight.
    connect(m_songs, &QAbstractItemModel::dataChanged, this, [this] {
        if (rowCount() > 0)
            emit dataChanged(index(0, 0), index(rowCount() - 1, 0), { Qt::CheckStateRole });
    });
}

void ShownSongsModel::showAllRows()
{
    beginResetModel();
    m_rows = {};
    m_showsAll = true;
    endResetModel();
}

void ShownSongsModel::setRows(std::vector<std::uint32_t> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    m_showsAll = false;
    endResetModel();
}

int ShownSongsModel::shownRow(std::uint32_t tableRow) const
{
    if (m_showsAll)
        return tableRow < std::uint32_t(m_songs->rowCount()) ? int(tableRow) : -1;
    const auto found = std::find(m_rows.begin(), m_rows.end(), tableRow);
    return found == m_rows.end() ? -1 : static_cast<int>(found - m_rows.begin());
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

QModelIndex ShownSongsModel::songIndex(const QModelIndex &index) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    return m_songs->index(static_cast<int>(tableRow(index.row())), index.column());
}

QVariant ShownSongsModel::data(const QModelIndex &index, int role) const
{
    const QModelIndex song = songIndex(index);
    return song.isValid() ? song.data(role) : QVariant();
}

bool ShownSongsModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    const QModelIndex song = songIndex(index);
    return song.isValid() && m_songs->setData(song, value, role);
}

Qt::ItemFlags ShownSongsModel::flags(const QModelIndex &index) const
{
    const QModelIndex song = songIndex(index);
    return song.isValid() ? m_songs->flags(song) : Qt::NoItemFlags;
}

QVariant ShownSongsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical)
        return QAbstractTableModel::headerData(section, orientation, role);
    return m_songs->headerData(section, orientation, role);
}
