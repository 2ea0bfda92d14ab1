#pragma once

#include "songs/song_table.h"

#include <QObject>

#include <span>

class Dialogs;
class QWidget;
class SongTableModel;

// What leaves the program of the ticked songs: the code file for the song system, the two
// clipboard copies, and the question before a close would lose ticks not exported yet.
class TickedSongsExport : public QObject
{
    Q_OBJECT

public:
    TickedSongsExport(Dialogs &dialogs, QWidget *window, SongTableModel *songs);

    // Asks where and writes the codes; true when the file was written.
    bool exportCodes();
    void copyCodes();
    void copyDetails();
    // Whether the window may close now: when the ticks changed since the last export, the user
    // chooses to export first, to close anyway, or to stay.
    bool mayClose();
    // Songs are ticked and the ticks changed since the last export.
    bool hasUnexportedTicks() const;

signals:
    // A word for the status text.
    void noted(const QString &note);
    // The ticks went to a file, or the user chose to close without them: none need keeping.
    void ticksSettled();

private:
    // The given fields of the ticked songs, a line each, on the clipboard.
    void copyTickedSongs(std::span<const SongColumn> columns);

    Dialogs &m_dialogs;
    QWidget *m_window;
    SongTableModel *m_songs;
    bool m_ticksChangedSinceExport = false;
};
