#include "export/workbook_check.h"

#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QtEndian>

namespace {

constexpr quint32 endOfDirectorySignature = 0x06054b50;
constexpr quint32 zip64LocatorSignature = 0x07064b50;
constexpr quint32 zip64EndSignature = 0x06064b50;
constexpr quint32 directoryEntrySignature = 0x02014b50;
constexpr quint32 localHeaderSignature = 0x04034b50;
// The smallest row a sheet holds: `<row r="1" spans="1:6">` and its end tag.
constexpr qint64 minimumRowBytes = 30;

QString tr(const char *text)
{
    return QCoreApplication::translate("WorkbookCheck", text);
}

template <typename Value> Value readAt(QByteArrayView bytes, qsizetype at)
{
    return qFromLittleEndian<Value>(bytes.data() + at);
}

struct Directory
{
    qint64 offset = 0;
    qint64 size = 0;
    qint64 entries = 0;
};

// The central directory, as the end records give it; the size is 0 when they are missing.
Directory findDirectory(QFile &file)
{
    const qint64 tailSize = std::min<qint64>(file.size(), 22 + 0xFFFF + 20);
    if (!file.seek(file.size() - tailSize))
        return {};
    const QByteArray tail = file.read(tailSize);
    for (qsizetype at = tail.size() - 22; at >= 0; --at) {
        if (readAt<quint32>(tail, at) != endOfDirectorySignature)
            continue;
        Directory directory { readAt<quint32>(tail, at + 16), readAt<quint32>(tail, at + 12),
            readAt<quint16>(tail, at + 10) };
        if (at >= 20 && readAt<quint32>(tail, at - 20) == zip64LocatorSignature) {
            const qint64 recordOffset = qint64(readAt<quint64>(tail, at - 12));
            if (!file.seek(recordOffset))
                return {};
            const QByteArray record = file.read(56);
            if (record.size() < 56 || readAt<quint32>(record, 0) != zip64EndSignature)
                return {};
            directory = { qint64(readAt<quint64>(record, 48)), qint64(readAt<quint64>(record, 40)),
                qint64(readAt<quint64>(record, 32)) };
        }
        return directory;
    }
    return {};
}

// The uncompressed size of every part, by name; false when the directory is damaged.
bool readPartSizes(QFile &file, const Directory &directory, QHash<QByteArray, qint64> &sizes)
{
    if (directory.size <= 0 || !file.seek(directory.offset))
        return false;
    const QByteArray bytes = file.read(directory.size);
    if (bytes.size() != directory.size)
        return false;
    qsizetype at = 0;
    for (qint64 entry = 0; entry < directory.entries; ++entry) {
        if (at + 46 > bytes.size() || readAt<quint32>(bytes, at) != directoryEntrySignature)
            return false;
        qint64 size = readAt<quint32>(bytes, at + 24);
        const bool compressedIsLarge = readAt<quint32>(bytes, at + 20) == 0xFFFFFFFF;
        qint64 localOffset = readAt<quint32>(bytes, at + 42);
        const quint16 nameLength = readAt<quint16>(bytes, at + 28);
        const quint16 extraLength = readAt<quint16>(bytes, at + 30);
        const quint16 commentLength = readAt<quint16>(bytes, at + 32);
        if (at + 46 + nameLength + extraLength + commentLength > bytes.size())
            return false;
        const QByteArray name = bytes.sliced(at + 46, nameLength);
        // ZIP64 keeps the large values in an extra field, in this order, only those that are large.
        for (qsizetype extra = at + 46 + nameLength;
             extra + 4 <= at + 46 + nameLength + extraLength;) {
            const quint16 id = readAt<quint16>(bytes, extra);
            const quint16 length = readAt<quint16>(bytes, extra + 2);
            if (id == 0x0001) {
                qsizetype value = extra + 4;
                if (size == 0xFFFFFFFF && value + 8 <= extra + 4 + length) {
                    size = qint64(readAt<quint64>(bytes, value));
                    value += 8;
                }
                if (compressedIsLarge)
                    value += 8;
                if (localOffset == 0xFFFFFFFF && value + 8 <= extra + 4 + length)
                    localOffset = qint64(readAt<quint64>(bytes, value));
            }
            extra += 4 + length;
        }
        if (!file.seek(localOffset)
            || readAt<quint32>(file.read(4).leftJustified(4, 0), 0) != localHeaderSignature)
            return false;
        sizes.insert(name, size);
        at += 46 + nameLength + extraLength + commentLength;
    }
    return true;
}

} // namespace

QString checkWorkbookFile(const QString &path, std::span<const qsizetype> sheetRows)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString();
    QHash<QByteArray, qint64> sizes;
    if (!readPartSizes(file, findDirectory(file), sizes))
        return tr("写出的工作簿不完整");
    QList<QByteArray> required { "[Content_Types].xml", "_rels/.rels", "xl/workbook.xml",
        "xl/_rels/workbook.xml.rels" };
    for (std::size_t sheet = 0; sheet < sheetRows.size(); ++sheet) {
        const QByteArray name = "xl/worksheets/sheet" + QByteArray::number(sheet + 1) + ".xml";
        if (sizes.value(name) < sheetRows[sheet] * minimumRowBytes)
            return tr("写出的工作表 %1 不完整").arg(sheet + 1);
        required.append(name);
    }
    for (const QByteArray &part : std::as_const(required)) {
        if (sizes.value(part) <= 0)
            return tr("写出的工作簿缺少“%1”").arg(QString::fromLatin1(part));
    }
    return {};
}
