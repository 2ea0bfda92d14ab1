#include "export/workbook_export_job.h"

#include "songs/song_table.h"

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
}

WorkbookExportJob::~WorkbookExportJob()
{
    // The writer removes what it had begun before the program goes on.
    m_job.cancelAndWait();
}

bool WorkbookExportJob::start(std::shared_ptr<const SongTable> table, const QString &path)
{
    if (isRunning())
        return false;
    m_cancelRequested = false;
    m_cancelled = false;
    LatestJob<QString>::Reports reports;
    reports.progress = [this](int percent) { emit progressChanged(percent); };
    // Cancelled through the stop flag alone, so the writer's last word still arrives.
    m_job.start(
        [write = m_write, table = std::move(table), path](
            QPromise<QString> &promise, const std::atomic<bool> &stop) {
            promise.setProgressRange(0, 100);
            promise.addResult(
                write(*table, path, [&promise, &stop](qsizetype rowsWritten, qsizetype rowCount) {
                    if (stop.load())
                        return false;
                    promise.setProgressValue(rowCount == 0
                            ? rowsShareOfWork
                            : static_cast<int>(
                                qint64(rowsWritten) * rowsShareOfWork / qint64(rowCount)));
                    return true;
                }));
        },
        [this](const QString &error) { onWriterDone(error); }, std::move(reports));
    emit progressChanged(0);
    return true;
}

void WorkbookExportJob::cancel()
{
    m_cancelRequested = isRunning();
    m_job.requestStop();
}

void WorkbookExportJob::onWriterDone(const QString &error)
{
    m_cancelled = !error.isEmpty() && m_cancelRequested;
    if (error.isEmpty())
        emit progressChanged(100);
    emit finished(error);
}
