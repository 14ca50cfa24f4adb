// One bracket picture placed on a pane: its transparent square canvas, position,
// scale and rotation, hit frames, drawing and colour adjustment.
#pragma once

#include "core/simulation/bracketop.h"
#include "core/simulation/qcoloradjust.h"

#include <QByteArray>
#include <QImage>
#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QSize>
#include <QString>
#include <Qt>

#include <array>
#include <optional>

class QPainter;
class QPainterPath;
class QTransform;

// Coordinates are photograph pixels, y downwards, unless an operation says it takes
// drawing coordinates (photograph pixels plus the pane's image offset). Angles are
// degrees, positive clockwise on the screen.
//
// Rectangles: a QRect(x, y, w, h) here stands for the half-open area
// x <= px < x + w, y <= py < y + h; a frame with w or h <= 0 contains nothing (a
// canvas narrower than 12 has an empty inner frame). Test with frameContains(),
// not QRect::contains(), which would normalise such a frame.
//
// Pictures: m_pImage (displayed) and m_pBase (all committed adjustments) are
// Format_ARGB32 (not premultiplied) squares of the same side once a picture is
// loaded, and both null before and after Release(). They are implicitly shared
// QImages: a copy of a bracket shares their pixels until one side writes, and the
// pixels are freed when the last holder lets go. So Init on a local bracket that is
// then copied into a pane's array, with the local destroyed, frees nothing twice;
// Release() (called by the owner before the bracket leaves its array) merely drops
// them early. Adjusting one copy never changes another.
//
// Fields are public like the rest of the workspace state; the operations below keep
// the invariants (m_size is the canvas side times m_dScale, truncated).
class QBracket {
public:
    QBracket() = default;
    QBracket(const QBracket&) = default;
    QBracket(QBracket&&) = default;
    QBracket& operator=(const QBracket&) = default;
    QBracket& operator=(QBracket&&) = default;
    virtual ~QBracket() = default;

    // Sets up a new bracket from a picture file, centred near (x, y). Returns false,
    // leaving the bracket exactly as it was, when the picture is missing, cannot be
    // decoded or is too large for a canvas.
    bool Init(
        int id, int listItem, const QString& path, int x, int y, const QString& name, bool output);
    // Loads another picture, keeping the centre, angle and scale. Committed colour
    // adjustments are dropped with the old picture. Returns false, leaving the bracket
    // (path included) unchanged, when the picture cannot be loaded.
    bool ReplaceImage(const QString& path);
    // An empty name stands for the file stem of m_strPath.
    void SetOutputAndName(bool output, const QString& name);
    void SetListItem(int listItem) { m_nListItem = listItem; }
    void SetName(const QString& name) { m_strName = name; }
    void Release();

    // Recomputes body, rotation handle, bounds and inner frame.
    void UpdateFrames();
    // Recomputes only the rotation handle and the bounds.
    void UpdateRotateHandle();
    // Puts the centre of the displayed canvas at (x, y); frames are not updated.
    void CenterAt(int x, int y);
    QPoint GetPos() const { return m_ptPos; }
    QSize GetSize() const { return m_size; }
    void SetSelected(bool selected);

    // Classifies a press or hover at (x, y), updating m_bSelected, m_bHit and
    // m_nHitPart. When the result asks for a cursor of its own (hand for a move,
    // four arrows for a scale), it is stored in *cursor; otherwise *cursor is left
    // as it was and the caller keeps its current cursor. `zoom` is the pane's
    // scale: the handle is hit over at least its drawn size in screen pixels.
    BracketOp HitTest(int x, int y, bool ctrlHeld,
        std::optional<Qt::CursorShape>* cursor = nullptr, double zoom = 1.0);
    // The rotation handle's hit frame at a pane scale: m_rcRotate widened about its
    // centre so that it never covers fewer screen pixels than the handle drawn.
    QRect RotateHitFrame(double zoom) const;
    // Half the side of the handle's hit square in photograph pixels at a pane
    // scale: the drawn half side in screen pixels, never less than in m_rcRotate.
    static int HandleHitHalf(double zoom);
    // 1 when (x, y) lies on the turned picture itself, not its transparent surround.
    int Contains(int x, int y) const;
    // Records where a drag starts (the press), with the angle and scale then in
    // force: every later step is measured from here, so the speed of the mouse's
    // events plays no part and nothing jumps on the first step.
    void BeginDrag(int x, int y);
    // One pointer step of a move, rotation or scaling, relative to BeginDrag (a
    // step without it begins the drag where it is); other codes do nothing.
    // Returns the cursor to show, or nothing to keep the current one.
    std::optional<Qt::CursorShape> Drag(int x, int y, int op);
    // Moves by whole photograph pixels, or turns by `degrees`; frames follow.
    void Nudge(int dx, int dy);
    void TurnBy(double degrees);
    // The angle after turning from `start` about `centre` as far as the pointer
    // turned from `from` to `to`; `startAngle` while either point is within a
    // pixel of the centre, where the direction means nothing. Kept in (-360, 360).
    static double TurnFromDrag(double startAngle, QPointF centre, QPointF from, QPointF to);
    // The scale after the pointer rose `rise` pixels (negative: fell) since the
    // drag began at `startScale` with the displayed side `startSide`: rising by the
    // displayed side doubles the bracket, falling by it halves it. Kept within the
    // scale limits.
    static double ScaleFromDrag(double startScale, int startSide, int rise);
    // Recomputes m_size from m_dScale and the canvas side, keeping the centre.
    void ApplyScale();

