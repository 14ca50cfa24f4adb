#include "core/simulation/qbracket.h"

#include "core/image/picturereader.h"
#include "core/simulation/qcoloradjust.h"

#include <QDataStream>
#include <QPainter>
#include <QPainterPath>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// The canvas is side x side ARGB and exists three times while it is built; beyond
// this side it would take gigabytes. Gallery pictures are a few hundred pixels.
constexpr int kMaxCanvasSide = 8000;
// Distance of the rotation handle's centre from the bracket's centre, image units.
constexpr int kHandleReach = 40;
constexpr int kHandleHalf = 5;
constexpr int kInnerInset = 6;
// Screen half side of the drawn rotation handle.
constexpr double kHandleScreenHalf = 5.0;
// The least pointer travel (photograph pixels) that doubles a bracket, so that a
// bracket scaled almost to nothing still scales at a usable pace.
constexpr int kMinScaleTravel = 40;
constexpr double kScaleMax = 4.0;
constexpr double kScaleMin = 0.05;
constexpr double kPi = 3.141592653589793;

// The picture as Format_ARGB32, or a null image when it is missing, undecodable or
// too large for a canvas.
QImage loadPicture(const QString& path)
{
    PictureReader reader(path);
    const QSize size = reader.size();
    if (!reader.canRead()
        || std::hypot(double(size.width()), double(size.height())) > kMaxCanvasSide)
        return {};
    return reader.read(QImage::Format_ARGB32);
}

// The picture in the middle of a transparent square canvas whose side is its
// diagonal, so that it never leaves the canvas however it turns. Null when the
// picture is null or the canvas cannot be allocated.
QImage canvasFor(const QImage& source)
{
    if (source.isNull())
        return {};
    const QImage picture = source.convertToFormat(QImage::Format_ARGB32);
    const int w = picture.width();
    const int h = picture.height();
    const int side = int(std::sqrt(double(w) * w + double(h) * h));

    QImage canvas(side, side, QImage::Format_ARGB32);
    if (canvas.isNull() || picture.format() != QImage::Format_ARGB32 || side < w || side < h)
        return {};
    canvas.fill(0);
    // Centred with a half pixel rounded up, where a drawing surface puts a picture
    // translated by half a pixel. Copied byte for byte rather than painted, because
    // painting goes through premultiplied colour and would alter half-transparent
    // edge pixels.
    const int left = (side - w + 1) / 2;
    const int top = (side - h + 1) / 2;
    for (int row = 0; row < h; ++row)
        std::memcpy(
            canvas.scanLine(top + row) + left * 4, picture.constScanLine(row), size_t(w) * 4);
    return canvas;
}

QRect rectFromEdges(int left, int top, int right, int bottom)
{
    return QRect(left, top, right - left, bottom - top);
}

// The turn by angle degrees about pivot, as translate, rotate, translate applied in
// that order.
QTransform turnAbout(QPointF pivot, double angle)
{
    return QTransform::fromTranslate(-pivot.x(), -pivot.y()) * QTransform().rotate(angle)
        * QTransform::fromTranslate(pivot.x(), pivot.y());
}

} // namespace

bool QBracket::frameContains(const QRect& frame, int x, int y)
{
    return frame.x() <= x && x < frame.x() + frame.width() && frame.y() <= y
        && y < frame.y() + frame.height();
}

QString QBracket::FileStem(const QString& path)
{
    // Catalogue paths may come from Windows, so both separators count.
    const int separator
        = std::max(path.lastIndexOf(QLatin1Char('\\')), path.lastIndexOf(QLatin1Char('/')));
    const int dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot < 0 || dot < separator)
        return {};
    return path.mid(separator + 1, dot - separator - 1);
}

