#include "preview/mpv_engine_loader.h"
#include "preview/mpv_player.h"
#include "preview/player_window.h"
#include "preview/scripted_engine.h"
#include "preview/video_surface.h"

#include "support/window_layout.h"
#include "test_media.h"

#include <QAccessible>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

// The preview window, headless: no sound device, and offscreen there is no OpenGL either.
namespace {

// The test pattern is blocks of saturated colours; a black or blank frame has none of them.
bool showsRedGreenAndBlue(const QImage &picture)
{
    bool red = false, green = false, blue = false;
    for (int y = 0; y < picture.height(); y += 4) {
        for (int x = 0; x < picture.width(); x += 4) {
            const QColor colour = picture.pixelColor(x, y);
            const int r = colour.red(), g = colour.green(), b = colour.blue();
            red = red || (r > 160 && g < 96 && b < 96);
            green = green || (g > 160 && r < 96 && b < 96);
            blue = blue || (b > 160 && r < 96 && g < 96);
        }
    }
    return red && green && blue;
}

} // namespace

class PreviewWindow : public testing::Test
{
protected:
    void SetUp() override
    {
        REQUIRE_TEST_MEDIA();
        ASSERT_TRUE(m_engine.isReady()) << m_engine.startupError().toStdString();
        m_window = new PlayerWindow(m_engine);
        m_window->setAttribute(Qt::WA_DeleteOnClose);
        m_window->show();
    }

    void TearDown() override { delete m_window.data(); }

    // The song folder as the main window holds it: ending with a separator.
    static QString songFolder()
    {
        return QDir::toNativeSeparators(TestMedia::shared().folder()) + QDir::separator();
    }

    // Plays a song and waits until its tracks are known and the switch can be used.
    QPushButton *playAndWaitForTheSwitch(const QString &fromSearchFile)
    {
        m_window->play(songFolder() + fromSearchFile, u"歌"_qs);
        auto *vocal = child<QPushButton>(u"原唱伴唱"_qs);
        return QTest::qWaitFor([&] { return vocal->isEnabled(); }, playbackTimeoutMs) ? vocal
                                                                                      : nullptr;
    }

    bool waitForStatus(PlayerView::Status status)
    {
        return QTest::qWaitFor(
            [&] { return m_window && m_window->status() == status; }, playbackTimeoutMs);
    }

    bool waitFor(const std::function<bool()> &condition)
    {
        return QTest::qWaitFor(condition, playbackTimeoutMs);
    }

    template <typename T> T *child(const QString &name) { return m_window->findChild<T *>(name); }

    MpvPlayer m_engine { MpvPlayer::Output::Null };
    QPointer<PlayerWindow> m_window;
};

TEST_F(PreviewWindow, IsFilledByThePlayerWithThePathLineBelowAsItGrows)
{
    EXPECT_EQ(m_window->objectName(), u"PlayerWindow"_qs);
    EXPECT_TRUE(m_window->isWindow());
    auto *player = child<QWidget>(u"播放器1"_qs);
    auto *pathLine = child<QLabel>(u"媒体路径"_qs);
    ASSERT_NE(player, nullptr);
    for (const QSize size : { m_window->size(), QSize(800, 600) }) {
        m_window->resize(size);
        EXPECT_EQ(controlsCutOff(*m_window), "");
        EXPECT_EQ(player->pos(), QPoint(0, 0));
        EXPECT_GT(player->width(), m_window->width() - 10);
        EXPECT_LT(player->geometry().bottom(), pathLine->geometry().top());
        EXPECT_GT(pathLine->height(), pathLine->fontMetrics().height());
    }
}

