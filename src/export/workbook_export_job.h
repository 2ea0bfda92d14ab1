#pragma once

#include "export/song_workbook.h"
#include "ui/core/latest_job.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

// Writes a song workbook in the background, so the window stays responsive while a large table
// is written. The job shares the table, which does not change; its signals arrive on the thread
// that created it. Dropping a running job cancels the export and waits for the writer to remove
// what it had begun.
class WorkbookExportJob : public QObject
{
    Q_OBJECT

public:
    using WriteFunction = std::function<QString(
        const SongTable &table, const QString &path, const WorkbookProgress &progress)>;

    explicit WorkbookExportJob(QObject *parent = nullptr);
    // `write` stands in for writeSongWorkbook, for tests that need to hold the writer.
    explicit WorkbookExportJob(WriteFunction write, QObject *parent = nullptr);
    ~WorkbookExportJob() override;

    // False, and nothing started, while an export is still running.
    bool start(std::shared_ptr<const SongTable> table, const QString &path);
    // Stops the running export at its next progress report; finished() still follows.
    void cancel();
    bool isRunning() const { return m_job.isRunning(); }
    // Whether the last finished export ended because it was cancelled.
    bool wasCancelled() const { return m_cancelled; }

signals:
    // 0 to 100; 100 only once the workbook is saved under its name.
    void progressChanged(int percent);
    // The reason on failure or cancellation, empty on success.
    void finished(const QString &error);

private:
    void onWriterDone(const QString &error);

    WriteFunction m_write;
    LatestJob<QString> m_job { this };
    bool m_cancelRequested = false;
    bool m_cancelled = false;
};
