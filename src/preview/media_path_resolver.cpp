#include "preview/media_path_resolver.h"

#include <QDir>
#include <QFileInfo>

namespace {

bool isFile(const QString &path)
{
    return !path.isEmpty() && QFileInfo(path).isFile();
}

// The entry of folder whose name equals segment ignoring case; an exact match wins, and among
// several that differ only in case the first in name order, so the answer does not depend on
// the order the file system lists them in.
QString matchEntry(const QDir &folder, const QString &segment)
{
    if (QFileInfo::exists(folder.filePath(segment)))
        return segment;
    const QStringList entries = folder.entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &entry : entries) {
        if (entry.compare(segment, Qt::CaseInsensitive) == 0)
            return entry;
    }
    return {};
}

QString resolveIgnoringCase(const QString &path)
{
    const bool absolute = QDir::isAbsolutePath(path);
    QDir folder(absolute ? QDir::rootPath() : QDir::currentPath());
    const QStringList segments = QDir::fromNativeSeparators(path).split(u'/', Qt::SkipEmptyParts);
    for (qsizetype i = 0; i < segments.size(); ++i) {
        const QString &segment = segments.at(i);
        if (segment == u".")
            continue;
        if (segment == u"..") {
            if (!folder.cdUp())
                return {};
            continue;
        }
        const QString entry = matchEntry(folder, segment);
        if (entry.isEmpty())
            return {};
        const bool last = i == segments.size() - 1;
        if (last)
            return folder.filePath(entry);
        if (!folder.cd(entry))
            return {};
    }
    return {};
}

} // namespace

QString MediaPathResolver::resolve(const QString &address)
{
    if (isFile(address))
        return QFileInfo(address).absoluteFilePath();
    const QString separated = withPlatformSeparators(address);
    if (isFile(separated))
        return QFileInfo(separated).absoluteFilePath();
    const QString matched = resolveIgnoringCase(separated);
    return isFile(matched) ? QFileInfo(matched).absoluteFilePath() : QString();
}

QString MediaPathResolver::withPlatformSeparators(const QString &address)
{
    QString path = address;
    path.replace(u'\\', u'/');
    return QDir::toNativeSeparators(path);
}
