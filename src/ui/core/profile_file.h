#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// An INI file of 8-bit text with CR LF lines, read and written one key at a time. A write
// changes only the line of that key (or adds it, its section, or the file) and keeps every
// other byte of the file as it was.
class ProfileFile
{
public:
    explicit ProfileFile(QString path);

    // A missing file, section or key reads as the empty text, as does a path that is not an
    // ordinary file, which is never written over either.
    QByteArray value(QByteArrayView section, QByteArrayView key) const;
    // Returns the reason on failure, an empty text on success.
    QString setValue(QByteArrayView section, QByteArrayView key, QByteArrayView value) const;

    const QString &path() const { return m_path; }

private:
    QString m_path;
};
