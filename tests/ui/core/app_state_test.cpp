#include "ui/core/app_state.h"
#include "ui/core/file_io.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>

class AppStateFile : public testing::Test
{
protected:
    QTemporaryDir m_folder;
    QString m_path = m_folder.filePath(u"state/state.json"_qs);

    AppState filled()
    {
        AppState state(m_path);
        state.setWindowSize({ 900, 700 });
        state.setOpenFolder(u"/歌/搜歌"_qs);
        state.setSaveFolder(u"/导出"_qs);
        state.setVenueSongFiles({ u"/a/已有.txt"_qs, u"/b/上月.txt"_qs });
        return state;
    }
    // Loads a filled state from the file; true when it read as empty, with a reason.
    bool readsEmptyWithAProblem()
    {
        AppState state = filled();
        state.load();
        return !state.windowSize().isValid() && state.openFolder().isEmpty()
            && state.venueSongFiles().isEmpty() && !state.problem().isEmpty();
    }
};

TEST_F(AppStateFile, AMissingFileReadsEmptyAndWhatIsSavedComesBack)
{
    EXPECT_FALSE(readsEmptyWithAProblem());
    EXPECT_EQ(filled().save(), QString());
    AppState again(m_path);
    again.load();
    EXPECT_EQ(again.windowSize(), QSize(900, 700));
    EXPECT_EQ(again.openFolder(), u"/歌/搜歌"_qs);
    EXPECT_EQ(again.saveFolder(), u"/导出"_qs);
    EXPECT_EQ(again.venueSongFiles(), (QStringList { u"/a/已有.txt"_qs, u"/b/上月.txt"_qs }));
}

TEST_F(AppStateFile, SizesThatAreNoWindowSizesReadAsNone)
{
    ASSERT_TRUE(QDir().mkpath(m_folder.filePath(u"state"_qs)));
    for (const auto &[width, height] : { std::pair { 2147483647, 2147483647 },
             std::pair { 100000, 100000 }, std::pair { 900, 100000 }, std::pair { 0, 700 },
             std::pair { -900, 700 }, std::pair { 900, -1 } }) {
        const QByteArray json = "{\"window\": {\"width\": " + QByteArray::number(width)
            + ", \"height\": " + QByteArray::number(height) + "}, \"openFolder\": \"/x\"}";
        ASSERT_EQ(writeFileAtomically(m_path, json), QString());
        AppState state(m_path);
        state.load();
        EXPECT_FALSE(state.windowSize().isValid()) << json.toStdString();
        EXPECT_EQ(state.openFolder(), u"/x"_qs) << "the rest of the file still counts";
    }
}

TEST_F(AppStateFile, ADamagedFileReadsEmptyAndIsNeverWrittenOver)
{
    ASSERT_TRUE(QDir().mkpath(m_folder.filePath(u"state"_qs)));
    for (const QByteArray &damaged :
        { QByteArray("{\"openFolder\": \"/x\""), QByteArray("[1, 2]"), QByteArray("\xFF\xFE") }) {
        ASSERT_EQ(writeFileAtomically(m_path, damaged), QString());
        EXPECT_TRUE(readsEmptyWithAProblem()) << damaged.toStdString();
        AppState state(m_path);
        state.load();
        state.setOpenFolder(u"/y"_qs);
        EXPECT_FALSE(state.save().isEmpty());
        EXPECT_EQ(readWholeFile(m_path).bytes, damaged);
    }
}

TEST_F(AppStateFile, AFifoReadsEmptyWithoutWaitingAndStaysAFifo)
{
    ASSERT_TRUE(QDir().mkpath(m_folder.filePath(u"state"_qs)));
    ASSERT_EQ(mkfifo(QFile::encodeName(m_path).constData(), 0600), 0);
    EXPECT_TRUE(readsEmptyWithAProblem());
    EXPECT_FALSE(filled().save().isEmpty()); // even unread, no FIFO is replaced
    EXPECT_TRUE(QFileInfo(m_path).exists() && !QFileInfo(m_path).isFile());
}

TEST_F(AppStateFile, AFolderThatCannotBeWrittenGivesAReasonAndKeepsTheOldFile)
{
    ASSERT_EQ(filled().save(), QString());
    const QByteArray before = readWholeFile(m_path).bytes;
    const QByteArray folder = QFile::encodeName(m_folder.filePath(u"state"_qs));
    if (std::system(("chattr +i '" + folder + "' 2>/dev/null").constData()) != 0)
        GTEST_SKIP() << "chattr +i is not available here";
    AppState state = filled();
    state.setOpenFolder(u"/other"_qs);
    const QString error = state.save();
    EXPECT_EQ(std::system(("chattr -i '" + folder + "'").constData()), 0);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(readWholeFile(m_path).bytes, before);
}
