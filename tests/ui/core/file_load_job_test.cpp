#include "ui/core/file_load_job.h"

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

namespace {

// A file of numbered lines, larger than a first screen.
QByteArray linesOver(qint64 size)
{
    QByteArray text;
    for (int line = 0; text.size() <= size; ++line)
        text += "10000" + QByteArray::number(line) + "||歌名||歌手\r\n";
    return text;
}

} // namespace

TEST(FileLoad, TheFirstScreenOfWholeLinesShowsBeforeTheRestAndIsWithdrawnWhenTheReadIsNot)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"songs.txt"_qs);
    const QByteArray text = linesOver(3 * FileLoadJob::firstScreenBytes);
    ASSERT_EQ(writeFileAtomically(path, text), QString());
    const auto released = std::make_shared<std::atomic<bool>>(false);
    const auto failing = std::make_shared<std::atomic<bool>>(false);
    FileLoadJob job(-1);
    job.setReadFunction([released, failing](const QString &file, const ReadProgress &progress) {
        while (!*released && progress(1, 2))
            QThread::msleep(2);
        return *failing ? FileReadResult { {}, u"gone"_qs } : readWholeFile(file);
    });
    QStringList events;
    QByteArray firstScreen;
    QObject::connect(&job, &FileLoadJob::firstScreenRead, [&](const QByteArray &bytes) {
        events << u"first"_qs;
        firstScreen = bytes;
    });
    QObject::connect(&job, &FileLoadJob::firstScreenWithdrawn, [&] { events << u"withdrawn"_qs; });
    QObject::connect(&job, &FileLoadJob::loaded, [&] { events << u"loaded"_qs; });
    QObject::connect(&job, &FileLoadJob::failed, [&] { events << u"failed"_qs; });

    // Dropped while the rest is read.
    job.start(path);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !events.isEmpty(); }, 5000));
    EXPECT_TRUE(text.startsWith(firstScreen));
    EXPECT_TRUE(firstScreen.endsWith("\r\n")) << "whole lines only";
    EXPECT_GT(firstScreen.size(), FileLoadJob::firstScreenBytes - 40);
    job.cancel();
    EXPECT_EQ(events, (QStringList { u"first"_qs, u"withdrawn"_qs }));

    // Failed after it.
    events.clear();
    *failing = true;
    *released = true;
    job.start(path);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !job.isRunning(); }, 5000));
    EXPECT_EQ(events, (QStringList { u"first"_qs, u"withdrawn"_qs, u"failed"_qs }));

    // Read whole: the text replaces it.
    events.clear();
    *failing = false;
    job.start(path);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !job.isRunning(); }, 5000));
    EXPECT_EQ(events, (QStringList { u"first"_qs, u"loaded"_qs }));

    // A file of one screen or less is only read whole.
    events.clear();
    const QString shortPath = dir.filePath(u"short.txt"_qs);
    ASSERT_EQ(
        writeFileAtomically(shortPath, text.first(FileLoadJob::firstScreenBytes - 1)), QString());
    job.start(shortPath);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !job.isRunning(); }, 5000));
    EXPECT_EQ(events, QStringList { u"loaded"_qs });
}
