#include "core/workspace/consultationhistory.h"

#include "core/workspace/workspace.h"

ConsultationHistory::ConsultationHistory(Workspace& ws)
    : m_ws(ws)
{
    m_stack.setUndoLimit(MaxSteps);
}

void ConsultationHistory::begin()
{
    if (m_depth++ == 0)
        m_before = ConsultationSnapshot::capture(m_ws);
}

void ConsultationHistory::end(ConsultationStep::Kind kind, int mergeKey)
{
    // m_before is held exactly while a change is open.
    if (m_depth == 0 || --m_depth > 0)
        return;
    ConsultationSnapshot before = std::move(*m_before);
    m_before.reset();
    ConsultationSnapshot after = ConsultationSnapshot::capture(m_ws);
    if (after != before)
        m_stack.push(
            new ConsultationStep(m_ws, kind, std::move(before), std::move(after), mergeKey));
}

bool ConsultationHistory::undo()
{
    if (!canUndo())
        return false;
    m_stack.undo();
    return true;
}

bool ConsultationHistory::redo()
{
    if (!canRedo())
        return false;
    m_stack.redo();
    return true;
}

void ConsultationHistory::clear()
{
    m_stack.clear();
    m_depth = 0;
    m_before.reset();
}
