#include "core/workspace/bracketactions.h"

#include "core/workspace/workspace.h"

namespace {

bool validIndex(const PaneSlot& s, int index)
{
    return index >= 0 && index < int(s.arBrackets.size());
}

} // namespace

QPoint BracketActions::clipCentre(const Workspace& ws)
{
    const QRect bounds = ws.m_clip.GetPath().boundingRect().toAlignedRect();
    return QPoint(bounds.x() + bounds.width() / 2, bounds.y() + bounds.height() / 2);
}

bool BracketActions::clipEnclosesNothing(const Workspace& ws)
{
    // The entry count includes the trailing entry after the fixed points.
    return ws.m_bClipClosed && ws.m_clip.GetCount() < 4;
}

BracketActions::PasteResult BracketActions::paste(Workspace& ws, int slot, int listIndex,
    const QString& picturePath, QPoint photo, const QString& name, int sideFlag, bool* closedNow)
{
    *closedNow = false;
    if (!ws.hasPhoto())
        return PasteResult::NoPhoto;
    if (ws.m_bClipDefining && ws.m_clip.GetCount() > 2) {
        ws.m_clip.BuildClosedCurve();
        ws.m_bClipClosed = true;
        ws.m_bClipDefining = false;
        *closedNow = true;
    }
    if (!ws.m_bClipClosed)
        return PasteResult::NoClip;
    ws.m_bClipEditing = false;

    PaneSlot& s = ws.m_slot[size_t(slot)];
    if (s.arBrackets.empty()) {
        QBracket bracket;
        // A picture that vanished from the gallery adds nothing rather than an
        // empty bracket the clinician could not see or grab.
        if (!bracket.Init(ws.m_nBracketSerial, listIndex, picturePath, photo.x(), photo.y(), name,
                sideFlag != 0))
            return PasteResult::PictureMissing;
        ++ws.m_nBracketSerial;
        const QPoint centre = clipCentre(ws);
        bracket.CenterAt(centre.x(), centre.y());
        bracket.UpdateFrames();
        s.arBrackets.push_back(std::move(bracket));
        s.arBrackets.back().SetSelected(true);
        return PasteResult::Created;
    }
    QBracket& first = s.arBrackets.front();
    if (!first.ReplaceImage(picturePath))
        return PasteResult::PictureMissing;
    first.SetOutputAndName(sideFlag != 0, QString());
    first.SetListItem(listIndex);
    first.SetName(name);
    return PasteResult::Replaced;
}

std::optional<Qt::CursorShape> BracketActions::move(
    Workspace& ws, int slot, QPoint p, bool ctrl, bool leftDown, double zoom)
{
    PaneSlot& s = ws.m_slot[size_t(slot)];
    const int sel = s.nSelected;
    std::optional<Qt::CursorShape> cursor;
    if (leftDown) {
        if (validIndex(s, sel))
            cursor = s.arBrackets[size_t(sel)].Drag(p.x(), p.y(), s.nDragOp);
        return cursor;
    }
    if (ctrl) {
        // With Ctrl only the selected bracket is hovered, and its body scales.
        s.nHover = sel;
        if (validIndex(s, sel)) {
            QBracket& selected = s.arBrackets[size_t(sel)];
            const BracketOp part = selected.HitTest(p.x(), p.y(), true, &cursor, zoom);
            if (part != OpNone)
                s.nHoverPart = part;
            selected.SetSelected(true);
        }
        return cursor;
    }
    s.nHover = -1;
    for (int i = int(s.arBrackets.size()) - 1; i >= 0; --i) {
        const BracketOp part = s.arBrackets[size_t(i)].HitTest(p.x(), p.y(), false, &cursor, zoom);
        if (part != OpNone) {
            s.nHoverPart = part;
            s.nHover = i;
            for (int j = int(s.arBrackets.size()) - 1; j >= 0; --j)
                s.arBrackets[size_t(j)].SetSelected(false);
            break;
        }
    }
    if (validIndex(s, sel))
        s.arBrackets[size_t(sel)].SetSelected(true);
    return cursor;
}

