#include "core/workspace/workspace.h"

#include <chrono>

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
    m_history.clear();
}

void Workspace::setPendingPhoto(QSize fullSize, QImage preview, std::future<QImage> full)
{
    clearPhoto();
    if (preview.isNull() || fullSize.isEmpty())
        return;
    m_pendingSize = fullSize;
    m_pendingPreview = std::move(preview);
    m_pendingFull = std::move(full);
}

void Workspace::clearPhoto()
{
    m_pPhoto.reset();
    m_pendingPreview = QImage();
    m_pendingSize = QSize();
    // Releasing the future joins a decode running on its own thread; one deferred
    // for want of a thread never starts.
    m_pendingFull = std::future<QImage>();
}

bool Workspace::adoptFullPhotoIfReady()
{
    if (!fullPhotoPending())
        return true;
    if (m_pendingFull.valid()
        && m_pendingFull.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
        return false;
    adoptFullPhoto(m_pendingFull.valid() ? m_pendingFull.get() : QImage());
    return true;
}

const QImage* Workspace::photo()
{
    if (fullPhotoPending() && !adoptFullPhotoIfReady()) {
        if (m_onWaitForPhoto)
            m_onWaitForPhoto(true);
        adoptFullPhoto(m_pendingFull.get());
        if (m_onWaitForPhoto)
            m_onWaitForPhoto(false);
    }
    return m_pPhoto.get();
}

const QImage& Workspace::drawablePhoto() const
{
    static const QImage none;
    return m_pPhoto ? *m_pPhoto : fullPhotoPending() ? m_pendingPreview : none;
}

void Workspace::adoptFullPhoto(QImage full)
{
    // Everything placed meanwhile is in full-photograph pixels, so a full picture of
    // another size (a failed or damaged decode) would move it: the preview, enlarged,
    // stands in for it then.
    if (full.size() != m_pendingSize)
        full = m_pendingPreview
                   .scaled(m_pendingSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                   .convertToFormat(QImage::Format_RGB32);
    m_pPhoto = std::make_unique<QImage>(std::move(full));
    m_pendingPreview = QImage();
    m_pendingSize = QSize();
}
