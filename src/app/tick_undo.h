#pragma once

#include <QObject>

class QAction;
class QUndoStack;
class SongTableModel;

// Undo and redo of tick changes: each change the user makes is one step, kept as the rows it
// flipped (4 bytes a changed row, or a bit a song for a larger change, never a copy of every
// mark). A new table starts over.
class TickUndo : public QObject
{
    Q_OBJECT

public:
    static constexpr int maxSteps = 50;

    TickUndo(SongTableModel *songs, QObject *parent = nullptr);

    // Ctrl+Z and Ctrl+Shift+Z; each disabled while there is nothing to undo or redo.
    QAction *undoAction() const { return m_undo; }
    QAction *redoAction() const { return m_redo; }

signals:
    // What an undo or redo changed, for a reader who cannot see the check boxes.
    void noted(const QString &note);

private:
    QUndoStack *m_stack;
    QAction *m_undo;
    QAction *m_redo;
};
