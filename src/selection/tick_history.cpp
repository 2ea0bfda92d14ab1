#include "selection/tick_history.h"

void TickHistory::record(std::vector<std::uint32_t> flippedRows)
{
    if (flippedRows.empty())
        return;
    m_steps.erase(m_steps.begin() + static_cast<std::ptrdiff_t>(m_done), m_steps.end());
    m_steps.push_back(std::move(flippedRows));
    if (m_steps.size() > maxSteps)
        m_steps.pop_front();
    m_done = m_steps.size();
}

const std::vector<std::uint32_t> *TickHistory::undo()
{
    if (!canUndo())
        return nullptr;
    return &m_steps[--m_done];
}

const std::vector<std::uint32_t> *TickHistory::redo()
{
    if (!canRedo())
        return nullptr;
    return &m_steps[m_done++];
}

void TickHistory::clear()
{
    m_steps.clear();
    m_done = 0;
}
