#include "main_window_fixture.h"

#include "app/quit_signals.h"
#include "app/tick_recovery.h"
#include "support/child_process.h"

#include <QApplication>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <memory>

#include <sys/stat.h>

namespace {

// One run of the program on a state folder, as a fresh start has it: its own dialogs, state and
// window. Destroying it ends the run as a quit does.
class ProgramRun
{
public:
    explicit ProgramRun(const QString &stateFolder)
        : m_state(QDir(stateFolder).filePath(u"state.json"_qs))
    {
        m_state.load();
        m_window = std::make_unique<MainWindow>(
            dialogs, [this]() -> PlaybackEngine & { return m_engine; }, m_state);
    }

    MainWindow &window() const { return *m_window; }
    template <typename Child> Child *find(const char *name = nullptr) const
    {
        return name ? m_window->findChild<Child *>(QString::fromUtf8(name))
                    : m_window->findChild<Child *>();
    }
    SongTableModel *songs() const { return find<SongTableModel>(); }
    TickRecovery *recovery() const { return find<TickRecovery>(); }
    QString message() const { return find<MessageBar>("消息栏")->text(); }

    void browseAndAnalyse(const QString &path)
    {
        dialogs.openAnswers.push_back(path);
        find<QPushButton>("按钮2")->click();
        auto *load = find<FileLoadJob>();
        EXPECT_TRUE(QTest::qWaitFor([load] { return !load->isRunning(); }, 30000));
        find<QPushButton>("按钮1")->click();
        auto *document = find<SearchFileDocument>();
        EXPECT_TRUE(QTest::qWaitFor([document] { return !document->isAnalysing(); }, 30000));
    }
    void tick(std::initializer_list<int> rows)
    {
        for (const int row : rows)
            songs()->setData(songs()->index(row, 0), Qt::Checked, Qt::CheckStateRole);
    }
    std::vector<int> tickedRows() const
    {
        std::vector<int> rows;
        for (int row = 0; row < songs()->rowCount(); ++row)
            if (songs()->isTicked(row))
                rows.push_back(row);
        return rows;
    }
    // The file holds what the last change asked for; an offer, if any, was asked before.
    bool waitUntilSaved() const
    {
        return QTest::qWaitFor([this] { return recovery()->isSaved(); }, 30000);
    }
    // A change of ticks goes to the file only once the last run's recovery was read and offered.
    bool tickAndSave(int row)
    {
        tick({ row });
        return waitUntilSaved();
    }

    ScriptedDialogs dialogs;

private:
    ScriptedEngine m_engine;
    AppState m_state;
    std::unique_ptr<MainWindow> m_window;
};

const QString offerOfTwo = u"恢复上次未导出的 2 首勾选？"_qs;

QByteArray fiveSongs()
{
    QByteArray text;
    for (const char *code : { "10000001", "10000002", "10000003", "10000004", "10000005" })
        text += songLine(code) + "\r\n";
    return text;
}

// The child of the kill test: ticks rows 1 and 3 and says when they are kept, then waits.
int tickAndWaitToBeKilled(const QStringList &arguments)
{
    ProgramRun run(arguments.value(0));
    run.browseAndAnalyse(arguments.value(1));
    run.tick({ 1, 3 });
    if (!run.waitUntilSaved())
        return 1;
    std::printf("saved\n");
    std::fflush(stdout);
    return QCoreApplication::exec();
}
const bool killChildRegistered
    = registerChildRoutine(u"tick-and-wait-to-be-killed"_qs, &tickAndWaitToBeKilled);

// Runs the event loop as a modal question does, with a quit signal raised in it; what the loop
// returned, or 1 when the signal did not end it.
int quitDuringAModalLoop()
{
    QTimer failSafe;
    failSafe.setSingleShot(true);
    QObject::connect(&failSafe, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    failSafe.start(10000);
    QTimer::singleShot(0, [] { std::raise(SIGTERM); });
    return QCoreApplication::exec();
}

} // namespace

// Ticks not exported survive a crash, a kill or a quit and are offered at the next start.
class TickRecoveryTest : public testing::Test
{
protected:
    void SetUp() override { writeSearchFile(fiveSongs()); }
    QString writeSearchFile(const QByteArray &text) const
    {
        EXPECT_EQ(writeFileAtomically(m_searchFile, text), QString());
        return m_searchFile;
    }
    bool recoveryExists() const { return QFileInfo::exists(m_recoveryFile); }

