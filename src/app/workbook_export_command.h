#pragma once

#include <QObject>
#include <QString>

class Dialogs;
class ProgressStrip;
class QWidget;
class SongTableModel;
class WorkbookExportJob;

// The hidden command that writes every song to a workbook: asks where, writes in the background
// with the progress strip shown and its 取消, and says how it ended.
class WorkbookExportCommand : public QObject
{
    Q_OBJECT

public:
    WorkbookExportCommand(
        Dialogs &dialogs, QWidget *window, const SongTableModel *songs, ProgressStrip *progress);

    void start();
    void cancel();
    bool isRunning() const;

signals:
    // A word for the status text.
    void noted(const QString &note);
    void runningChanged();

private:
    void onFinished(const QString &error);

    Dialogs &m_dialogs;
    QWidget *m_window;
    const SongTableModel *m_songs;
    ProgressStrip *m_progress;
    WorkbookExportJob *m_job;
    QString m_path;
};
