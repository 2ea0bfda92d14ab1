#include "export/xlsx_functions.h"

// The one entry point of the workbook module; the program resolves it when it first writes a
// workbook.
extern "C" Q_DECL_EXPORT const XlsxFunctions *lanshanXlsxFunctions()
{
    return &linkedXlsxFunctions();
}