    // A run that ticks rows 1 and 3 and ends without closing, as a quit ends it.
    void tickAndQuit()
    {
        ProgramRun run(m_dir.path());
        run.browseAndAnalyse(m_searchFile);
        run.tick({ 1, 3 });
    }
    // A fresh run analyses the file; true when it was offered nothing.
    bool offersNothing()
    {
        ProgramRun run(m_dir.path());
        run.browseAndAnalyse(m_searchFile);
        EXPECT_TRUE(run.tickAndSave(0));
        EXPECT_TRUE(run.dialogs.unscripted.isEmpty());
        return run.dialogs.questions.isEmpty();
    }

    QTemporaryDir m_dir;
    QString m_searchFile = m_dir.filePath(u"songs.txt"_qs);
    QString m_recoveryFile = TickRecovery::pathBeside(m_dir.filePath(u"state.json"_qs));
};

TEST_F(TickRecoveryTest, KilledAfterTickingTheNextStartOffersThemAndRestoresThemAsOneUndoStep)
{
    QProcess child;
    startChildRoutine(child, u"tick-and-wait-to-be-killed"_qs, { m_dir.path(), m_searchFile });
    QByteArray said;
    while (!said.contains("saved") && child.waitForReadyRead(30000))
        said += child.readAllStandardOutput();
    ASSERT_TRUE(said.contains("saved")) << said.toStdString();
    child.kill();
    ASSERT_TRUE(child.waitForFinished(30000));
    EXPECT_EQ(child.exitStatus(), QProcess::CrashExit);

    ProgramRun next(m_dir.path());
    next.dialogs.questionAnswers = { Dialogs::Answer::Yes };
    next.browseAndAnalyse(m_searchFile);
    EXPECT_TRUE(QTest::qWaitFor([&] { return next.tickedRows() == std::vector<int> { 1, 3 }; }));
    EXPECT_EQ(next.dialogs.questions, QStringList { offerOfTwo });
    EXPECT_EQ(next.message(), u"恢复勾选：勾选 2 首，0 个编码已不存在"_qs);
    next.find<QAction>("撤销勾选")->trigger();
    EXPECT_TRUE(next.tickedRows().empty()) << "one undo takes the restore back";
}

TEST_F(TickRecoveryTest, AnExportOrNoExportWhenClosingLeavesNothingToOffer)
{
    {
        ProgramRun run(m_dir.path());
        run.browseAndAnalyse(m_searchFile);
        ASSERT_TRUE(run.tickAndSave(1));
        EXPECT_TRUE(recoveryExists());
        run.dialogs.saveAnswers = { m_dir.filePath(u"codes.txt"_qs) };
        run.find<QPushButton>("按钮3")->click();
        ASSERT_TRUE(run.waitUntilSaved());
        EXPECT_FALSE(recoveryExists()) << "exported";

        ASSERT_TRUE(run.tickAndSave(2));
        EXPECT_TRUE(recoveryExists());
        run.dialogs.questionAnswers = { Dialogs::Answer::No };
        run.window().show();
        EXPECT_TRUE(run.window().close());
        ASSERT_TRUE(run.waitUntilSaved());
        EXPECT_FALSE(recoveryExists()) << "不导出";
    }
    EXPECT_TRUE(offersNothing());
}

TEST_F(TickRecoveryTest, IgnoreForgetsTheTicks)
{
    tickAndQuit();
    ASSERT_TRUE(recoveryExists()) << "a quit writes what was still to be written";
    {
        ProgramRun run(m_dir.path());
        run.dialogs.questionAnswers = { Dialogs::Answer::No };
        run.browseAndAnalyse(m_searchFile);
        ASSERT_TRUE(run.waitUntilSaved());
        EXPECT_EQ(run.dialogs.questions, QStringList { offerOfTwo });
        EXPECT_TRUE(run.tickedRows().empty());
        EXPECT_FALSE(recoveryExists());
    }
    EXPECT_TRUE(offersNothing());
}

TEST_F(TickRecoveryTest, ATornDamagedOrOtherRecoveryFileIsIgnoredAndNeverStopsTheStart)
{
    tickAndQuit();
    const QByteArray whole = readWholeFile(m_recoveryFile).bytes;
    ASSERT_FALSE(whole.isEmpty());
    QByteArray damaged = whole;
    damaged[damaged.size() / 2] = char(damaged[damaged.size() / 2] ^ 1);
    for (const QByteArray &bad :
        { whole.first(whole.size() - 3), damaged, QByteArray(), QByteArray("{\"window\": {}}") }) {
        ASSERT_EQ(writeFileAtomically(m_recoveryFile, bad), QString());
        EXPECT_TRUE(offersNothing());
    }
    ASSERT_TRUE(QFile::remove(m_recoveryFile));
    ASSERT_EQ(mkfifo(QFile::encodeName(m_recoveryFile).constData(), 0600), 0);
    ProgramRun run(m_dir.path());
    run.browseAndAnalyse(m_searchFile);
    run.tick({ 0 });
    EXPECT_TRUE(QTest::qWaitFor([&] { return run.message().contains(u"恢复副本"_qs); }))
        << "a FIFO is neither read nor written over, and that is said: "
        << run.message().toStdString();
    EXPECT_TRUE(run.dialogs.questions.isEmpty());
}

TEST_F(TickRecoveryTest, AnotherFileOfTheSameNameAndSizeIsOfferedNothing)
{
    tickAndQuit();
    QByteArray other = fiveSongs();
    other.replace("10000004", "10000009");
    writeSearchFile(other);
    EXPECT_TRUE(offersNothing());
}

TEST_F(TickRecoveryTest, SigtermDuringTheCloseQuestionQuitsAndTheNextStartOffersTheTicks)
{
    {
        ProgramRun run(m_dir.path());
        run.browseAndAnalyse(m_searchFile);
        run.tick({ 1, 3 });
        const QuitSignals quitSignals;
        int loopEnd = -1;
        run.dialogs.whileAsking = [&](const QString &) { loopEnd = quitDuringAModalLoop(); };
        run.window().show();
        EXPECT_FALSE(run.window().close());
        EXPECT_EQ(run.dialogs.questions.size(), 1);
        EXPECT_EQ(loopEnd, 0) << "the quit signal ended the question's loop, and every other";
        EXPECT_TRUE(QuitSignals::isQuitting());
    }
    ProgramRun next(m_dir.path());
    next.dialogs.questionAnswers = { Dialogs::Answer::Yes };
    next.browseAndAnalyse(m_searchFile);
    EXPECT_TRUE(QTest::qWaitFor([&] { return next.tickedRows() == std::vector<int> { 1, 3 }; }));
    EXPECT_EQ(next.dialogs.questions, QStringList { offerOfTwo });
}

TEST_F(TickRecoveryTest, SigtermDuringTheRestoreQuestionKeepsTheTicksForTheNextStart)
{
    tickAndQuit();
    {
        ProgramRun run(m_dir.path());
        const QuitSignals quitSignals;
        int loopEnd = -1;
        run.dialogs.whileAsking = [&](const QString &) { loopEnd = quitDuringAModalLoop(); };
        run.dialogs.questionAnswers = { Dialogs::Answer::Cancel }; // what a quit answers
        run.browseAndAnalyse(m_searchFile);
        ASSERT_TRUE(QTest::qWaitFor([&] { return loopEnd >= 0; }));
        EXPECT_EQ(loopEnd, 0);
        ASSERT_TRUE(run.waitUntilSaved());
        EXPECT_TRUE(run.tickedRows().empty());
    }
    ProgramRun next(m_dir.path());
    next.dialogs.questionAnswers = { Dialogs::Answer::Yes };
    next.browseAndAnalyse(m_searchFile);
    EXPECT_TRUE(QTest::qWaitFor([&] { return next.tickedRows() == std::vector<int> { 1, 3 }; }));
}
