#include "preview/mpv_player.h"

#include <QFile>
#include <QFileInfo>
#include <QPointer>

#include <mpv/client.h>
#include <mpv/render_gl.h>

#include <clocale>
#include <vector>

namespace {

enum PropertyId : uint64_t { TimePos = 1, Duration, Pause, EofReached, TrackList, Af, Volume };

QString nodeString(const mpv_node &node)
{
    return node.format == MPV_FORMAT_STRING ? QString::fromUtf8(node.u.string) : QString();
}

const mpv_node *mapValue(const mpv_node &map, const char *key)
{
    if (map.format != MPV_FORMAT_NODE_MAP)
        return nullptr;
    for (int i = 0; i < map.u.list->num; ++i) {
        if (qstrcmp(map.u.list->keys[i], key) == 0)
            return &map.u.list->values[i];
    }
    return nullptr;
}

qint64 mapInt(const mpv_node &map, const char *key, qint64 fallback)
{
    const mpv_node *value = mapValue(map, key);
    return value && value->format == MPV_FORMAT_INT64 ? value->u.int64 : fallback;
}

QString mapString(const mpv_node &map, const char *key)
{
    const mpv_node *value = mapValue(map, key);
    return value ? nodeString(*value) : QString();
}

bool mapFlag(const mpv_node &map, const char *key)
{
    const mpv_node *value = mapValue(map, key);
    return value && value->format == MPV_FORMAT_FLAG && value->u.flag;
}

AudioTracks audioTracksOf(const mpv_node &list)
{
    AudioTracks tracks;
    if (list.format != MPV_FORMAT_NODE_ARRAY)
        return tracks;
    for (int i = 0; i < list.u.list->num; ++i) {
        const mpv_node &entry = list.u.list->values[i];
        if (mapString(entry, "type") != u"audio")
            continue;
        AudioTrack track;
        track.id = int(mapInt(entry, "id", 0));
        track.channels = int(mapInt(entry, "demux-channel-count", 0));
        track.title = mapString(entry, "title");
        track.language = mapString(entry, "lang");
        track.selected = mapFlag(entry, "selected");
        tracks << track;
    }
    return tracks;
}

} // namespace

MpvPlayer::MpvPlayer(Output output, QObject *parent)
    : PlaybackEngine(parent)
{
    // libmpv refuses to start unless numbers are formatted the C way; Qt sets the user's locale.
    std::setlocale(LC_NUMERIC, "C");
    m_mpv = mpv_create();
    if (!m_mpv) {
        m_startupError = tr("播放器无法启动（libmpv 初始化失败）");
        return;
    }
    const std::pair<const char *, const char *> options[] = {
        // Without a renderer attached mpv would open a window of its own.
        { "vo", "null" },
        { "audio-fallback-to-null", "yes" },
        { "hwdec", "no" },
        // Stay on the last frame at the end, so the operator can seek back.
        { "keep-open", "yes" },
        { "idle", "yes" },
        { "config", "no" },
        { "load-scripts", "no" },
        { "osc", "no" },
        { "input-default-bindings", "no" },
        { "audio-display", "no" },
    };
    for (const auto &[name, value] : options)
        mpv_set_option_string(m_mpv, name, value);
    if (output == Output::Null)
        mpv_set_option_string(m_mpv, "ao", "null");
    mpv_request_log_messages(m_mpv, "error");
    if (mpv_initialize(m_mpv) < 0) {
        mpv_terminate_destroy(m_mpv);
        m_mpv = nullptr;
        m_startupError = tr("播放器无法启动（libmpv 初始化失败）");
        return;
    }
    mpv_observe_property(m_mpv, TimePos, "time-pos", MPV_FORMAT_DOUBLE);
    mpv_observe_property(m_mpv, Duration, "duration", MPV_FORMAT_DOUBLE);
    mpv_observe_property(m_mpv, Pause, "pause", MPV_FORMAT_FLAG);
    mpv_observe_property(m_mpv, EofReached, "eof-reached", MPV_FORMAT_FLAG);
    mpv_observe_property(m_mpv, TrackList, "track-list", MPV_FORMAT_NODE);
    mpv_observe_property(m_mpv, Af, "af", MPV_FORMAT_STRING);
    mpv_observe_property(m_mpv, Volume, "volume", MPV_FORMAT_DOUBLE);
    // Called on mpv's threads: only hand over to ours.
    mpv_set_wakeup_callback(
        m_mpv,
        [](void *self) {
            QMetaObject::invokeMethod(
                static_cast<MpvPlayer *>(self), &MpvPlayer::drainEvents, Qt::QueuedConnection);
        },
        this);
}