TEST_F(PreviewWindow, PlayShowsTheSongNameInTheTitleAndFindsTheWindowsPath)
{
    const QString address = songFolder() + u"a\\001.mpg"_qs;
    m_window->play(address, u"月亮代表我的心\r\n"_qs);
    EXPECT_EQ(m_window->windowTitle(), u"正在预览  月亮代表我的心"_qs);
    EXPECT_EQ(m_window->requestedAddress(), address);
    EXPECT_EQ(m_window->resolvedPath(), TestMedia::shared().twoTracks());
    ASSERT_TRUE(waitForStatus(PlayerView::Status::Playing));
    EXPECT_TRUE(m_window->message().isEmpty());
    EXPECT_TRUE(waitFor([&] { return child<QLabel>(u"总时间"_qs)->text() == u"00:02"; }))
        << child<QLabel>(u"总时间"_qs)->text().toStdString();
}

TEST_F(PreviewWindow, TheSingerAndTheCodeShowBesideThePathWhichIsCutInTheMiddleToFit)
{
    const QString address = songFolder() + u"a\\001.mpg"_qs;
    m_window->play(address, u"稻香"_qs, u"周杰倫\r\n"_qs, u"10000001"_qs);
    auto *pathLine = child<QLabel>(u"媒体路径"_qs);
    auto *songLine = child<QLabel>(u"歌曲信息"_qs);
    ASSERT_NE(songLine, nullptr);
    EXPECT_EQ(songLine->text(), u"歌手：周杰倫　编码：10000001"_qs);
    const QString path = QDir::toNativeSeparators(TestMedia::shared().twoTracks());
    for (const int width : { m_window->width(), 1200 }) {
        m_window->resize(width, m_window->height());
        EXPECT_EQ(controlsCutOff(*m_window), "");
        EXPECT_EQ(songLine->y(), pathLine->y());
        EXPECT_LT(pathLine->geometry().right(), songLine->x());
        EXPECT_GE(songLine->width(), songLine->fontMetrics().horizontalAdvance(songLine->text()));
        EXPECT_EQ(pathLine->toolTip(), path);
        EXPECT_LE(pathLine->fontMetrics().horizontalAdvance(pathLine->text()), pathLine->width());
    }
    EXPECT_EQ(pathLine->text(), path) << "the whole path where it fits";

    m_window->play(address, u"Dream"_qs, u"Sunshine Forever"_qs, u"10000002"_qs);
    for (const int width : { 1200, 400 }) {
        m_window->resize(width, m_window->height());
        EXPECT_EQ(controlsCutOff(*m_window), "");
        EXPECT_GE(songLine->width(), songLine->fontMetrics().horizontalAdvance(songLine->text()));
        EXPECT_LT(pathLine->geometry().right(), songLine->x());
    }
}

TEST_F(PreviewWindow, AMissingFileShowsWhereItWasLookedFor)
{
    const QString address = songFolder() + u"b\\404.mpg"_qs;
    m_window->play(address, u"没有的歌"_qs);
    EXPECT_EQ(m_window->status(), PlayerView::Status::NotFound);
    EXPECT_TRUE(m_window->resolvedPath().isEmpty());
    EXPECT_TRUE(m_window->message().contains(address)) << m_window->message().toStdString();
    EXPECT_TRUE(m_window->message().contains(TestMedia::shared().folder() + u"/b/404.mpg"_qs));
    EXPECT_EQ(m_window->windowTitle(), u"正在预览  没有的歌"_qs);
}

TEST_F(PreviewWindow, AFileThatCannotBePlayedSaysSoNamingIt)
{
    m_window->play(songFolder() + u"a\\readme.mpg"_qs, u"坏文件"_qs);
    ASSERT_TRUE(waitForStatus(PlayerView::Status::Failed));
    EXPECT_TRUE(m_window->message().contains(TestMedia::shared().notMedia()))
        << m_window->message().toStdString();
}

TEST_F(PreviewWindow, AMissingFileAfterAPlayingOneStopsIt)
{
    m_window->play(songFolder() + u"a\\001.mpg"_qs, u"一"_qs);
    ASSERT_TRUE(waitForStatus(PlayerView::Status::Playing));
    m_window->play(songFolder() + u"a\\404.mpg"_qs, u"二"_qs);
    EXPECT_EQ(m_window->status(), PlayerView::Status::NotFound);
    EXPECT_TRUE(m_engine.loadedPath().isEmpty());
}

