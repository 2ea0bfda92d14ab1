#pragma once

#include "preview/audio_track.h"

#include <QCoreApplication>
#include <QString>

// The 原唱/伴唱 switch. KTV files keep the vocal and the accompaniment either as two audio
// tracks or as the left and right channels of one stereo track; which one is the vocal differs
// between libraries, so the switch steps through what the file has instead of guessing.
class VocalSwitch
{
    Q_DECLARE_TR_FUNCTIONS(VocalSwitch)

public:
    enum class Form { Track, Channel };
    enum class Channel { Both, Left, Right };

    // A new file: play it as it is, in the form its tracks suggest.
    void reset(const AudioTracks &tracks);

    Form form() const { return m_form; }
    // Changing the form goes back to playing the file as it is.
    void setForm(Form form);

    bool canSwitch() const;
    // Steps to the next track or channel, wrapping round to the file as it is.
    void next();

    int trackId() const { return m_track; } // 0 when the file has no audio
    Channel channel() const { return m_channel; }
    // The engine's audio filter for the chosen channel; empty when both channels play.
    QString audioFilter() const;
    QString stateText() const;

private:
    qsizetype indexOf(int trackId) const;
    int channelsOf(int trackId) const;

    AudioTracks m_tracks;
    Form m_form = Form::Track;
    int m_original = 0;
    int m_track = 0;
    Channel m_channel = Channel::Both;
};
