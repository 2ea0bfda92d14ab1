#include "selection/random_selection.h"

#include <algorithm>
#include <bit>
#include <cstdint>

namespace {

// The rows drawn so far. A pick of a good share of the table marks them in a bitmap of the table,
// the smallest choice then; a few rows from a big table go into an open-addressing hash set
// sized for the pick, at most half full so probes stay short. Either way memory is bounded by a
// small multiple of the count.
class PickedRows
{
public:
    PickedRows(qsizetype rowCount, qsizetype count)
    {
        const auto bitmapWords = static_cast<std::size_t>(rowCount / 64 + 1);
        const std::size_t slotCount = std::bit_ceil(static_cast<std::size_t>(count) * 2);
        if (bitmapWords * 2 <= slotCount) {
            m_bitmap.assign(bitmapWords, 0);
        } else {
            m_slots.assign(slotCount, emptySlot);
            m_shift = 64 - std::countr_zero(slotCount);
        }
    }

    // False when the row was there already.
    bool insert(qsizetype row)
    {
        if (!m_bitmap.empty()) {
            std::uint64_t &word = m_bitmap[static_cast<std::size_t>(row / 64)];
            const std::uint64_t bit = std::uint64_t(1) << (row % 64);
            const bool added = !(word & bit);
            word |= bit;
            return added;
        }
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
    std::vector<std::uint64_t> m_bitmap;
    std::vector<qsizetype> m_slots;
    int m_shift = 0;
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
    PickedRows picked(rowCount, count);
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
