#include "export/detail_collection.h"

#include "songs/song_table.h"

QByteArray collectCheckedDetails(const SongTable &table)
{
    QByteArray details;
    const qsizetype rowCount = table.rowCount();
    for (qsizetype row = 0; row < rowCount; ++row) {
        if (!table.isChecked(row))
            continue;
        for (int column = 0; column < songColumnCount; ++column)
            details += table.cell(row, static_cast<SongColumn>(column));
    }
    return details;
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
