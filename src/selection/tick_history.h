#pragma once

#include <cstdint>
#include <deque>
#include <vector>

// The last changes of check marks, each kept as the rows it flipped: a step costs 4 bytes per
// changed row, never a copy of every mark. Undoing or redoing a step flips the same rows again.
class TickHistory
{
public:
    static constexpr std::size_t maxSteps = 50;

    // A new change; the steps that were undone are gone. An empty change is no step.
    void record(std::vector<std::uint32_t> flippedRows);
    // The rows to flip to undo (or redo) one step, or nullptr when there is none.
    const std::vector<std::uint32_t> *undo();
    const std::vector<std::uint32_t> *redo();
    bool canUndo() const { return m_done > 0; }
    bool canRedo() const { return m_done < m_steps.size(); }
    void clear();

private:
    std::deque<std::vector<std::uint32_t>> m_steps;
    std::size_t m_done = 0; // steps before this index are applied
};
