#include "selection/random_selection.h"

#include <algorithm>
#include <bit>
#include <cstdint>

namespace {

// Open addressing with linear probing, sized for a known number of rows: at most half full, so
// probes stay short, and no rehashing.
class PickedRows
{
public:
    explicit PickedRows(qsizetype capacity)
        : m_slots(std::bit_ceil(static_cast<std::size_t>(capacity) * 2), emptySlot)
        , m_shift(64 - std::countr_zero(m_slots.size()))
    {
    }

    // False when the row was there already.
    bool insert(qsizetype row)
    {
        const std::size_t mask = m_slots.size() - 1;
        std::size_t slot = (static_cast<std::uint64_t>(row) * 0x9E3779B97F4A7C15ull) >> m_shift;
        while (m_slots[slot] != emptySlot) {
            if (m_slots[slot] == row)
                return false;
            slot = (slot + 1) & mask;
        }
        m_slots[slot] = row;
        return true;
    }

private:
    static constexpr qsizetype emptySlot = -1;
    std::vector<qsizetype> m_slots;
    int m_shift;
};

} // namespace

std::vector<qsizetype> pickDistinctRows(
    qsizetype rowCount, qsizetype count, QRandomGenerator &random)
{
    count = std::min(count, rowCount);
    if (count <= 0)
        return {};

    // Floyd's sampling: each step draws from a range one larger, and a repeat takes the new top
    // row, which no earlier step could have drawn. Every subset comes out equally likely.
    PickedRows picked(count);
    std::vector<qsizetype> rows;
    rows.reserve(static_cast<std::size_t>(count));
    for (qsizetype top = rowCount - count; top < rowCount; ++top) {
        const auto drawn = static_cast<qsizetype>(random.bounded(static_cast<quint64>(top) + 1));
        if (picked.insert(drawn)) {
            rows.push_back(drawn);
        } else {
            picked.insert(top);
            rows.push_back(top);
        }
    }
    return rows;
}
