#pragma once

#include "preview/playback_engine.h"
#include "preview/vocal_switch.h"

#include <QWidget>

class AlertLabel;
class QComboBox;
class QLabel;
class QPushButton;
class QSlider;
class QStackedWidget;
class QToolButton;
class SeekSlider;
class ValueLabel;

// The player control: the picture, or a message in its place, above a control bar with
// play/pause, stop, a seek slider with elapsed and total time, volume and the 原唱/伴唱 switch.
// Space plays and pauses, Left and Right seek five seconds, V steps the switch. The engine is the
// caller's and must outlive the view.
class PlayerView : public QWidget
{
    Q_OBJECT

public:
    enum class Status { Idle, Loading, Playing, Paused, Ended, NotFound, Failed };

    explicit PlayerView(PlaybackEngine &engine, QWidget *parent = nullptr);

    void playFile(const QString &path);
    // Stops what plays and shows message where the picture was.
    void showNotFound(const QString &message);
    void stop();

    Status status() const { return m_status; }
    QString message() const;

signals:
    void statusChanged(PlayerView::Status status);

private:
    QWidget *createVideoPage();
    QWidget *createControlBar();
    void addShortcuts();
    void seekBy(double seconds);
    void setStatus(Status status);
    void showMessage(const QString &text);
    void followEngine();
    void onPlayPauseClicked();
    void onStopClicked();
    void onSeekMoved(int milliseconds);
    void onPositionChanged(double seconds);
    void onDurationChanged(double seconds);
    void onAudioTracksChanged();
    void onVocalSwitchClicked();
    void onVocalFormChosen(int index);
    void onPlaybackFailed(const QString &reason);
    void applyVocalSwitch();
    void showVocalSwitch();

    PlaybackEngine *m_engine = nullptr;
    QStackedWidget *m_screen = nullptr;
    AlertLabel *m_message = nullptr;
    QToolButton *m_playPause = nullptr;
    QToolButton *m_stop = nullptr;
    SeekSlider *m_seek = nullptr;
    ValueLabel *m_elapsed = nullptr;
    ValueLabel *m_total = nullptr;
    QSlider *m_volume = nullptr;
    ValueLabel *m_vocalState = nullptr;
    QPushButton *m_vocalButton = nullptr;
    QComboBox *m_vocalForm = nullptr;

    Status m_status = Status::Idle;
    QString m_path;
    VocalSwitch m_vocalSwitch;
    bool m_vocalSwitched = false; // by the user since the file was loaded
};
