#include "export/workbook_export_job.h"

#include "test_song_tables.h"
#include "workbook_reading.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>

namespace {

struct JobRecord
{
    std::vector<int> percents;
    int finishedCount = 0;
    QString error;
    bool signalledOnCreatingThread = true;
};

void record(WorkbookExportJob &job, JobRecord &into)
{
    QThread *const creator = QThread::currentThread();
    QObject::connect(&job, &WorkbookExportJob::progressChanged, [&into, creator](int percent) {
        into.signalledOnCreatingThread &= QThread::currentThread() == creator;
        into.percents.push_back(percent);
    });
    QObject::connect(&job, &WorkbookExportJob::finished, [&into, creator](const QString &error) {
        into.signalledOnCreatingThread &= QThread::currentThread() == creator;
        ++into.finishedCount;
        into.error = error;
    });
}

void waitUntilFinished(WorkbookExportJob &job)
{
    QEventLoop loop;
    QObject::connect(&job, &WorkbookExportJob::finished, &loop, &QEventLoop::quit);
    if (job.isRunning())
        loop.exec();
}

// Stands in for the writer: reports progress until told to stop, so a test holds the worker.
QString writeUntilCancelled(const SongTable &, const QString &, const WorkbookProgress &progress)
{
    while (progress(1, 2))
        QThread::yieldCurrentThread();
    return QStringLiteral("stopped");
}

class BackgroundWorkbookExport : public testing::Test
{
protected:
    QTemporaryDir m_folder;
};

TEST_F(BackgroundWorkbookExport, SharesTheTableAndIsFullOnlyWhenDone)
{
    WorkbookExportJob job;
    JobRecord seen;
    record(job, seen);
    const QString path = m_folder.filePath(QStringLiteral("songs.xlsx"));
    QList<SongFields> songs;
    for (int number = 0; number < 10000; ++number)
        songs.append({ QByteArray::number(number).rightJustified(8, '0'), "Song", "", "", "", "" });

    // The caller keeps no reference: the job shares the table as long as it needs it.
    ASSERT_TRUE(job.start(std::make_shared<const SongTable>(makeSongTable(songs)), path));
    waitUntilFinished(job);

    EXPECT_EQ(seen.finishedCount, 1);
    EXPECT_EQ(seen.error, QString());
    EXPECT_FALSE(job.wasCancelled());
    EXPECT_TRUE(seen.signalledOnCreatingThread);
    ASSERT_GE(seen.percents.size(), 3u);
    EXPECT_TRUE(std::is_sorted(seen.percents.begin(), seen.percents.end()));
    EXPECT_EQ(seen.percents.back(), 100);
    EXPECT_LT(seen.percents[seen.percents.size() - 2], 100);
    const WorkbookContent content = readWorkbook(path);
    ASSERT_EQ(content.error, QString());
    ASSERT_EQ(content.sheets.at(0).size(), 10000u);
    EXPECT_EQ(content.sheets[0][9999][0], u"00009999");
}

TEST_F(BackgroundWorkbookExport, ReportsTheReasonWhenTheFileCannotBeWritten)
{
    WorkbookExportJob job;
    JobRecord seen;
    record(job, seen);

    ASSERT_TRUE(
        job.start(std::make_shared<const SongTable>(makeSongTable({ { "1", "", "", "", "", "" } })),
            m_folder.filePath(QStringLiteral("missing/songs.xlsx"))));
    waitUntilFinished(job);

    EXPECT_EQ(seen.finishedCount, 1);
    EXPECT_FALSE(seen.error.isEmpty());
    EXPECT_FALSE(job.wasCancelled());
    EXPECT_NE(seen.percents.back(), 100);
}

TEST_F(BackgroundWorkbookExport, CancelStopsTheWriterAndStillFinishes)
{
    WorkbookExportJob job(writeUntilCancelled);
    JobRecord seen;
    record(job, seen);

    ASSERT_TRUE(job.start(std::make_shared<const SongTable>(), QStringLiteral("unused.xlsx")));
    job.cancel();
    waitUntilFinished(job);

    EXPECT_EQ(seen.finishedCount, 1);
    EXPECT_EQ(seen.error, u"stopped");
    EXPECT_TRUE(job.wasCancelled());
    EXPECT_FALSE(job.isRunning());
}

TEST_F(BackgroundWorkbookExport, ASecondStartWhileRunningIsRefused)
{
    std::atomic<int> writes = 0;
    WorkbookExportJob job(
        [&writes](const SongTable &table, const QString &path, const WorkbookProgress &progress) {
            ++writes;
            return writeUntilCancelled(table, path, progress);
        });

    ASSERT_TRUE(job.start(std::make_shared<const SongTable>(), QStringLiteral("first.xlsx")));
    EXPECT_FALSE(job.start(std::make_shared<const SongTable>(), QStringLiteral("second.xlsx")));
    job.cancel();
    waitUntilFinished(job);

    EXPECT_EQ(writes, 1);
    EXPECT_TRUE(job.start(std::make_shared<const SongTable>(), QStringLiteral("third.xlsx")));
    job.cancel();
    waitUntilFinished(job);
    EXPECT_EQ(writes, 2);
}

TEST_F(BackgroundWorkbookExport, DroppingARunningJobStopsTheWriterAndSignalsNothing)
{
    std::atomic<bool> writerReturned = false;
    JobRecord seen;
    {
        WorkbookExportJob job([&writerReturned](const SongTable &table, const QString &path,
                                  const WorkbookProgress &progress) {
            const QString error = writeUntilCancelled(table, path, progress);
            writerReturned = true;
            return error;
        });
        record(job, seen);
        ASSERT_TRUE(job.start(std::make_shared<const SongTable>(), QStringLiteral("unused.xlsx")));
    }
    QCoreApplication::processEvents();

    EXPECT_TRUE(writerReturned);
    EXPECT_EQ(seen.finishedCount, 0);
}

} // namespace
