#include "ui/core/file_io.h"

#include "ui/core/memory_advice.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>

#include <algorithm>

namespace {

// Small enough that a cancel or a progress report waits for little, large enough to cost nothing.
constexpr qint64 chunkSize = qint64(8) << 20;

QString tr(const char *text)
{
    return QCoreApplication::translate("FileIo", text);
}

QString tooLargeReason(qint64 size, qint64 maxSize)
{
    return tr("文件有 %1 字节，超过了能分析的 %2 字节（4 GB），未读取")
        .arg(QLocale::system().toString(size), QLocale::system().toString(maxSize));
}

} // namespace

QString notOrdinaryFileReason(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists() || info.isFile())
        return {};
    if (info.isDir())
        return tr("这是一个文件夹，不是文件");
    return tr("这不是普通文件（而是设备、管道或套接字）");
}

FileReadResult readWholeFile(const QString &path, qint64 maxSize, const ReadProgress &progress)
{
    if (QString reason = notOrdinaryFileReason(path); !reason.isEmpty())
        return { {}, std::move(reason) };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return { {}, file.errorString() };
    const qint64 size = file.size();
    if (maxSize >= 0 && size > maxSize)
        return { {}, tooLargeReason(size, maxSize) };
    QByteArray bytes(size, Qt::Uninitialized);
    adviseHugePages(bytes.data(), static_cast<std::size_t>(bytes.size()));
    qint64 done = 0;
    while (done < size) {
        if (progress && !progress(done, size))
            return { {}, tr("读取已取消"), true };
        const qint64 read = file.read(bytes.data() + done, std::min(chunkSize, size - done));
        if (read < 0)
            return { {}, file.errorString() };
        if (read == 0)
            break;
        done += read;
    }
    bytes.truncate(done);
    // Files whose size is not known beforehand (/proc) or that grew meanwhile.
    bytes += file.readAll();
    if (file.error() != QFileDevice::NoError)
        return { {}, file.errorString() };
    if (maxSize >= 0 && bytes.size() > maxSize)
        return { {}, tooLargeReason(bytes.size(), maxSize) };
    if (progress)
        progress(bytes.size(), size);
    return { std::move(bytes), {} };
}

FileReadResult readFileStart(const QString &path, qint64 maxBytes)
{
    if (QString reason = notOrdinaryFileReason(path); !reason.isEmpty())
        return { {}, std::move(reason) };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return { {}, file.errorString() };
    QByteArray bytes = file.read(maxBytes);
    if (file.error() != QFileDevice::NoError)
        return { {}, file.errorString() };
    return { std::move(bytes), {} };
}

QString writeFileAtomically(const QString &path, QByteArrayView bytes)
{
    return writeFileAtomically(path, [bytes](QIODevice &file) {
        return file.write(bytes.data(), bytes.size()) == bytes.size();
    });
}

QString writeFileAtomically(const QString &path, const std::function<bool(QIODevice &)> &write)
{
    if (QString reason = notOrdinaryFileReason(path); !reason.isEmpty())
        return reason;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (!write(file)) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return reason;
    }
    if (!file.commit())
        return file.errorString();
    return {};
}
