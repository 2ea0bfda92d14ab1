#pragma once

#include "export/workbook_writer.h"

#include <QString>

#include <functional>

class SongTable;

// Told the rows written so far every few thousand rows and after the last one; returning false
// cancels the export.
using WorkbookProgress = std::function<bool(qsizetype rowsWritten, qsizetype rowCount)>;

// Writes every row of the table, ticked or not, into an .xlsx workbook
// from its first row on: columns A to F hold the six fields as shown (without line break), decoded
// from GBK and written as text so that codes keep their leading zeros. Rows beyond a sheet continue
// on the next one. Returns the reason on failure or cancellation, empty on success; on failure
// nothing new is left under `path` and a file already there stays whole.
QString writeSongWorkbook(const SongTable &table, const QString &path,
    const WorkbookProgress &progress = {}, qsizetype rowsPerSheet = WorkbookWriter::maxSheetRows);
