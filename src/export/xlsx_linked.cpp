#include "export/xlsx_functions.h"

const XlsxFunctions *xlsxFunctions(QString *)
{
    return &linkedXlsxFunctions();
}
