#include "core/commands/commandrules.h"

#include "core/commands/commandids.h"
#include "core/workspace/workspace.h"

CommandState CommandRules::evaluate(int id, const Workspace& ws, const CommandContext& context)
{
    const bool photo = ws.hasPhoto();
    const int slot = context.activeSlot;
    const PaneSlot* active
        = slot >= 0 && slot < Workspace::SlotCount ? &ws.m_slot[size_t(slot)] : nullptr;
    const bool sel = active && active->nSelected != -1;
    // Entry count of the clip: the outline points plus the trailing entry.
    const int points = ws.m_clip.GetCount();
    const bool paneChoice = photo && !ws.m_bClipEditing && ws.m_bClipClosed;
    const bool picked = ws.m_bClipClosed && ws.m_nClipPoint != -1;

    auto rule = [](bool enabled, bool checked = false) {
        return CommandState { enabled, checked, true };
    };
    switch (id) {
    case Cmd::ZoomIn:
    case Cmd::ZoomOut:
    case Cmd::Zoom25:
    case Cmd::Zoom50:
    case Cmd::Zoom75:
    case Cmd::Zoom100:
    case Cmd::Zoom200:
    case Cmd::Zoom300:
    case Cmd::Zoom400:
        return rule(photo);
    case Cmd::FitSize:
        return rule(photo, ws.m_bFitSize);
    case Cmd::Panes1:
        return rule(paneChoice, ws.m_nPaneCount == 1);
    case Cmd::Panes2:
        return rule(paneChoice, ws.m_nPaneCount == 2);
    case Cmd::Panes4:
        return rule(paneChoice, ws.m_nPaneCount == 4);
    case Cmd::NextImage:
        return rule(ws.m_nPaneCount < 4 && ws.m_nWorkSlot < 3 && paneChoice);
    case Cmd::PrevImage:
        return rule(ws.m_nPaneCount < 4 && ws.m_nWorkSlot > 1 && paneChoice);
    case Cmd::ModeScale:
        return rule(sel, sel && active->nOpMode == OpScale);
    case Cmd::ModeMove:
        return rule(sel, sel && active->nOpMode == OpMove);
    case Cmd::ModeRotate:
        return rule(sel, sel && active->nOpMode == OpRotate);
    case Cmd::BracketDelete:
    case Cmd::Brightness:
    case Cmd::ColorBalance:
        return rule(sel);
    case Cmd::ShowInfo:
        return rule(ws.m_bClipClosed, ws.m_bShowInfo);
    case Cmd::ClipDefine:
        return rule(photo, ws.m_bClipDefining);
    case Cmd::ClipOk:
        return rule(ws.m_bClipEditing && points > 3);
    case Cmd::ClipClose:
        return rule(!ws.m_bClipClosed && points > 3);
    case Cmd::BracketView:
        return rule(true, context.bracketBarVisible);
    case Cmd::BracketTool:
        return rule(true, ws.m_bBracketToolShown);
    case Cmd::GalleryEdit:
    case Cmd::GalleryDelete:
        return rule(context.listHasSelection);
    case Cmd::GalleryAdd:
        return rule(true);
    // The clip point commands of the pane, and the context menu's own variants.
    case Cmd::ClipDeleteLastPoint:
        return rule(ws.m_bClipEditing && points > 1);
    case Cmd::MenuClipDeleteLastPoint:
        return rule(points >= 2);
    case Cmd::ClipDelete:
        return rule(ws.m_bClipEditing && points > 0);
    case Cmd::MenuClipDelete:
        return rule(points >= 1);
    case Cmd::ClipDuplicatePoint:
    case Cmd::ClipDeletePoint:
        return rule(picked);
    case Cmd::MenuClipClose:
        return rule(!ws.m_bClipClosed && points > 3);
    case Cmd::MenuClipOk:
        return rule(ws.m_bClipEditing && points > 3);
    case Cmd::RegisterPhoto:
        return rule(context.patientFileExists);
    case Cmd::ViewStatusBar:
        return rule(true, context.statusBarVisible);
    default:
        return {};
    }
}
