#include "export/workbook_export_job.h"

#include "songs/song_table.h"

#include <QThread>

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
    m_cancelRequested = true;
    if (m_thread)
        m_thread->wait();
}

bool WorkbookExportJob::start(const SongTable &table, const QString &path)
{
    if (m_thread)
        return false;
    m_cancelRequested = false;
    m_cancelled = false;
    m_lastPercent = 0;
    m_thread.reset(QThread::create([this, table, path] {
        const QString error
            = m_write(table, path, [this](qsizetype rowsWritten, qsizetype rowCount) {
                  if (m_cancelRequested)
                      return false;
                  reportProgress(rowsWritten, rowCount);
                  return true;
              });
        QMetaObject::invokeMethod(
            this, [this, error] { onWriterDone(error); }, Qt::QueuedConnection);
    }));
    m_thread->start();
    emit progressChanged(0);
    return true;
}

void WorkbookExportJob::cancel()
{
    m_cancelRequested = true;
}

void WorkbookExportJob::reportProgress(qsizetype rowsWritten, qsizetype rowCount)
{
    const int percent = rowCount == 0
        ? rowsShareOfWork
        : static_cast<int>(qint64(rowsWritten) * rowsShareOfWork / qint64(rowCount));
    if (percent <= m_lastPercent)
        return;
    m_lastPercent = percent;
    QMetaObject::invokeMethod(
        this, [this, percent] { emit progressChanged(percent); }, Qt::QueuedConnection);
}

void WorkbookExportJob::onWriterDone(const QString &error)
{
    m_thread->wait();
    m_thread.reset();
    m_cancelled = !error.isEmpty() && m_cancelRequested;
    if (error.isEmpty())
        emit progressChanged(100);
    emit finished(error);
}
