#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QIODevice>
#include <QString>

#include <functional>

// Whole-file reads and atomic writes. Failures carry a reason the user can be shown.
struct FileReadResult
{
    QByteArray bytes;
    QString error; // empty when the read succeeded
    bool cancelled = false;
    bool ok() const { return error.isEmpty(); }
};

// Told the bytes read so far and the file's size between chunks; returning false cancels.
using ReadProgress = std::function<bool(qint64 bytesRead, qint64 fileSize)>;

// Reads only an ordinary file (or a link to one): a FIFO would block, a device never ends. A
// file larger than `maxSize` (when not negative) is refused before anything is read.
FileReadResult readWholeFile(
    const QString &path, qint64 maxSize = -1, const ReadProgress &progress = {});

// The first `maxBytes` of an ordinary file (fewer when it is shorter), with the same checks.
FileReadResult readFileStart(const QString &path, qint64 maxBytes);

// Empty when nothing stands at `path` or an ordinary file (or a link to one) does; otherwise why
// it may be neither read nor written over.
QString notOrdinaryFileReason(const QString &path);

// Writes through a temporary file that replaces the target only when complete, so a failure
// leaves an existing file whole. A target that is not an ordinary file is refused: the rename
// would replace a device node or a FIFO. Returns the reason on failure, empty on success.
QString writeFileAtomically(const QString &path, QByteArrayView bytes);
// The same with the bytes written by `write`, which returns false when a write to the file
// failed; the file's error is then the reason.
QString writeFileAtomically(const QString &path, const std::function<bool(QIODevice &)> &write);