TEST_F(PreviewWindow, TheSwitchStepsThroughTheTracksOfATwoTrackFile)
{
    auto *vocal = playAndWaitForTheSwitch(u"a\\001.mpg"_qs);
    ASSERT_NE(vocal, nullptr);
    MpvPlayer &engine = m_engine;
    EXPECT_EQ(child<QComboBox>(u"原唱伴唱方式"_qs)->currentText(), u"音轨"_qs);
    // The track list may come before the track the file starts on is chosen.
    ASSERT_TRUE(waitFor([&] { return engine.activeAudioTrack() == 1; }));
    EXPECT_EQ(child<QLabel>(u"原唱伴唱状态"_qs)->text(), u"音轨 1/2"_qs);

    vocal->click();
    EXPECT_TRUE(waitFor([&] { return engine.activeAudioTrack() == 2; }));
    EXPECT_EQ(child<QLabel>(u"原唱伴唱状态"_qs)->text(), u"音轨 2/2"_qs);
    vocal->click();
    EXPECT_TRUE(waitFor([&] { return engine.activeAudioTrack() == 1; }));
}

TEST_F(PreviewWindow, OnAChannelFileTheSwitchPlaysOneChannelOnBothSpeakers)
{
    auto *vocal = playAndWaitForTheSwitch(u"Cantonese\\002.MPG"_qs);
    ASSERT_NE(vocal, nullptr);
    MpvPlayer &engine = m_engine;
    EXPECT_EQ(child<QComboBox>(u"原唱伴唱方式"_qs)->currentText(), u"声道"_qs);
    EXPECT_TRUE(engine.audioFilter().isEmpty());

    vocal->click();
    EXPECT_TRUE(waitFor([&] { return engine.audioFilter().contains(u"c0=c0|c1=c0"); }))
        << engine.audioFilter().toStdString();
    EXPECT_EQ(child<QLabel>(u"原唱伴唱状态"_qs)->text(), u"左声道"_qs);
    vocal->click();
    EXPECT_TRUE(waitFor([&] { return engine.audioFilter().contains(u"c0=c1|c1=c1"); }));
    vocal->click();
    EXPECT_TRUE(waitFor([&] { return engine.audioFilter().isEmpty(); }));
}

TEST_F(PreviewWindow, ChoosingTheChannelFormOnATwoTrackFileSplitsTheTrackInUse)
{
    auto *vocal = playAndWaitForTheSwitch(u"a\\001.mpg"_qs);
    ASSERT_NE(vocal, nullptr);
    MpvPlayer &engine = m_engine;
    auto *form = child<QComboBox>(u"原唱伴唱方式"_qs);
    form->setCurrentIndex(1);
    emit form->activated(1);
    vocal->click();
    EXPECT_TRUE(waitFor([&] { return engine.audioFilter().contains(u"c0=c0|c1=c0"); }));
    EXPECT_TRUE(waitFor([&] { return engine.activeAudioTrack() == 1; }));
}

TEST_F(PreviewWindow, ASecondPlayWhilePlayingSwitchesToTheNewSong)
{
    m_window->play(songFolder() + u"a\\001.mpg"_qs, u"第一首"_qs);
    ASSERT_TRUE(waitForStatus(PlayerView::Status::Playing));
    m_window->play(songFolder() + u"Cantonese\\002.MPG"_qs, u"第二首"_qs);
    EXPECT_EQ(m_window->windowTitle(), u"正在预览  第二首"_qs);
    const QString second = TestMedia::shared().twoChannels();
    EXPECT_TRUE(waitFor([&] {
        return m_engine.loadedPath() == second && m_window->status() == PlayerView::Status::Playing;
    }));
    EXPECT_EQ(child<QComboBox>(u"原唱伴唱方式"_qs)->currentText(), u"声道"_qs);
}

