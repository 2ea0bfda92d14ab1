#include "ui/app_state.h"
#include "ui/file_io.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>

namespace {

QByteArray contentOf(const QString &path)
{
    return readWholeFile(path).bytes;
}

} // namespace

class AppStateFile : public testing::Test
{
protected:
    QTemporaryDir m_folder;
    QString m_path = m_folder.filePath(u"state/state.json"_qs);

    void expectEmpty(const AppState &state)
    {
        EXPECT_FALSE(state.windowSize().isValid());
        EXPECT_TRUE(state.openFolder().isEmpty());
        EXPECT_TRUE(state.venueSongFiles().isEmpty());
    }
    AppState filled()
    {
        AppState state(m_path);
        state.setWindowSize({ 900, 700 });
        state.setOpenFolder(u"/歌/搜歌"_qs);
        state.setSaveFolder(u"/导出"_qs);
        state.setVenueSongFiles({ u"/a/已有.txt"_qs, u"/b/上月.txt"_qs });
        return state;
    }
};

TEST_F(AppStateFile, AMissingFileReadsEmptyAndWhatIsSavedComesBack)
{
    AppState state(m_path);
    state.load();
    expectEmpty(state);
    EXPECT_TRUE(state.problem().isEmpty());
    EXPECT_EQ(filled().save(), QString());
    AppState again(m_path);
    again.load();
    EXPECT_EQ(again.windowSize(), QSize(900, 700));
    EXPECT_EQ(again.openFolder(), u"/歌/搜歌"_qs);
    EXPECT_EQ(again.saveFolder(), u"/导出"_qs);
    EXPECT_EQ(again.venueSongFiles(), (QStringList { u"/a/已有.txt"_qs, u"/b/上月.txt"_qs }));
}

TEST_F(AppStateFile, ADamagedFileReadsEmptyAndIsNeverWrittenOver)
{
    ASSERT_TRUE(QDir().mkpath(m_folder.filePath(u"state"_qs)));
    for (const QByteArray &damaged :
        { QByteArray("{\"openFolder\": \"/x\""), QByteArray("[1, 2]"), QByteArray("\xFF\xFE") }) {
        ASSERT_EQ(writeFileAtomically(m_path, damaged), QString());
        AppState state = filled();
        state.load();
        expectEmpty(state);
        EXPECT_FALSE(state.problem().isEmpty());
        state.setOpenFolder(u"/y"_qs);
        EXPECT_FALSE(state.save().isEmpty());
        EXPECT_EQ(contentOf(m_path), damaged);
    }
}

TEST_F(AppStateFile, AFifoReadsEmptyWithoutWaitingAndStaysAFifo)
{
    ASSERT_TRUE(QDir().mkpath(m_folder.filePath(u"state"_qs)));
    ASSERT_EQ(mkfifo(QFile::encodeName(m_path).constData(), 0600), 0);
    AppState state = filled();
    state.load();
    expectEmpty(state);
    EXPECT_FALSE(state.problem().isEmpty());
    EXPECT_FALSE(filled().save().isEmpty()); // not loaded, yet still no FIFO replaced
    EXPECT_FALSE(state.save().isEmpty());
    EXPECT_TRUE(QFileInfo(m_path).exists() && !QFileInfo(m_path).isFile());
}

TEST_F(AppStateFile, AFolderThatCannotBeWrittenGivesAReasonAndKeepsTheOldFile)
{
    ASSERT_EQ(filled().save(), QString());
    const QByteArray before = contentOf(m_path);
    const QString folder = m_folder.filePath(u"state"_qs);
    const QByteArray lock = "chattr +i '" + QFile::encodeName(folder) + "' 2>/dev/null";
    if (std::system(lock.constData()) != 0)
        GTEST_SKIP() << "chattr +i is not available here";
    AppState state = filled();
    state.setOpenFolder(u"/other"_qs);
    const QString error = state.save();
    EXPECT_EQ(std::system(("chattr -i '" + QFile::encodeName(folder) + "'").constData()), 0);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(contentOf(m_path), before);
}
