#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// A written workbook read back through unzip, the way a spreadsheet program sees its text.
struct WorkbookContent
{
    // Why the file is not a readable workbook; empty when it is.
    QString error;
    // The rows of each sheet in order, each row padded to the asked column count.
    std::vector<std::vector<QStringList>> sheets;
    // The width set for each column of each sheet (0: the default), indexed from column A.
    std::vector<std::vector<double>> columnWidths;
    // Cells stored as numbers or anything else but text.
    int nonTextCells = 0;
};

WorkbookContent readWorkbook(const QString &path, int columnCount = 6);
