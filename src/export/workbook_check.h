#pragma once

#include <QString>

#include <span>

// Checks a finished workbook before it replaces anything: a complete ZIP whose central directory
// lists the package's parts, none of them empty, and a sheet part per entry of `sheetRows` large
// enough for its rows. A full disk under libxlsxwriter's scratch files leaves exactly such empty
// or short parts without any error from the library. Returns the reason, empty when sound.
QString checkWorkbookFile(const QString &path, std::span<const qsizetype> sheetRows);