bool QBracket::Init(
    int id, int listItem, const QString& path, int x, int y, const QString& name, bool output)
{
    // Loaded before anything changes so that a failed paste leaves no half-made
    // bracket behind.
    const QImage picture = loadPicture(path);
    const QImage canvas = canvasFor(picture);
    if (canvas.isNull())
        return false;

    m_nId = id;
    m_nListItem = listItem;
    m_strPath = path;
    m_bOutput = output;
    m_pBase = QImage();
    m_previewTables.reset();
    m_ptDragStart.reset();
    m_strName = name.isEmpty() ? FileStem(path) : name;
    m_sizeSrc = picture.size();
    m_dAngle = 0.0;
    m_dScale = 1.0;
    m_bSelected = true;
    m_bHit = false;
    m_nHitPart = 0;
    m_pImage = canvas;
    m_pBase = canvas;
    m_previewTables.reset();

    const int side = m_pBase.width();
    m_ptGrab = QPoint(side / 2, side / 2);
    m_ptPos = QPoint(std::max(0, x - side / 2), std::max(0, y - side / 2));
    m_size = QSize(side, side);
    UpdateFrames();
    return true;
}

bool QBracket::ReplaceImage(const QString& path)
{
    // A missing gallery picture must not take away the bracket the clinician has
    // already placed and adjusted.
    const QImage picture = loadPicture(path);
    const QImage canvas = canvasFor(picture);
    if (canvas.isNull())
        return false;
    m_strPath = path;
    m_sizeSrc = picture.size();
    m_pImage = canvas;
    m_pBase = canvas;
    m_previewTables.reset();
    if (m_dScale != 0)
        ApplyScale();
    return true;
}

void QBracket::SetOutputAndName(bool output, const QString& name)
{
    m_bOutput = output;
    m_strName = name.isEmpty() ? FileStem(m_strPath) : name;
}

void QBracket::Release()
{
    m_pImage = QImage();
    m_pBase = QImage();
    m_previewTables.reset();
}

void QBracket::ApplyScale()
{
    const QPoint centre(m_ptPos.x() + m_size.width() / 2, m_ptPos.y() + m_size.height() / 2);
    m_size = QSize(int(m_pBase.width() * m_dScale), int(m_pBase.height() * m_dScale));
    m_ptPos = QPoint(centre.x() - m_size.width() / 2, centre.y() - m_size.height() / 2);
}

void QBracket::UpdateRotateHandle()
{
    const double theta = m_dAngle * kPi / 180.0;
    const int centreX = m_ptPos.x() + m_size.width() / 2;
    const int centreY = m_ptPos.y() + m_size.height() / 2;
    const int hx = int(std::cos(theta) * kHandleReach + centreX - double(kHandleHalf));
    const int hy = int(std::sin(theta) * kHandleReach + centreY - double(kHandleHalf));
    m_rcRotate = QRect(hx, hy, 2 * kHandleHalf, 2 * kHandleHalf);
    m_rcBounds = rectFromEdges(std::min(m_rcBody.x(), hx), std::min(m_rcBody.y(), hy),
        std::max(m_rcBody.x() + m_rcBody.width(), hx + 2 * kHandleHalf),
        std::max(m_rcBody.y() + m_rcBody.height(), hy + 2 * kHandleHalf));
}

void QBracket::UpdateFrames()
{
    m_rcBody = QRect(m_ptPos, m_size);
    UpdateRotateHandle();
    m_rcInner = QRect(m_ptPos.x() + kInnerInset, m_ptPos.y() + kInnerInset,
        m_size.width() - 2 * kInnerInset, m_size.height() - 2 * kInnerInset);
}

void QBracket::CenterAt(int x, int y)
{
    m_ptPos = QPoint(x - m_size.width() / 2, y - m_size.height() / 2);
}

void QBracket::SetSelected(bool selected)
{
    m_bSelected = selected;
    if (!selected)
        m_nHitPart = 0;
}

bool QBracket::onPicture(int x, int y) const
{
    const int m = std::max(m_size.width(), m_size.height());
    const int w = int(m_sizeSrc.width() * m_dScale);
    const int h = int(m_sizeSrc.height() * m_dScale);
    QPainterPath picture;
    picture.addRect(0, 0, w, h);
    const QTransform place = QTransform::fromTranslate((m - w) * 0.5, (m - h) * 0.5)
        * turnAbout(QPointF(m * 0.5, m * 0.5), m_dAngle);
    return place.map(picture).contains(QPointF(x - m_ptPos.x(), y - m_ptPos.y()));
}

