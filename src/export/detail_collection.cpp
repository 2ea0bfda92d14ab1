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
