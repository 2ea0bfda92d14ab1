#include "preview/player_view.h"

#include "preview/seek_slider.h"
#include "preview/video_surface.h"
#include "ui/widgets/accessibility.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSlider>
#include <QStackedWidget>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

enum Page { VideoPage, MessagePage };

constexpr double shortcutSeekSeconds = 5;

QList<int> trackIds(const AudioTracks &tracks)
{
    QList<int> ids;
    for (const AudioTrack &track : tracks)
        ids << track.id;
    return ids;
}

} // namespace

PlayerView::PlayerView(PlaybackEngine &engine, QWidget *parent)
    : QWidget(parent)
    , m_engine(&engine)
{
    m_screen = new QStackedWidget(this);
    m_screen->addWidget(createVideoPage());
    m_message = new AlertLabel(m_screen);
    m_message->setObjectName(u"提示"_qs);
    m_message->setAlignment(Qt::AlignCenter);
    m_message->setWordWrap(true);
    m_message->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_message->setMargin(12);
    m_screen->addWidget(m_message);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(m_screen, 1);
    layout->addWidget(createControlBar());

    connect(m_engine, &PlaybackEngine::fileLoaded, this, [this] {
        m_vocalSwitch.reset(m_engine->audioTracks());
        m_vocalSwitched = false;
        showVocalSwitch();
        followEngine();
    });
    connect(m_engine, &PlaybackEngine::pausedChanged, this, &PlayerView::followEngine);
    connect(m_engine, &PlaybackEngine::endReached, this, &PlayerView::followEngine);
    connect(m_engine, &PlaybackEngine::positionChanged, this, &PlayerView::onPositionChanged);
    connect(m_engine, &PlaybackEngine::durationChanged, this, &PlayerView::onDurationChanged);
    connect(m_engine, &PlaybackEngine::audioTracksChanged, this, &PlayerView::onAudioTracksChanged);
    connect(m_engine, &PlaybackEngine::playbackFailed, this, &PlayerView::onPlaybackFailed);
    connect(m_engine, &PlaybackEngine::volumeChanged, this, [this](int percent) {
        const QSignalBlocker blocker(m_volume);
        m_volume->setValue(percent);
    });
    addShortcuts();
    setStatus(Status::Idle);
    if (!m_engine->isReady())
        onPlaybackFailed(m_engine->startupError());
}

QWidget *PlayerView::createVideoPage()
{
    if (VideoSurface::isOpenGlAvailable())
        return new VideoSurface(*m_engine, m_screen);
    auto *placeholder = new QLabel(tr("此显示环境没有 OpenGL，只播放声音"), m_screen);
    placeholder->setObjectName(u"无画面"_qs);
    placeholder->setAlignment(Qt::AlignCenter);
    placeholder->setWordWrap(true);
    return placeholder;
}

