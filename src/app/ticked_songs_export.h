#pragma once

#include "songs/song_table.h"
#include "ui/widgets/message_bar.h"

#include <QObject>

#include <span>

class Dialogs;
class QWidget;
class SongFilters;
class SongTableModel;

// What leaves the program of the ticked songs: the code file for the song system, the two
// clipboard copies, and the question before a close would lose ticks not exported yet.
class TickedSongsExport : public QObject
{
    Q_OBJECT

public:
    // The filters give the ticked songs' split by language for the question and the note.
    TickedSongsExport(
        Dialogs &dialogs, QWidget *window, SongTableModel *songs, const SongFilters *filters);

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
    // What a command did, with what may follow it.
    void noted(const QString &note, const MessageActions &actions = {});
    // The ticks went to a file, or the user chose to close without them: none need keeping.
    void ticksSettled();

private:
    // The given fields of the ticked songs, a line each, on the clipboard.
    void copyTickedSongs(std::span<const SongColumn> columns);
    // " （粵語 100　國語 208）", or nothing before the languages are known.
    QString tickedSplit() const;

    Dialogs &m_dialogs;
    QWidget *m_window;
    SongTableModel *m_songs;
    const SongFilters *m_filters;
    bool m_ticksChangedSinceExport = false;
};