int QBracket::HandleHitHalf(double zoom)
{
    if (!(zoom > 0.0))
        return kHandleHalf;
    return std::max(kHandleHalf, int(std::ceil(kHandleScreenHalf / zoom)));
}

QRect QBracket::RotateHitFrame(double zoom) const
{
    const int grow = HandleHitHalf(zoom) - kHandleHalf;
    return m_rcRotate.adjusted(-grow, -grow, grow, grow);
}

BracketOp QBracket::HitTest(
    int x, int y, bool ctrlHeld, std::optional<Qt::CursorShape>* cursor, double zoom)
{
    m_bSelected = false;
    m_bHit = false;
    m_nHitPart = 0;
    BracketOp code = OpNone;
    std::optional<Qt::CursorShape> chosen;

    const bool onHandle = frameContains(RotateHitFrame(zoom), x, y);
    if (onHandle || frameContains(m_rcBounds, x, y))
        m_bSelected = true;
    if (frameContains(m_rcBody, x, y)) {
        m_bHit = true;
        m_nHitPart = 1;
    }
    if (frameContains(m_rcInner, x, y)) {
        m_ptGrab = QPoint(x, y) - m_ptPos;
        if (ctrlHeld) {
            code = OpScale;
            chosen = Qt::SizeAllCursor;
        } else {
            code = OpMove;
            chosen = Qt::PointingHandCursor;
        }
    }
    // The handle wins over the inner frame it may overlap; the cursor chosen for the
    // inner frame stays.
    if (onHandle) {
        m_bHit = true;
        m_nHitPart = 2;
        code = OpRotate;
    }
    // The handle is exempt: it may lie on the transparent surround or off the canvas.
    if (m_bHit && !m_pImage.isNull() && code != OpRotate && !onPicture(x, y)) {
        m_bSelected = false;
        m_bHit = false;
        m_nHitPart = 0;
        code = OpNone;
        chosen.reset();
    }
    if (cursor && chosen)
        *cursor = chosen;
    return code;
}

int QBracket::Contains(int x, int y) const
{
    if (!frameContains(m_rcBody, x, y) || m_pImage.isNull())
        return 0;
    return onPicture(x, y) ? 1 : 0;
}

void QBracket::BeginDrag(int x, int y)
{
    m_ptDragStart = QPoint(x, y);
    m_ptGrab = QPoint(x, y) - m_ptPos;
    m_dDragStartAngle = m_dAngle;
    m_dDragStartScale = m_dScale;
    m_nDragStartSide = m_size.width();
}

double QBracket::TurnFromDrag(double startAngle, QPointF centre, QPointF from, QPointF to)
{
    const QPointF a = from - centre, b = to - centre;
    if (std::hypot(a.x(), a.y()) < 1.0 || std::hypot(b.x(), b.y()) < 1.0)
        return startAngle;
    const double turned = (std::atan2(b.y(), b.x()) - std::atan2(a.y(), a.x())) * 180.0 / kPi;
    return std::fmod(startAngle + turned, 360.0);
}

double QBracket::ScaleFromDrag(double startScale, int startSide, int rise)
{
    const double unit = std::max(startSide, kMinScaleTravel);
    return std::clamp(startScale * std::exp2(rise / unit), kScaleMin, kScaleMax);
}

std::optional<Qt::CursorShape> QBracket::Drag(int x, int y, int op)
{
    if (op != OpMove && op != OpRotate && op != OpScale)
        return std::nullopt;
    if (!m_ptDragStart)
        BeginDrag(x, y);
    switch (op) {
    case OpMove:
        m_ptPos = QPoint(x, y) - m_ptGrab;
        UpdateRotateHandle();
        return Qt::PointingHandCursor;
    case OpRotate: {
        // The centre the handle is placed about, so the handle stays under the pointer.
        const QPoint centre = m_ptPos + QPoint(m_size.width() / 2, m_size.height() / 2);
        m_dAngle = TurnFromDrag(
            m_dDragStartAngle, QPointF(centre), QPointF(*m_ptDragStart), QPointF(x, y));
        UpdateRotateHandle();
        return std::nullopt;
    }
    default: // OpScale; up enlarges, x plays no part
        m_dScale = ScaleFromDrag(m_dDragStartScale, m_nDragStartSide, m_ptDragStart->y() - y);
        ApplyScale();
        UpdateRotateHandle();
        return Qt::SizeAllCursor;
    }
}

