#include "ui/core/profile_file.h"

#include "ui/core/file_io.h"

#include <QFile>

#include <optional>

namespace {

struct Line
{
    qsizetype begin; // first byte of the line
    qsizetype end; // one past the last byte before CR LF
    qsizetype next; // first byte of the following line
};

Line lineAt(const QByteArray &bytes, qsizetype begin)
{
    qsizetype newline = bytes.indexOf('\n', begin);
    const qsizetype next = newline < 0 ? bytes.size() : newline + 1;
    qsizetype end = newline < 0 ? bytes.size() : newline;
    if (end > begin && bytes[end - 1] == '\r')
        --end;
    return { begin, end, next };
}

// Windows profile files compare section and key names without regard to ASCII case.
bool sameName(QByteArrayView a, QByteArrayView b)
{
    return a.trimmed().compare(b.trimmed(), Qt::CaseInsensitive) == 0;
}

std::optional<QByteArrayView> sectionName(QByteArrayView line)
{
    line = line.trimmed();
    if (!line.startsWith('['))
        return std::nullopt;
    const qsizetype close = line.indexOf(']');
    if (close < 0)
        return std::nullopt;
    return line.sliced(1, close - 1);
}

// Where a key's line is, or where a new key of the section goes.
struct Location
{
    bool sectionFound = false;
    std::optional<Line> keyLine;
    qsizetype insertAt = 0; // after the section's last non-empty line
};

Location locate(const QByteArray &bytes, QByteArrayView section, QByteArrayView key)
{
    Location location;
    bool inSection = false;
    for (qsizetype begin = 0; begin < bytes.size();) {
        const Line line = lineAt(bytes, begin);
        const QByteArrayView text(bytes.constData() + line.begin, line.end - line.begin);
        if (const auto name = sectionName(text)) {
            if (location.sectionFound && inSection)
                break;
            inSection = sameName(*name, section);
            if (inSection) {
                location.sectionFound = true;
                location.insertAt = line.next;
            }
        } else if (inSection) {
            const qsizetype equals = text.indexOf('=');
            if (equals >= 0 && sameName(text.first(equals), key)) {
                location.keyLine = line;
                return location;
            }
            if (!text.trimmed().isEmpty())
                location.insertAt = line.next;
        }
        begin = line.next;
    }
    return location;
}

} // namespace

ProfileFile::ProfileFile(QString path)
    : m_path(std::move(path))
{
}

QByteArray ProfileFile::value(QByteArrayView section, QByteArrayView key) const
{
    QFile file(m_path);
    // A FIFO would block the start and a device would never end.
    if (!notOrdinaryFileReason(m_path).isEmpty() || !file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    const Location location = locate(bytes, section, key);
    if (!location.keyLine)
        return {};
    const Line line = *location.keyLine;
    const QByteArrayView text(bytes.constData() + line.begin, line.end - line.begin);
    return text.sliced(text.indexOf('=') + 1).trimmed().toByteArray();
}

QString ProfileFile::setValue(
    QByteArrayView section, QByteArrayView key, QByteArrayView value) const
{
    QByteArray bytes;
    if (QFile::exists(m_path)) {
        FileReadResult read = readWholeFile(m_path);
        if (!read.ok())
            return read.error;
        bytes = std::move(read.bytes);
    }
    const QByteArray entry = key.toByteArray() + '=' + value.toByteArray();
    const Location location = locate(bytes, section, key);
    if (location.keyLine) {
        const Line line = *location.keyLine;
        bytes.replace(line.begin, line.end - line.begin, entry);
    } else if (location.sectionFound) {
        qsizetype at = location.insertAt;
        QByteArray insertion = entry + "\r\n";
        // A section whose last line has no line break needs one before the new key.
        if (at == bytes.size() && !bytes.isEmpty() && !bytes.endsWith('\n'))
            insertion.prepend("\r\n");
        bytes.insert(at, insertion);
    } else {
        if (!bytes.isEmpty() && !bytes.endsWith('\n'))
            bytes += "\r\n";
        bytes += '[' + section.toByteArray() + "]\r\n" + entry + "\r\n";
    }
    return writeFileAtomically(m_path, bytes);
}
