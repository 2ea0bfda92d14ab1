#include "ui/file_load_job.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

TEST(FileLoad, AReadThatIsStartedAgainDeliversOnlyTheLastFileWithItsEncoding)
{
    const auto released = std::make_shared<std::atomic<bool>>(false);
    FileLoadJob job(-1);
    job.setReadFunction([released](const QString &path, const ReadProgress &progress) {
        if (path == u"slow"_qs)
            while (!*released && progress(1, 2))
                QThread::msleep(2);
        return FileReadResult { path == u"slow"_qs ? "slow" : u"歌"_qs.toUtf8(), {} };
    });
    QSignalSpy loaded(&job, &FileLoadJob::loaded);

    job.start(u"slow"_qs);
    job.start(u"fast"_qs);
    ASSERT_TRUE(loaded.wait(5000));
    *released = true;
    QTest::qWait(50);

    ASSERT_EQ(loaded.size(), 1);
    EXPECT_EQ(loaded[0][0].toString(), u"fast"_qs);
    EXPECT_EQ(loaded[0][2].value<TextEncoding>(), TextEncoding::Utf8);
    EXPECT_FALSE(job.isRunning());
}

TEST(FileLoad, AFileOverTheLimitFailsAndTheReasonGivesItsSize)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"big.txt"_qs);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("123456");
    file.close();
    FileLoadJob job(5);
    QSignalSpy failed(&job, &FileLoadJob::failed);
    job.start(path);
    ASSERT_TRUE(failed.wait(5000));
    EXPECT_EQ(failed[0][0].toString(), path);
    EXPECT_TRUE(failed[0][1].toString().contains(u"6"_qs));
}
