#pragma once

#include <QTableView>

class SongTableModel;

// The song table (`超级列表框1`): a report list with a check box in front of each song. Rows have
// one fixed height so a million songs show at once.
class SongTableView : public QTableView
{
    Q_OBJECT

public:
    explicit SongTableView(QWidget *parent = nullptr);

    void setSongModel(SongTableModel *model);
    // The highlighted row, or -1; independent of the check marks.
    int selectedRow() const;

Q_SIGNALS:
    // A right-click (which first selects the row under the mouse) or the menu key.
    void contextMenuRequested(const QPoint &globalPosition);

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
};
