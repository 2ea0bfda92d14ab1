#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Whole-file reads and atomic writes. Failures carry a reason the user can be shown.
struct FileReadResult
{
    QByteArray bytes;
    QString error; // empty when the read succeeded
    bool ok() const { return error.isEmpty(); }
};

FileReadResult readWholeFile(const QString &path);

// Writes through a temporary file that replaces the target only when complete, so a failure
// leaves an existing file whole. Returns the reason on failure, an empty text on success.
QString writeFileAtomically(const QString &path, QByteArrayView bytes);