MpvPlayer::~MpvPlayer()
{
    emit aboutToShutDown();
    if (!m_mpv)
        return;
    // A renderer still attached here had no GL context to let go in; it must not outlive mpv.
    detachRenderer();
    mpv_set_wakeup_callback(m_mpv, nullptr, nullptr);
    mpv_terminate_destroy(m_mpv);
}

void MpvPlayer::load(const QString &path)
{
    m_requestedPath = QFileInfo(path).absoluteFilePath();
    m_loadedPath.clear();
    m_lastError.clear();
    m_atEnd = false;
    if (!m_mpv) {
        emit playbackFailed(m_startupError);
        return;
    }
    // Track and filter choices are options in mpv and would carry over to the next file.
    setMpvProperty("aid", u"auto"_qs);
    setMpvProperty("af", QString());
    setMpvProperty("pause", u"no"_qs);
    const QByteArray encoded = QFile::encodeName(m_requestedPath);
    const char *arguments[] = { "loadfile", encoded.constData(), "replace", nullptr };
    mpv_node result;
    const int status = mpv_command_ret(m_mpv, arguments, &result);
    if (status < 0) {
        m_requestedEntry = -1;
        emit playbackFailed(QString::fromUtf8(mpv_error_string(status)));
        return;
    }
    m_requestedEntry = mapInt(result, "playlist_entry_id", -1);
    mpv_free_node_contents(&result);
}

void MpvPlayer::stop()
{
    m_requestedEntry = -1;
    m_loadedPath.clear();
    command({ "stop" });
}

void MpvPlayer::setPaused(bool paused)
{
    setMpvProperty("pause", paused ? u"yes"_qs : u"no"_qs);
}

void MpvPlayer::togglePause()
{
    if (m_atEnd) {
        seek(0, true);
        setPaused(false);
        return;
    }
    setPaused(!m_paused);
}

void MpvPlayer::seek(double seconds, bool exact)
{
    command({ "seek", QByteArray::number(seconds, 'f', 3),
        exact ? "absolute+exact" : "absolute+keyframes" });
}

void MpvPlayer::setVolume(int percent)
{
    setMpvProperty("volume", QString::number(qBound(0, percent, 100)));
}

void MpvPlayer::setAudioTrack(int id)
{
    setMpvProperty("aid", id > 0 ? QString::number(id) : u"auto"_qs);
}

bool MpvPlayer::setAudioFilter(const QString &filter)
{
    return setMpvProperty("af", filter);
}

bool MpvPlayer::attachRenderer(GlResolver resolve, void *resolveContext)
{
    if (!m_mpv || m_render)
        return m_render != nullptr;
    mpv_opengl_init_params gl { resolve, resolveContext };
    mpv_render_param parameters[] = {
        { MPV_RENDER_PARAM_API_TYPE, const_cast<char *>(MPV_RENDER_API_TYPE_OPENGL) },
        { MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &gl },
        { MPV_RENDER_PARAM_INVALID, nullptr },
    };
    if (mpv_render_context_create(&m_render, m_mpv, parameters) < 0) {
        m_render = nullptr;
        return false;
    }
    mpv_render_context_set_update_callback(
        m_render,
        [](void *self) {
            QMetaObject::invokeMethod(
                static_cast<MpvPlayer *>(self), &MpvPlayer::frameReady, Qt::QueuedConnection);
        },
        this);
    // Changing the output at run time restarts the video of the file playing.
    setMpvProperty("vo", u"libmpv"_qs);
    return true;
}

void MpvPlayer::detachRenderer()
{
    if (!m_render)
        return;
    setMpvProperty("vo", u"null"_qs);
    mpv_render_context_set_update_callback(m_render, nullptr, nullptr);
    mpv_render_context_free(m_render);
    m_render = nullptr;
}

void MpvPlayer::renderFrame(int framebuffer, int width, int height)
{
    if (!m_render)
        return;
    mpv_opengl_fbo target { framebuffer, width, height, 0 };
    int flip = 1;
    mpv_render_param parameters[] = {
        { MPV_RENDER_PARAM_OPENGL_FBO, &target },
        { MPV_RENDER_PARAM_FLIP_Y, &flip },
        { MPV_RENDER_PARAM_INVALID, nullptr },
    };
    mpv_render_context_render(m_render, parameters);
}

void MpvPlayer::drainEvents()
{
    // A handler of one of our signals may delete us.
    const QPointer<MpvPlayer> alive(this);
    while (alive && m_mpv) {
        const mpv_event *event = mpv_wait_event(m_mpv, 0);
        if (event->event_id == MPV_EVENT_NONE)
            break;
        handleEvent(*event);
    }
}

