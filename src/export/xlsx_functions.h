#pragma once

#include <QString>
#include <QStringList>

#include <xlsxwriter.h>

// The libxlsxwriter calls the workbook writer makes, as one table. The program loads the library
// (and the libcrypto and minizip it pulls in: 1.7 MiB resident at start) only when it first
// writes a workbook, through a module of its own; tests and benchmarks link it.
struct XlsxFunctions
{
    decltype(&workbook_new_opt) newWorkbook;
    decltype(&workbook_add_worksheet) addWorksheet;
    decltype(&worksheet_write_string) writeString;
    decltype(&worksheet_set_column) setColumn;
    decltype(&workbook_close) closeWorkbook;
    decltype(&lxw_workbook_free) freeWorkbook;
    decltype(&lxw_strerror) errorText;
};

// The table, or nothing with the reason in `error`. A program links one of the two ways to find
// it: lanshan_xlsx_loader (the module, loaded once) or lanshan_xlsx_linked (the library).
const XlsxFunctions *xlsxFunctions(QString *error);

// The table from the first of `modulePaths` that loads, or nothing with the reason in `error`.
const XlsxFunctions *loadXlsxFunctions(const QStringList &modulePaths, QString *error);

// The table of the library this is linked with.
const XlsxFunctions &linkedXlsxFunctions();
