#pragma once

#include <QList>
#include <QString>

// One audio track of the file being played, as the engine reports it.
struct AudioTrack
{
    int id = 0; // the engine's track id, 1-based
    int channels = 0; // 0 when the container does not say
    QString title;
    QString language;
    bool selected = false;

    friend bool operator==(const AudioTrack &, const AudioTrack &) = default;
};

using AudioTracks = QList<AudioTrack>;
