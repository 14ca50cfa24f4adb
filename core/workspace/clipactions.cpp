#include "core/workspace/clipactions.h"

#include "core/workspace/workspace.h"
#include "core/workspace/workspacecommands.h"

void ClipActions::press(Workspace& ws, QPoint p, double zoom)
{
    if (ws.m_bClipDefining)
        ws.m_clip.AddPoint(p.x(), p.y(), zoom);
    else
        ws.m_clip.PickPoint(p.x(), p.y(), zoom);
}

void ClipActions::move(Workspace& ws, QPoint p)
{
    if (ws.m_bClipDefining)
        ws.m_clip.DragPoint(p.x(), p.y());
    else
        ws.m_clip.DragClosedPoint(p.x(), p.y());
}

void ClipActions::release(Workspace& ws, QPoint p, double zoom)
{
    ws.m_clip.EndDrag();
    // Points are picked for duplication or deletion only on a closed outline.
    if (ws.m_bClipClosed)
        ws.m_nClipPoint = ws.m_clip.HitTestPoint(p.x(), p.y(), zoom);
}

void ClipActions::deleteClip(Workspace& ws)
{
    ws.m_clip.Clear();
    ws.m_nClipPoint = -1;
    ws.m_bClipDefining = true;
    ws.m_bClipEditing = true;
    ws.m_bClipClosed = false;
}

void ClipActions::deleteLastPoint(Workspace& ws)
{
    ws.m_clip.DeleteLastPoint(ws.m_bClipClosed);
    if (ws.m_clip.GetCount() == 1)
        deleteClip(ws);
}

void ClipActions::duplicatePickedPoint(Workspace& ws)
{
    if (ws.m_nClipPoint != -1)
        ws.m_clip.DuplicatePoint(ws.m_nClipPoint, true);
    ws.m_nClipPoint = -1;
}

void ClipActions::deletePickedPoint(Workspace& ws)
{
    if (ws.m_nClipPoint != -1) {
        if (ws.m_clip.GetCount() > 2)
            ws.m_clip.DeletePoint(ws.m_nClipPoint, true);
        else
            deleteClip(ws);
    }
    ws.m_nClipPoint = -1;
}

bool ClipActions::closeCurve(Workspace& ws) { return WorkspaceCommands::closeClipCurve(ws); }

bool ClipActions::ok(Workspace& ws) { return WorkspaceCommands::endClipEditing(ws); }
