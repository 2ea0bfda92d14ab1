#include "main_window_fixture.h"

#include "app/quit_signals.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QProgressBar>
#include <QTest>

#include <csignal>

// Work the window does in the background: the workbook export (and its cancel) and the reading
// of a search file.
class BackgroundWork : public MainWindowTest
{
protected:
    void SetUp() override
    {
        m_window.show();
        QApplication::setActiveWindow(&m_window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&m_window));
    }

    bool barShown() const { return control<QProgressBar>("渐变进度条1")->isVisibleTo(&m_window); }
    bool waitUntilBarHidden()
    {
        return QTest::qWaitFor([&] { return !barShown(); }, 30000);
    }
    QStringList folderEntries() const
    {
        return QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    // Enough songs that the export is still writing when the test cancels it.
    void analyseManySongs()
    {
        QByteArray file;
        for (int song = 0; song < 50000; ++song)
            file += songLine(QByteArray::number(10000000 + song)) + "\r\n";
        browseAndAnalyse(file);
        ASSERT_EQ(songModel()->rowCount(), 50000);
    }
};

TEST_F(BackgroundWork, EscapeOrTheCancelButtonStopsTheWorkbookLeavingNoFileAndNoMessage)
{
    analyseManySongs();
    const QStringList before = folderEntries();
    const QString path = m_dir.filePath(u"songs.xlsx"_qs);

    m_dialogs.saveAnswers = { path };
    trigger("按钮4");
    ASSERT_TRUE(barShown());
    QTest::keyClick(&m_window, Qt::Key_Escape);
    EXPECT_TRUE(waitUntilBarHidden());

    m_dialogs.saveAnswers = { path };
    trigger("按钮4");
    ASSERT_TRUE(control<QPushButton>("取消导出")->isVisibleTo(&m_window));
    click("取消导出");
    EXPECT_TRUE(waitUntilBarHidden());

    EXPECT_EQ(folderEntries(), before) << "no workbook and no temporary file";
    EXPECT_TRUE(m_dialogs.messages.isEmpty()) << m_dialogs.messages.join(u' ').toStdString();
}

TEST_F(BackgroundWork, ASecondWorkbookExportDoesNotStartWhileOneRuns)
{
    browseAndAnalyse(threeSongs());
    const QString first = m_dir.filePath(u"first.xlsx"_qs);
    const QString second = m_dir.filePath(u"second.xlsx"_qs);
    m_dialogs.saveAnswers = { first, second };

    trigger("按钮4");
    trigger("按钮4"); // no event has run in between: the first is still writing
    EXPECT_TRUE(waitUntilBarHidden());

    EXPECT_TRUE(QFileInfo(first).isFile());
    EXPECT_FALSE(QFileInfo(second).exists());
    EXPECT_EQ(m_dialogs.saveAnswers.size(), 1u) << "no file name was even asked for";
    EXPECT_TRUE(m_dialogs.messages.isEmpty());
}

TEST_F(BackgroundWork, SigtermOrSigintClosesTheWindowsAsTheirCloseBoxesDo)
{
    for (const int signal : { SIGTERM, SIGINT }) {
        m_window.show();
        const QuitSignals quitSignals;
        ASSERT_EQ(std::raise(signal), 0);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !m_window.isVisible(); }, 5000));
    }
}
