#pragma once

#include "export/song_workbook.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>

class QThread;

// Writes a song workbook on a worker thread, so the window stays responsive while a large table
// is written. The job works on its own copy of the table; its signals arrive on the thread that
// created it. Dropping a running job cancels the export and waits for the worker to stop.
class WorkbookExportJob : public QObject
{
    Q_OBJECT

public:
    using WriteFunction = std::function<QString(
        const SongTable &table, const QString &path, const WorkbookProgress &progress)>;

    explicit WorkbookExportJob(QObject *parent = nullptr);
    // `write` stands in for writeSongWorkbook, for tests that need to hold the worker.
    explicit WorkbookExportJob(WriteFunction write, QObject *parent = nullptr);
    ~WorkbookExportJob() override;

    // False, and nothing started, while an export is still running.
    bool start(const SongTable &table, const QString &path);
    // Stops the running export at its next progress report; finished() still follows.
    void cancel();
    bool isRunning() const { return m_thread != nullptr; }
    // Whether the last finished export ended because it was cancelled.
    bool wasCancelled() const { return m_cancelled; }

signals:
    // 0 to 100; 100 only once the workbook is saved under its name.
    void progressChanged(int percent);
    // The reason on failure or cancellation, empty on success.
    void finished(const QString &error);

private:
    void reportProgress(qsizetype rowsWritten, qsizetype rowCount);
    void onWriterDone(const QString &error);

    WriteFunction m_write;
    std::unique_ptr<QThread> m_thread;
    std::atomic<bool> m_cancelRequested = false;
    std::atomic<int> m_lastPercent = -1;
    bool m_cancelled = false;
};
