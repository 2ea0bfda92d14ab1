#pragma once

#include "selection/tick_history.h"
#include "songs/song_table.h"

#include <QAbstractTableModel>

#include <span>

// The song table as an item model: a check box on column 0 and the six cells decoded from GBK
// only when a view asks for them. Check marks live in the table, on the songs, so a filtering or
// sorting proxy on top only maps row indexes.
class SongTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit SongTableModel(QObject *parent = nullptr);

    const SongTable &table() const { return m_table; }
    // Replaces every row and forgets the tick history; views see a model reset.
    void setTable(SongTable table);

    // Every change of ticks emits a single dataChanged over column 0, so a million rows cost
    // one view update, and is one step of the history.
    void setAllChecked(bool checked);
    // Checks the given table rows and leaves the others as they are.
    void checkRows(std::span<const qsizetype> rows);
    // Ticks (or unticks) the given table rows.
    void setRowsChecked(std::span<const std::uint32_t> rows, bool checked);
    qsizetype checkedCount() const { return m_checkedCount; }

    // Take back or repeat the last change of ticks; false when there is none.
    bool undoTicks();
    bool redoTicks();

    static int defaultColumnWidth(int column);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(
        int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

signals:
    // Any change of ticks, undo and redo included.
    void ticksChanged();

private:
    // Sets the rows (one at a time through `rowAt`) and records the ones that changed.
    template <typename RowAt> void applyTicks(std::size_t count, RowAt rowAt, bool checked);
    void flip(const std::vector<std::uint32_t> &rows);
    void emitCheckStatesChanged(qsizetype firstRow, qsizetype lastRow);

    SongTable m_table;
    TickHistory m_history;
    qsizetype m_checkedCount = 0;
};
