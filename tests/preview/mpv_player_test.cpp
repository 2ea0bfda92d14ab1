#include "preview/mpv_player.h"

#include "test_media.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

// The engine with no sound device and no picture, as on a build machine.
class HeadlessPlayback : public testing::Test
{
protected:
    void SetUp() override
    {
        REQUIRE_TEST_MEDIA();
        ASSERT_TRUE(m_player.isReady()) << m_player.startupError().toStdString();
    }

    void loadAndWait(const QString &path)
    {
        QSignalSpy loaded(&m_player, &MpvPlayer::fileLoaded);
        m_player.load(path);
        ASSERT_TRUE(loaded.wait(playbackTimeoutMs)) << "not loaded: " << path.toStdString();
    }

    bool waitFor(const std::function<bool()> &condition)
    {
        return QTest::qWaitFor(condition, playbackTimeoutMs);
    }

    const QString m_twoTracks = TestMedia::shared().twoTracks();
    const QString m_twoChannels = TestMedia::shared().twoChannels();
    MpvPlayer m_player { MpvPlayer::Output::Null };
};

TEST_F(HeadlessPlayback, LoadsTheFileAndTimeAdvances)
{
    loadAndWait(m_twoTracks);
    EXPECT_EQ(m_player.loadedPath(), m_twoTracks);
    EXPECT_TRUE(waitFor([&] { return m_player.duration() > 0; }));
    EXPECT_NEAR(m_player.duration(), 2.0, 0.3);
    EXPECT_TRUE(waitFor([&] { return m_player.position() > 0.3; }));
    EXPECT_FALSE(m_player.isPaused());
}

TEST_F(HeadlessPlayback, ListsBothAudioTracksAndSwitchesTheActiveOne)
{
    loadAndWait(m_twoTracks);
    ASSERT_TRUE(waitFor(
        [&] { return m_player.audioTracks().size() == 2 && m_player.activeAudioTrack() == 1; }));
    EXPECT_EQ(m_player.audioTracks().at(1).id, 2);
    m_player.setAudioTrack(2);
    EXPECT_TRUE(waitFor([&] { return m_player.activeAudioTrack() == 2; }));
    m_player.setAudioTrack(1);
    EXPECT_TRUE(waitFor([&] { return m_player.activeAudioTrack() == 1; }));
}

TEST_F(HeadlessPlayback, TakesAPanFilterOnAStereoTrackAndPlaysOn)
{
    loadAndWait(m_twoChannels);
    ASSERT_TRUE(waitFor([&] { return m_player.audioTracks().size() == 1; }));
    EXPECT_EQ(m_player.audioTracks().first().channels, 2);
    ASSERT_TRUE(m_player.setAudioFilter(u"lavfi=[pan=stereo|c0=c0|c1=c0]"_qs));
    EXPECT_TRUE(waitFor([&] { return m_player.audioFilter().contains(u"c1=c0"); }))
        << m_player.audioFilter().toStdString();
    const double filteredFrom = m_player.position();
    EXPECT_TRUE(waitFor([&] { return m_player.position() > filteredFrom + 0.2; }));
    ASSERT_TRUE(m_player.setAudioFilter(QString()));
    EXPECT_TRUE(waitFor([&] { return m_player.audioFilter().isEmpty(); }));
}

TEST_F(HeadlessPlayback, ANewFileStartsWithItsOwnAudio)
{
    loadAndWait(m_twoTracks);
    ASSERT_TRUE(waitFor([&] { return m_player.audioTracks().size() == 2; }));
    m_player.setAudioTrack(2);
    m_player.setAudioFilter(u"lavfi=[pan=stereo|c0=c1|c1=c1]"_qs);
    m_player.setPaused(true);
    ASSERT_TRUE(waitFor([&] { return m_player.activeAudioTrack() == 2 && m_player.isPaused(); }));

    loadAndWait(m_twoTracks);
    EXPECT_TRUE(waitFor([&] {
        return m_player.activeAudioTrack() == 1 && m_player.audioFilter().isEmpty()
            && !m_player.isPaused();
    }));
}

TEST_F(HeadlessPlayback, ASecondLoadReplacesTheFirstAndOnlyItIsReported)
{
    QSignalSpy loaded(&m_player, &MpvPlayer::fileLoaded);
    QSignalSpy failed(&m_player, &MpvPlayer::playbackFailed);
    m_player.load(m_twoTracks);
    m_player.load(m_twoChannels);
    ASSERT_TRUE(waitFor([&] { return !loaded.isEmpty(); }));
    EXPECT_EQ(loaded.first().first().toString(), m_twoChannels);
    EXPECT_EQ(m_player.loadedPath(), m_twoChannels);
    EXPECT_TRUE(failed.isEmpty());
}

TEST_F(HeadlessPlayback, StopsAtTheEndOnTheLastFrameAndPlaysAgainFromTheStart)
{
    QSignalSpy ended(&m_player, &MpvPlayer::endReached);
    loadAndWait(m_twoChannels);
    ASSERT_TRUE(ended.wait(playbackTimeoutMs));
    EXPECT_TRUE(m_player.isAtEnd());
    EXPECT_EQ(m_player.loadedPath(), m_twoChannels);

    m_player.togglePause();
    EXPECT_TRUE(waitFor(
        [&] { return !m_player.isAtEnd() && !m_player.isPaused() && m_player.position() < 1.5; }));
}

TEST_F(HeadlessPlayback, ReportsAFileThatIsNoMedia)
{
    QSignalSpy failed(&m_player, &MpvPlayer::playbackFailed);
    m_player.load(TestMedia::shared().notMedia());
    ASSERT_TRUE(failed.wait(playbackTimeoutMs));
    EXPECT_FALSE(failed.first().first().toString().isEmpty());
    EXPECT_TRUE(m_player.loadedPath().isEmpty());
}

TEST_F(HeadlessPlayback, ASongLoadedAfterOneThatEndedPlays)
{
    loadAndWait(m_twoTracks);
    ASSERT_TRUE(waitFor([&] { return m_player.isAtEnd(); }));
    // Kept open on its last frame, the song that ended has paused the engine.
    ASSERT_TRUE(waitFor([&] { return m_player.isPaused(); }));
    loadAndWait(m_twoChannels);
    EXPECT_TRUE(waitFor([&] { return m_player.position() > 0.3; }));
    EXPECT_FALSE(m_player.isPaused());
}
