#include "app/about_window.h"
#include "app/first_use_notice.h"
#include "app/settings_files.h"
#include "support/window_layout.h"
#include "ui/core/file_io.h"
#include "ui/widgets/enter_presses_button.h"
#include "ui/widgets/scripted_dialogs.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <sys/stat.h>

class FirstUseNoticeTest : public testing::Test
{
protected:
    QTemporaryDir m_dir;
    QString m_path = m_dir.filePath(u"config.ini"_qs);
    SettingsFiles m_settings { { m_path }, m_path };
    ScriptedDialogs m_dialogs;
};

TEST_F(FirstUseNoticeTest, FirstStartWritesTheSettingsAndShowsTheNoticeModally)
{
    showFirstUseNotice(m_settings, nullptr, m_dialogs);
    EXPECT_EQ(m_dialogs.modalWindows, QStringList { u"AboutWindow"_qs });
    EXPECT_EQ(readWholeFile(m_path).bytes, "[data]\r\nopen=no one\r\n");

    showFirstUseNotice(m_settings, nullptr, m_dialogs);
    EXPECT_EQ(m_dialogs.modalWindows.size(), 1) << "the second start shows no notice";
}

TEST_F(FirstUseNoticeTest, OverAWindowItWaitsUntilTheWindowIsOnTheScreenAndCentresOverIt)
{
    QWidget window;
    window.setGeometry(200, 150, 600, 640);
    window.winId(); // a window handle, not yet exposed
    QPoint noticeCentre;
    m_dialogs.onModal = [&](QDialog &notice) {
        EXPECT_EQ(notice.parentWidget(), &window);
        notice.show();
        noticeCentre = notice.frameGeometry().center();
        return int(QDialog::Accepted);
    };
    showFirstUseNoticeOver(window, m_settings, m_dialogs);
    QTest::qWait(50);
    EXPECT_TRUE(m_dialogs.modalWindows.isEmpty()) << "not before the window shows";

    window.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !m_dialogs.modalWindows.isEmpty(); }, 5000));
    EXPECT_EQ(m_dialogs.modalWindows, QStringList { u"AboutWindow"_qs });
    EXPECT_LE((noticeCentre - window.frameGeometry().center()).manhattanLength(), 2);
}

TEST_F(FirstUseNoticeTest, AnyRememberedValueMeansNoNoticeAndAnUntouchedFile)
{
    const QByteArray settings = "[data]\nopen=x\n[other]\nkey=1";
    ASSERT_EQ(writeFileAtomically(m_path, settings), QString());
    showFirstUseNotice(m_settings, nullptr, m_dialogs);
    EXPECT_TRUE(m_dialogs.modalWindows.isEmpty());
    EXPECT_EQ(readWholeFile(m_path).bytes, settings);
}

TEST_F(FirstUseNoticeTest, SettingsThatAreAFifoShowTheNoticeAndStayAFifo)
{
    ASSERT_EQ(mkfifo(QFile::encodeName(m_path).constData(), 0600), 0);
    showFirstUseNotice(m_settings, nullptr, m_dialogs);
    EXPECT_EQ(m_dialogs.modalWindows.size(), 1);
    EXPECT_FALSE(QFileInfo(m_path).isFile());
    EXPECT_TRUE(QFileInfo(m_path).exists());
}

TEST(AboutWindowTest, ShowsTheNoticeAndOpensTheMakersPage)
{
    QUrl opened;
    AboutWindow about(nullptr, [&](const QUrl &url) {
        opened = url;
        return true;
    });
    EXPECT_EQ(about.windowTitle(), u"关于"_qs);
    about.show();
    EXPECT_EQ(controlsCutOff(about), "");
    const auto *notice = about.findChild<QLabel *>(u"标签1"_qs);
    ASSERT_NE(notice, nullptr);
    EXPECT_TRUE(notice->text().endsWith(u"\n\n               V1.1"_qs));
    const auto *maker = about.findChild<QLabel *>(u"标签4"_qs);
    ASSERT_NE(maker, nullptr);
    EXPECT_TRUE(maker->text().contains(AboutWindow::makerPage.toString()));
    EXPECT_FALSE(about.findChild<QLabel *>(u"图片框1"_qs)->pixmap().isNull());

    about.findChild<QPushButton *>(u"按钮1"_qs)->click();
    EXPECT_EQ(opened, AboutWindow::makerPage);
}

class AboutWindowKeys : public testing::Test
{
protected:
    void SetUp() override
    {
        m_about.show();
        m_about.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&m_about));
    }

    QUrl m_opened;
    AboutWindow m_about { nullptr, [this](const QUrl &url) {
                             m_opened = url;
                             return true;
                         } };
    EnterPressesButton m_enterPressesButton;
};

TEST_F(AboutWindowKeys, EnterAndEscapeCloseTheNoticeWithoutOpeningThePage)
{
    for (const Qt::Key key : { Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape }) {
        m_about.show();
        m_about.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&m_about));
        ASSERT_EQ(QApplication::focusWidget(), m_about.findChild<QPushButton *>(u"按钮1"_qs));
        QTest::keyClick(QApplication::focusWidget(), key);
        EXPECT_FALSE(m_about.isVisible()) << "key " << key;
    }
    EXPECT_TRUE(m_opened.isEmpty());
}

TEST_F(AboutWindowKeys, SpaceOnTheButtonOrItsShortcutOpensThePage)
{
    auto *openPage = m_about.findChild<QPushButton *>(u"按钮1"_qs);
    ASSERT_EQ(QApplication::focusWidget(), openPage);
    QTest::keyClick(openPage, Qt::Key_Space);
    EXPECT_EQ(m_opened, AboutWindow::makerPage) << "Space presses the button on its release";
    m_opened.clear();
    QTest::keyClick(&m_about, Qt::Key_O, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_opened == AboutWindow::makerPage; }));
    EXPECT_TRUE(m_about.isVisible());
}
