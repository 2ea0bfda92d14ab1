#include "export/workbook_export_job.h"

#include "songs/song_table.h"

#include <QPromise>
#include <QtConcurrent/QtConcurrentRun>

namespace {

// Writing the rows is two fifths to a half of the work; compressing them into the file reports
// nothing, so the bar holds there until the file is saved.
constexpr int rowsShareOfWork = 45;

} // namespace

WorkbookExportJob::WorkbookExportJob(QObject *parent)
    : WorkbookExportJob(
        [](const SongTable &table, const QString &path, const WorkbookProgress &progress) {
            return writeSongWorkbook(table, path, progress);
        },
        parent)
{
}

WorkbookExportJob::WorkbookExportJob(WriteFunction write, QObject *parent)
    : QObject(parent)
    , m_write(std::move(write))
{
    connect(&m_watcher, &QFutureWatcherBase::progressValueChanged, this,
        &WorkbookExportJob::progressChanged);
    connect(&m_watcher, &QFutureWatcherBase::finished, this, &WorkbookExportJob::onWriterDone);
}

WorkbookExportJob::~WorkbookExportJob()
{
    m_watcher.disconnect();
    cancel();
    m_watcher.waitForFinished();
}

bool WorkbookExportJob::start(std::shared_ptr<const SongTable> table, const QString &path)
{
    if (isRunning())
        return false;
    m_running = true;
    m_cancelled = false;
    // Its own flag rather than the future's cancel, which would drop the writer's last word.
    m_cancelRequested = std::make_shared<std::atomic<bool>>(false);
    m_watcher.setFuture(
        QtConcurrent::run([write = m_write, table = std::move(table), path,
                              stop = m_cancelRequested](QPromise<QString> &promise) {
            promise.setProgressRange(0, 100);
            promise.addResult(
                write(*table, path, [&promise, &stop](qsizetype rowsWritten, qsizetype rowCount) {
                    if (stop->load())
                        return false;
                    promise.setProgressValue(rowCount == 0
                            ? rowsShareOfWork
                            : static_cast<int>(
                                qint64(rowsWritten) * rowsShareOfWork / qint64(rowCount)));
                    return true;
                }));
        }));
    emit progressChanged(0);
    return true;
}

void WorkbookExportJob::cancel()
{
    if (m_cancelRequested)
        m_cancelRequested->store(true);
}

void WorkbookExportJob::onWriterDone()
{
    m_running = false;
    const QString error = m_watcher.future().result();
    m_cancelled = !error.isEmpty() && m_cancelRequested->load();
    if (error.isEmpty())
        emit progressChanged(100);
    emit finished(error);
}