void MpvPlayer::handleEvent(const mpv_event &event)
{
    switch (event.event_id) {
    case MPV_EVENT_LOG_MESSAGE: {
        const auto *message = static_cast<const mpv_event_log_message *>(event.data);
        m_lastError = QString::fromUtf8(message->text).trimmed();
        break;
    }
    case MPV_EVENT_START_FILE:
        m_startedEntry = static_cast<const mpv_event_start_file *>(event.data)->playlist_entry_id;
        break;
    case MPV_EVENT_FILE_LOADED:
        if (m_startedEntry == m_requestedEntry && m_requestedEntry >= 0) {
            // The file before may have paused itself at its end (keep-open) after the load
            // asked for no pause: the new file plays whatever state the old one ended in.
            setMpvProperty("pause", u"no"_qs);
            m_loadedPath = m_requestedPath;
            emit fileLoaded(m_loadedPath);
        }
        break;
    case MPV_EVENT_END_FILE:
        handleEndOfFile(event);
        break;
    case MPV_EVENT_PROPERTY_CHANGE:
        handlePropertyChange(event);
        break;
    default:
        break;
    }
}

void MpvPlayer::handleEndOfFile(const mpv_event &event)
{
    const auto *end = static_cast<const mpv_event_end_file *>(event.data);
    if (end->playlist_entry_id != m_requestedEntry)
        return;
    m_loadedPath.clear();
    if (end->reason == MPV_END_FILE_REASON_ERROR) {
        QString reason = QString::fromUtf8(mpv_error_string(end->error));
        if (!m_lastError.isEmpty())
            reason += u"：%1"_qs.arg(m_lastError);
        emit playbackFailed(reason);
    } else if (end->reason == MPV_END_FILE_REASON_EOF) {
        m_atEnd = true;
        emit endReached();
    }
}

void MpvPlayer::handlePropertyChange(const mpv_event &event)
{
    const auto *property = static_cast<const mpv_event_property *>(event.data);
    const bool hasValue = property->format != MPV_FORMAT_NONE;
    switch (event.reply_userdata) {
    case TimePos:
        m_position = hasValue ? *static_cast<const double *>(property->data) : 0;
        emit positionChanged(m_position);
        break;
    case Duration:
        m_duration = hasValue ? *static_cast<const double *>(property->data) : 0;
        emit durationChanged(m_duration);
        break;
    case Pause:
        m_paused = hasValue && *static_cast<const int *>(property->data);
        emit pausedChanged(m_paused);
        break;
    case EofReached: {
        const bool atEnd = hasValue && *static_cast<const int *>(property->data);
        if (atEnd == m_atEnd)
            break;
        m_atEnd = atEnd;
        if (atEnd)
            emit endReached();
        break;
    }
    case TrackList: {
        const AudioTracks tracks = hasValue
            ? audioTracksOf(*static_cast<const mpv_node *>(property->data))
            : AudioTracks();
        int active = 0;
        for (const AudioTrack &track : tracks) {
            if (track.selected)
                active = track.id;
        }
        if (tracks != m_audioTracks) {
            m_audioTracks = tracks;
            emit audioTracksChanged();
        }
        if (active != m_activeAudioTrack) {
            m_activeAudioTrack = active;
            emit activeAudioTrackChanged(active);
        }
        break;
    }
    case Af: {
        const QString filter
            = hasValue ? QString::fromUtf8(*static_cast<char *const *>(property->data)) : QString();
        if (filter != m_audioFilter) {
            m_audioFilter = filter;
            emit audioFilterChanged(filter);
        }
        break;
    }
    case Volume: {
        const int volume = hasValue ? qRound(*static_cast<const double *>(property->data)) : 0;
        if (volume != m_volume) {
            m_volume = volume;
            emit volumeChanged(volume);
        }
        break;
    }
    default:
        break;
    }
}

bool MpvPlayer::setMpvProperty(const char *name, const QString &value)
{
    return m_mpv && mpv_set_property_string(m_mpv, name, value.toUtf8().constData()) >= 0;
}

bool MpvPlayer::command(std::initializer_list<QByteArray> arguments)
{
    if (!m_mpv)
        return false;
    std::vector<const char *> pointers;
    for (const QByteArray &argument : arguments)
        pointers.push_back(argument.constData());
    pointers.push_back(nullptr);
    return mpv_command(m_mpv, pointers.data()) >= 0;
}
