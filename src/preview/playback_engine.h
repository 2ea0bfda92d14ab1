#pragma once

#include "preview/audio_track.h"

#include <QObject>
#include <QString>

// What the player window asks of a playback engine, so a window can be given the real one
// (MpvPlayer) or a test double. Everything runs on the thread that created it.
class PlaybackEngine : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // False when the engine could not be started; startupError() says why.
    virtual bool isReady() const = 0;
    virtual QString startupError() const = 0;

    // Replaces what is playing. Starts with the file's own audio, unpaused, whatever state the
    // file before ended in.
    virtual void load(const QString &path) = 0;
    virtual void stop() = 0;
    virtual void setPaused(bool paused) = 0;
    // At the end of the file, starts it again from the beginning.
    virtual void togglePause() = 0;
    virtual void seek(double seconds, bool exact) = 0;
    virtual void setVolume(int percent) = 0;
    virtual void setAudioTrack(int id) = 0;
    // filter: mpv's "af" list, e.g. "lavfi=[pan=stereo|c0=c0|c1=c0]"; empty removes it.
    virtual bool setAudioFilter(const QString &filter) = 0;

    // What the engine reports of the file it plays.
    QString loadedPath() const { return m_loadedPath; }
    double position() const { return m_position; }
    double duration() const { return m_duration; }
    bool isPaused() const { return m_paused; }
    bool isAtEnd() const { return m_atEnd; }
    int volume() const { return m_volume; }
    AudioTracks audioTracks() const { return m_audioTracks; }
    int activeAudioTrack() const { return m_activeAudioTrack; }
    QString audioFilter() const { return m_audioFilter; }

    // Video. The surface calls these with its OpenGL context current; resolve looks up a GL
    // function in that context. Until a renderer is attached, video is decoded to nowhere.
    using GlResolver = void *(*)(void *context, const char *name);
    virtual bool attachRenderer(GlResolver resolve, void *resolveContext) = 0;
    virtual void detachRenderer() = 0;
    virtual bool hasRenderer() const = 0;
    virtual void renderFrame(int framebuffer, int width, int height) = 0;

signals:
    void fileLoaded(const QString &path);
    void positionChanged(double seconds);
    void durationChanged(double seconds);
    void pausedChanged(bool paused);
    void endReached();
    void audioTracksChanged();
    void activeAudioTrackChanged(int id);
    void audioFilterChanged(const QString &filter);
    void volumeChanged(int percent);
    // The file last loaded could not be opened or played.
    void playbackFailed(const QString &reason);
    void frameReady();
    // Sent first thing on destruction, so a renderer can let go while the engine still exists.
    void aboutToShutDown();

protected:
    QString m_loadedPath;
    double m_position = 0;
    double m_duration = 0;
    bool m_paused = false;
    bool m_atEnd = false;
    int m_volume = 100;
    AudioTracks m_audioTracks;
    int m_activeAudioTrack = 0;
    QString m_audioFilter;
};
