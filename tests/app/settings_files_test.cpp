#include "app/first_use_notice.h"
#include "app/settings_files.h"
#include "ui/core/file_io.h"
#include "ui/widgets/scripted_dialogs.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A folder nobody can write into, root included, for as long as the object lives.
class ImmutableFolder
{
public:
    explicit ImmutableFolder(QString path)
        : m_path(std::move(path))
    {
        QDir().mkpath(m_path);
        m_made = QProcess::execute(u"chattr"_qs, { u"+i"_qs, m_path }) == 0;
    }
    ~ImmutableFolder()
    {
        if (m_made)
            QProcess::execute(u"chattr"_qs, { u"-i"_qs, m_path });
    }
    ImmutableFolder(const ImmutableFolder &) = delete;
    ImmutableFolder &operator=(const ImmutableFolder &) = delete;

    bool made() const { return m_made; }

private:
    QString m_path;
    bool m_made = false;
};

} // namespace

class SettingsLocationTest : public testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(QDir().mkpath(m_program)); }

    SettingsFiles files() const { return settingsFiles(m_program, m_installed, m_config); }
    QString besideProgram() const { return QDir(m_program).filePath(u"config.ini"_qs); }
    QString inConfigFolder() const { return QDir(m_config).filePath(u"config.ini"_qs); }
    void start() { showFirstUseNotice(files(), nullptr, m_dialogs); }

    QTemporaryDir m_dir;
    QString m_program = m_dir.filePath(u"opt/lanshan"_qs);
    QString m_installed = m_dir.filePath(u"usr/bin"_qs);
    QString m_config = m_dir.filePath(u"home/.config/lanshan"_qs);
    ScriptedDialogs m_dialogs;
};

TEST_F(SettingsLocationTest, AWritableProgramFolderKeepsTheSettingsBesideTheProgram)
{
    start();
    start();
    EXPECT_EQ(m_dialogs.modalWindows.size(), 1);
    EXPECT_EQ(readWholeFile(besideProgram()).bytes, "[data]\r\nopen=no one\r\n");
    EXPECT_FALSE(QFile::exists(m_config));
}

TEST_F(SettingsLocationTest, AnUnwritableProgramFolderKeepsTheSettingsInTheConfigurationFolder)
{
    const ImmutableFolder program(m_program);
    if (!program.made())
        GTEST_SKIP() << "chattr +i needs root on a file system that has it";
    start();
    start();
    EXPECT_EQ(m_dialogs.modalWindows.size(), 1) << "the notice shows once, not at every start";
    EXPECT_EQ(readWholeFile(inConfigFolder()).bytes, "[data]\r\nopen=no one\r\n");
    EXPECT_FALSE(QFile::exists(besideProgram()));
}

TEST_F(SettingsLocationTest, TheInstalledCopyUsesTheConfigurationFolderThoughItCouldWriteBesideIt)
{
    // Reached through another name, as /bin is /usr/bin on Debian.
    ASSERT_TRUE(QDir().mkpath(m_dir.filePath(u"usr"_qs)));
    ASSERT_TRUE(QFile::link(m_program, m_installed));
    EXPECT_EQ(files().written, inConfigFolder());
    start();
    EXPECT_TRUE(QFile::exists(inConfigFolder()));
    EXPECT_FALSE(QFile::exists(besideProgram()));
}

TEST_F(SettingsLocationTest, AFileSetUpByHandBesideTheProgramIsReadFirst)
{
    ASSERT_EQ(writeFileAtomically(besideProgram(), "[data]\r\nopen=1\r\n"), QString());
    const ImmutableFolder program(m_program);
    if (!program.made())
        GTEST_SKIP() << "chattr +i needs root on a file system that has it";
    start();
    EXPECT_TRUE(m_dialogs.modalWindows.isEmpty());
    EXPECT_FALSE(QFile::exists(m_config));
}

TEST_F(SettingsLocationTest, AnUnwritableConfigurationFolderShowsTheNoticeAtEveryStart)
{
    const ImmutableFolder program(m_program);
    const ImmutableFolder config(m_config);
    if (!program.made() || !config.made())
        GTEST_SKIP() << "chattr +i needs root on a file system that has it";
    start();
    start();
    EXPECT_EQ(m_dialogs.modalWindows.size(), 2);
    EXPECT_FALSE(QFile::exists(inConfigFolder()));
}
