#pragma once

#include "songs/flipped_rows.h"
#include "songs/song_table.h"
#include "songs/tick_marks.h"

#include <QAbstractTableModel>

#include <memory>
#include <span>

// The songs ticked now, for writing them out: no table while only the placeholder shows, since
// the placeholder is no song. Valid until the model changes.
struct TickedSongs
{
    const SongTable *table = nullptr;
    const TickMarks *ticks = nullptr;
    qsizetype count() const { return table ? ticks->count() : 0; }
};

// What a new table did with the ticks of the table it replaced.
struct TicksCarried
{
    qsizetype keptRows = 0; // rows of the new table ticked because their code was ticked
    qsizetype droppedRows = 0; // ticked rows of the old table whose code is gone
};

// The song table as an item model: a check box on column 0 and the six cells decoded only when a
// view asks for them. Ticks live here, one bit a song, so a filtering or sorting proxy on top only
// maps row indexes. Before any analysis the model holds a single placeholder row ("无内容：",
// "请浏览搜歌文件后点分析！") that can be ticked but is no song.
class SongTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    using RowList = std::shared_ptr<const std::vector<std::uint32_t>>;
    using RowMask = std::shared_ptr<const std::vector<bool>>;
    // True for a song the venue already has; views draw it apart.
    static constexpr int VenueSongRole = Qt::UserRole + 1;

    explicit SongTableModel(QObject *parent = nullptr);

    // The analysed songs, or nothing while the placeholder shows.
    const std::shared_ptr<const SongTable> &table() const { return m_table; }
    bool hasSongs() const { return m_table != nullptr; }
    // Replaces every row with the songs of `table`; views see a model reset, then
    // tableReplaced(). Ticks belong to songs: every row of a code that was ticked in the table
    // before stays ticked, the other ticks are dropped.
    TicksCarried setTable(std::shared_ptr<const SongTable> table);

    bool isTicked(qsizetype row) const { return m_ticks.test(row); }
    // Ticked songs; the placeholder counts for nothing.
    qsizetype tickedSongCount() const { return tickedSongs().count(); }
    TickedSongs tickedSongs() const;
    const TickMarks &ticks() const { return m_ticks; }

    // Each change of ticks that changes anything emits one dataChanged over column 0, so a
    // million rows cost one view update, and one ticksEdited with the rows it flipped.
    void setAllTicked(bool ticked);
    void setRowsTicked(std::span<const std::uint32_t> rows, bool ticked);
    // Flips these rows back or again, as undo and redo do; no ticksEdited.
    void flipTicks(const FlippedRows &rows);

    // The rows of the songs the venue already has, one flag a row of this table; null (or a mask
    // of another table's size) marks none. A new table drops it.
    void setVenueRows(RowMask rows);
    bool isVenueSong(qsizetype row) const
    {
        return m_venueRows && (*m_venueRows)[std::size_t(row)];
    }

    static int defaultColumnWidth(int column);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(
        int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

signals:
    // After the reset of a new table, for what follows the table rather than its rows.
    void tableReplaced();
    // Any change of ticks, undo and redo included.
    void ticksChanged();
    // A change the user made, as the rows it flipped: one step to undo.
    void ticksEdited(const std::shared_ptr<const FlippedRows> &flippedRows);

private:
    template <typename RowAt> void applyTicks(std::size_t count, RowAt rowAt, bool ticked);
    void emitCheckStatesChanged(qsizetype firstRow, qsizetype lastRow);
    static QString placeholderText(int column);

    std::shared_ptr<const SongTable> m_table;
    TickMarks m_ticks { 1 };
    RowMask m_venueRows;
};
