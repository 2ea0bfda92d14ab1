#include "ui/core/native_path.h"

#include <QDir>

QString folderWithSeparator(const QString &folder)
{
    const QString native = QDir::toNativeSeparators(folder);
    // A root already ends with its separator.
    return native.endsWith(QDir::separator()) ? native : native + QDir::separator();
}
