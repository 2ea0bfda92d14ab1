#include "songs/song_table_model.h"

#include "ui/gbk_text.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::array<int, songColumnCount> columnWidths { 80, 220, 110, 90, 80, 50 };

} // namespace

SongTableModel::SongTableModel(QObject *parent)
    : QAbstractTableModel(parent)
    , m_table(SongTable::placeholder())
{
}

void SongTableModel::setTable(SongTable table)
{
    beginResetModel();
    m_table = std::move(table);
    endResetModel();
}

void SongTableModel::setAllChecked(bool checked)
{
    m_table.setAllChecked(checked);
    emitCheckStatesChanged(0, m_table.rowCount() - 1);
}

void SongTableModel::checkRows(std::span<const qsizetype> rows)
{
    qsizetype firstRow = m_table.rowCount();
    qsizetype lastRow = -1;
    for (const qsizetype row : rows) {
        if (row < 0 || row >= m_table.rowCount())
            continue;
        m_table.setChecked(row, true);
        firstRow = std::min(firstRow, row);
        lastRow = std::max(lastRow, row);
    }
    emitCheckStatesChanged(firstRow, lastRow);
}

int SongTableModel::defaultColumnWidth(int column)
{
    return column >= 0 && column < songColumnCount ? columnWidths[static_cast<std::size_t>(column)]
                                                   : 0;
}

int SongTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_table.rowCount());
}

int SongTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : songColumnCount;
}

QVariant SongTableModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return Gbk::decode(m_table.field(index.row(), static_cast<SongColumn>(index.column())));
    case Qt::CheckStateRole:
        if (index.column() == 0)
            return m_table.isChecked(index.row()) ? Qt::Checked : Qt::Unchecked;
        return {};
    case Qt::AccessibleDescriptionRole:
        // Spoken with the code, so a reader says that a row can be ticked whether it is or not.
        if (index.column() == 0)
            return m_table.isChecked(index.row()) ? tr("已勾选") : tr("未勾选，可勾选");
        return {};
    default:
        return {};
    }
}

bool SongTableModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::CheckStateRole || index.column() != 0
        || !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return false;
    m_table.setChecked(index.row(), value.toInt() == Qt::Checked);
    emitCheckStatesChanged(index.row(), index.row());
    return true;
}

Qt::ItemFlags SongTableModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    const Qt::ItemFlags common
        = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    return index.column() == 0 ? common | Qt::ItemIsUserCheckable : common;
}

QVariant SongTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const std::array<QString, songColumnCount> titles {
        QStringLiteral("编码"),
        QStringLiteral("歌名"),
        QStringLiteral("歌手"),
        QStringLiteral("类别"),
        QStringLiteral("语种"),
        QStringLiteral("文件路径"),
    };
    if (section < 0 || section >= songColumnCount)
        return {};
    return titles[static_cast<std::size_t>(section)];
}

void SongTableModel::emitCheckStatesChanged(qsizetype firstRow, qsizetype lastRow)
{
    if (firstRow > lastRow)
        return;
    emit dataChanged(index(static_cast<int>(firstRow), 0), index(static_cast<int>(lastRow), 0),
        { Qt::CheckStateRole });
}
