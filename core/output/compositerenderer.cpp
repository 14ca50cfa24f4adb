#include "core/output/compositerenderer.h"

#include "core/workspace/workspace.h"

#include <QPainter>

CompositeRenderer::CompositeRenderer(
    const Workspace& ws, const QVector<int>& paneSlots, int rows, int cols, bool mirrored)
    : m_ws(ws)
    , m_slots(paneSlots)
    , m_rows(rows)
    , m_cols(cols)
    , m_mirrored(mirrored)
    , m_stamp(QSize(ws.photoWidth(), ws.photoHeight()), QDate::currentDate())
{
    if (!isValid())
        return;
    if (m_ws.m_bClipClosed) {
        // The same for every pane and every band, so cut once.
        m_clipArea.setFillRule(Qt::OddEvenFill);
        m_clipArea.addRect(QRectF(0, 0, m_ws.photoWidth(), m_ws.photoHeight()));
        m_ws.m_clip.IntersectClip(m_clipArea, nullptr);
    }
    for (int r = 0; r < m_rows; ++r)
        for (int c = 0; c < m_cols; ++c)
            m_overlays.append(overlayFor(r, c));
}

bool CompositeRenderer::isValid() const
{
    // Output is made from the full photograph only, never from the preview shown
    // while it decodes: callers take it with Workspace::photo() first.
    if (!m_ws.hasPhoto() || !m_ws.m_pPhoto || m_rows < 1 || m_cols < 1
        || m_slots.size() != m_rows * m_cols)
        return false;
    for (const int slot : m_slots)
        if (slot < 0 || slot >= Workspace::SlotCount)
            return false;
    return true;
}

QSize CompositeRenderer::size() const
{
    if (!isValid())
        return {};
    const double w = m_ws.photoWidth(), h = m_ws.photoHeight();
    return QSize(int((m_cols - 1) * w * 1.1 + w), int((m_rows - 1) * h * 1.1 + h));
}

QPointF CompositeRenderer::paneOrigin(int row, int col) const
{
    return QPointF(float(m_ws.photoWidth() * col * 1.1), float(m_ws.photoHeight() * row * 1.1));
}

QPoint CompositeRenderer::panePixel(int row, int col) const
{
    // Truncated like the composite's size, so the last pane ends exactly at its edge.
    const QPointF origin = paneOrigin(row, col);
    return QPoint(int(origin.x()), int(origin.y()));
}

CompositeRenderer::Overlay CompositeRenderer::overlayFor(int row, int col) const
{
    Overlay overlay;
    if (!m_ws.m_bClipClosed)
        return overlay;
    QRectF reach;
    for (const QBracket& bracket : m_ws.m_slot[size_t(m_slots[row * m_cols + col])].arBrackets) {
        if (!bracket.m_bOutput || bracket.m_pImage.isNull())
            continue;
        // The canvas is a square as wide as the picture's diagonal, so the turned
        // picture never leaves it; a pixel of slack for the smoothing.
        reach
            |= QRectF(QPointF(bracket.GetPos()), QSizeF(bracket.GetSize())).adjusted(-1, -1, 1, 1);
    }
    const QRect local = reach.toAlignedRect() & m_clipArea.boundingRect().toAlignedRect()
        & QRect(0, 0, m_ws.photoWidth(), m_ws.photoHeight());
    if (!local.isEmpty())
        overlay.area = local.translated(panePixel(row, col));
    return overlay;
}

QRect CompositeRenderer::shownArea(int pane) const
{
    const QRect& area = m_overlays[pane].area;
    if (!m_mirrored || area.isEmpty())
        return area;
    const int left = panePixel(pane / m_cols, pane % m_cols).x();
    return QRect(2 * left + m_ws.photoWidth() - area.x() - area.width(), area.y(), area.width(),
        area.height());
}

void CompositeRenderer::drawMirroredRows(QPainter& painter, QPoint corner, const QRect& rows) const
{
    // Only the band's rows are turned, so memory stays that of a band.
    const QImage& photo = *m_ws.m_pPhoto;
    const QRect shown = QRect(corner, photo.size()) & rows;
    if (shown.isEmpty())
        return;
    const QImage turned
        = photo.copy(shown.translated(-corner.x(), -corner.y())).mirrored(true, false);
    painter.drawImage(QPoint(shown.x(), shown.y() - rows.y()), turned);
}

void CompositeRenderer::renderOverlay(int pane) const
{
    const Overlay& overlay = m_overlays[pane];
    const int row = pane / m_cols, col = pane % m_cols;
    overlay.pixels = QImage(overlay.area.size(), QImage::Format_ARGB32_Premultiplied);
    if (overlay.pixels.isNull())
        return;
    overlay.pixels.fill(0);
    // Pane-local photograph pixels to overlay pixels: a whole-pixel shift.
    const QPoint corner = overlay.area.topLeft() - panePixel(row, col);
    const QTransform place = QTransform::fromTranslate(-corner.x(), -corner.y());
    QPainter painter(&overlay.pixels);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    painter.setWorldTransform(place);
    painter.setClipPath(m_clipArea, Qt::ReplaceClip);
    // Each bracket replaces the transform with its own turn, then the placement.
    for (const QBracket& bracket : m_ws.m_slot[size_t(m_slots[pane])].arBrackets)
        bracket.DrawForOutput(&painter, 1.0, place);
    painter.end();
    if (m_mirrored)
        overlay.pixels = overlay.pixels.mirrored(true, false);
}

void CompositeRenderer::renderBand(QImage& band, int top) const
{
    if (!isValid() || band.width() != size().width()
        || band.format() != QImage::Format_ARGB32_Premultiplied)
        return;
    // The buffer still holds the previous band; the gaps must come out transparent
    // black whatever was there.
    band.fill(0);
    const QRect rows(0, top, band.width(), band.height());
    const QImage& photo = *m_ws.m_pPhoto;

    QPainter painter(&band);
    for (int pane = 0; pane < m_overlays.size(); ++pane) {
        const QPoint corner = panePixel(pane / m_cols, pane % m_cols);
        if (!QRect(corner, photo.size()).intersects(rows))
            continue;
        // The photograph is opaque, so this is a copy of the rows in the band.
        if (m_mirrored)
            drawMirroredRows(painter, corner, rows);
        else
            painter.drawImage(corner - QPoint(0, top), photo);
        painter.setTransform(QTransform::fromTranslate(corner.x(), corner.y() - top));
        m_stamp.paint(&painter, m_slots[pane] != 0);
        painter.resetTransform();

        const Overlay& overlay = m_overlays[pane];
        if (overlay.area.isEmpty())
            continue;
        if (overlay.area.intersects(rows)) {
            if (overlay.pixels.isNull())
                renderOverlay(pane);
            painter.drawImage(shownArea(pane).topLeft() - QPoint(0, top), overlay.pixels);
        }
        if (overlay.area.bottom() < rows.bottom())
            overlay.pixels = QImage();
    }
}

QImage CompositeRenderer::render() const
{
    const QSize s = size();
    if (s.isEmpty())
        return {};
    QImage whole(s, QImage::Format_ARGB32_Premultiplied);
    if (whole.isNull())
        return {};
    renderBand(whole, 0);
    return whole;
}
