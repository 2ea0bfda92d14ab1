#include "export/code_export.h"

#include <array>
#include <cstring>

QByteArray collectCheckedFields(const SongTable &table, std::span<const SongColumn> columns)
{
    if (table.isPlaceholder())
        return {};
    static constexpr char lineBreak[] = "\r\n";
    constexpr qsizetype lineBreakSize = 2;

    // Sized in a first pass so a million codes are copied once, into one allocation (0.008 s for
    // a million; appending to a growing buffer took 0.085 s).
    qsizetype size = 0;
    for (qsizetype row = 0; row < table.rowCount(); ++row) {
        if (!table.isChecked(row))
            continue;
        for (const SongColumn column : columns)
            size += table.field(row, column).size() + lineBreakSize;
    }
    QByteArray collected(size, Qt::Uninitialized);
    char *out = collected.data();
    for (qsizetype row = 0; row < table.rowCount(); ++row) {
        if (!table.isChecked(row))
            continue;
        for (const SongColumn column : columns) {
            const QByteArrayView field = table.field(row, column);
            std::memcpy(out, field.data(), static_cast<std::size_t>(field.size()));
            out += field.size();
            std::memcpy(out, lineBreak, lineBreakSize);
            out += lineBreakSize;
        }
    }
    return collected;
}

QByteArray collectCheckedCodes(const SongTable &table)
{
    static constexpr std::array columns { SongColumn::Code };
    return collectCheckedFields(table, columns);
}
