#include "songs/carried_ticks.h"

#include <string_view>
#include <unordered_map>

namespace {

std::string_view codeOf(const SongTable &table, qsizetype row)
{
    const QByteArrayView code = table.field(row, SongColumn::Code);
    return { code.data(), static_cast<std::size_t>(code.size()) };
}

} // namespace

CarriedTicks carryTicksByCode(const SongTable &from, SongTable &to)
{
    // Each ticked code, with whether the new table still has it.
    std::unordered_map<std::string_view, bool> tickedCodes;
    for (qsizetype row = 0; row < from.rowCount(); ++row) {
        if (from.isChecked(row))
            tickedCodes.emplace(codeOf(from, row), false);
    }
    CarriedTicks carried;
    if (tickedCodes.empty())
        return carried;
    for (qsizetype row = 0; row < to.rowCount(); ++row) {
        const auto found = tickedCodes.find(codeOf(to, row));
        if (found == tickedCodes.end())
            continue;
        found->second = true;
        to.setChecked(row, true);
        ++carried.keptRows;
    }
    for (qsizetype row = 0; row < from.rowCount(); ++row) {
        if (from.isChecked(row) && !tickedCodes.at(codeOf(from, row)))
            ++carried.droppedRows;
    }
    return carried;
}