TEST_F(PreviewWindow, PauseAndPlayFromTheControlBar)
{
    m_window->play(songFolder() + u"a\\001.mpg"_qs, u"歌"_qs);
    ASSERT_TRUE(waitForStatus(PlayerView::Status::Playing));
    auto *playPause = child<QAbstractButton>(u"播放暂停"_qs);
    playPause->click();
    EXPECT_TRUE(waitForStatus(PlayerView::Status::Paused));
    playPause->click();
    EXPECT_TRUE(waitForStatus(PlayerView::Status::Playing));
    child<QAbstractButton>(u"停止"_qs)->click();
    EXPECT_EQ(m_window->status(), PlayerView::Status::Idle);
    EXPECT_TRUE(m_engine.loadedPath().isEmpty());
}

TEST_F(PreviewWindow, ClosingDuringPlaybackStopsAndEndsTheWindow)
{
    m_window->play(songFolder() + u"a\\001.mpg"_qs, u"歌"_qs);
    ASSERT_TRUE(waitForStatus(PlayerView::Status::Playing));
    MpvPlayer &engine = m_engine;
    ASSERT_TRUE(m_window->close());
    EXPECT_TRUE(engine.loadedPath().isEmpty());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(m_window.isNull());
}

TEST_F(PreviewWindow, EscapeClosesTheWindow)
{
    m_window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_window));
    QTest::keyClick(m_window, Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(m_window.isNull());
}

TEST_F(PreviewWindow, ClosingWhileTheFileStillLoadsEndsTheWindow)
{
    m_window->play(songFolder() + u"a\\001.mpg"_qs, u"歌"_qs);
    ASSERT_TRUE(m_window->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(m_window.isNull());
}

// Where the display has OpenGL (a desktop, or Xvfb with QT_QPA_PLATFORM=xcb), the picture goes
// through mpv's renderer; offscreen there is none and this skips.
TEST_F(PreviewWindow, OnAScreenWithOpenGlThePictureIsRenderedAndClosingLetsItGo)
{
    if (!VideoSurface::isOpenGlAvailable())
        GTEST_SKIP() << "this display has no OpenGL";
    m_window->play(songFolder() + u"a\\001.mpg"_qs, u"歌"_qs);
    MpvPlayer &engine = m_engine;
    ASSERT_TRUE(waitFor([&] { return engine.hasRenderer(); }));
    ASSERT_TRUE(waitForStatus(PlayerView::Status::Playing));
    VideoSurface *surface = m_window->findChild<VideoSurface *>();
    EXPECT_TRUE(waitFor([&] { return showsRedGreenAndBlue(surface->grabFramebuffer()); }));
    m_window->play(songFolder() + u"Cantonese\\002.MPG"_qs, u"歌"_qs);
    ASSERT_TRUE(m_window->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(m_window.isNull());
}

// The player's keys, with the scripted engine: what is under test is the window, not playback.
class PlayerKeys : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        QFile song(m_dir.filePath(u"001.mpg"_qs));
        ASSERT_TRUE(song.open(QIODevice::WriteOnly));
        m_engine.nextTracks = ScriptedEngine::stereoTracks(2);
        m_engine.nextDuration = 200;
        m_window.show();
        m_window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&m_window));
        m_window.play(QDir::toNativeSeparators(m_dir.path()) + u"/001.mpg"_qs, u"歌"_qs);
        ASSERT_EQ(m_window.status(), PlayerView::Status::Playing);
    }

    void press(Qt::Key key) { QTest::keyClick(&m_window, key); }

    QTemporaryDir m_dir;
    ScriptedEngine m_engine;
    PlayerWindow m_window { m_engine };
};

TEST_F(PlayerKeys, SpacePausesAndPlays)
{
    press(Qt::Key_Space);
    EXPECT_EQ(m_window.status(), PlayerView::Status::Paused);
    press(Qt::Key_Space);
    EXPECT_EQ(m_window.status(), PlayerView::Status::Playing);
}

