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

CarriedTicks carryTicksByCode(
    const SongTable &from, const TickMarks &fromTicks, const SongTable &to)
{
    CarriedTicks carried { TickMarks(to.rowCount()) };
    // Each ticked code, with whether the new table still has it.
    std::unordered_map<std::string_view, bool> tickedCodes;
    fromTicks.forEachTicked([&](qsizetype row) { tickedCodes.emplace(codeOf(from, row), false); });
    if (tickedCodes.empty())
        return carried;
    for (qsizetype row = 0; row < to.rowCount(); ++row) {
        const auto found = tickedCodes.find(codeOf(to, row));
        if (found == tickedCodes.end())
            continue;
        found->second = true;
        carried.ticks.set(row, true);
        ++carried.keptRows;
    }
    fromTicks.forEachTicked([&](qsizetype row) {
        if (!tickedCodes.at(codeOf(from, row)))
            ++carried.droppedRows;
    });
    return carried;
}
