#include "ui/file_load_job.h"

#include <atomic>
#include <mutex>
#include <thread>

struct FileLoadJob::Request
{
    std::atomic<bool> dropped = false;
    std::atomic<qint64> bytesRead = 0;
    std::atomic<qint64> fileSize = 0;
    std::mutex ownerMutex;
    FileLoadJob *owner = nullptr; // null once dropped; guarded by ownerMutex
};

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
    cancel();
}

void FileLoadJob::start(const QString &path)
{
    cancel();
    auto request = std::make_shared<Request>();
    request->owner = this;
    m_current = request;
    m_elapsed.start();
    m_progressTimer.start();
    std::thread([request, path, read = m_read] {
        auto result = std::make_shared<FileReadResult>(
            read(path, [&request](qint64 bytesRead, qint64 fileSize) {
                request->bytesRead = bytesRead;
                request->fileSize = fileSize;
                return !request->dropped;
            }));
        const TextEncoding encoding
            = result->ok() ? detectTextEncoding(result->bytes) : TextEncoding::Gbk;
        // Held while posting, so the owner cannot go away in between.
        const std::lock_guard lock(request->ownerMutex);
        if (FileLoadJob *owner = request->owner)
            QMetaObject::invokeMethod(
                owner,
                [owner, request, path, result, encoding] {
                    owner->onReadDone(request, path, *result, encoding);
                },
                Qt::QueuedConnection);
    }).detach();
}

void FileLoadJob::cancel()
{
    if (!m_current)
        return;
    m_current->dropped = true;
    {
        const std::lock_guard lock(m_current->ownerMutex);
        m_current->owner = nullptr;
    }
    m_current.reset();
    m_progressTimer.stop();
}

void FileLoadJob::onProgressTimer()
{
    if (!m_current || m_elapsed.elapsed() < progressDelayMs)
        return;
    const qint64 size = m_current->fileSize;
    emit progressChanged(size > 0 ? static_cast<int>(m_current->bytesRead * 100 / size) : 0);
}

void FileLoadJob::onReadDone(const std::shared_ptr<Request> &request, const QString &path,
    const FileReadResult &result, TextEncoding encoding)
{
    if (request != m_current)
        return;
    m_current.reset();
    m_progressTimer.stop();
    if (result.ok())
        emit loaded(path, result.bytes, encoding);
    else
        emit failed(path, result.error);
}
