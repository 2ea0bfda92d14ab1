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
