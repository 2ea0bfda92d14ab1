#include "preview/scripted_engine.h"

#include <algorithm>

AudioTracks ScriptedEngine::stereoTracks(int count)
{
    AudioTracks tracks;
    for (int id = 1; id <= count; ++id)
        tracks << AudioTrack { id, 2, {}, {}, id == 1 };
    return tracks;
}

void ScriptedEngine::load(const QString &path)
{
    loads << path;
    m_loadedPath = path;
    m_atEnd = false;
    m_paused = false;
    m_position = 0;
    m_duration = nextDuration;
    m_audioTracks = nextTracks;
    m_activeAudioTrack = m_audioTracks.isEmpty() ? 0 : m_audioTracks.first().id;
    m_audioFilter.clear();
    emit fileLoaded(path);
    emit audioTracksChanged();
    emit durationChanged(m_duration);
    emit positionChanged(m_position);
}

void ScriptedEngine::stop()
{
    m_loadedPath.clear();
    m_position = 0;
}

void ScriptedEngine::setPaused(bool paused)
{
    m_paused = paused;
    emit pausedChanged(paused);
}

void ScriptedEngine::togglePause()
{
    if (m_atEnd) {
        m_atEnd = false;
        seek(0, true);
        setPaused(false);
        return;
    }
    setPaused(!m_paused);
}

void ScriptedEngine::seek(double seconds, bool)
{
    seeks << seconds;
    m_position = seconds;
    emit positionChanged(seconds);
}

void ScriptedEngine::setVolume(int percent)
{
    m_volume = percent;
    emit volumeChanged(percent);
}

void ScriptedEngine::setAudioTrack(int id)
{
    m_activeAudioTrack = id;
    emit activeAudioTrackChanged(id);
}

bool ScriptedEngine::setAudioFilter(const QString &filter)
{
    m_audioFilter = filter;
    emit audioFilterChanged(filter);
    return true;
}

void ScriptedEngine::playToEnd()
{
    m_position = m_duration;
    m_atEnd = true;
    m_paused = true;
    emit positionChanged(m_position);
    emit pausedChanged(true);
    emit endReached();
}

void ScriptedEngine::playFor(double seconds)
{
    const double end = m_position + seconds;
    for (int frame = 1; m_position < end; ++frame) {
        m_position = std::min(end, end - seconds + frame / 25.0);
        emit positionChanged(m_position);
    }
}
