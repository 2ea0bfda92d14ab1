#include "export/song_workbook.h"
#include "export/workbook_check.h"

#include "test_song_tables.h"
#include "workbook_reading.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/mount.h>

namespace {

QList<SongFields> songs(int count)
{
    QList<SongFields> rows;
    for (int number = 1; number <= count; ++number)
        rows.append({ QByteArray::number(10000000 + number), "Song " + QByteArray::number(number),
            "Singer", "Pop", "Mandarin", "a\\" + QByteArray::number(number) + ".mpg" });
    return rows;
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

// A small file system of its own, so a write can run out of space.
class SmallVolume
{
public:
    explicit SmallVolume(const char *size)
    {
        const QByteArray options = QByteArray("size=") + size;
        m_mounted = m_dir.isValid()
            && ::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs", 0,
                   options.constData())
                == 0;
    }
    ~SmallVolume()
    {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
    }
    bool mounted() const { return m_mounted; }
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
};

class WorkbookDamage : public testing::Test
{
protected:
    QTemporaryDir m_folder;
};

TEST_F(WorkbookDamage, AFullDiskFailsTheExportWithThatReasonAndLeavesNothing)
{
    SmallVolume volume("128k");
    if (!volume.mounted())
        GTEST_SKIP() << "mounting a small file system is not allowed here";
    const QString target = QDir(volume.path()).filePath(u"book.xlsx"_qs);

    const QString error = writeSongWorkbook(makeSongTable(songs(20000)), target);

    EXPECT_TRUE(error.contains(u"磁盘已满"_qs)) << error.toStdString();
    EXPECT_EQ(entries(volume.path()), QStringList()) << "no file, no temporary folder";
}

TEST_F(WorkbookDamage, AFullTemporaryFolderDoesNotMatterForAnExportElsewhere)
{
    SmallVolume volume("16k");
    if (!volume.mounted())
        GTEST_SKIP() << "mounting a small file system is not allowed here";
    const QByteArray oldTemp = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(volume.path()));
    const QString target = m_folder.filePath(u"book.xlsx"_qs);
    const QString error = writeSongWorkbook(makeSongTable(songs(5000)), target);
    qputenv("TMPDIR", oldTemp);

    ASSERT_EQ(error, QString());
    const WorkbookContent content = readWorkbook(target);
    ASSERT_EQ(content.error, QString());
    ASSERT_EQ(content.sheets.size(), 1u);
    EXPECT_EQ(content.sheets[0].size(), 5000u);
    EXPECT_EQ(content.sheets[0][4999][1], u"Song 5000"_qs);
}

TEST_F(WorkbookDamage, ATruncatedOrShortWorkbookFailsTheCheck)
{
    const QString path = m_folder.filePath(u"book.xlsx"_qs);
    ASSERT_EQ(writeSongWorkbook(makeSongTable(songs(300)), path), QString());
    const std::vector<qsizetype> rows { 300 };
    EXPECT_EQ(checkWorkbookFile(path, rows), QString());
    const std::vector<qsizetype> moreRows { 300000 };
    EXPECT_NE(checkWorkbookFile(path, moreRows), QString()) << "a sheet too short for its rows";

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.resize(file.size() - 10));
    file.close();
    EXPECT_NE(checkWorkbookFile(path, rows), QString());
}

TEST_F(WorkbookDamage, TheNextExportRemovesWhatAKilledOneLeftButNotWhatALiveOneWrites)
{
    QProcess ended;
    ended.start(u"true"_qs);
    ASSERT_TRUE(ended.waitForStarted());
    const qint64 endedPid = ended.processId();
    ASSERT_TRUE(ended.waitForFinished());
    const QString left = u".lanshan-%1-0123456789abcdef.part"_qs.arg(endedPid);
    const QString live
        = u".lanshan-%1-fedcba9876543210.part"_qs.arg(QCoreApplication::applicationPid());
    for (const QString &name : { left, live }) {
        ASSERT_TRUE(QDir(m_folder.path()).mkdir(name));
        QFile part(QDir(m_folder.filePath(name)).filePath(u"book.xlsx"_qs));
        ASSERT_TRUE(part.open(QIODevice::WriteOnly));
    }

    ASSERT_EQ(
        writeSongWorkbook(makeSongTable(songs(3)), m_folder.filePath(u"book.xlsx"_qs)), QString());

    EXPECT_EQ(entries(m_folder.path()), (QStringList { live, u"book.xlsx"_qs }));
}

} // namespace
