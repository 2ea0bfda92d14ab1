#include "preview/media_path_resolver.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

class SongFileLookup : public testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    QString path(const QString &relative) const { return m_dir.filePath(relative); }

    void makeFile(const QString &relative) const
    {
        QDir(m_dir.path()).mkpath(QFileInfo(path(relative)).path());
        QFile file(path(relative));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("media");
    }

    // The song folder as the main window shows it, followed by a path from a search file.
    QString address(const QString &fromSearchFile) const
    {
        return QDir::toNativeSeparators(m_dir.path()) + QDir::separator() + fromSearchFile;
    }

    QTemporaryDir m_dir;
};

TEST_F(SongFileLookup, FindsAnAddressThatExistsAsWritten)
{
    makeFile(u"a/001.mpg"_qs);
    EXPECT_EQ(MediaPathResolver::resolve(address(u"a/001.mpg"_qs)), path(u"a/001.mpg"_qs));
}

TEST_F(SongFileLookup, ReadsWindowsBackslashesAsFolderSeparators)
{
    makeFile(u"a/001.mpg"_qs);
    EXPECT_EQ(MediaPathResolver::resolve(address(u"a\\001.mpg"_qs)), path(u"a/001.mpg"_qs));
}

TEST_F(SongFileLookup, MatchesEveryFolderAndTheFileNameIgnoringCase)
{
    makeFile(u"Mandarin/Songs/Love.MPG"_qs);
    EXPECT_EQ(MediaPathResolver::resolve(address(u"MANDARIN\\songs\\love.mpg"_qs)),
        path(u"Mandarin/Songs/Love.MPG"_qs));
}

TEST_F(SongFileLookup, PrefersTheEntryNamedExactlyAsWritten)
{
    makeFile(u"k/song.mpg"_qs);
    makeFile(u"k/SONG.mpg"_qs);
    EXPECT_EQ(MediaPathResolver::resolve(address(u"k\\SONG.mpg"_qs)), path(u"k/SONG.mpg"_qs));
    EXPECT_EQ(MediaPathResolver::resolve(address(u"k\\song.mpg"_qs)), path(u"k/song.mpg"_qs));
}

TEST_F(SongFileLookup, FollowsParentFolderSegments)
{
    makeFile(u"b/002.mpg"_qs);
    QDir(m_dir.path()).mkpath(u"a"_qs);
    EXPECT_EQ(MediaPathResolver::resolve(address(u"A\\..\\B\\002.MPG"_qs)), path(u"b/002.mpg"_qs));
}

TEST_F(SongFileLookup, AMissingFileOrFolderIsNotFound)
{
    makeFile(u"a/001.mpg"_qs);
    EXPECT_TRUE(MediaPathResolver::resolve(address(u"a\\002.mpg"_qs)).isEmpty());
    EXPECT_TRUE(MediaPathResolver::resolve(address(u"missing\\001.mpg"_qs)).isEmpty());
    EXPECT_TRUE(MediaPathResolver::resolve(address(u"a\\001.mpg\\more"_qs)).isEmpty());
}

TEST_F(SongFileLookup, TheSongFolderAloneIsNoMediaFile)
{
    makeFile(u"a/001.mpg"_qs);
    EXPECT_TRUE(MediaPathResolver::resolve(address(QString())).isEmpty());
    EXPECT_TRUE(MediaPathResolver::resolve(address(u"A"_qs)).isEmpty());
}
