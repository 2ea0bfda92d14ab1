#include "ui/file_io.h"

#include "ui/memory_advice.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

FileReadResult readWholeFile(const QString &path)
{
    const QFileInfo info(path);
    if (info.isDir())
        return { {}, QCoreApplication::translate("FileIo", "这是一个文件夹，不是文件") };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return { {}, file.errorString() };
    QByteArray bytes(file.size(), Qt::Uninitialized);
    adviseHugePages(bytes.data(), static_cast<std::size_t>(bytes.size()));
    const qint64 read = file.read(bytes.data(), bytes.size());
    if (read < 0)
        return { {}, file.errorString() };
    bytes.truncate(read);
    // Files whose size is not known beforehand (pipes, /proc) or that grew meanwhile.
    bytes += file.readAll();
    if (file.error() != QFileDevice::NoError)
        return { {}, file.errorString() };
    return { std::move(bytes), {} };
}

QString writeFileAtomically(const QString &path, QByteArrayView bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (file.write(bytes.data(), bytes.size()) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return reason;
    }
    if (!file.commit())
        return file.errorString();
    return {};
}