TEST_F(PlayerKeys, SpaceOnAFocusedButtonPressesThatButton)
{
    auto *stop = m_window.findChild<QAbstractButton *>(u"停止"_qs);
    stop->setFocus();
    press(Qt::Key_Space);
    EXPECT_EQ(m_window.status(), PlayerView::Status::Idle);
    EXPECT_TRUE(m_engine.loadedPath().isEmpty());
}

TEST_F(PlayerKeys, LeftAndRightSeekFiveSecondsWithinTheSong)
{
    m_engine.seek(100, true);
    press(Qt::Key_Right);
    press(Qt::Key_Left);
    press(Qt::Key_Left);
    EXPECT_EQ(m_engine.seeks, (QList<double> { 100, 105, 100, 95 }));
    m_engine.seek(2, true);
    press(Qt::Key_Left);
    m_engine.seek(198, true);
    press(Qt::Key_Right);
    EXPECT_EQ(m_engine.seeks.mid(4), (QList<double> { 2, 0, 198, 200 }));
}

TEST_F(PlayerKeys, VStepsTheVocalSwitchEvenFromTheVolumeSlider)
{
    m_window.findChild<QWidget *>(u"音量"_qs)->setFocus();
    press(Qt::Key_V);
    EXPECT_EQ(m_engine.activeAudioTrack(), 2);
    EXPECT_EQ(m_window.findChild<QLabel *>(u"原唱伴唱状态"_qs)->text(), u"音轨 2/2"_qs);
    press(Qt::Key_V);
    EXPECT_EQ(m_engine.activeAudioTrack(), 1);
}

TEST_F(PlayerKeys, TheNextSongAfterOneThatEndedPlays)
{
    m_engine.playToEnd();
    ASSERT_EQ(m_window.status(), PlayerView::Status::Ended);
    m_window.play(QDir::toNativeSeparators(m_dir.path()) + u"/001.mpg"_qs, u"下一首"_qs);
    EXPECT_EQ(m_window.status(), PlayerView::Status::Playing);
}

// A module that is missing or no library leaves the player without an engine: the reason shows
// where the picture would be, for the eye and for a screen reader, and nothing can be pressed.
TEST(PlayerWithoutEngine, SaysWhyInPlaceOfThePictureWithItsControlsDisabled)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(u"gone/liblanshan_mpv.so"_qs);
    const QString noLibrary = dir.filePath(u"liblanshan_mpv.so"_qs);
    const QString song = dir.filePath(u"10000001.mpg"_qs);
    for (const QString &path : { noLibrary, song }) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("not what it claims to be");
    }
    for (const QString &module : { missing, noLibrary }) {
        const std::unique_ptr<PlaybackEngine> engine = loadMpvEngine({ module });
        ASSERT_FALSE(engine->isReady());
        PlayerWindow window(*engine);
        window.show();
        window.play(song, u"稻香"_qs, u"周杰伦"_qs, u"10000001"_qs);
        EXPECT_EQ(window.status(), PlayerView::Status::Failed);
        EXPECT_TRUE(window.message().contains(u"无法加载播放组件"_qs))
            << window.message().toStdString();
        auto *reason = window.findChild<QLabel *>(u"提示"_qs);
        ASSERT_NE(reason, nullptr);
        EXPECT_TRUE(reason->isVisible());
        QAccessibleInterface *read = QAccessible::queryAccessibleInterface(reason);
        ASSERT_NE(read, nullptr);
        EXPECT_TRUE(read->text(QAccessible::Name).contains(u"无法加载播放组件"_qs));
        EXPECT_FALSE(read->state().invisible);
        for (const char *name :
            { "播放暂停", "停止", "进度", "音量", "原唱伴唱", "原唱伴唱方式" }) {
            auto *control = window.findChild<QWidget *>(QString::fromUtf8(name));
            ASSERT_NE(control, nullptr) << name;
            EXPECT_FALSE(control->isEnabled()) << name;
        }
    }
}
