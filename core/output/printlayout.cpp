#include "core/output/printlayout.h"

#include "core/output/stamppainter.h"
#include "core/workspace/workspace.h"

#include <QGuiApplication>
#include <QPainter>

#include <algorithm>

PrintLayout::PrintLayout(
    const Workspace& ws, const QVector<int>& paneSlots, int rows, int cols, int printableWidth)
    : m_ws(ws)
    , m_slots(paneSlots)
    , m_rows(rows)
    , m_cols(cols)
{
    if (rows < 1 || cols < 1 || !ws.hasPhoto() || printableWidth <= 0)
        return;
    m_cell = printableWidth / std::max(rows, cols);
    fitRect(
        ws.photoWidth(), ws.photoHeight(), QRect(0, 0, m_cell, m_cell), &m_fit, true, true, true);
    m_scale = double(m_fit.width()) / ws.photoWidth();
    if (isValid() && ws.m_bClipClosed) {
        m_clipArea.setFillRule(Qt::OddEvenFill);
        m_clipArea.addRect(QRectF(0, 0, ws.photoWidth(), ws.photoHeight()));
        ws.m_clip.IntersectClip(m_clipArea, nullptr);
    }
}

bool PrintLayout::fitRect(
    int w, int h, const QRect& bounds, QRect* out, bool centreX, bool centreY, bool alwaysScale)
{
    const int bw = bounds.width(), bh = bounds.height();
    int newW = w, newH = h;
    if (alwaysScale || w > bw || h > bh) {
        const float sx = float(w) / float(bw);
        const float sy = float(h) / float(bh);
        const float s = sx > sy ? sx : sy;
        newW = int(w / s);
        newH = int(h / s);
    }
    const int left = centreX ? (bw - newW) / 2 : bounds.left();
    const int top = centreY ? (bh - newH) / 2 : bounds.top();
    if (out)
        *out = QRect(left, top, newW, newH);
    return true;
}

bool PrintLayout::isValid() const
{
    if (m_cell <= 0 || m_fit.width() <= 0 || m_slots.size() != m_rows * m_cols)
        return false;
    for (const int slot : m_slots)
        if (slot < 0 || slot >= Workspace::SlotCount)
            return false;
    return true;
}

QTransform PrintLayout::photoTransform(int row, int col) const
{
    const int w = m_ws.photoWidth(), h = m_ws.photoHeight();
    const int left = m_fit.left();
    // Translation first, in photograph pixels, then the scaling: the offset of the
    // centring is divided by the scale to come out right on the page.
    const QTransform move = QTransform::fromTranslate(
        float((2 * col + 1) * left / m_scale + w * col), float(h * row * 1.1));
    return move * QTransform::fromScale(float(m_scale), float(m_scale));
}

QTransform PrintLayout::bracketPlacement(int row, int col) const
{
    const int w = m_ws.photoWidth(), h = m_ws.photoHeight();
    return QTransform::fromTranslate(
        float(w * col * m_scale + (2 * col + 1) * m_fit.left()), float(h * row * 1.1 * m_scale));
}

void PrintLayout::paint(QPainter* painter) const
{
    if (!painter || !isValid())
        return;
    const QImage& photo = *m_ws.m_pPhoto;
    const int w = photo.width(), h = photo.height();

    QFont font(QGuiApplication::font().family());
    font.setPixelSize(captionPixelSize());
    font.setWeight(QFont::Normal);
    font.setItalic(false);

    const StampPainter stamp(photo.size(), QDate::currentDate());
    painter->save();
    painter->setRenderHints(QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
    painter->setFont(font);
    painter->setPen(QColor::fromRgba(0xFF000000));
    for (int r = 0; r < m_rows; ++r) {
        for (int c = 0; c < m_cols; ++c) {
            const PaneSlot& slot = m_ws.m_slot[size_t(m_slots[r * m_cols + c])];
            const QTransform placeOnPage = photoTransform(r, c);
            painter->setWorldTransform(placeOnPage);
            painter->drawImage(QRect(0, 0, w, h), photo);
            stamp.paint(painter, m_slots[r * m_cols + c] != 0);
            if (!slot.arBrackets.empty())
                painter->drawText(QRectF(0, h, w, 100), Qt::AlignHCenter | Qt::AlignTop,
                    slot.arBrackets.front().m_strName);
            if (!m_ws.m_bClipClosed)
                continue;
            painter->setClipPath(m_clipArea, Qt::ReplaceClip);
            const QTransform extra = bracketPlacement(r, c);
            for (const QBracket& bracket : slot.arBrackets)
                bracket.DrawForOutput(painter, m_scale, extra);
            painter->setClipping(false);
        }
    }
    painter->restore();
}
