#pragma once

#include <QOpenGLWidget>
#include <QPointer>

class PlaybackEngine;

// Shows the engine's video through mpv's OpenGL renderer.
class VideoSurface : public QOpenGLWidget
{
    Q_OBJECT

public:
    explicit VideoSurface(PlaybackEngine &engine, QWidget *parent = nullptr);
    ~VideoSurface() override;

    // False on displays without OpenGL (offscreen, some remote sessions): there the player
    // plays the sound and shows no picture.
    static bool isOpenGlAvailable();

protected:
    void initializeGL() override;
    void paintGL() override;

private:
    void releaseRenderer();

    QPointer<PlaybackEngine> m_player;
};
