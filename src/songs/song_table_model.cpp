#include "songs/song_table_model.h"

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
    m_history.clear();
    m_checkedCount = m_table.checkedCount();
    endResetModel();
    emit ticksChanged();
}

template <typename RowAt>
void SongTableModel::applyTicks(std::size_t count, RowAt rowAt, bool checked)
{
    std::vector<std::uint32_t> changed;
    changed.reserve(count);
    qsizetype firstRow = m_table.rowCount();
    qsizetype lastRow = -1;
    for (std::size_t index = 0; index < count; ++index) {
        const qsizetype row = rowAt(index);
        if (row < 0 || row >= m_table.rowCount() || m_table.isChecked(row) == checked)
            continue;
        m_table.setChecked(row, checked);
        changed.push_back(static_cast<std::uint32_t>(row));
        firstRow = std::min(firstRow, row);
        lastRow = std::max(lastRow, row);
    }
    if (changed.empty())
        return;
    m_checkedCount += checked ? qsizetype(changed.size()) : -qsizetype(changed.size());
    if (changed.size() < changed.capacity() / 2)
        changed.shrink_to_fit();
    m_history.record(std::move(changed));
    emitCheckStatesChanged(firstRow, lastRow);
    emit ticksChanged();
}

void SongTableModel::setAllChecked(bool checked)
{
    applyTicks(
        std::size_t(m_table.rowCount()), [](std::size_t row) { return qsizetype(row); }, checked);
}

void SongTableModel::checkRows(std::span<const qsizetype> rows)
{
    applyTicks(
        rows.size(), [rows](std::size_t index) { return rows[index]; }, true);
}

void SongTableModel::setRowsChecked(std::span<const std::uint32_t> rows, bool checked)
{
    applyTicks(
        rows.size(), [rows](std::size_t index) { return qsizetype(rows[index]); }, checked);
}

void SongTableModel::flip(const std::vector<std::uint32_t> &rows)
{
    for (const std::uint32_t row : rows) {
        const bool checked = !m_table.isChecked(row);
        m_table.setChecked(row, checked);
        m_checkedCount += checked ? 1 : -1;
    }
    const auto [first, last] = std::minmax_element(rows.begin(), rows.end());
    emitCheckStatesChanged(*first, *last);
    emit ticksChanged();
}

bool SongTableModel::undoTicks()
{
    const std::vector<std::uint32_t> *rows = m_history.undo();
    if (rows)
        flip(*rows);
    return rows != nullptr;
}

bool SongTableModel::redoTicks()
{
    const std::vector<std::uint32_t> *rows = m_history.redo();
    if (rows)
        flip(*rows);
    return rows != nullptr;
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
        return decodeShownText(m_table.field(index.row(), static_cast<SongColumn>(index.column())),
            m_table.encoding());
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
    const std::uint32_t row = static_cast<std::uint32_t>(index.row());
    setRowsChecked(std::span(&row, 1), value.toInt() == Qt::Checked);
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
    static constexpr std::array<const char *, songColumnCount> titles {
        QT_TR_NOOP("编码"),
        QT_TR_NOOP("歌名"),
        QT_TR_NOOP("歌手"),
        QT_TR_NOOP("类别"),
        QT_TR_NOOP("语种"),
        QT_TR_NOOP("文件路径"),
    };
    if (section < 0 || section >= songColumnCount)
        return {};
    return tr(titles[static_cast<std::size_t>(section)]);
}

void SongTableModel::emitCheckStatesChanged(qsizetype firstRow, qsizetype lastRow)
{
    if (firstRow > lastRow)
        return;
    emit dataChanged(index(static_cast<int>(firstRow), 0), index(static_cast<int>(lastRow), 0),
        { Qt::CheckStateRole });
}
