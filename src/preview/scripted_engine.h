#pragma once

#include "preview/playback_engine.h"

#include <QStringList>

// The test double of the playback engine, for window tests where playback itself is not under
// test: a load succeeds at once with the tracks and duration the test set, time moves only when
// seeked, and every load and seek is recorded.
class ScriptedEngine : public PlaybackEngine
{
    Q_OBJECT

public:
    using PlaybackEngine::PlaybackEngine;

    bool isReady() const override { return true; }
    QString startupError() const override { return {}; }

    void load(const QString &path) override;
    void stop() override;
    void setPaused(bool paused) override;
    void togglePause() override;
    void seek(double seconds, bool exact) override;
    void setVolume(int percent) override;
    void setAudioTrack(int id) override;
    bool setAudioFilter(const QString &filter) override;

    bool attachRenderer(GlResolver, void *) override { return false; }
    void detachRenderer() override { }
    bool hasRenderer() const override { return false; }
    void renderFrame(int, int, int) override { }

    // Plays to the end and stays there paused, as the real engine keeps the last frame.
    void playToEnd();
    // Plays on for a while, telling of the position 25 times a second as the real engine does.
    void playFor(double seconds);

    // One stereo track per id, the first selected.
    static AudioTracks stereoTracks(int count);

    // What the next load finds in its file.
    AudioTracks nextTracks;
    double nextDuration = 60;

    QStringList loads;
    QList<double> seeks;
};
