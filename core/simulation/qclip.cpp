#include "core/simulation/qclip.h"

#include <QPainter>
#include <QPen>
#include <QTransform>

#include <algorithm>
#include <cmath>

namespace {

// Tension of the outline's cardinal spline; 0.5 is the usual default and what the
// clinicians are used to seeing.
constexpr double kTension = 0.5;
// Half the side of the square round a fixed point that grabs it, in photograph
// pixels and in screen pixels at the least.
constexpr int kHitHalf = 6;
constexpr double kMinScreenHitHalf = 5.0;

// Adds the cardinal spline through points as cubic Béziers. Between P[i] and P[i+1]
// the control points are P[i] + t/3 (P[i+1] - P[i-1]) and P[i+1] - t/3 (P[i+2] - P[i]).
// An open curve stands in the end point itself for a missing neighbour; a closed one
// wraps round.
void addCardinalSpline(QPainterPath& path, const QVector<QPoint>& points, bool closed)
{
    const int count = points.size();
    const double k = kTension / 3.0;
    auto at = [&](int i) -> QPointF {
        if (closed)
            return points[(i % count + count) % count];
        return points[qBound(0, i, count - 1)];
    };
    path.moveTo(at(0));
    const int segments = closed ? count : count - 1;
    for (int i = 0; i < segments; ++i) {
        const QPointF p0 = at(i - 1), p1 = at(i), p2 = at(i + 1), p3 = at(i + 2);
        path.cubicTo(p1 + k * (p2 - p0), p2 - k * (p3 - p1), p2);
    }
    if (closed)
        path.closeSubpath();
}

QPen dashedPen(QRgb colour, qreal dashOffset)
{
    QPen pen(QColor::fromRgba(colour), 1.0);
    // Flat caps keep the dashes exactly 8 units long, so the two pens alternate.
    pen.setCapStyle(Qt::FlatCap);
    pen.setDashPattern({ 8.0, 8.0 });
    pen.setDashOffset(dashOffset);
    return pen;
}

QPen markerPen(QRgb colour, qreal width)
{
    QPen pen(QColor::fromRgba(colour), width);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

} // namespace

QClip::QClip() { m_path.setFillRule(Qt::OddEvenFill); }

QClip::~QClip() = default;

int QClip::AddPoint(int x, int y, double zoom)
{
    const QPoint p(x, y);
    if (m_points.isEmpty()) {
        m_points.append(p);
        m_points.append(p);
    } else {
        const int hit = HitTestPoint(x, y, zoom);
        if (hit >= 0) {
            m_bDragging = true;
            m_nDragIndex = hit;
        } else {
            m_points.last() = p;
            m_points.append(p);
        }
    }
    BuildOpenCurve();
    return 0;
}

int QClip::PickPoint(int x, int y, double zoom)
{
    const int hit = HitTestPoint(x, y, zoom);
    if (hit >= 0) {
        m_bDragging = true;
        m_nDragIndex = hit;
    }
    BuildClosedCurve();
    return 0;
}

void QClip::DragPoint(int x, int y)
{
    if (!m_bDragging || m_nDragIndex < 0 || m_nDragIndex >= m_points.size())
        return;
    // The trailing entry follows the pointer too, so that the next click starts from
    // where the drag ended.
    m_points[m_nDragIndex] = QPoint(x, y);
    m_points.last() = QPoint(x, y);
    BuildOpenCurve();
}

int QClip::DragClosedPoint(int x, int y)
{
    if (m_bDragging && m_nDragIndex >= 0 && m_nDragIndex < m_points.size())
        m_points[m_nDragIndex] = QPoint(x, y);
    BuildClosedCurve();
    return 0;
}

void QClip::EndDrag()
{
    m_nDragIndex = -1;
    m_bDragging = false;
}

int QClip::HitHalf(double zoom)
{
    if (!(zoom > 0.0))
        return kHitHalf;
    return std::max(kHitHalf, int(std::ceil(kMinScreenHitHalf / zoom)));
}

int QClip::HitTestPoint(int x, int y, double zoom) const
{
    const int half = HitHalf(zoom);
    int hit = -1;
    // Ascending order, keeping the last match: among overlapping boxes the most
    // recently placed point wins. The trailing entry is never a target.
    for (int i = 0; i < m_points.size() - 1; ++i) {
        const QPoint& p = m_points[i];
        if (p.x() - half <= x && x < p.x() + half && p.y() - half <= y && y < p.y() + half)
            hit = i;
    }
    return hit;
}

void QClip::DuplicatePoint(int index, bool closed)
{
    if (index < 0 || index >= m_points.size())
        return;
    m_points.insert(index, m_points[index]);
    closed ? BuildClosedCurve() : BuildOpenCurve();
}

void QClip::DeletePoint(int index, bool closed)
{
    if (index < 0 || index >= m_points.size())
        return;
    m_points.remove(index);
    closed ? BuildClosedCurve() : BuildOpenCurve();
}

void QClip::DeleteLastPoint(bool closed)
{
    if (m_points.size() <= 1)
        return;
    m_points.remove(m_points.size() - 2);
    closed ? BuildClosedCurve() : BuildOpenCurve();
}

void QClip::Clear()
{
    m_points.clear();
    m_path = QPainterPath();
    m_path.setFillRule(Qt::OddEvenFill);
}

void QClip::SetPoints(const QVector<QPoint>& entries, bool closed)
{
    m_points = entries;
    m_nDragIndex = -1;
    m_bDragging = false;
    if (closed)
        BuildClosedCurve();
    else
        BuildOpenCurve();
}

QVector<QPoint> QClip::fixedPoints() const { return m_points.mid(0, m_points.size() - 1); }

void QClip::BuildOpenCurve()
{
    m_path = QPainterPath();
    m_path.setFillRule(Qt::OddEvenFill);
    // A single fixed point makes no curve.
    if (m_points.size() < 3)
        return;
    addCardinalSpline(m_path, fixedPoints(), false);
}

void QClip::BuildClosedCurve()
{
    if (m_points.size() < 4) {
        BuildOpenCurve();
        return;
    }
    m_path = QPainterPath();
    m_path.setFillRule(Qt::OddEvenFill);
    addCardinalSpline(m_path, fixedPoints(), true);
}

void QClip::Draw(QPainter* painter, const QTransform& placement, int highlight) const
{
    if (!painter)
        return;
    painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter->save();
    painter->setWorldTransform(placement * painter->worldTransform());
    painter->setBrush(Qt::NoBrush);

    if (hasOutline()) {
        // White dashes offset by one dash fill the black dashes' gaps.
        painter->setPen(dashedPen(0xFFFFFFFF, 8.0));
        painter->drawPath(m_path);
        painter->setPen(dashedPen(0xFF000000, 0.0));
        painter->drawPath(m_path);
    }

    // Markers show the hit box the pointer will find, so they grow with it when
    // the view shrinks, and their pens stay at least two screen pixels wide. The
    // zoom is in the painter's transform as much as in the placement (a pane passes
    // its offset alone), so it is read from both.
    const double scale = std::sqrt(std::abs(painter->worldTransform().determinant()));
    const int half = HitHalf(scale);
    const double penUnit = scale > 0.0 && scale < 1.0 ? 1.0 / scale : 1.0;
    const QPen normal = markerPen(0xFFBFFBC3, 2.0 * penUnit);
    const QPen highlighted = markerPen(0xFFBFBFFF, 3.0 * penUnit);
    for (int i = 0; i < m_points.size() - 1; ++i) {
        const QRectF box(m_points[i].x() - half, m_points[i].y() - half, 2 * half, 2 * half);
        painter->setPen(normal);
        painter->drawRect(box);
        painter->setPen(i == highlight ? highlighted : normal);
        painter->drawRect(box);
    }
    painter->restore();
}

void QClip::IntersectClip(QPainterPath& region, const QTransform* placement) const
{
    if (!hasOutline())
        return;
    QPainterPath outline = placement ? placement->map(m_path) : m_path;
    outline.setFillRule(Qt::OddEvenFill);
    region = region.intersected(outline);
}
