// The clip outline drawn round the teeth: a cardinal spline through clicked points,
// open while it is drawn and closed afterwards, inside which brackets are shown.
#pragma once

#include <QPainterPath>
#include <QPoint>
#include <QVector>

class QPainter;
class QTransform;

// All coordinates are photograph pixels (after the photograph's rotation or flip).
//
// Point list shape: with n entries, 0..n-2 are the fixed points in the order they
// were placed and n-1 is a trailing entry that is never drawn, hit-tested or part of
// the outline. After a click the trailing entry equals the point just placed, so the
// first click makes two equal entries. An empty list means there is no outline.
//
// The caller keeps whether the outline is open or closed; every rebuilding operation
// is told which one to build.
class QClip {
public:
    QClip();
    virtual ~QClip();
    QClip(const QClip&) = delete;
    QClip& operator=(const QClip&) = delete;

    // Press while the outline is open: starts dragging a hit fixed point, otherwise
    // places a new point. Rebuilds the open outline. Returns 0. zoom is the pane's
    // screen pixels per photograph pixel, which sizes the hit boxes (HitHalf).
    int AddPoint(int x, int y, double zoom = 1.0);
    // Press while the outline is closed: starts dragging a hit fixed point. Always
    // rebuilds the closed outline. Returns 0.
    int PickPoint(int x, int y, double zoom = 1.0);
    // Move while the outline is open; only acts while a point is dragged.
    void DragPoint(int x, int y);
    // Move while the outline is closed. Always rebuilds the closed outline. Returns 0.
    int DragClosedPoint(int x, int y);
    void EndDrag();
    // Index of the fixed point whose hit box holds (x, y), highest index winning;
    // -1 when none.
    int HitTestPoint(int x, int y, double zoom = 1.0) const;
    // Half the side, in photograph pixels, of the square that grabs a fixed point
    // and of its marker: six photograph pixels, but never under five screen
    // pixels, so that a point can be grabbed in the smallest four-pane view.
    static int HitHalf(double zoom);

    // Index operations ignore out-of-range requests.
    void DuplicatePoint(int index, bool closed);
    void DeletePoint(int index, bool closed);
    // Removes the last fixed point; the trailing entry stays.
    void DeleteLastPoint(bool closed);
    void Clear();
    // Replaces the whole list (entries as GetPoints returns them, trailing entry
    // included) and rebuilds the outline; for a consultation read back from a file.
    void SetPoints(const QVector<QPoint>& entries, bool closed);

    void BuildOpenCurve();
    // Falls back to the open curve with fewer than three fixed points.
    void BuildClosedCurve();

    // Draws the dashed outline and the point markers. placement maps photograph
    // pixels to the painter's current world space (the pane's image offset); it is
    // applied before the painter's own transform, which is restored afterwards.
    // highlight is the index of a point drawn with a thicker pen, or -1.
    void Draw(QPainter* painter, const QTransform& placement, int highlight) const;
    // Intersects region with the area enclosed by the outline (odd-even, so a
    // self-crossing outline leaves holes). placement, when given, maps the outline
    // into the region's space. An empty outline leaves region unchanged.
    void IntersectClip(QPainterPath& region, const QTransform* placement) const;

    const QPainterPath& GetPath() const { return m_path; }
    // Number of entries including the trailing one.
    int GetCount() const { return m_points.size(); }

    const QVector<QPoint>& GetPoints() const { return m_points; }
    bool IsDragging() const { return m_bDragging; }
    int GetDragIndex() const { return m_nDragIndex; }

private:
    // Whether the last rebuild added a curve. Not m_path.isEmpty(): Qt drops a
    // segment between two equal points, so an outline whose fixed points all
    // coincide has no elements, yet it must still clip everything away.
    bool hasOutline() const { return m_points.size() >= 3; }
    // The fixed points without the trailing entry.
    QVector<QPoint> fixedPoints() const;

    QVector<QPoint> m_points;
    QPainterPath m_path; // always Qt::OddEvenFill
    int m_nDragIndex = -1;
    bool m_bDragging = false;
};
