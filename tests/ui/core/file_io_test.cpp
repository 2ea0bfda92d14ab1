#include "ui/core/file_io.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <gtest/gtest.h>

TEST(FileIo, WrittenBytesReadBackUnchanged)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"a.txt"_qs);
    const QByteArray bytes("\xC0\xBD\0\r\n", 5);
    ASSERT_EQ(writeFileAtomically(path, bytes), QString());
    const FileReadResult read = readWholeFile(path);
    EXPECT_TRUE(read.ok());
    EXPECT_EQ(read.bytes, bytes);
}

TEST(FileIo, UnreadablePathsGiveNoBytesAndAReason)
{
    QTemporaryDir dir;
    for (const QString &path : { dir.filePath(u"missing.txt"_qs), dir.path() }) {
        const FileReadResult read = readWholeFile(path);
        EXPECT_FALSE(read.ok()) << path.toStdString();
        EXPECT_TRUE(read.bytes.isEmpty());
    }
}

TEST(FileIo, WriteOverAFolderFailsWithAReasonAndLeavesIt)
{
    QTemporaryDir dir;
    const QString folderPath = dir.filePath(u"folder"_qs);
    ASSERT_TRUE(QDir().mkdir(folderPath));
    EXPECT_NE(writeFileAtomically(folderPath, "new"), QString());
    EXPECT_TRUE(QFileInfo(folderPath).isDir());
}

// Paths that are not ordinary files: reading them would block (a FIFO) or never end (a device),
// and writing through a rename would replace the node.
class NotOrdinaryFiles : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(mkfifo(QFile::encodeName(m_fifo).constData(), 0600), 0);
        ASSERT_TRUE(QFile::link(u"/dev/zero"_qs, m_zeroLink));
        ASSERT_TRUE(QFile::link(m_fifo, m_fifoLink));
    }

    QTemporaryDir m_dir;
    QString m_fifo = m_dir.filePath(u"fifo.txt"_qs);
    QString m_zeroLink = m_dir.filePath(u"zero.txt"_qs);
    QString m_fifoLink = m_dir.filePath(u"link.txt"_qs);
};

TEST_F(NotOrdinaryFiles, AreRefusedWithAReasonInsteadOfRead)
{
    for (const QString &path : { m_fifo, m_zeroLink, m_fifoLink }) {
        const FileReadResult read = readWholeFile(path);
        EXPECT_TRUE(read.error.contains(u"不是普通文件"_qs)) << read.error.toStdString();
        EXPECT_TRUE(read.bytes.isEmpty());
    }
}

TEST_F(NotOrdinaryFiles, AreNeverWrittenOver)
{
    for (const QString &path : { m_fifo, m_fifoLink }) {
        EXPECT_TRUE(writeFileAtomically(path, "codes").contains(u"不是普通文件"_qs));
        EXPECT_EQ(QFileInfo(m_fifo).isFile(), false) << "the FIFO stays a FIFO";
        EXPECT_TRUE(QFileInfo(m_fifo).exists());
    }
    EXPECT_TRUE(QFileInfo(m_fifoLink).isSymLink());
}

TEST(FileIo, AFileOverTheLimitIsRefusedWithItsSize)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"big.txt"_qs);
    ASSERT_EQ(writeFileAtomically(path, "12345"), QString());
    const FileReadResult read = readWholeFile(path, 4);
    EXPECT_TRUE(read.error.contains(u"5"_qs)) << read.error.toStdString();
    EXPECT_TRUE(read.bytes.isEmpty());
    EXPECT_EQ(readWholeFile(path, 5).bytes, "12345");
}

TEST(FileIo, AReadCanBeCancelledBetweenChunks)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"a.txt"_qs);
    ASSERT_EQ(writeFileAtomically(path, "abc"), QString());
    qint64 reportedSize = -1;
    const FileReadResult read = readWholeFile(path, -1, [&](qint64, qint64 size) {
        reportedSize = size;
        return false;
    });
    EXPECT_TRUE(read.cancelled);
    EXPECT_FALSE(read.ok());
    EXPECT_TRUE(read.bytes.isEmpty());
    EXPECT_EQ(reportedSize, 3);
}
