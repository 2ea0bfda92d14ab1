#pragma once

#include "ui/core/file_io.h"
#include "ui/core/latest_job.h"
#include "ui/core/text_encoding.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <functional>

// Reads a file on a worker thread, so that a slow disk or a stalled network share never freezes
// the window, and chooses its encoding there too. The first screen of lines is handed out as soon
// as it is read, before the rest. A read that takes longer than progressDelayMs reports its
// progress. A cancelled or superseded read is dropped at once: its worker is left to end on its
// own (a stalled read cannot be interrupted) and its result is never delivered.
class FileLoadJob : public QObject
{
    Q_OBJECT

public:
    using ReadFunction
        = std::function<FileReadResult(const QString &path, const ReadProgress &progress)>;
    static constexpr int progressDelayMs = 300;
    // Whole lines from this much of a file's start, several screens of a view, make its first
    // screen; a shorter file is only read whole.
    static constexpr qint64 firstScreenBytes = 64 * 1024;

    // Files larger than `maxSize` are refused before they are read.
    explicit FileLoadJob(qint64 maxSize, QObject *parent = nullptr);
    ~FileLoadJob() override;

    // Stands in for the file system's whole read, for tests that need a read to take its time.
    void setReadFunction(ReadFunction read) { m_read = std::move(read); }

    // Starts reading `path`; a read still running is dropped.
    void start(const QString &path);
    // Drops the running read; of it, only firstScreenWithdrawn can still be signalled.
    void cancel();
    bool isRunning() const { return m_job.isRunning(); }

signals:
    // 0 to 100, only once the read has taken longer than progressDelayMs.
    void progressChanged(int percent);
    // The whole lines at the start of the file being read, with the encoding they suggest.
    void firstScreenRead(const QByteArray &bytes, TextEncoding encoding);
    // The read whose first screen was handed out failed or was dropped: show what was there.
    void firstScreenWithdrawn();
    void loaded(const QString &path, const QByteArray &bytes, TextEncoding encoding);
    void failed(const QString &path, const QString &reason);

private:
    // The first screen, or the whole file (or why it could not be read).
    struct Part
    {
        bool whole = false;
        QByteArray bytes;
        QString error;
        TextEncoding encoding = TextEncoding::Gbk;
    };

    void drop();
    void onProgressTimer();
    void onFirstScreenRead(const Part &part);
    void onWholeRead(const Part &part);

    ReadFunction m_read;
    LatestJob<Part> m_job { this };
    QString m_path;
    bool m_firstScreenShown = false;
    QTimer m_progressTimer;
    QElapsedTimer m_elapsed;
};