QWidget *PlayerView::createControlBar()
{
    auto *bar = new QWidget(this);

    m_elapsed = new ValueLabel(tr("已播放"), bar);
    m_elapsed->setText(playbackTimeText(0));
    m_elapsed->setObjectName(u"已播时间"_qs);
    m_seek = new SeekSlider(bar);
    m_seek->setObjectName(u"进度"_qs);
    m_seek->setAccessibleName(tr("播放进度"));
    m_seek->setSingleStep(1000);
    m_seek->setPageStep(5000);
    m_total = new ValueLabel(tr("总时长"), bar);
    m_total->setText(playbackTimeText(0));
    m_total->setObjectName(u"总时间"_qs);

    m_playPause = new QToolButton(bar);
    m_playPause->setObjectName(u"播放暂停"_qs);
    m_stop = new QToolButton(bar);
    m_stop->setObjectName(u"停止"_qs);
    m_stop->setIcon(style()->standardIcon(QStyle::SP_MediaStop));
    m_stop->setToolTip(tr("停止"));
    m_stop->setAccessibleName(tr("停止"));
    auto *volumeIcon = new QLabel(bar);
    volumeIcon->setPixmap(style()->standardIcon(QStyle::SP_MediaVolume).pixmap(16, 16));
    volumeIcon->setAccessibleName(tr("音量"));
    m_volume = new QSlider(Qt::Horizontal, bar);
    m_volume->setObjectName(u"音量"_qs);
    m_volume->setAccessibleName(tr("音量"));
    m_volume->setRange(0, 100);
    m_volume->setValue(m_engine->volume());
    m_volume->setMaximumWidth(80);
    volumeIcon->setBuddy(m_volume);

    m_vocalState = new ValueLabel(tr("原唱/伴唱"), bar);
    m_vocalState->setObjectName(u"原唱伴唱状态"_qs);
    m_vocalButton = new QPushButton(tr("原唱/伴唱"), bar);
    m_vocalButton->setObjectName(u"原唱伴唱"_qs);
    m_vocalButton->setToolTip(tr("在文件带的音轨或左右声道之间切换（V）"));
    m_vocalForm = new NamedComboBox(bar);
    m_vocalForm->setObjectName(u"原唱伴唱方式"_qs);
    m_vocalForm->setAccessibleName(tr("原唱/伴唱的存放方式"));
    m_vocalForm->addItem(tr("音轨"));
    m_vocalForm->addItem(tr("声道"));

    auto *seekRow = new QHBoxLayout;
    seekRow->addWidget(m_elapsed);
    seekRow->addWidget(m_seek, 1);
    seekRow->addWidget(m_total);
    auto *buttonRow = new QHBoxLayout;
    buttonRow->addWidget(m_playPause);
    buttonRow->addWidget(m_stop);
    buttonRow->addSpacing(8);
    buttonRow->addWidget(volumeIcon);
    buttonRow->addWidget(m_volume);
    buttonRow->addStretch(1);
    buttonRow->addWidget(m_vocalState);
    buttonRow->addWidget(m_vocalButton);
    buttonRow->addWidget(m_vocalForm);
    auto *layout = new QVBoxLayout(bar);
    layout->setContentsMargins(4, 0, 4, 2);
    layout->setSpacing(0);
    layout->addLayout(seekRow);
    layout->addLayout(buttonRow);

    connect(m_playPause, &QToolButton::clicked, this, &PlayerView::onPlayPauseClicked);
    connect(m_stop, &QToolButton::clicked, this, &PlayerView::onStopClicked);
    connect(m_seek, &QSlider::valueChanged, this, &PlayerView::onSeekMoved);
    connect(m_seek, &QSlider::sliderReleased, this,
        [this] { m_engine->seek(m_seek->value() / 1000.0, true); });
    connect(m_volume, &QSlider::valueChanged, m_engine, &PlaybackEngine::setVolume);
    connect(m_vocalButton, &QPushButton::clicked, this, &PlayerView::onVocalSwitchClicked);
    connect(m_vocalForm, &QComboBox::activated, this, &PlayerView::onVocalFormChosen);
    showVocalSwitch();
    return bar;
}

void PlayerView::addShortcuts()
{
    // Keys of the whole window, whichever control has the focus.
    const auto addShortcut = [this](QKeySequence keys, auto handler) {
        auto *shortcut = new QShortcut(keys, this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, handler);
    };
    addShortcut(QKeySequence(Qt::Key_Space), [this] {
        // A focused button or list keeps its own Space.
        QWidget *focused = focusWidget();
        if (auto *button = qobject_cast<QAbstractButton *>(focused))
            button->click();
        else if (auto *list = qobject_cast<QComboBox *>(focused))
            list->showPopup();
        else if (m_playPause->isEnabled())
            onPlayPauseClicked();
    });
    addShortcut(QKeySequence(Qt::Key_Left), [this] { seekBy(-shortcutSeekSeconds); });
    addShortcut(QKeySequence(Qt::Key_Right), [this] { seekBy(shortcutSeekSeconds); });
    addShortcut(QKeySequence(Qt::Key_V), [this] {
        if (m_vocalButton->isEnabled())
            onVocalSwitchClicked();
    });
}

void PlayerView::seekBy(double seconds)
{
    if (!m_seek->isEnabled())
        return;
    m_engine->seek(qBound(0.0, m_engine->position() + seconds, m_engine->duration()), true);
}

void PlayerView::playFile(const QString &path)
{
    m_path = path;
    // Without its engine nothing plays: the reason stays where the picture would be.
    if (!m_engine->isReady()) {
        onPlaybackFailed(m_engine->startupError());
        return;
    }
    m_vocalSwitch.reset({});
    m_vocalSwitched = false;
    showVocalSwitch();
    onPositionChanged(0);
    onDurationChanged(0);
    m_screen->setCurrentIndex(VideoPage);
    setStatus(Status::Loading);
    m_engine->load(path);
}

void PlayerView::showNotFound(const QString &message)
{
    stop();
    showMessage(m_engine->isReady() ? message : message + u"\n\n"_qs + m_engine->startupError());
    setStatus(Status::NotFound);
}

void PlayerView::stop()
{
    m_engine->stop();
    m_vocalSwitch.reset({});
    showVocalSwitch();
    onPositionChanged(0);
    setStatus(Status::Idle);
}

