#include "ui/core/file_io.h"
#include "ui/core/profile_file.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <gtest/gtest.h>

class ProfileFileTest : public testing::Test
{
protected:
    QByteArray fileBytes() const { return readWholeFile(m_path).bytes; }
    void writeFile(const QByteArray &bytes)
    {
        ASSERT_EQ(writeFileAtomically(m_path, bytes), QString());
    }

    QTemporaryDir m_dir;
    QString m_path = m_dir.filePath(u"config.ini"_qs);
    ProfileFile m_profile { m_path };
};

TEST_F(ProfileFileTest, MissingFileSectionOrKeyReadsEmpty)
{
    EXPECT_EQ(m_profile.value("data", "open"), QByteArray());
    writeFile("[other]\r\nopen=1\r\n[data]\r\nclose=2\r\n");
    EXPECT_EQ(m_profile.value("data", "open"), QByteArray());
    EXPECT_EQ(m_profile.value("other", "open"), "1");
}

TEST_F(ProfileFileTest, WritingCreatesTheFileWithCrLfLines)
{
    ASSERT_EQ(m_profile.setValue("data", "open", "no one"), QString());
    EXPECT_EQ(fileBytes(), "[data]\r\nopen=no one\r\n");
    EXPECT_EQ(m_profile.value("data", "open"), "no one");
}

TEST_F(ProfileFileTest, WritingAKeyKeepsEveryOtherByte)
{
    const QByteArray before
        = "; \xC5\xE4\xD6\xC3\r\n[a]\r\nx = 1\r\n\r\n[DATA]\r\nopen=old\r\nother=\xB8\xE8\r\n";
    writeFile(before);
    ASSERT_EQ(m_profile.setValue("data", "open", "no one"), QString());
    QByteArray expected = before;
    expected.replace("open=old", "open=no one");
    EXPECT_EQ(fileBytes(), expected);
    EXPECT_EQ(m_profile.value("a", "X"), "1");
}

TEST_F(ProfileFileTest, MissingKeyJoinsItsSectionAndMissingSectionIsAppended)
{
    writeFile("[data]\r\nother=1\r\n\r\n[b]\r\ny=2");
    ASSERT_EQ(m_profile.setValue("data", "open", "v"), QString());
    EXPECT_EQ(fileBytes(), "[data]\r\nother=1\r\nopen=v\r\n\r\n[b]\r\ny=2");
    ASSERT_EQ(m_profile.setValue("c", "z", "3"), QString());
    EXPECT_EQ(fileBytes(), "[data]\r\nother=1\r\nopen=v\r\n\r\n[b]\r\ny=2\r\n[c]\r\nz=3\r\n");
}

TEST_F(ProfileFileTest, AFifoOrADeviceReadsEmptyAndIsNeverWrittenOver)
{
    ASSERT_EQ(mkfifo(QFile::encodeName(m_path).constData(), 0600), 0);
    EXPECT_EQ(m_profile.value("data", "open"), QByteArray());
    EXPECT_NE(m_profile.setValue("data", "open", "no one"), QString());
    EXPECT_TRUE(QFileInfo(m_path).exists());
    EXPECT_FALSE(QFileInfo(m_path).isFile()) << "still the FIFO";

    const QString zeroLink = m_dir.filePath(u"zero.ini"_qs);
    ASSERT_TRUE(QFile::link(u"/dev/zero"_qs, zeroLink));
    EXPECT_EQ(ProfileFile(zeroLink).value("data", "open"), QByteArray());
}
