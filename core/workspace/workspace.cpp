#include "core/workspace/workspace.h"

void PaneSlot::reset()
{
    for (QBracket& bracket : arBrackets)
        bracket.Release();
    arBrackets.clear();
    nSelected = -1;
    nHover = -1;
    nOpMode = OpNone;
    bOpModeOn = false;
    nDragOp = OpNone;
    nHoverPart = OpNone;
}

void Workspace::resetSlots()
{
    for (PaneSlot& slot : m_slot)
        slot.reset();
}

void Workspace::resetForNewPhoto()
{
    m_clip.Clear();
    m_bClipDefining = false;
    m_bClipEditing = false;
    m_bClipClosed = false;
    m_dZoom = 1.0;
    m_nBracketSerial = 0;
    resetSlots();
}