QString PlayerView::message() const
{
    return m_screen->currentIndex() == MessagePage ? m_message->text() : QString();
}

void PlayerView::setStatus(Status status)
{
    const bool playing = status == Status::Playing;
    m_playPause->setIcon(
        style()->standardIcon(playing ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
    m_playPause->setToolTip(playing ? tr("暂停") : tr("播放"));
    m_playPause->setAccessibleName(m_playPause->toolTip());
    const bool hasFile
        = status == Status::Playing || status == Status::Paused || status == Status::Ended;
    m_playPause->setEnabled(hasFile);
    m_stop->setEnabled(hasFile || status == Status::Loading);
    m_seek->setEnabled(hasFile);
    m_volume->setEnabled(m_engine->isReady());
    if (status == m_status)
        return;
    m_status = status;
    emit statusChanged(status);
}

void PlayerView::showMessage(const QString &text)
{
    m_message->showAlert(text);
    m_screen->setCurrentIndex(MessagePage);
}

void PlayerView::followEngine()
{
    if (m_status == Status::Idle || m_status == Status::NotFound || m_status == Status::Failed)
        return;
    if (m_engine->loadedPath().isEmpty())
        return;
    if (m_engine->isAtEnd())
        setStatus(Status::Ended);
    else
        setStatus(m_engine->isPaused() ? Status::Paused : Status::Playing);
}

void PlayerView::onPlayPauseClicked()
{
    m_engine->togglePause();
}

void PlayerView::onStopClicked()
{
    stop();
}

void PlayerView::onSeekMoved(int milliseconds)
{
    // Keyframes while dragging keep up with the mouse; the release seeks exactly.
    m_engine->seek(milliseconds / 1000.0, !m_seek->isSliderDown());
}

void PlayerView::onPositionChanged(double seconds)
{
    m_elapsed->setText(playbackTimeText(seconds));
    if (m_seek->isSliderDown())
        return;
    const QSignalBlocker blocker(m_seek);
    m_seek->showPosition(seconds);
}

void PlayerView::onDurationChanged(double seconds)
{
    m_total->setText(playbackTimeText(seconds));
    const QSignalBlocker blocker(m_seek);
    m_seek->setRange(0, int(seconds * 1000));
}

void PlayerView::onAudioTracksChanged()
{
    // Tracks arrive after the file has loaded, and change again when a track is switched.
    const AudioTracks tracks = m_engine->audioTracks();
    if (m_engine->loadedPath().isEmpty())
        return;
    const bool sameFileTracks = trackIds(tracks).contains(m_vocalSwitch.trackId());
    if (m_vocalSwitched && sameFileTracks)
        return;
    m_vocalSwitch.reset(tracks);
    m_vocalSwitched = false;
    showVocalSwitch();
}

void PlayerView::onVocalSwitchClicked()
{
    m_vocalSwitch.next();
    m_vocalSwitched = true;
    applyVocalSwitch();
}

void PlayerView::onVocalFormChosen(int index)
{
    m_vocalSwitch.setForm(index == 0 ? VocalSwitch::Form::Track : VocalSwitch::Form::Channel);
    m_vocalSwitched = true;
    applyVocalSwitch();
}

void PlayerView::onPlaybackFailed(const QString &reason)
{
    QString text = tr("无法播放这个文件：");
    if (!m_path.isEmpty())
        text += u'\n' + m_path;
    text += u"\n\n"_qs + reason;
    showMessage(text);
    setStatus(Status::Failed);
}

void PlayerView::applyVocalSwitch()
{
    if (m_vocalSwitch.trackId() > 0 && m_vocalSwitch.trackId() != m_engine->activeAudioTrack())
        m_engine->setAudioTrack(m_vocalSwitch.trackId());
    if (!m_engine->setAudioFilter(m_vocalSwitch.audioFilter())) {
        // The track cannot be split this way; go back to playing it as it is.
        m_vocalSwitch.setForm(m_vocalSwitch.form());
        m_engine->setAudioFilter(QString());
    }
    showVocalSwitch();
}

void PlayerView::showVocalSwitch()
{
    const QSignalBlocker blocker(m_vocalForm);
    m_vocalForm->setCurrentIndex(m_vocalSwitch.form() == VocalSwitch::Form::Track ? 0 : 1);
    m_vocalForm->setEnabled(m_vocalSwitch.trackId() > 0);
    m_vocalButton->setEnabled(m_vocalSwitch.canSwitch());
    m_vocalState->setText(m_vocalSwitch.trackId() > 0 ? m_vocalSwitch.stateText() : QString());
}
