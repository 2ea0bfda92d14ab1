#pragma once

#include "app/main_window.h"
#include "app/song_table_view.h"
#include "preview/scripted_engine.h"
#include "songs/search_file_document.h"
#include "songs/shown_songs_model.h"
#include "songs/song_table_model.h"
#include "ui/core/app_state.h"
#include "ui/core/file_io.h"
#include "ui/core/file_load_job.h"
#include "ui/widgets/message_bar.h"
#include "ui/widgets/scripted_dialogs.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
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

    // The controls by what they are; the names are the system's own.
    QPushButton *browseButton() const { return control<QPushButton>("按钮2"); }
    QPushButton *analyseButton() const { return control<QPushButton>("按钮1"); }
    QPushButton *songFolderButton() const { return control<QPushButton>("按钮9"); }
    QPushButton *randomPickButton() const { return control<QPushButton>("按钮6"); }
    QPushButton *exportCodesButton() const { return control<QPushButton>("按钮3"); }
    QPushButton *aboutButton() const { return control<QPushButton>("按钮8"); }
    QCheckBox *checkAllBox() const { return control<QCheckBox>("选择框1"); }
    QLineEdit *randomCountField() const { return control<QLineEdit>("编辑框3"); }
    QLabel *songCountLabel() const { return control<QLabel>("标签4"); }
    QLabel *searchFilePathLabel() const { return control<QLabel>("标签1"); }
    QLabel *songFolderLabel() const { return control<QLabel>("标签7"); }
    QAbstractItemView *sourceView() const { return control<QAbstractItemView>("编辑框1"); }
    SongTableView *songTable() const { return control<SongTableView>("超级列表框1"); }
    QLineEdit *findField() const { return control<QLineEdit>("查找"); }
    QCheckBox *onlyTickedBox() const { return control<QCheckBox>("只看已选"); }
    QString status() const { return control<QLabel>("查找状态")->text(); }
    // What the message bar shows, or nothing while it is hidden.
    QString message() const
    {
        auto *bar = control<MessageBar>("消息栏");
        return bar->isVisibleTo(&m_window) ? bar->text() : QString();
    }
    QProgressBar *workbookProgressBar() const { return control<QProgressBar>("渐变进度条1"); }
    QAction *playSelectedAction() const { return control<QAction>("播放选中项"); }
    QAction *copyCodesAction() const { return control<QAction>("按钮5"); }
    QAction *copyDetailsAction() const { return control<QAction>("按钮7"); }
    QAction *exportWorkbookAction() const { return control<QAction>("按钮4"); }

    // Shortcuts need an active window.
    bool showActive()
    {
        m_window.show();
        m_window.activateWindow();
        return QTest::qWaitForWindowActive(&m_window);
    }

    QString writeFile(const QString &name, const QByteArray &bytes) const
    {
        const QString path = m_dir.filePath(name);
        EXPECT_EQ(writeFileAtomically(path, bytes), QString());
        return path;
    }

    void browse(const QString &path)
    {
        m_dialogs.openAnswers.push_back(path);
        browseButton()->click();
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
        analyseButton()->click();
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
