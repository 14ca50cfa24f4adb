#include "core/output/printlayout.h"

#include "core/output/stamppainter.h"
#include "core/workspace/workspace.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

int pixelsOfPoints(double points, int dpi) { return int(std::lround(points * dpi / 72.0)); }
int pixelsOfMillimetres(double mm, int dpi) { return int(std::lround(mm * dpi / 25.4)); }
// A line of text with room above and below it.
int bandOf(int pixelSize) { return pixelSize * 2; }

// The largest scale at which rows x cols photographs, each with its caption band
// and a gap between neighbours, fit `area` under the header band; 0 when none.
double gridScale(const QSize& photo, int rows, int cols, const QSize& area, int dpi)
{
    if (photo.isEmpty() || rows < 1 || cols < 1 || area.isEmpty() || dpi <= 0)
        return 0.0;
    const int gap = pixelsOfMillimetres(PrintLayout::GapMillimetres, dpi);
    const int width = area.width() - (cols - 1) * gap;
    const int height = area.height() - bandOf(pixelsOfPoints(PrintLayout::HeaderPoints, dpi))
        - rows * bandOf(pixelsOfPoints(PrintLayout::CaptionPoints, dpi)) - (rows - 1) * gap;
    if (width <= 0 || height <= 0)
        return 0.0;
    return std::min(
        double(width) / (cols * photo.width()), double(height) / (rows * photo.height()));
}

} // namespace

PrintLayout::PrintLayout(const Workspace& ws, const QVector<int>& paneSlots, int rows, int cols,
    const QSize& printable, int dpi, const QString& header)
    : m_ws(ws)
    , m_slots(paneSlots)
    , m_rows(rows)
    , m_cols(cols)
    , m_printable(printable)
    , m_header(header)
{
    const QSize photo(ws.photoWidth(), ws.photoHeight());
    m_scale = gridScale(photo, rows, cols, printable, dpi);
    if (m_scale <= 0.0)
        return;
    m_captionPx = pixelsOfPoints(CaptionPoints, dpi);
    m_headerPx = pixelsOfPoints(HeaderPoints, dpi);
    m_gap = pixelsOfMillimetres(GapMillimetres, dpi);
    // Truncated, so that the grid never grows past the area it was fitted to.
    m_picture = QSize(int(photo.width() * m_scale), int(photo.height() * m_scale));
    const int gridWidth = cols * m_picture.width() + (cols - 1) * m_gap;
    m_origin = QPoint((printable.width() - gridWidth) / 2, bandOf(m_headerPx));
    if (isValid() && ws.m_bClipClosed) {
        m_clipArea.setFillRule(Qt::OddEvenFill);
        m_clipArea.addRect(QRectF(0, 0, ws.photoWidth(), ws.photoHeight()));
        ws.m_clip.IntersectClip(m_clipArea, nullptr);
    }
}

QSize PrintLayout::bestGrid(const QSize& photo, int rows, int cols, const QSize& printable, int dpi)
{
    return gridScale(photo, cols, rows, printable, dpi)
            > gridScale(photo, rows, cols, printable, dpi)
        ? QSize(rows, cols)
        : QSize(cols, rows);
}

QPageLayout::Orientation PrintLayout::bestOrientation(
    const QSize& photo, int rows, int cols, const QSize& portrait, int dpi)
{
    const auto best = [&](const QSize& area) {
        const QSize grid = bestGrid(photo, rows, cols, area, dpi);
        return gridScale(photo, grid.height(), grid.width(), area, dpi);
    };
    return best(portrait.transposed()) > best(portrait) ? QPageLayout::Landscape
                                                        : QPageLayout::Portrait;
}

QString PrintLayout::headerText(const QString& patientId, const QDate& date)
{
    const QString day = date.toString(QStringLiteral("yyyy/MM/dd"));
    return patientId.trimmed().isEmpty() ? day
                                         : QCoreApplication::translate("PrintLayout", "患者ID: ")
            + patientId.trimmed() + QStringLiteral("    ") + day;
}

bool PrintLayout::isValid() const
{
    // Printed from the full photograph only (see Workspace::photo()).
    if (!m_ws.m_pPhoto || m_scale <= 0.0 || m_picture.isEmpty()
        || m_slots.size() != m_rows * m_cols)
        return false;
    for (const int slot : m_slots)
        if (slot < 0 || slot >= Workspace::SlotCount)
            return false;
    return true;
}

QPoint PrintLayout::paneOrigin(int row, int col) const
{
    return m_origin
        + QPoint(col * (m_picture.width() + m_gap),
            row * (m_picture.height() + bandOf(m_captionPx) + m_gap));
}

QTransform PrintLayout::photoTransform(int row, int col) const
{
    const QPoint origin = paneOrigin(row, col);
    return QTransform::fromScale(m_scale, m_scale)
        * QTransform::fromTranslate(origin.x(), origin.y());
}

QRect PrintLayout::captionRect(int row, int col) const
{
    const QPoint origin = paneOrigin(row, col);
    return QRect(
        origin.x(), origin.y() + m_picture.height(), m_picture.width(), bandOf(m_captionPx));
}

QRect PrintLayout::headerRect() const
{
    return QRect(0, 0, m_printable.width(), bandOf(m_headerPx));
}

void PrintLayout::paint(QPainter* painter) const
{
    if (!painter || !isValid())
        return;
    const QImage& photo = *m_ws.m_pPhoto;

    const StampPainter stamp(photo.size(), QDate::currentDate());
    painter->save();
    painter->setRenderHints(QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
    painter->setPen(Qt::black);
    // A Japanese face first: text laid out with one face and drawn with a fallback
    // overlaps in the print preview.
    QFont font;
    font.setFamilies({ QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAPGothic"),
        QGuiApplication::font().family() });
    font.setPixelSize(m_headerPx);
    painter->setFont(font);
    painter->drawText(headerRect(), Qt::AlignLeft | Qt::AlignVCenter, m_header);

    font.setPixelSize(m_captionPx);
    painter->setFont(font);
    const QFontMetrics metrics(font, painter->device());
    for (int r = 0; r < m_rows; ++r) {
        for (int c = 0; c < m_cols; ++c) {
            const PaneSlot& slot = m_ws.m_slot[size_t(m_slots[r * m_cols + c])];
            // Into the whole-pixel rectangle, so that nothing spills into the caption.
            painter->drawImage(QRect(paneOrigin(r, c), m_picture), photo);
            painter->setWorldTransform(photoTransform(r, c));
            stamp.paint(painter, m_slots[r * m_cols + c] != 0);
            painter->resetTransform();
            if (!slot.arBrackets.empty()) {
                const QRect band = captionRect(r, c);
                painter->drawText(band, Qt::AlignHCenter | Qt::AlignVCenter,
                    metrics.elidedText(
                        slot.arBrackets.front().m_strName, Qt::ElideRight, band.width()));
            }
            if (!m_ws.m_bClipClosed)
                continue;
            // The clip path is in photograph pixels: set it under the photograph's
            // transform, then draw the brackets with their own.
            painter->setWorldTransform(photoTransform(r, c));
            painter->setClipPath(m_clipArea, Qt::ReplaceClip);
            const QPoint origin = paneOrigin(r, c);
            const QTransform placement = QTransform::fromTranslate(origin.x(), origin.y());
            for (const QBracket& bracket : slot.arBrackets)
                bracket.DrawForOutput(painter, m_scale, placement);
            painter->setClipping(false);
            painter->resetTransform();
        }
    }
    painter->restore();
}
