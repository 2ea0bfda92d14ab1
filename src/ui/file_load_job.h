#pragma once

#include "ui/file_io.h"
#include "ui/text_encoding.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>

// Reads a file on a worker thread, so that a slow disk or a stalled network share never freezes
// the window, and chooses its encoding there too. A read that takes longer than progressDelayMs
// reports its progress. A cancelled or superseded read is dropped at once: its worker is left
// to end on its own (a stalled read cannot be interrupted) and its result is never delivered.
class FileLoadJob : public QObject
{
    Q_OBJECT

public:
    using ReadFunction
        = std::function<FileReadResult(const QString &path, const ReadProgress &progress)>;
    static constexpr int progressDelayMs = 300;

    // Files larger than `maxSize` are refused before they are read.
    explicit FileLoadJob(qint64 maxSize, QObject *parent = nullptr);
    ~FileLoadJob() override;

    // Stands in for the file system, for tests that need a read to take its time.
    void setReadFunction(ReadFunction read) { m_read = std::move(read); }

    // Starts reading `path`; a read still running is dropped.
    void start(const QString &path);
    // Drops the running read; nothing is signalled for it.
    void cancel();
    bool isRunning() const { return m_current != nullptr; }

signals:
    // 0 to 100, only once the read has taken longer than progressDelayMs.
    void progressChanged(int percent);
    void loaded(const QString &path, const QByteArray &bytes, TextEncoding encoding);
    void failed(const QString &path, const QString &reason);

private:
    struct Request;

    void onProgressTimer();
    void onReadDone(const std::shared_ptr<Request> &request, const QString &path,
        const FileReadResult &result, TextEncoding encoding);

    ReadFunction m_read;
    std::shared_ptr<Request> m_current;
    QTimer m_progressTimer;
    QElapsedTimer m_elapsed;
};
