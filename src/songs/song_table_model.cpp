#include "songs/song_table_model.h"

#include "songs/carried_ticks.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::array<int, songColumnCount> columnWidths { 80, 220, 110, 90, 80, 50 };

} // namespace

SongTableModel::SongTableModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

TicksCarried SongTableModel::setTable(std::shared_ptr<const SongTable> table)
{
    // The placeholder's tick is no song's.
    CarriedTicks carried = m_table && table
        ? carryTicksByCode(*m_table, m_ticks, *table)
        : CarriedTicks { TickMarks(table ? table->rowCount() : 1) };
    beginResetModel();
    m_table = std::move(table);
    m_venueRows.reset();
    m_ticks = std::move(carried.ticks);
    endResetModel();
    emit tableReplaced();
    emit ticksChanged();
    return { carried.keptRows, carried.droppedRows };
}

TickedSongs SongTableModel::tickedSongs() const
{
    return m_table ? TickedSongs { m_table.get(), &m_ticks } : TickedSongs {};
}

template <typename RowAt>
void SongTableModel::applyTicks(std::size_t count, RowAt rowAt, bool ticked)
{
    FlippedRows changed(qsizetype(count), m_ticks.size());
    for (std::size_t index = 0; index < count; ++index) {
        const qsizetype row = rowAt(index);
        if (row < 0 || row >= m_ticks.size() || !m_ticks.set(row, ticked))
            continue;
        changed.add(static_cast<std::uint32_t>(row));
    }
    if (changed.isEmpty())
        return;
    changed.fit();
    emitCheckStatesChanged(changed.lowest(), changed.highest());
    emit ticksChanged();
    emit ticksEdited(std::make_shared<const FlippedRows>(std::move(changed)));
}

void SongTableModel::setAllTicked(bool ticked)
{
    applyTicks(
        std::size_t(m_ticks.size()), [](std::size_t row) { return qsizetype(row); }, ticked);
}

void SongTableModel::setRowsTicked(std::span<const std::uint32_t> rows, bool ticked)
{
    applyTicks(
        rows.size(), [rows](std::size_t index) { return qsizetype(rows[index]); }, ticked);
}

void SongTableModel::flipTicks(const FlippedRows &rows)
{
    if (rows.isEmpty())
        return;
    rows.forEach([this](std::uint32_t row) { m_ticks.flip(row); });
    emitCheckStatesChanged(rows.lowest(), rows.highest());
    emit ticksChanged();
}

void SongTableModel::setVenueRows(RowMask rows)
{
    if (rows && (!m_table || qsizetype(rows->size()) != m_table->rowCount()))
        rows.reset();
    if (!rows && !m_venueRows)
        return;
    m_venueRows = std::move(rows);
    if (m_table && m_table->rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, songColumnCount - 1),
            { VenueSongRole, Qt::AccessibleDescriptionRole });
}

int SongTableModel::defaultColumnWidth(int column)
{
    return column >= 0 && column < songColumnCount ? columnWidths[static_cast<std::size_t>(column)]
                                                   : 0;
}

int SongTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_ticks.size());
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
        if (!m_table)
            return placeholderText(index.column());
        return decodeShownText(m_table->field(index.row(), static_cast<SongColumn>(index.column())),
            m_table->encoding());
    case Qt::CheckStateRole:
        if (index.column() == 0)
            return isTicked(index.row()) ? Qt::Checked : Qt::Unchecked;
        return {};
    case Qt::AccessibleDescriptionRole: {
        const QString venue = isVenueSong(index.row()) ? tr("已有") : QString();
        // Spoken with the code, so a reader says that a row can be ticked whether it is or not.
        if (index.column() != 0)
            return venue.isEmpty() ? QVariant() : venue;
        const QString tick = isTicked(index.row()) ? tr("已勾选") : tr("未勾选，可勾选");
        return venue.isEmpty() ? tick : tick + tr("，") + venue;
    }
    case VenueSongRole:
        return isVenueSong(index.row());
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
    setRowsTicked(std::span(&row, 1), value.toInt() == Qt::Checked);
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

QString SongTableModel::placeholderText(int column)
{
    switch (static_cast<SongColumn>(column)) {
    case SongColumn::Code:
        return tr("无内容：");
    case SongColumn::Name:
        return tr("请浏览搜歌文件后点分析！");
    default:
        return {};
    }
}

void SongTableModel::emitCheckStatesChanged(qsizetype firstRow, qsizetype lastRow)
{
    if (firstRow > lastRow)
        return;
    emit dataChanged(index(static_cast<int>(firstRow), 0), index(static_cast<int>(lastRow), 0),
        { Qt::CheckStateRole });
}
