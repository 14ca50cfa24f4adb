// One pane of the 2 x 2 grid: shows the photograph of the workspace slot the
// workspace's pane layout gives it, at the pane's scale, centred, scrolled, and
// (in a working pane) the slot's clip and brackets. It keeps only its grid index;
// the slot, the working flag and every other state are the workspace's.
#pragma once

#include "core/workspace/consultationstep.h"
#include "core/workspace/panegeometry.h"
#include "core/workspace/panebackdrop.h"
#include "core/workspace/scaledphotocache.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QPainterPath>

#include <vector>

#include <optional>

class PaneHost;
class QMenu;
class QTips;
class Workspace;

class CKestrinView : public QAbstractScrollArea {
    Q_OBJECT

public:
    // `paneIndex`: the grid position, row by row (0 top-left .. 3 bottom-right).
    CKestrinView(int paneIndex, QWidget* parent);

    // Called by the frame after every zoom, fit or layout change; in fit mode the
    // zoom is not used. A zoom keeps the photograph point at the pane's centre in
    // place, or the one under the pointer for a Ctrl + wheel zoom.
    void setScale(double zoom, int photoW, int photoH, bool fit);
    void updateScrollSizes(int photoW, int photoH, double zoom);
    // Scroll sizes at a fixed scale with the default page and line steps.
    void setScrollSizes(int totalCx, int totalCy);
    QPoint clientToPhoto(QPoint client) const;
    QPoint photoToDrawing(QPoint p) const { return m_geometry.photoToDrawing(p); }

    void OnInitialUpdate();
    // Drops any tip on its way, as after the pane was given another slot.
    void resetTip();

    int paneIndex() const { return m_paneIndex; }
    // The slot this pane shows and whether it is a working pane (not the
    // reference), as the workspace's layout says.
    int slot() const;
    bool isWorking() const;

    // Pastes a gallery picture into this pane's slot (a drop at the global point
    // (screenX, screenY), or a double click in the list). Refuses with a message in
    // the reference pane and without a closed clip. Always true.
    bool pasteBracket(int listIndex, const QString& picturePath, unsigned mouseFlags, int screenX,
        int screenY, int pictureWidth, int pictureHeight, int sideFlag);
    // Applies an adjustment dialog's values to the selected bracket and shows the
    // result at once; commit makes it stay, otherwise it is a preview.
    void UpdateBrightness(int contrast, int brightness, bool commit);
    void UpdateColorBalance(quint32 packed, bool commit);
    QTips* tipWindow() const { return tipWnd; }
    // The clip context menu, built on first use from the frame's actions.
    QMenu* clipMenu();

    // The client area to repaint after the selected bracket of this pane moved,
    // turned or scaled: where it and the brackets above it were last drawn and where
    // they are now. The whole viewport when the pane has drawn no such frame.
    QRect movedBracketsArea() const;

    double viewScale() const { return m_geometry.viewScale; }
    int offsetX() const { return m_geometry.offsetX; }
    int offsetY() const { return m_geometry.offsetY; }

signals:
    // A mouse press: the pane asks to become the active one. Keyboard focus alone
    // never makes a pane active.
    void activated(CKestrinView* view);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    PaneHost* frame() const;
    Workspace* workspace() const;
    // Pushes the geometry's scroll state to the scroll bars, and back.
    void applyScroll();
    void readScrollPositions();
    // Mirrors the geometry's bar decision in the scroll bars' policies; resizes
    // this causes are not taken as the user's (see m_settingScale).
    void applyBarPolicies(bool hBar, bool vBar);
    // Applies the geometry's bars and sizes the scroll again for the viewport
    // they leave, until neither bar changes.
    void settleBars(int photoW, int photoH, double zoom);
    void OnSize(int cx, int cy);
    // Takes the workspace's mirror view into the geometry, at the viewport's width.
    void followMirror();
    // The arrow key that moves a bracket across the photograph the way `key`
    // points on screen.
    int photoArrowKey(int key) const;