void QBracket::Nudge(int dx, int dy)
{
    m_ptPos += QPoint(dx, dy);
    UpdateFrames();
}

void QBracket::TurnBy(double degrees)
{
    m_dAngle = std::fmod(m_dAngle + degrees, 360.0);
    UpdateFrames();
}

void QBracket::Draw(QPainter* painter, int x, int y, int w, int h, double zoom, bool active) const
{
    if (!painter || m_pImage.isNull())
        return;
    const int m = std::max(m_size.width(), m_size.height());
    // The pivot is kept in single precision, like the drawing matrices.
    const float pivotX = float((x + m * 0.5) * zoom);
    const float pivotY = float((y + m * 0.5) * zoom);
    // Replaces the caller's zoom scaling: everything below is in device pixels, so
    // the decorations keep their pixel size at every zoom.
    painter->setWorldTransform(turnAbout(QPointF(pivotX, pivotY), m_dAngle));
    const QRect target(int(x * zoom), int(y * zoom), int(w * zoom), int(h * zoom));
    // The smaller copy is made at the screen's device pixels, so that it stays sharp
    // at 125, 150 or 200 %.
    const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
    const QSize pixels = (QSizeF(target.size()) * ratio).toSize();
    if (pixels.width() > 0 && pixels.height() > 0 && pixels.width() < m_pImage.width()
        && pixels.height() < m_pImage.height()) {
        drawPicture(painter, target, scaledForDrawing(pixels));
    } else {
        drawPicture(painter, target, m_pImage);
    }

    if (!m_bSelected || !active)
        return;
    const int centreX = x + w / 2;
    const int centreY = y + h / 2;

    painter->setPen(Qt::NoPen);
    painter->setBrush(QColor::fromRgba(0xFFFF0000));
    painter->drawEllipse(QRectF(int(centreX * zoom - 2.0), int(centreY * zoom - 2.0), 4, 4));

    const int handleX = int((centreX + kHandleReach) * zoom - 5.0) + 5;
    const int handleY = int(centreY * zoom - 5.0) + 5;
    painter->setBrush(Qt::NoBrush);
    painter->setPen(QPen(QColor::fromRgba(0xFFFF8000), 2.0));
    painter->drawLine(QPointF(int(centreX * zoom), int(centreY * zoom)), QPointF(handleX, handleY));

    QPen handlePen = m_nHitPart == 2 ? QPen(QColor::fromRgba(0xFF00FF00), 3.0)
                                     : QPen(QColor::fromRgba(0xFFBFFBB9), 2.0);
    handlePen.setJoinStyle(Qt::MiterJoin);
    painter->setPen(handlePen);
    painter->drawRect(QRectF(handleX - 5, handleY - 5, 10, 10));
}

