#include "ui/core/file_load_job.h"

#include <algorithm>

namespace {

// Never deleted: deleting a pool waits for its threads, and a read stalled on a share that
// stopped answering would then hold up quitting. A dropped stalled read keeps its thread.
QThreadPool &loadPool()
{
    static QThreadPool *const pool = [] {
        auto *created = new QThreadPool;
        created->setMaxThreadCount(16);
        return created;
    }();
    return *pool;
}

template <typename Part>
void load(QPromise<Part> &promise, const QString &path, const FileLoadJob::ReadFunction &read,
    const std::atomic<bool> &stop)
{
    promise.setProgressRange(0, 100);
    // Read on its own, the start shows while the whole file is read into its buffer.
    const FileReadResult start = readFileStart(path, FileLoadJob::firstScreenBytes);
    if (start.ok() && start.bytes.size() == FileLoadJob::firstScreenBytes) {
        const qsizetype lastLineEnd
            = std::max(start.bytes.lastIndexOf('\n'), start.bytes.lastIndexOf('\r'));
        if (lastLineEnd >= 0) {
            QByteArray screen = start.bytes.first(lastLineEnd + 1);
            const TextEncoding encoding = detectTextEncoding(screen);
            promise.addResult(Part { false, std::move(screen), {}, encoding });
        }
    }
    FileReadResult result = read(path, [&promise, &stop](qint64 bytesRead, qint64 fileSize) {
        promise.setProgressValue(fileSize > 0 ? static_cast<int>(bytesRead * 100 / fileSize) : 0);
        return !stop.load();
    });
    if (stop.load())
        return;
    const TextEncoding encoding
        = result.ok() ? detectTextEncoding(result.bytes) : TextEncoding::Gbk;
    promise.addResult(Part { true, std::move(result.bytes), std::move(result.error), encoding });
}

} // namespace

FileLoadJob::FileLoadJob(qint64 maxSize, QObject *parent)
    : QObject(parent)
    , m_read([maxSize](const QString &path, const ReadProgress &progress) {
        return readWholeFile(path, maxSize, progress);
    })
{
    m_progressTimer.setInterval(50);
    connect(&m_progressTimer, &QTimer::timeout, this, &FileLoadJob::onProgressTimer);
}

FileLoadJob::~FileLoadJob()
{
    drop();
}

void FileLoadJob::start(const QString &path)
{
    cancel();
    m_path = path;
    m_elapsed.start();
    m_progressTimer.start();
    LatestJob<Part>::Reports reports;
    reports.each = [this](const Part &part) { onFirstScreenRead(part); };
    reports.pool = &loadPool();
    m_job.start([path, read = m_read](QPromise<Part> &promise,
                    const std::atomic<bool> &stop) { load(promise, path, read, stop); },
        [this](const Part &whole) { onWholeRead(whole); }, std::move(reports));
}

void FileLoadJob::cancel()
{
    const bool withdraw = m_firstScreenShown;
    drop();
    if (withdraw)
        emit firstScreenWithdrawn();
}

void FileLoadJob::drop()
{
    m_firstScreenShown = false;
    m_progressTimer.stop();
    m_job.cancel();
}

void FileLoadJob::onProgressTimer()
{
    if (m_job.isRunning() && m_elapsed.elapsed() >= progressDelayMs)
        emit progressChanged(m_job.progressValue());
}

void FileLoadJob::onFirstScreenRead(const Part &part)
{
    if (part.whole)
        return;
    m_firstScreenShown = true;
    emit firstScreenRead(part.bytes, part.encoding);
}

void FileLoadJob::onWholeRead(const Part &part)
{
    const bool withdraw = m_firstScreenShown && !part.error.isEmpty();
    drop();
    if (withdraw)
        emit firstScreenWithdrawn();
    if (part.error.isEmpty())
        emit loaded(m_path, part.bytes, part.encoding);
    else
        emit failed(m_path, part.error);
}