    // The part of the path after the last '\\' or '/' and before the last dot; empty
    // without a dot or when the last dot is in a folder name.
    static QString FileStem(const QString& path);

    // (x, y, w, h) are m_ptPos in drawing coordinates and m_size; zoom is the pane's
    // scale. Replaces the painter's world transform with the bracket's turn about its
    // centre in device pixels and leaves it there. Decorations are drawn only when
    // the bracket is selected and the pane shows the active slot.
    void Draw(QPainter* painter, int x, int y, int w, int h, double zoom, bool active) const;
    // Adds the decoration shape to region (drawing coordinates) by exclusive-or when
    // neither the centre nor the handle lies in it, so that the handle of the
    // selected bracket stays visible and reachable outside the clip outline.
    void AddMarkersToClip(
        QPainter* painter, QPainterPath& region, int x, int y, int w, int h, double zoom) const;
    // Draws the displayed picture without decorations into a saved (scale 1.0) or
    // printed composite; extra is applied after the bracket's own turn. Does nothing
    // for a bracket marked not for output.
    void DrawForOutput(QPainter* painter, double scale, const QTransform& extra) const;

    // contrast and brightness in percent (0..200, neutral 100).
    void PreviewBrightness(int contrast, int brightness);
    // packed = red + green * 256 + blue * 65536 (neutral 0x808080).
    void PreviewColorBalance(quint32 packed);
    void CommitBrightness(int contrast, int brightness);
    void CommitColorBalance(quint32 packed);
    void RevertPreview();

    static bool frameContains(const QRect& frame, int x, int y);

    int m_nId = 0; // creation serial number
    int m_nListItem = -1; // gallery row at the paste; rows move, so nothing looks it up later
    QString m_strPath; // the gallery picture: the entry's identity, which the tips look up
    QString m_strName;
    bool m_bOutput = true; // drawn into saved and printed composites
    QImage m_pImage; // displayed: the canvas, possibly with an adjustment preview
    QImage m_pBase; // the canvas with all committed adjustments
    QPoint m_ptPos; // top-left of the displayed canvas
    QPoint m_ptGrab; // pointer offset from m_ptPos when the current move began
    QSize m_size; // displayed canvas size: side times m_dScale, truncated
    QSize m_sizeSrc; // the picture file's pixel size
    double m_dAngle = 0.0;
    double m_dScale = 1.0;
    bool m_bSelected = false;
    bool m_bHit = false; // the last hit test found the body or the handle
    int m_nHitPart = 0; // 0 none, 1 body, 2 rotation handle
    std::optional<QPoint> m_ptDragStart; // where the current drag began, if any
    double m_dDragStartAngle = 0.0;
    double m_dDragStartScale = 1.0;
    int m_nDragStartSide = 0; // displayed side when the drag began
    QRect m_rcBounds; // body and handle together
    QRect m_rcBody; // the displayed canvas
    QRect m_rcRotate; // 10 x 10 frame of the rotation handle; RotateHitFrame widens it when zoomed out
    QRect m_rcInner; // body inset by 6; a press here moves or scales

private:
    // m_pImage scaled smoothly to the size it was last drawn at, when smaller: a
    // drag repaints on every mouse move, and sampling a large canvas down anew
    // each time costs more than the rest of the paint. Dropped by its key.
    mutable QImage m_drawCache;
    mutable qint64 m_drawCacheKey = 0;
    // While a preview is shown: m_pBase scaled the same way, and the tables of the
    // preview, so each slider step adjusts the small copy instead of scaling the
    // whole canvas again.
    mutable QImage m_baseDrawCache;
    mutable qint64 m_baseDrawCacheKey = 0;
    std::optional<std::array<QColorAdjust::Table, 3>> m_previewTables;
    const QImage& scaledForDrawing(QSize target) const;

    // The turned picture as the painter would draw it, kept in device pixels with
    // its corner on a whole device pixel: a drag frame copies it instead of
    // resampling the picture through a turned transform. Its key is the drawn
    // picture, its target size and the device transform's turn and scale;
    // m_turnedAt is its top-left relative to the picture's snapped corner.
    mutable QImage m_turnedCache;
    mutable QByteArray m_turnedKey;
    mutable QPoint m_turnedAt;
    void drawPicture(QPainter* painter, const QRect& target, const QImage& picture) const;

    bool onPicture(int x, int y) const;
    // Makes m_pImage an unshared buffer of the base's size, ready to be overwritten;
    // false when it cannot be allocated.
    bool prepareDisplayBuffer();
};
