#include "core/workspace/consultationsnapshot.h"

#include "core/workspace/workspace.h"

#include <algorithm>

namespace {

// Pictures compare by pixels: a preview dropped on Cancel leaves an equal but
// separate image behind, which must not count as a change.
bool sameBracket(const QBracket& a, const QBracket& b)
{
    return a.m_nId == b.m_nId && a.m_strPath == b.m_strPath && a.m_strName == b.m_strName
        && a.m_bOutput == b.m_bOutput && a.m_ptPos == b.m_ptPos && a.m_size == b.m_size
        && a.m_sizeSrc == b.m_sizeSrc && a.m_dAngle == b.m_dAngle && a.m_dScale == b.m_dScale
        && a.m_pBase == b.m_pBase && a.m_pImage == b.m_pImage;
}

} // namespace

ConsultationSnapshot ConsultationSnapshot::capture(const Workspace& ws)
{
    ConsultationSnapshot s;
    s.m_clipPoints = ws.m_clip.GetPoints();
    s.m_clipDefining = ws.m_bClipDefining;
    s.m_clipEditing = ws.m_bClipEditing;
    s.m_clipClosed = ws.m_bClipClosed;
    s.m_clipPoint = ws.m_nClipPoint;
    s.m_layout = ws.m_layout;
    s.m_bracketSerial = ws.m_nBracketSerial;
    for (const PaneSlot& slot : ws.m_slot) {
        Slot& saved = s.m_slots.emplace_back();
        saved.brackets = slot.arBrackets;
        saved.selected = slot.nSelected;
        // A restored bracket starts no drag and shows no hover part.
        for (QBracket& b : saved.brackets) {
            b.m_ptDragStart.reset();
            b.m_nHitPart = 0;
        }
    }
    return s;
}

void ConsultationSnapshot::applyTo(Workspace& ws) const
{
    if (m_clipPoints.isEmpty())
        ws.m_clip.Clear();
    else
        ws.m_clip.SetPoints(m_clipPoints, m_clipClosed);
    ws.m_bClipDefining = m_clipDefining;
    ws.m_bClipEditing = m_clipEditing;
    ws.m_bClipClosed = m_clipClosed;
    ws.m_nClipPoint = m_clipPoint;
    ws.m_layout = m_layout;
    ws.m_nBracketSerial = m_bracketSerial;
    for (size_t i = 0; i < ws.m_slot.size() && i < m_slots.size(); ++i) {
        PaneSlot& slot = ws.m_slot[i];
        slot.arBrackets = m_slots[i].brackets;
        slot.nSelected = m_slots[i].selected;
        slot.nHover = -1;
        slot.nHoverPart = OpNone;
        slot.nDragOp = OpNone;
    }
}

bool ConsultationSnapshot::operator==(const ConsultationSnapshot& other) const
{
    if (m_clipPoints != other.m_clipPoints || m_clipDefining != other.m_clipDefining
        || m_clipEditing != other.m_clipEditing || m_clipClosed != other.m_clipClosed
        || m_layout.paneCount() != other.m_layout.paneCount()
        || m_bracketSerial != other.m_bracketSerial || m_slots.size() != other.m_slots.size())
        return false;
    for (size_t i = 0; i < m_slots.size(); ++i) {
        const std::vector<QBracket>& a = m_slots[i].brackets;
        const std::vector<QBracket>& b = other.m_slots[i].brackets;
        if (!std::equal(a.begin(), a.end(), b.begin(), b.end(), sameBracket))
            return false;
    }
    return true;
}
