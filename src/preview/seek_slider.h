#pragma once

#include <QSlider>

// The time as the player shows it: "01:23", or "1:02:03" from an hour on.
QString playbackTimeText(double seconds);

// The player's seek slider. Its value is in milliseconds, so that dragging is smooth; a screen
// reader is given seconds and the time as text ("01:23").
class SeekSlider : public QSlider
{
    Q_OBJECT

public:
    explicit SeekSlider(QWidget *parent = nullptr);

    // Follows the playback in whole seconds, as the elapsed time shows it: a screen reader is told
    // of a new value once a second, not at every one of the engine's 25 reports a second.
    void showPosition(double seconds);
};
