#pragma once

#include <QString>

// A folder in this platform's form followed by exactly one separator ("/home/k/songs/", "/"):
// the song folder that a song's relative path is appended to.
QString folderWithSeparator(const QString &folder);
