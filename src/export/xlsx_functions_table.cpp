#include "export/xlsx_functions.h"

const XlsxFunctions &linkedXlsxFunctions()
{
    static constexpr XlsxFunctions functions { &workbook_new_opt, &workbook_add_worksheet,
        &worksheet_write_string, &worksheet_set_column, &workbook_close, &lxw_workbook_free,
        &lxw_strerror };
    return functions;
}
