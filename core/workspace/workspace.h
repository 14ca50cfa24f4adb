// The whole state of one simulation: the photograph, the display scale, the shared
// clip outline, four pane slots with their pasted brackets and the pane layout
// that shows them. Owned by the main frame for the life of the process; panes
// reach it through the frame.
#pragma once

#include "core/simulation/bracketop.h"
#include "core/simulation/qbracket.h"
#include "core/simulation/qclip.h"
#include "core/workspace/consultationhistory.h"
#include "core/workspace/panelayout.h"

#include <QImage>
#include <QString>

#include <array>
#include <functional>
#include <future>
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
    // Clip emptied and its flags cleared, zoom 1.0, serial 0, all slots emptied,
    // undo history forgotten. The pane layout, fit mode and info-tip mode are kept.
    void resetForNewPhoto();

    bool hasPhoto() const { return m_pPhoto != nullptr || !m_pendingPreview.isNull(); }
    // The full photograph's size, known from the start even while it is decoded.
    int photoWidth() const { return m_pPhoto ? m_pPhoto->width() : m_pendingSize.width(); }
    int photoHeight() const { return m_pPhoto ? m_pPhoto->height() : m_pendingSize.height(); }

    // Holds a photograph whose full picture is still being decoded elsewhere:
    // `fullSize` in photograph pixels, `preview` a smaller copy of the same picture
    // for drawing meanwhile, `full` the decode. Replaces any photograph.
    void setPendingPhoto(QSize fullSize, QImage preview, std::future<QImage> full);
    // Drops the photograph, waiting for a decode still running.
    void clearPhoto();
    // Whether the full picture has not been taken over yet.
    bool fullPhotoPending() const { return !m_pendingPreview.isNull(); }
    // Takes over the full picture when its decode has finished; true when the
    // photograph is now complete.
    bool adoptFullPhotoIfReady();
    // The full photograph, waiting for its decode (and telling m_onWaitForPhoto)
    // when needed; null when there is none. Geometry, saving, printing and zoom
    // use this one.
    const QImage* photo();
    // What a pane draws: the full photograph, or its preview while that is decoded.
    const QImage& drawablePhoto() const;

    // Called with true before and false after waiting for a full decode.
    std::function<void(bool waiting)> m_onWaitForPhoto;

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
    // Every pane shows the photograph mirrored, as patients know their face;
    // output keeps the true orientation unless asked otherwise.
    bool m_bMirrorView = false;
    bool m_bPanesCreated = false;
    bool m_bFirstPaintDone = false;
    PaneLayout m_layout;
    // Every change to the clip, layout and brackets, for undo and redo.
    ConsultationHistory m_history { *this };

private:
    void adoptFullPhoto(QImage full);

    QSize m_pendingSize;
    QImage m_pendingPreview;
    std::future<QImage> m_pendingFull;
};
