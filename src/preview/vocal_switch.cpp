#include "preview/vocal_switch.h"

void VocalSwitch::reset(const AudioTracks &tracks)
{
    m_tracks = tracks;
    m_original = 0;
    for (const AudioTrack &track : tracks) {
        if (track.selected) {
            m_original = track.id;
            break;
        }
    }
    if (m_original == 0 && !tracks.isEmpty())
        m_original = tracks.first().id;
    setForm(tracks.size() >= 2 ? Form::Track : Form::Channel);
}

void VocalSwitch::setForm(Form form)
{
    m_form = form;
    m_track = m_original;
    m_channel = Channel::Both;
}

bool VocalSwitch::canSwitch() const
{
    if (m_form == Form::Track)
        return m_tracks.size() >= 2;
    // An unknown channel count is worth a try; a mono track has nothing to split.
    return m_track != 0 && channelsOf(m_track) != 1;
}

void VocalSwitch::next()
{
    if (!canSwitch())
        return;
    if (m_form == Form::Track) {
        const qsizetype at = indexOf(m_track);
        m_track = m_tracks.at((at + 1) % m_tracks.size()).id;
        return;
    }
    switch (m_channel) {
    case Channel::Both:
        m_channel = Channel::Left;
        break;
    case Channel::Left:
        m_channel = Channel::Right;
        break;
    case Channel::Right:
        m_channel = Channel::Both;
        break;
    }
}

QString VocalSwitch::audioFilter() const
{
    // One channel on both speakers.
    switch (m_channel) {
    case Channel::Both:
        return {};
    case Channel::Left:
        return u"lavfi=[pan=stereo|c0=c0|c1=c0]"_qs;
    case Channel::Right:
        return u"lavfi=[pan=stereo|c0=c1|c1=c1]"_qs;
    }
    return {};
}

QString VocalSwitch::stateText() const
{
    if (m_track == 0)
        return tr("无声音");
    if (m_form == Form::Track)
        return tr("音轨 %1/%2").arg(indexOf(m_track) + 1).arg(m_tracks.size());
    if (channelsOf(m_track) == 1)
        return tr("单声道");
    switch (m_channel) {
    case Channel::Both:
        return tr("立体声");
    case Channel::Left:
        return tr("左声道");
    case Channel::Right:
        return tr("右声道");
    }
    return {};
}

qsizetype VocalSwitch::indexOf(int trackId) const
{
    for (qsizetype i = 0; i < m_tracks.size(); ++i) {
        if (m_tracks.at(i).id == trackId)
            return i;
    }
    return 0;
}

int VocalSwitch::channelsOf(int trackId) const
{
    return m_tracks.value(indexOf(trackId)).channels;
}