void QBracket::drawPicture(QPainter* painter, const QRect& target, const QImage& picture) const
{
    const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
    // Logical to device pixels, the screen's pixel ratio included.
    const QTransform device = painter->deviceTransform();
    // Unturned pictures are copied by the painter anyway; other composition modes
    // would not give the same pixels in two steps.
    if (device.type() < QTransform::TxRotate
        || painter->compositionMode() != QPainter::CompositionMode_SourceOver
        || painter->opacity() != 1.0) {
        painter->drawImage(target, picture);
        return;
    }
    // The picture's corner is put on the nearest device pixel, a shift of under half
    // a pixel: every position then draws the same pixels, so a drag reuses them.
    const QPointF origin = device.map(QPointF(target.topLeft()));
    const QPoint whole(qRound(origin.x()), qRound(origin.y()));
    const QTransform snapped
        = device * QTransform::fromTranslate(whole.x() - origin.x(), whole.y() - origin.y());
    QByteArray key;
    {
        QDataStream writer(&key, QIODevice::WriteOnly);
        writer << picture.cacheKey() << target.size() << device.m11() << device.m12()
               << device.m21() << device.m22() << int(painter->renderHints());
    }
    if (key != m_turnedKey || m_turnedCache.isNull()) {
        m_turnedCache = QImage();
        m_turnedKey.clear();
        // Relative to the snapped corner, so that the cache does not depend on
        // where it was first drawn.
        const QTransform local = snapped * QTransform::fromTranslate(-whole.x(), -whole.y());
        const QRect bounds = local.mapRect(QRectF(target)).toAlignedRect().adjusted(-2, -2, 2, 2);
        QImage turned(bounds.size(), QImage::Format_ARGB32_Premultiplied);
        if (turned.isNull()) { // no memory for it: straight onto the pane
            painter->drawImage(target, picture);
            return;
        }
        // Drawn onto transparent black, each pixel is exactly what the painter
        // would blend onto the pane, and blending it later gives the same bytes.
        turned.fill(0);
        QPainter drawer(&turned);
        drawer.setRenderHints(painter->renderHints());
        drawer.setWorldTransform(local * QTransform::fromTranslate(-bounds.x(), -bounds.y()));
        drawer.drawImage(target, picture);
        drawer.end();
        turned.setDevicePixelRatio(ratio);
        m_turnedCache = turned;
        m_turnedKey = key;
        m_turnedAt = bounds.topLeft();
    }
    const QPoint at = whole + m_turnedAt;
    painter->save();
    painter->resetTransform();
    painter->drawImage(QPointF(at) / ratio, m_turnedCache);
    painter->restore();
}

