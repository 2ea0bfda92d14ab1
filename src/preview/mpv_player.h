#pragma once

#include "preview/playback_engine.h"

struct mpv_handle;
struct mpv_render_context;
struct mpv_event;

// The playback engine: libmpv behind signals and slots. Everything runs on the thread that
// created it; mpv's own threads only post a wake-up to it. Nothing else includes mpv's headers.
class MpvPlayer : public PlaybackEngine
{
    Q_OBJECT

public:
    // Null plays to no device at all, for tests and machines without sound or screen.
    enum class Output { Devices, Null };

    explicit MpvPlayer(Output output = Output::Devices, QObject *parent = nullptr);
    ~MpvPlayer() override;

    bool isReady() const override { return m_mpv != nullptr; }
    QString startupError() const override { return m_startupError; }

    void load(const QString &path) override;
    void stop() override;
    void setPaused(bool paused) override;
    void togglePause() override;
    void seek(double seconds, bool exact) override;
    void setVolume(int percent) override;
    void setAudioTrack(int id) override;
    bool setAudioFilter(const QString &filter) override;

    bool attachRenderer(GlResolver resolve, void *resolveContext) override;
    void detachRenderer() override;
    bool hasRenderer() const override { return m_render != nullptr; }
    void renderFrame(int framebuffer, int width, int height) override;

private:
    void drainEvents();
    void handleEvent(const mpv_event &event);
    void handlePropertyChange(const mpv_event &event);
    void handleEndOfFile(const mpv_event &event);
    bool setMpvProperty(const char *name, const QString &value);
    bool command(std::initializer_list<QByteArray> arguments);

    mpv_handle *m_mpv = nullptr;
    mpv_render_context *m_render = nullptr;
    QString m_startupError;

    qint64 m_requestedEntry = -1; // the load that events are reported for
    qint64 m_startedEntry = -1;
    QString m_requestedPath;
    QString m_lastError;
};
