#pragma once

#include "app/main_window.h"
#include "app/song_table_view.h"
#include "preview/scripted_engine.h"
#include "songs/search_file_document.h"
#include "songs/shown_songs_model.h"
#include "songs/song_table_model.h"
#include "ui/app_state.h"
#include "ui/file_io.h"
#include "ui/file_load_job.h"
#include "ui/scripted_dialogs.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

// The real main window, driven offscreen: controls are found by their names and every question
// is answered by the scripted dialogs.
class MainWindowTest : public testing::Test
{
protected:
    template <typename Control> Control *control(const char *name) const
    {
        auto *found = m_window.findChild<Control *>(QString::fromUtf8(name));
        if (!found)
            ADD_FAILURE() << "no control named " << name;
        return found;
    }

    void click(const char *name) { control<QPushButton>(name)->click(); }
    void trigger(const char *name) { control<QAction>(name)->trigger(); }
    QString text(const char *name) const { return control<QLabel>(name)->text(); }

    QString writeFile(const QString &name, const QByteArray &bytes) const
    {
        const QString path = m_dir.filePath(name);
        EXPECT_EQ(writeFileAtomically(path, bytes), QString());
        return path;
    }

    void browse(const QString &path)
    {
        m_dialogs.openAnswers.push_back(path);
        click("按钮2");
        waitUntilRead();
    }

    // The file is read in the background.
    void waitUntilRead()
    {
        auto *job = m_window.findChild<FileLoadJob *>();
        EXPECT_TRUE(QTest::qWaitFor([job] { return !job->isRunning(); }, 30000));
    }

    // Analyse runs in the background; the table shows when it is done.
    void analyse()
    {
        click("按钮1");
        auto *document = m_window.findChild<SearchFileDocument *>();
        EXPECT_TRUE(QTest::qWaitFor([document] { return !document->isAnalysing(); }, 30000));
    }

    void browseAndAnalyse(const QByteArray &searchFile)
    {
        browse(writeFile(u"songs.txt"_qs, searchFile));
        analyse();
    }

    // Until the shown songs follow the last query, filter or sort.
    void waitUntilShown()
    {
        auto *shown = m_window.findChild<ShownSongsModel *>();
        EXPECT_TRUE(QTest::qWaitFor([shown] { return !shown->isBusy(); }, 30000));
    }

    SongTableModel *songModel() const { return m_window.findChild<SongTableModel *>(); }

    void setChecked(int row, bool checked)
    {
        songModel()->setData(
            songModel()->index(row, 0), checked ? Qt::Checked : Qt::Unchecked, Qt::CheckStateRole);
    }

    std::vector<int> checkedRows() const
    {
        std::vector<int> rows;
        for (int row = 0; row < songModel()->rowCount(); ++row)
            if (songModel()->isTicked(row))
                rows.push_back(row);
        return rows;
    }

    QTemporaryDir m_dir;
    AppState m_state { m_dir.filePath(u"state.json"_qs) };
    ScriptedDialogs m_dialogs;
    ScriptedEngine m_engine;
    int m_engineRequests = 0;
    MainWindow m_window { m_dialogs,
        [this]() -> PlaybackEngine & {
            ++m_engineRequests;
            return m_engine;
        },
        m_state };
};

// Nine fields: x, code, path, name, x, x, category, language, singer.
inline QByteArray songLine(
    const QByteArray &code, const QByteArray &name = "Song", const QByteArray &path = "a\\001.mpg")
{
    return "x||" + code + "||" + path + "||" + name + "||x||x||Pop||Mandarin||Singer";
}

inline QByteArray threeSongs()
{
    return songLine("10000001", "Song A") + "\r\n" + songLine("10000002", "Song B") + "\r\n"
        + songLine("10000003", "Song C");
}
