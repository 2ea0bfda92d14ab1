#pragma once

#include "songs/song_table.h"

#include <QObject>
#include <QPointer>

#include <functional>

class Dialogs;
class PlaybackEngine;
class PlayerWindow;
class QLabel;
class QWidget;

// The preview: the song folder (its label shows it, 设置 chooses another) and the one player
// window that plays a song from it.
class SongPreview : public QObject
{
    Q_OBJECT

public:
    using EngineSource = std::function<PlaybackEngine &()>;

    SongPreview(Dialogs &dialogs, QWidget *window, EngineSource engine, QLabel *folderLabel);
    ~SongPreview() override;

    // A search file was loaded: its folder becomes the song folder (an empty file shows its own
    // path there, yet it is no folder to play songs from).
    void followSearchFile(const QString &path, bool empty);
    // 设置: the chooser opens at the working folder.
    void chooseFolder();
    // Plays a row of the table in the player window, opened or raised.
    void play(const SongTable &table, qsizetype row);

private:
    void showFolder(const QString &text);

    Dialogs &m_dialogs;
    QWidget *m_window;
    EngineSource m_engine;
    QLabel *m_folderLabel;
    // The folder the player prefixes to a song's path, as its label shows it.
    QString m_folder;
    QPointer<PlayerWindow> m_player;
};
