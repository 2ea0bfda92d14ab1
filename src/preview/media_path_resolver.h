#pragma once

#include <QString>

// Search files come from Windows KTV systems: their paths use backslashes and were written for a
// case-insensitive file system. Finds the file meant by such an address here.
class MediaPathResolver
{
public:
    // The existing file meant by address, or an empty text when there is none. Tries the address
    // as written, then with backslashes as folder separators, then matches each segment
    // case-insensitively in its folder.
    static QString resolve(const QString &address);

    // The address with backslashes turned into this platform's separator, as it is looked for.
    static QString withPlatformSeparators(const QString &address);
};
