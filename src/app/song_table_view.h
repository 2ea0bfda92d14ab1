#pragma once

#include "app/uniform_row_table.h"

#include <cstdint>
#include <optional>

class ShownSongsModel;

// The song table (`超级列表框1`): a report list with a check box in front of each song. Rows have
// one fixed height so a million songs show at once. Shift and Ctrl extend the selection; Space
// ticks every selected song, or unticks them all when all were ticked. A click on a column's
// header sorts by it, a second reverses, a third returns to file order.
// The current cell is always the song's check box cell, whichever cell was clicked: it is the cell
// a screen reader is told has the focus, so it hears the song and whether it is ticked, and a tick
// is spoken as that cell's change of state. Left and Right scroll the columns.
class SongTableView : public UniformRowTable
{
    Q_OBJECT

public:
    explicit SongTableView(QWidget *parent = nullptr);

    void setSongModel(ShownSongsModel *model);
    // The current row when it is selected, else -1; independent of the check marks.
    int selectedRow() const;
    // The whole text of a cell drawn cut, its tooltip; empty when the cell shows it all.
    QString cutText(const QModelIndex &index) const;

signals:
    // A right-click (which first selects the row under the mouse) or the menu key.
    void contextMenuRequested(const QPoint &globalPosition, bool byKeyboard);
    // A double-click on a song (not on its check box), which selects it.
    void songDoubleClicked();
    // Space on several selected songs changed this many ticks, all one way.
    void songsTicked(qsizetype count, bool ticked);

public slots:
    // Makes the first shown song the current, selected one and takes the focus; without songs
    // the focus stays where it is.
    void focusFirstSong();
    // The same without the focus: the list shows from its top.
    void showFirstSong();

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;
    void resizeEvent(QResizeEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    void tickSelectedSongs();
    void onHeaderClicked(int column);
    void showSortIndicator();
    bool isOnCheckBox(const QModelIndex &index, const QPoint &position);
    void rememberCurrent();
    void restoreCurrent();
    void fitColumnsToWidth();
    void onTicksShown();
    void reportFocusOnCurrentCell();
    std::optional<bool> isCurrentTicked() const;

    ShownSongsModel *m_songs = nullptr;
    // The song current before the shown songs changed, by its table row.
    std::optional<std::uint32_t> m_currentSong;
    // Whether the current song was ticked when last told, to tell a screen reader of a change.
    std::optional<bool> m_currentTicked;
};
