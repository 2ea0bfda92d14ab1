#pragma once

#include "preview/audio_track.h"

#include <QObject>
#include <QString>

struct mpv_handle;
struct mpv_render_context;
struct mpv_event;

// The playback engine: libmpv behind signals and slots. Everything runs on the thread that
// created it; mpv's own threads only post a wake-up to it. Nothing else includes mpv's headers.
class MpvPlayer : public QObject
{
    Q_OBJECT

public:
    // Null plays to no device at all, for tests and machines without sound or screen.
    enum class Output { Devices, Null };

    explicit MpvPlayer(Output output = Output::Devices, QObject *parent = nullptr);
    ~MpvPlayer() override;

    // False when libmpv could not be started; startupError() says why.
    bool isReady() const { return m_mpv != nullptr; }
    QString startupError() const { return m_startupError; }

    // Replaces what is playing. Starts with the file's own audio, unpaused.
    void load(const QString &path);
    void stop();
    void setPaused(bool paused);
    // At the end of the file, starts it again from the beginning.
    void togglePause();
    void seek(double seconds, bool exact);
    void setVolume(int percent);
    void setAudioTrack(int id);
    // filter: mpv's "af" list, e.g. "lavfi=[pan=stereo|c0=c0|c1=c0]"; empty removes it.
    bool setAudioFilter(const QString &filter);

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
    bool attachRenderer(GlResolver resolve, void *resolveContext);
    void detachRenderer();
    bool hasRenderer() const { return m_render != nullptr; }
    void renderFrame(int framebuffer, int width, int height);

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

private:
    void drainEvents();
    void handleEvent(const mpv_event &event);
    void handlePropertyChange(const mpv_event &event);
    void handleEndOfFile(const mpv_event &event);
    void checkForFrame();
    bool setMpvProperty(const char *name, const QString &value);
    bool command(std::initializer_list<QByteArray> arguments);

    mpv_handle *m_mpv = nullptr;
    mpv_render_context *m_render = nullptr;
    QString m_startupError;

    qint64 m_requestedEntry = -1; // the load that events are reported for
    qint64 m_startedEntry = -1;
    QString m_requestedPath;
    QString m_loadedPath;
    QString m_lastError;
    double m_position = 0;
    double m_duration = 0;
    bool m_paused = false;
    bool m_atEnd = false;
    int m_volume = 100;
    AudioTracks m_audioTracks;
    int m_activeAudioTrack = 0;
    QString m_audioFilter;
};
