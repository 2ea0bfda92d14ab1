#include "main_window_fixture.h"

#include "app/about_window.h"
#include "app/progress_strip.h"
#include "app/quit_signals.h"
#include "ui/widgets/qt_dialogs.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QProgressBar>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <csignal>
#include <functional>
#include <memory>

#include <sys/stat.h>

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

    bool barShown() const { return workbookProgressBar()->isVisibleTo(&m_window); }
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
    exportWorkbookAction()->trigger();
    ASSERT_TRUE(barShown());
    QTest::keyClick(&m_window, Qt::Key_Escape);
    EXPECT_TRUE(waitUntilBarHidden());

    m_dialogs.saveAnswers = { path };
    exportWorkbookAction()->trigger();
    ASSERT_TRUE(control<QPushButton>("取消导出")->isVisibleTo(&m_window));
    control<QPushButton>("取消导出")->click();
    EXPECT_TRUE(waitUntilBarHidden());

    EXPECT_EQ(folderEntries(), before) << "no workbook and no temporary file";
    EXPECT_TRUE(m_dialogs.messages.isEmpty()) << m_dialogs.messages.join(u' ').toStdString();
    EXPECT_EQ(message(), u"已取消导出"_qs);
}

TEST_F(BackgroundWork, ASecondWorkbookExportDoesNotStartWhileOneRuns)
{
    browseAndAnalyse(threeSongs());
    const QString first = m_dir.filePath(u"first.xlsx"_qs);
    const QString second = m_dir.filePath(u"second.xlsx"_qs);
    m_dialogs.saveAnswers = { first, second };

    exportWorkbookAction()->trigger();
    exportWorkbookAction()->trigger(); // no event has run in between: the first is still writing
    EXPECT_TRUE(waitUntilBarHidden());

    EXPECT_TRUE(QFileInfo(first).isFile());
    EXPECT_FALSE(QFileInfo(second).exists());
    EXPECT_EQ(m_dialogs.saveAnswers.size(), 1u) << "no file name was even asked for";
    EXPECT_TRUE(m_dialogs.messages.isEmpty());
}

namespace {

// Runs the program's event loop until a quit ends it; 1 when nothing did within ten seconds.
int runEventLoop()
{
    QTimer failSafe;
    failSafe.setSingleShot(true);
    QObject::connect(&failSafe, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    failSafe.start(10000);
    return QCoreApplication::exec();
}

// Raises a quit signal as soon as a dialog shows.
class QuitOnDialogShow : public QObject
{
protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && qobject_cast<QDialog *>(watched))
            std::raise(SIGTERM);
        return false;
    }
};

} // namespace

TEST_F(BackgroundWork, SigtermOrSigintQuitsAtOnceWithoutAskingAboutPicksNotExported)
{
    browseAndAnalyse(threeSongs());
    setChecked(1, true);
    for (const int signal : { SIGTERM, SIGINT }) {
        const QuitSignals quitSignals;
        QTimer::singleShot(0, [signal] { std::raise(signal); });
        EXPECT_EQ(runEventLoop(), 0);
    }
    EXPECT_TRUE(m_dialogs.questions.isEmpty());
}

TEST(QuitSignal, EndsAnyQuestionOrDialogAtOnceAndUnanswered)
{
    QtDialogs dialogs(u"澜杉"_qs);
    const QString textFiles = u"文本文档(*.txt)|*.txt"_qs;
    using Answer = Dialogs::Answer;
    const std::vector<std::pair<const char *, std::function<bool()>>> dialogsShown {
        { "close question",
            [&] {
                return dialogs.askYesNoCancel(
                           nullptr, u"导出吗？"_qs, u"导出"_qs, u"不导出"_qs, u"取消"_qs)
                    == Answer::Cancel;
            } },
        { "restore question",
            [&] {
                return dialogs.askYesNo(nullptr, u"恢复吗？"_qs, u"恢复"_qs, u"忽略"_qs)
                    == Answer::Cancel;
            } },
        { "message",
            [&] {
                dialogs.showMessage(nullptr, u"消息"_qs);
                return true;
            } },
        { "open dialog", [&] { return !dialogs.askOpenFile(nullptr, textFiles); } },
        { "save dialog", [&] { return !dialogs.askSaveFile(nullptr, textFiles, u"a.txt"_qs); } },
        { "about window",
            [&] {
                AboutWindow about;
                return dialogs.showModal(about) == QDialog::Rejected;
            } },
    };
    QuitOnDialogShow quitOnShow;
    qApp->installEventFilter(&quitOnShow);
    for (const auto &[name, show] : dialogsShown) {
        const QuitSignals quitSignals;
        bool unanswered = false;
        QTimer::singleShot(0, [&, show = show] { unanswered = show(); });
        EXPECT_EQ(runEventLoop(), 0) << name;
        EXPECT_TRUE(unanswered) << name;
    }
    qApp->removeEventFilter(&quitOnShow);
}

