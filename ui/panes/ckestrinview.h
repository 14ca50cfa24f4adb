// One pane: shows the photograph of its workspace slot at the pane's scale,
// centred, scrolled, and (in a working pane) the slot's clip and brackets.
// It keeps no simulation data beyond its slot number; the state is the frame's.
#pragma once

#include "core/workspace/panegeometry.h"
#include "core/workspace/scaledphotocache.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>

class CMainFrame;
class QMenu;
class QTips;
class Workspace;

class CKestrinView : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit CKestrinView(QWidget* parent = nullptr);

    // Called by the frame after every zoom, fit or layout change; in fit mode the
    // zoom is not used.
    void setScale(double zoom, int photoW, int photoH, bool fit);
    void updateScrollSizes(int photoW, int photoH, double zoom);
    // Scroll sizes at a fixed scale with the default page and line steps.
    void setScrollSizes(int totalCx, int totalCy);
    QPoint clientToPhoto(int x, int y) const;
    QPoint photoToDrawing(QPoint p) const { return m_geometry.photoToDrawing(p); }

    void OnInitialUpdate();
    void setWorkingPane(bool working);

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

    // Commands the pane handles itself (the clip point commands); false for the
    // rest, which then go to the frame.
    bool onCommand(int id);
    QMenu* clipMenu() const { return m_clipMenu; }

    double viewScale() const { return m_geometry.viewScale; }
    int offsetX() const { return m_geometry.offsetX; }
    int offsetY() const { return m_geometry.offsetY; }

    bool workingPane = false; // false for the reference pane (slot 0)
    int slotNumber = 0;

signals:
    void activated(CKestrinView* view);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void focusInEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    CMainFrame* frame() const;
    Workspace* workspace() const;
    // Pushes the geometry's scroll state to the scroll bars, and back.
    void applyScroll();
    void readScrollPositions();
    void OnSize(int cx, int cy);

    void bracketMove(QPoint client, bool ctrl, bool leftDown);
    void stopTip();
    void buildClipMenu();
    void updateClipMenu();
    void showClipMenu(QPoint globalPos);

    void paintPhotograph(QPainter& painter, const Workspace& ws, const QRect& exposed);
    void paintClipOutline(QPainter& painter, const Workspace& ws);
    void paintBrackets(QPainter& painter, CMainFrame& frame, const Workspace& ws);

    PaneGeometry m_geometry;
    int lastClientCx = 0, lastClientCy = 0;
    bool lastFitMode = false;
    bool m_applyingScroll = false;
    QMenu* m_clipMenu = nullptr;
    ScaledPhotoCache m_photoCache;
    QTips* tipWnd = nullptr;
    int tipTicks = 0;
    int lastMouseX = 0, lastMouseY = 0;
    QBasicTimer tipTimer;
};