bool BracketActions::press(Workspace& ws, int slot, QPoint p, double zoom)
{
    PaneSlot& s = ws.m_slot[size_t(slot)];
    const int old = s.nSelected;
    s.nSelected = s.nHover;
    if (validIndex(s, old))
        s.arBrackets[size_t(old)].SetSelected(false);
    if (!validIndex(s, s.nSelected)) {
        // A hover index left past the end by a removal selects nothing.
        s.nSelected = -1;
        return false;
    }
    QBracket& selected = s.arBrackets[size_t(s.nSelected)];
    if (s.bOpModeOn) {
        // The chosen operation applies wherever on the bracket the press lands.
        s.nDragOp = s.nOpMode;
        selected.SetSelected(true);
    } else {
        const BracketOp part = selected.HitTest(p.x(), p.y(), false, nullptr, zoom);
        s.nDragOp = part != OpNone ? s.nHoverPart : OpNone;
    }
    selected.BeginDrag(p.x(), p.y());
    return true;
}

void BracketActions::releaseInside(Workspace& ws, int slot)
{
    PaneSlot& s = ws.m_slot[size_t(slot)];
    if (!validIndex(s, s.nSelected))
        return;
    s.arBrackets[size_t(s.nSelected)].UpdateFrames();
    s.nDragOp = OpNone;
}

void BracketActions::releaseOutside(Workspace& ws, int slot, bool removeAll)
{
    PaneSlot& s = ws.m_slot[size_t(slot)];
    if (!validIndex(s, s.nSelected))
        return;
    if (removeAll) {
        s.reset();
        return;
    }
    QBracket& selected = s.arBrackets[size_t(s.nSelected)];
    const QPoint centre = clipCentre(ws);
    selected.CenterAt(centre.x(), centre.y());
    selected.UpdateFrames();
    s.nDragOp = OpNone;
}

bool BracketActions::key(Workspace& ws, int slot, int key, bool shift)
{
    PaneSlot& s = ws.m_slot[size_t(slot)];
    if (ws.m_bClipEditing || !validIndex(s, s.nSelected))
        return false;
    QBracket& b = s.arBrackets[size_t(s.nSelected)];
    const int step = shift ? 10 : 1;
    switch (key) {
    case Qt::Key_Left:
        b.Nudge(-step, 0);
        return true;
    case Qt::Key_Right:
        b.Nudge(step, 0);
        return true;
    case Qt::Key_Up:
        b.Nudge(0, -step);
        return true;
    case Qt::Key_Down:
        b.Nudge(0, step);
        return true;
    case Qt::Key_BracketLeft:
        b.TurnBy(-1.0);
        return true;
    case Qt::Key_BracketRight:
        b.TurnBy(1.0);
        return true;
    default:
        return false;
    }
}

int BracketActions::tipTarget(const Workspace& ws, int slot, QPoint p)
{
    const PaneSlot& s = ws.m_slot[size_t(slot)];
    for (int i = int(s.arBrackets.size()) - 1; i >= 0; --i)
        if (s.arBrackets[size_t(i)].Contains(p.x(), p.y()) > 0)
            return i;
    return -1;
}

bool BracketActions::adjustBrightness(
    Workspace& ws, int slot, int contrast, int brightness, bool commit)
{
    PaneSlot& s = ws.m_slot[size_t(slot)];
    if (!ws.hasPhoto() || !validIndex(s, s.nSelected))
        return false;
    QBracket& b = s.arBrackets[size_t(s.nSelected)];
    if (commit)
        b.CommitBrightness(contrast, brightness);
    else
        b.PreviewBrightness(contrast, brightness);
    return true;
}

bool BracketActions::adjustColorBalance(Workspace& ws, int slot, quint32 packed, bool commit)
{
    PaneSlot& s = ws.m_slot[size_t(slot)];
    if (!ws.hasPhoto() || !validIndex(s, s.nSelected))
        return false;
    QBracket& b = s.arBrackets[size_t(s.nSelected)];
    if (commit)
        b.CommitColorBalance(packed);
    else
        b.PreviewColorBalance(packed);
    return true;
}

void BracketActions::revertPreview(Workspace& ws, int slot)
{
    PaneSlot& s = ws.m_slot[size_t(slot)];
    if (!s.arBrackets.empty() && validIndex(s, s.nSelected))
        s.arBrackets[size_t(s.nSelected)].RevertPreview();
}