TEST_F(BackgroundWork, AFifoOrALinkToADeviceIsRefusedByNameAndChangesNothing)
{
    browse(writeFile(u"list.txt"_qs, threeSongs()));
    const QString fifo = m_dir.filePath(u"x.txt"_qs);
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString zero = m_dir.filePath(u"zero.txt"_qs);
    ASSERT_TRUE(QFile::link(u"/dev/zero"_qs, zero));

    for (const QString &path : { fifo, zero }) {
        browse(path);
        ASSERT_FALSE(m_dialogs.messages.isEmpty());
        EXPECT_TRUE(m_dialogs.messages.last().contains(QDir::toNativeSeparators(path)));
        EXPECT_TRUE(m_dialogs.messages.last().contains(u"不是普通文件"_qs));
    }
    EXPECT_EQ(
        searchFilePathLabel()->text(), QDir::toNativeSeparators(m_dir.filePath(u"list.txt"_qs)));
    EXPECT_EQ(sourceView()->model()->rowCount(), 3);
}

TEST_F(BackgroundWork, ASlowReadShowsProgressKeepsTheWindowAnsweringAndEscapeLeavesItAsItWas)
{
    browse(writeFile(u"list.txt"_qs, threeSongs()));
    const QString label1 = searchFilePathLabel()->text();
    const QString label7 = songFolderLabel()->text();

    // A read that stalls halfway until the test lets it go.
    // Shared, as the dropped read may outlive the test for a moment.
    const auto released = std::make_shared<std::atomic<bool>>(false);
    m_window.findChild<FileLoadJob *>()->setReadFunction(
        [released](const QString &, const ReadProgress &progress) {
            while (!*released && progress(50, 100))
                QThread::msleep(5);
            return FileReadResult { songLine("20000001") + "\r\n", {} };
        });
    m_dialogs.openAnswers.push_back(m_dir.filePath(u"slow.txt"_qs));
    browseButton()->click();

    auto *progress = m_window.findChild<ProgressStrip *>(u"读取进度"_qs);
    ASSERT_NE(progress, nullptr);
    EXPECT_TRUE(QTest::qWaitFor([&] { return progress->isVisibleTo(&m_window); }, 5000));
    EXPECT_EQ(progress->bar()->value(), 50);
    checkAllBox()->click();
    EXPECT_EQ(checkedRows(), std::vector<int> { 0 }) << "the window answers meanwhile";

    QTest::keyClick(&m_window, Qt::Key_Escape);
    EXPECT_FALSE(progress->isVisibleTo(&m_window));
    *released = true;
    QTest::qWait(100); // the dropped read ends; its result must not arrive

    EXPECT_EQ(searchFilePathLabel()->text(), label1);
    EXPECT_EQ(songFolderLabel()->text(), label7);
    const auto *source = sourceView()->model();
    ASSERT_EQ(source->rowCount(), 3);
    EXPECT_EQ(
        source->index(0, 0).data().toString(), QString::fromLatin1(songLine("10000001", "Song A")));
    EXPECT_TRUE(m_dialogs.messages.isEmpty());
}

TEST_F(BackgroundWork, TheFirstLinesOfALongFileShowWhileItIsReadAndEscapePutsTheOldTextBack)
{
    browse(writeFile(u"list.txt"_qs, threeSongs()));
    QByteArray longFile;
    for (int song = 0; longFile.size() <= 2 * FileLoadJob::firstScreenBytes; ++song)
        longFile += songLine(QByteArray::number(20000000 + song)) + "\r\n";
    const QString longPath = writeFile(u"long.txt"_qs, longFile);
    // The whole read stalls until the test lets it go; the first screen is read from the file.
    const auto released = std::make_shared<std::atomic<bool>>(false);
    m_window.findChild<FileLoadJob *>()->setReadFunction(
        [released](const QString &path, const ReadProgress &progress) {
            while (!*released && progress(50, 100))
                QThread::msleep(5);
            return readWholeFile(path);
        });
    m_dialogs.openAnswers.push_back(longPath);
    browseButton()->click();

    const auto *source = sourceView()->model();
    ASSERT_TRUE(QTest::qWaitFor([&] { return source->rowCount() > 3; }, 5000));
    EXPECT_EQ(source->index(0, 0).data().toString(), QString::fromLatin1(songLine("20000000")));
    EXPECT_FALSE(analyseButton()->isEnabled()) << "the whole file is not read yet";
    QTest::keyClick(&m_window, Qt::Key_Escape);
    *released = true;
    QTest::qWait(50);
    ASSERT_EQ(source->rowCount(), 3);
    EXPECT_EQ(
        source->index(0, 0).data().toString(), QString::fromLatin1(songLine("10000001", "Song A")));
    EXPECT_NE(searchFilePathLabel()->text(), QDir::toNativeSeparators(longPath));
    EXPECT_TRUE(analyseButton()->isEnabled()) << "the file before is still there to analyse";
}
