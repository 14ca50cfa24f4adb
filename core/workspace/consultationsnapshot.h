// A value copy of everything in a consultation the user can change and take back:
// the clip outline and its flags, the pane layout, every slot's brackets and the
// selection. Brackets share their pictures with the workspace, so a copy costs a
// few small allocations, not the pixels.
#pragma once

#include "core/simulation/qbracket.h"
#include "core/workspace/panelayout.h"

#include <QPoint>
#include <QVector>

#include <vector>

class Workspace;

class ConsultationSnapshot {
public:
    static ConsultationSnapshot capture(const Workspace& ws);
    // Puts the workspace back to this state. Hover, drag and clip-drag state are
    // dropped; zoom, fit mode, photograph and each slot's operation mode stay.
    void applyTo(Workspace& ws) const;

    // Equal when nothing the user would call a change differs: the selection, the
    // picked clip point, the active pane and the working slot are carried along
    // but do not count, so selecting or switching panes alone is never a step.
    bool operator==(const ConsultationSnapshot& other) const;
    bool operator!=(const ConsultationSnapshot& other) const { return !(*this == other); }

    int paneCount() const { return m_layout.paneCount(); }

private:
    struct Slot {
        std::vector<QBracket> brackets; // paint order, drag state cleared
        int selected = -1;
    };

    QVector<QPoint> m_clipPoints; // as QClip::GetPoints, trailing entry included
    bool m_clipDefining = false;
    bool m_clipEditing = false;
    bool m_clipClosed = false;
    int m_clipPoint = -1;
    PaneLayout m_layout;
    int m_bracketSerial = 0;
    std::vector<Slot> m_slots;
};
