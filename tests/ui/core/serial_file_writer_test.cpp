#include "ui/core/file_io.h"
#include "ui/core/serial_file_writer.h"

#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <memory>

namespace {

bool put(QIODevice &device, QByteArrayView bytes)
{
    return device.write(bytes.data(), bytes.size()) == bytes.size();
}

} // namespace

// One file kept up to date from the background.
class SerialFileWriting : public testing::Test
{
protected:
    QTemporaryDir m_dir;
    QString m_path = m_dir.filePath(u"keep/kept.bin"_qs);
};

TEST_F(SerialFileWriting, RequestsWhileOneRunsLeaveOnlyTheNewestToFollowIt)
{
    SerialFileWriter writer(m_path);
    QSignalSpy done(&writer, &SerialFileWriter::done);
    // The first write runs until the test lets it go; two more wait meanwhile.
    const auto released = std::make_shared<std::atomic<bool>>(false);
    const auto made = std::make_shared<std::atomic<int>>(0);
    writer.write([released, made](QIODevice &device) {
        released->wait(false);
        ++*made;
        return put(device, "first");
    });
    writer.write([made](QIODevice &device) {
        ++*made;
        return put(device, "second");
    });
    writer.write([made](QIODevice &device) {
        ++*made;
        return put(device, "third");
    });
    EXPECT_FALSE(writer.isIdle());
    released->store(true);
    released->notify_all();
    ASSERT_TRUE(done.wait());
    if (done.size() < 2) {
        ASSERT_TRUE(done.wait());
    }
    EXPECT_TRUE(writer.isIdle());
    EXPECT_EQ(*made, 2) << "the second was replaced before it ran";
    EXPECT_EQ(readWholeFile(m_path).bytes, "third");
    EXPECT_EQ(done.at(1).at(0).toString(), QString());

    writer.remove();
    ASSERT_TRUE(done.wait());
    EXPECT_FALSE(QFileInfo::exists(m_path));
    writer.remove();
    ASSERT_TRUE(done.wait());
    EXPECT_EQ(done.last().at(0).toString(), QString()) << "nothing to remove is no failure";
}

TEST_F(SerialFileWriting, DestroyingTheWriterFinishesWhatWasAskedFor)
{
    {
        SerialFileWriter writer(m_path);
        writer.write([](QIODevice &device) { return put(device, "old"); });
        writer.write([](QIODevice &device) { return put(device, "newest"); });
    }
    EXPECT_EQ(readWholeFile(m_path).bytes, "newest");
}

TEST_F(SerialFileWriting, AWriteThatFailsSaysWhyAndLeavesTheOldFile)
{
    SerialFileWriter writer(m_path);
    QSignalSpy done(&writer, &SerialFileWriter::done);
    writer.write([](QIODevice &device) { return put(device, "kept"); });
    ASSERT_TRUE(done.wait());
    const QByteArray folder = QFile::encodeName(QFileInfo(m_path).absolutePath());
    if (std::system(("chattr +i '" + folder + "' 2>/dev/null").constData()) != 0)
        GTEST_SKIP() << "chattr +i is not available here";
    writer.write([](QIODevice &device) { return put(device, "lost"); });
    const bool finished = done.wait();
    EXPECT_EQ(std::system(("chattr -i '" + folder + "'").constData()), 0);
    ASSERT_TRUE(finished);
    EXPECT_FALSE(done.last().at(0).toString().isEmpty());
    EXPECT_EQ(readWholeFile(m_path).bytes, "kept");
}
