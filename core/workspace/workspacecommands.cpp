#include "core/workspace/workspacecommands.h"

#include "core/workspace/workspace.h"

namespace {
void closeClip(Workspace& ws)
{
    ws.m_clip.BuildClosedCurve();
    ws.m_bClipClosed = true;
    ws.m_bClipDefining = false;
}
} // namespace

void WorkspaceCommands::zoomIn(Workspace& ws)
{
    // A value just under 6.0 can step past it; the next zoom in pulls it back.
    if (ws.m_dZoom > 6.0)
        ws.m_dZoom = 6.0;
    if (ws.m_dZoom < 6.0)
        ws.m_dZoom += 0.25;
    ws.m_bFitSize = false;
}

void WorkspaceCommands::zoomOut(Workspace& ws)
{
    if (ws.m_dZoom > 0.25)
        ws.m_dZoom -= 0.25;
    if (ws.m_dZoom < 0.25)
        ws.m_dZoom = 0.25;
    ws.m_bFitSize = false;
}

void WorkspaceCommands::setZoom(Workspace& ws, double zoom)
{
    ws.m_dZoom = zoom;
    ws.m_bFitSize = false;
}

void WorkspaceCommands::toggleOpMode(Workspace& ws, int slot, int op)
{
    const PaneSlot& current = ws.m_slot[size_t(slot)];
    const bool off = current.bOpModeOn && current.nOpMode == op;
    for (PaneSlot& s : ws.m_slot) {
        s.bOpModeOn = !off;
        s.nOpMode = off ? OpNone : op;
    }
}

bool WorkspaceCommands::deleteSelected(Workspace& ws, int slot)
{
    if (ws.m_bClipDefining || slot < 0 || slot >= Workspace::SlotCount)
        return false;
    PaneSlot& s = ws.m_slot[size_t(slot)];
    if (s.nSelected < 0 || s.nSelected >= int(s.arBrackets.size()))
        return false;
    s.arBrackets[size_t(s.nSelected)].Release();
    s.arBrackets.erase(s.arBrackets.begin() + s.nSelected);
    s.nSelected = -1;
    return true;
}

bool WorkspaceCommands::toggleClipDefinition(Workspace& ws)
{
    ws.m_bClipDefining = !ws.m_bClipDefining;
    ws.m_clip.Clear();
    ws.m_bClipClosed = false;
    if (ws.m_bClipDefining) {
        // A new outline invalidates every placement made inside the old one.
        ws.resetSlots();
        ws.m_bClipEditing = true;
    } else {
        ws.m_bClipEditing = false;
    }
    return ws.m_bClipDefining;
}

bool WorkspaceCommands::clipDefinitionDiscardsBrackets(const Workspace& ws)
{
    if (ws.m_bClipDefining)
        return false;
    for (const PaneSlot& s : ws.m_slot)
        if (!s.arBrackets.empty())
            return true;
    return false;
}

bool WorkspaceCommands::endClipEditing(Workspace& ws)
{
    if (!ws.m_bClipEditing)
        return false;
    if (!ws.m_bClipClosed && ws.m_clip.GetCount() > 2)
        closeClip(ws);
    ws.m_bClipEditing = false;
    return true;
}

bool WorkspaceCommands::closeClipCurve(Workspace& ws)
{
    if (!ws.m_bClipDefining)
        return false;
    if (ws.m_clip.GetCount() > 2)
        closeClip(ws);
    return true;
}

bool WorkspaceCommands::replaceOnDoubleClick(Workspace& ws, int slot, const QString& picturePath,
    bool output, int listIndex, const QString& name)
{
    if (slot < 0 || slot >= Workspace::SlotCount)
        return false;
    PaneSlot& s = ws.m_slot[size_t(slot)];
    const int n = int(s.arBrackets.size());
    if (n == 0)
        return false;
    if (n == 1)
        s.nSelected = 0;
    const int target = s.nSelected == -1 ? n - 1 : s.nSelected;
    if (s.nSelected >= 0 && target < n) {
        QBracket& bracket = s.arBrackets[size_t(target)];
        if (bracket.ReplaceImage(picturePath)) {
            bracket.SetOutputAndName(output, QString());
            bracket.SetListItem(listIndex);
            bracket.SetName(name);
        }
    }
    s.nSelected = target;
    return true;
}