const QImage& QBracket::scaledForDrawing(QSize target) const
{
    if (m_drawCacheKey == m_pImage.cacheKey() && m_drawCache.size() == target)
        return m_drawCache;
    if (m_previewTables && !m_pBase.isNull()) {
        // The colour rules work pixel by pixel, so adjusting the scaled base gives
        // the scaled preview up to interpolation.
        if (m_baseDrawCacheKey != m_pBase.cacheKey() || m_baseDrawCache.size() != target) {
            m_baseDrawCache
                = m_pBase.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                      .convertToFormat(QImage::Format_ARGB32);
            m_baseDrawCacheKey = m_pBase.cacheKey();
        }
        QImage adjusted(target, QImage::Format_ARGB32);
        const auto& t = *m_previewTables;
        if (QColorAdjust::apply(m_baseDrawCache, adjusted, t[0], t[1], t[2]))
            m_drawCache = adjusted;
        else
            m_drawCache = m_pImage.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    } else {
        m_drawCache = m_pImage.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    m_drawCacheKey = m_pImage.cacheKey();
    return m_drawCache;
}

void QBracket::AddMarkersToClip(
    QPainter* painter, QPainterPath& region, int x, int y, int w, int h, double zoom) const
{
    if (!painter || m_pImage.isNull())
        return;
    const QPointF centre(x + w / 2, y + h / 2);
    const QPointF handle(centre.x() + kHandleReach, centre.y());
    const double a = 2 / zoom, b = 6 / zoom, e = 1 / zoom;
    const double theta = m_dAngle * 3.1415926535 / 180;
    const QPointF turnedHandle
        = centre + QPointF(kHandleReach * std::cos(theta), kHandleReach * std::sin(theta));

    // The region and both points are in drawing coordinates; carrying all three
    // through the painter's transform first would not change the answer.
    if (region.contains(centre) || region.contains(turnedHandle))
        return;

    const QPolygonF shape({
        { centre.x() - a, centre.y() - a },
        { centre.x() + a, centre.y() - a },
        { centre.x() + a, centre.y() - e },
        { handle.x() - b, centre.y() - e },
        { handle.x() - b, centre.y() - b },
        { handle.x() + b, centre.y() - b },
        { handle.x() + b, centre.y() + b },
        { handle.x() - b, centre.y() + b },
        { handle.x() - b, centre.y() + e },
        { centre.x() + a, centre.y() + e },
        { centre.x() + a, centre.y() + a },
        { centre.x() - a, centre.y() + a },
        { centre.x() - a, centre.y() - a },
    });
    QPainterPath markers;
    markers.addPolygon(shape);
    // Exclusive-or is both outlines in one odd-even path; a winding region is first
    // redrawn as non-overlapping outlines so that parity means the same area.
    if (region.fillRule() != Qt::OddEvenFill)
        region = region.simplified();
    region.setFillRule(Qt::OddEvenFill);
    region.addPath(turnAbout(centre, m_dAngle).map(markers));
}

void QBracket::DrawForOutput(QPainter* painter, double scale, const QTransform& extra) const
{
    if (!painter || m_pImage.isNull() || !m_bOutput)
        return;
    const int x = m_ptPos.x(), y = m_ptPos.y();
    const int m = std::max(m_size.width(), m_size.height());
    const float pivotX = float((x + m * 0.5) * scale);
    const float pivotY = float((y + m * 0.5) * scale);
    painter->setWorldTransform(turnAbout(QPointF(pivotX, pivotY), m_dAngle) * extra);
    painter->drawImage(QRect(int(x * scale), int(y * scale), int(m_size.width() * scale),
                           int(m_size.height() * scale)),
        m_pImage);
}

bool QBracket::prepareDisplayBuffer()
{
    // Writing into a displayed picture that still shares pixels with the base (after
    // Init, a commit or a revert) would first copy them for nothing; a fresh buffer is
    // cheaper, and later previews reuse it.
    if (m_pImage.size() != m_pBase.size() || m_pImage.format() != QImage::Format_ARGB32
        || !m_pImage.isDetached())
        m_pImage = QImage(m_pBase.size(), QImage::Format_ARGB32);
    if (!m_pImage.isNull())
        return true;
    // Out of memory: show the base rather than nothing.
    m_pImage = m_pBase;
    return false;
}

void QBracket::PreviewBrightness(int contrast, int brightness)
{
    if (m_pImage.isNull() || m_pBase.isNull())
        return;
    if (!prepareDisplayBuffer())
        return;
    const QColorAdjust::Table table = QColorAdjust::brightnessContrastTable(contrast, brightness);
    if (!QColorAdjust::apply(m_pBase, m_pImage, table, table, table)) {
        RevertPreview();
        return;
    }
    m_previewTables = std::array<QColorAdjust::Table, 3> { table, table, table };
}

void QBracket::PreviewColorBalance(quint32 packed)
{
    if (m_pImage.isNull() || m_pBase.isNull())
        return;
    if (!prepareDisplayBuffer())
        return;
    const auto tables = QColorAdjust::colorBalanceTables(packed);
    if (!QColorAdjust::apply(m_pBase, m_pImage, tables[0], tables[1], tables[2])) {
        RevertPreview();
        return;
    }
    m_previewTables = tables;
}

void QBracket::CommitBrightness(int contrast, int brightness)
{
    if (m_pImage.isNull() || m_pBase.isNull())
        return;
    const QColorAdjust::Table table = QColorAdjust::brightnessContrastTable(contrast, brightness);
    QImage adjusted(m_pBase.size(), QImage::Format_ARGB32);
    if (!QColorAdjust::apply(m_pBase, adjusted, table, table, table))
        return;
    m_pBase = adjusted;
    m_pImage = adjusted;
    m_previewTables.reset();
}

void QBracket::CommitColorBalance(quint32 packed)
{
    if (m_pImage.isNull() || m_pBase.isNull())
        return;
    const auto tables = QColorAdjust::colorBalanceTables(packed);
    QImage adjusted(m_pBase.size(), QImage::Format_ARGB32);
    if (!QColorAdjust::apply(m_pBase, adjusted, tables[0], tables[1], tables[2]))
        return;
    m_pBase = adjusted;
    m_pImage = adjusted;
    m_previewTables.reset();
}

void QBracket::RevertPreview()
{
    if (m_pImage.isNull())
        return;
    m_previewTables.reset();
    m_pImage = m_pBase;
}
