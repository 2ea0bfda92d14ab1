#include "ui/file_io.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

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
