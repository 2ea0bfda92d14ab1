#pragma once

#include <QString>
#include <QTemporaryDir>

// Songs made with ffmpeg at test time, as KTV libraries keep them: two seconds of MPEG-2
// program stream with a test picture. Made once per test program, in one temporary folder:
//   a/001.mpg          two audio tracks, 440 Hz on the first and 880 Hz on the second
//   Cantonese/002.MPG  one stereo track, 440 Hz on the left channel and 880 Hz on the right
//   a/readme.mpg       text, not media
class TestMedia
{
public:
    // Empty when the media are there; otherwise why not. skipped() tells a missing ffmpeg.
    static const TestMedia &shared();

    bool skipped() const { return m_skipped; }
    QString error() const { return m_error; }
    QString folder() const { return m_dir.path(); }
    QString twoTracks() const { return m_dir.filePath(u"a/001.mpg"_qs); }
    QString twoChannels() const { return m_dir.filePath(u"Cantonese/002.MPG"_qs); }
    QString notMedia() const { return m_dir.filePath(u"a/readme.mpg"_qs); }

private:
    TestMedia();

    QTemporaryDir m_dir;
    bool m_skipped = false;
    QString m_error;
};

// How long a test waits for the player to load, play or reach the end.
inline constexpr int playbackTimeoutMs = 15000;

// In a fixture's SetUp: skips the test without ffmpeg, fails it when the media could not be made.
#define REQUIRE_TEST_MEDIA()                                                                       \
    do {                                                                                           \
        if (TestMedia::shared().skipped())                                                         \
            GTEST_SKIP() << "ffmpeg is not installed, so no media can be made";                    \
        ASSERT_TRUE(TestMedia::shared().error().isEmpty())                                         \
            << TestMedia::shared().error().toStdString();                                          \
    } while (false)
