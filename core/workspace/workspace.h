// The whole state of one simulation: the photograph, the display scale, the shared
// clip outline, four pane slots with their pasted brackets and the pane layout
// that shows them. Owned by the main frame for the life of the process; panes
// reach it through the frame.
#pragma once

#include "core/simulation/bracketop.h"
#include "core/simulation/qbracket.h"
#include "core/simulation/qclip.h"
#include "core/workspace/panelayout.h"

#include <QImage>
#include <QString>

#include <array>
#include <memory>
#include <vector>

// Per-pane state. Indices are -1 or an index into the same slot's arBrackets; after
// a removal nHover can point past the end until the pointer moves again, so every
// use checks it against the current count.
struct PaneSlot {
    std::vector<QBracket> arBrackets; // paint order: index 0 at the bottom
    int nSelected = -1;
    int nHover = -1;
    int nOpMode = OpNone; // chosen with the operation-mode commands
    bool bOpModeOn = false;
    int nDragOp = OpNone; // what the current left-button drag does
    int nHoverPart = OpNone;

    void reset();
};

class Workspace {
public:
    static constexpr int SlotCount = 4;

    Workspace() = default;
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;

    // Releases every bracket of every slot and resets the per-slot values.
    void resetSlots();
    // Clip emptied and its flags cleared, zoom 1.0, serial 0, all slots emptied.
    // The pane layout, fit mode and info-tip mode are kept.
    void resetForNewPhoto();

    bool hasPhoto() const { return m_pPhoto != nullptr; }
    int photoWidth() const { return m_pPhoto ? m_pPhoto->width() : 0; }
    int photoHeight() const { return m_pPhoto ? m_pPhoto->height() : 0; }

    bool m_bLayoutReady = false;
    // The photograph in photograph pixels, RGB32, already oriented; null when none
    // is loaded or loading failed.
    std::unique_ptr<QImage> m_pPhoto;
    // The file the photograph came from (absolute) and the record flags it was
    // turned by, or -1 when its own EXIF orientation was used: what a saved
    // consultation needs to show the same pixels again.
    QString m_strPhotoPath;
    int m_nPhotoFlags = -1;
    double m_dZoom = 1.0; // 1.0 = 100 %
    bool m_bBracketToolShown = true;
    int m_nBracketSerial = 0;
    std::array<PaneSlot, SlotCount> m_slot;
    bool m_bClipDefining = false; // never true together with m_bClipClosed
    bool m_bClipEditing = false;
    bool m_bClipClosed = false;
    int m_nClipPoint = -1;
    QClip m_clip;
    bool m_bFitSize = true;
    bool m_bShowInfo = true;
    bool m_bPanesCreated = false;
    bool m_bFirstPaintDone = false;
    PaneLayout m_layout;
};
