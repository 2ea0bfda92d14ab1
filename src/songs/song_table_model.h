#pragma once

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
    // Replaces every row; views see a model reset.
    void setTable(SongTable table);

    // Both emit a single dataChanged over column 0, so a million rows cost one view update.
    void setAllChecked(bool checked);
    // Checks the given table rows and leaves the others as they are.
    void checkRows(std::span<const qsizetype> rows);

    static int defaultColumnWidth(int column);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(
        int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    void emitCheckStatesChanged(qsizetype firstRow, qsizetype lastRow);

    SongTable m_table;
};