    void bracketMove(QPoint client, bool ctrl, bool leftDown);
    // A left press starts one undo step of `step`, which the release ends.
    void beginDragStep(Workspace& ws, ConsultationStep::Kind step);
    void endDragStep();
    void stopTip();

    // Which brackets a paint draws and through which clip (drawing coordinates):
    // all `count` of the slot, of which the first `still` do not move while the
    // selected one is dragged.
    struct BracketLayers {
        QPainterPath clip;
        int count = 0;
        int still = 0;
    };
    // A moving bracket as last drawn into the frame: what it looked like, and the
    // client area it may have covered.
    struct DrawnBracket {
        QByteArray key;
        QRect area;
        bool decorated = false; // shows its centre, handle and the line between
    };
    std::vector<DrawnBracket> liveBrackets(const Workspace& ws, const BracketLayers& layers) const;
    // Where the moving brackets differ between two drawings of the same layers:
    // the old and new areas of each bracket that changed, grown to hold every
    // decorated bracket they reach.
    static QRect changedArea(
        const std::vector<DrawnBracket>& before, const std::vector<DrawnBracket>& now);
    // Where and how the pane shows the drawing: its size, pixel ratio, zoom, offset,
    // scroll and mirror, for the keys of the pictures kept in device pixels.
    QByteArray viewKey(qreal ratio) const;
    // m_outlineMask, drawn anew when the outline or the view changed.
    const QImage& outlineMask(qreal ratio);
    // Puts the backdrop back on the frame's pixels of `area` that lie outside the
    // outline, as drawing the brackets through the outline's clip would have left them.
    void cutToOutline(const QRect& area);
    // Copies `area` (client coordinates) of a picture held in device pixels.
    static void copyDevicePixels(QPainter& painter, const QImage& picture, const QRect& area);
    void paintAllLayers(QPainter& painter, Workspace& ws, const QRect& exposed);
    void paintOverBackdrop(QPainter& painter, Workspace& ws, const QRect& exposed);
    void setDrawingView(QPainter& painter) const;
    static void reportFirstFrame();
    BracketLayers bracketLayers(const Workspace& ws, QPainter& painter);
    void paintPhotograph(QPainter& painter, Workspace& ws, const QRect& exposed);
    void paintClipOutline(QPainter& painter, const Workspace& ws);
    void paintBrackets(QPainter& painter, const Workspace& ws, int first, int end);

    const int m_paneIndex;
    PaneGeometry m_geometry;
    int lastClientCx = 0, lastClientCy = 0;
    bool lastFitMode = false;
    bool m_applyingScroll = false;
    // True while setScale changes the bars: the viewport resizes it causes must
    // not re-scale from a half-updated geometry.
    bool m_settingScale = false;
    // Client point the next zoom keeps in place (the pointer of a Ctrl + wheel
    // zoom); the pane's centre otherwise.
    std::optional<QPointF> m_zoomAnchor;
    int m_wheelDelta = 0; // eighths of a degree not yet turned into zoom steps
    QMenu* m_clipMenu = nullptr;
    ScaledPhotoCache m_photoCache;
    PaneBackdrop m_backdrop;
    // The backdrop with the moving brackets over it, as the pane last showed it.
    PaneBackdrop m_frame;
    std::vector<DrawnBracket> m_drawnLive;
    // The outline's region in drawing coordinates and what it was built from.
    QByteArray m_outlineKey;
    QPainterPath m_outlineRegion;
    // The region's device pixels in the pane (255 inside, 0 outside) and the view
    // they were drawn for.
    QByteArray m_outlineMaskKey;
    QImage m_outlineMask;
    // The undo step the left button's press began, until its release.
    std::optional<ConsultationStep::Kind> m_dragStep;
    int m_clipEntriesAtPress = 0; // a press that added a point is not a point move
    QTips* tipWnd = nullptr;
    int tipTicks = 0;
    int lastMouseX = 0, lastMouseY = 0;
    QBasicTimer tipTimer;
};
