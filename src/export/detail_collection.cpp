#include "export/detail_collection.h"

#include "export/code_export.h"

#include <array>

QByteArray collectCheckedDetails(const SongTable &table)
{
    static constexpr std::array columns { SongColumn::Code, SongColumn::Name, SongColumn::Singer,
        SongColumn::Category, SongColumn::Language, SongColumn::FilePath };
    static_assert(columns.size() == songColumnCount);
    return collectCheckedFields(table, columns);
}

QByteArray checkedRowsAsTabSeparatedLines(const SongTable &table)
{
    QByteArray lines;
    for (qsizetype row = 0; row < table.rowCount(); ++row) {
        if (!table.isChecked(row))
            continue;
        for (int column = 0; column < songColumnCount; ++column) {
            lines += table.field(row, static_cast<SongColumn>(column));
            lines += column + 1 < songColumnCount ? "\t" : "\r\n";
        }
    }
    return lines;
}
