#include "main_window_fixture.h"

#include <QFileInfo>

// Closing the window with ticks changed since the last code export asks whether to export them.
class ClosePrompt : public MainWindowTest
{
protected:
    void SetUp() override
    {
        browseAndAnalyse(threeSongs());
        setChecked(1, true);
        m_window.show();
    }

    // Closes as the close box does; true when the window went.
    bool closeWindow()
    {
        m_window.show();
        return m_window.close() && !m_window.isVisible();
    }
};

TEST_F(ClosePrompt, CancelStaysNoExportClosesExportClosesOnlyOnceWritten)
{
    using Answer = Dialogs::Answer;
    m_dialogs.questionAnswers = { Answer::Cancel, Answer::Yes, Answer::Yes, Answer::No };
    EXPECT_FALSE(closeWindow()) << "取消 stays";
    ASSERT_EQ(m_dialogs.questions.size(), 1);
    EXPECT_TRUE(m_dialogs.questions[0].contains(u"已选 1 首"_qs))
        << m_dialogs.questions[0].toStdString();

    const QString path = m_dir.filePath(u"codes.txt"_qs);
    m_dialogs.saveAnswers = { std::nullopt, path };
    EXPECT_FALSE(closeWindow()) << "导出 with its file dialog cancelled stays";
    EXPECT_TRUE(closeWindow()) << "导出 closes once the file is written";
    EXPECT_EQ(readWholeFile(path).bytes, "10000002\r\n");

    EXPECT_TRUE(closeWindow()) << "nothing changed since the export: no question";
    EXPECT_EQ(m_dialogs.questions.size(), 3);

    setChecked(2, true);
    EXPECT_TRUE(closeWindow()) << "不导出 closes";
    EXPECT_EQ(m_dialogs.questions.size(), 4);
    EXPECT_TRUE(m_dialogs.unscripted.isEmpty()) << m_dialogs.unscripted.join(u' ').toStdString();
}

TEST_F(ClosePrompt, NothingTickedClosesWithoutAQuestion)
{
    setChecked(1, false);
    EXPECT_TRUE(closeWindow());
    EXPECT_TRUE(m_dialogs.questions.isEmpty());
}
