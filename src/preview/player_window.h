#pragma once

#include "preview/player_view.h"

#include <QWidget>

class PlacedLayout;
class QLabel;

// The preview window: plays one song at a time in its player 播放器1. A top-level, modeless
// window even when given a parent; closing it stops the playback.
class PlayerWindow : public QWidget
{
    Q_OBJECT

public:
    // The engine is the caller's and must outlive the window.
    explicit PlayerWindow(PlaybackEngine &engine, QWidget *parent = nullptr);

    // address: the song folder followed by the song's file path, possibly written on Windows.
    // The singer and the code, when given, show beside the path.
    void play(const QString &address, const QString &songName, const QString &singer = {},
        const QString &code = {});

    QString requestedAddress() const { return m_requestedAddress; }
    // The file found for the address; empty when there is none.
    QString resolvedPath() const { return m_resolvedPath; }
    PlayerView::Status status() const { return m_view->status(); }
    // The text shown in place of the picture; empty while the picture shows.
    QString message() const { return m_view->message(); }

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void showPath(const QString &path);
    void placeLines();
    void showElidedPath();

    PlayerView *m_view = nullptr;
    QLabel *m_pathLine = nullptr;
    QLabel *m_songLine = nullptr;
    PlacedLayout *m_layout = nullptr;
    QString m_path;
    QString m_requestedAddress;
    QString m_resolvedPath;
};
