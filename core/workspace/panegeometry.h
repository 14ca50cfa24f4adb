// Scale, centring and scrolling of one pane, and the conversions between its three
// coordinate spaces. Plain arithmetic, kept apart from the widget so it can be
// tested without a display.
//
//   client      pixels of the pane's viewport, (0, 0) at its top-left corner
//   drawing     photograph pixels plus the centring offset: what the painter draws
//               in once the scale and the scroll position are applied
//   photo       pixels of the (oriented) photograph
//
// Each conversion has its inverse beside it. Input goes client -> photo through the
// truncating rule; painting goes photo -> drawing -> client. In a mirrored pane the
// client -> drawing step also turns x about the pane's vertical centre line, so
// paint and input, which both go through it, see the same mirror.
#pragma once

#include <QPoint>
#include <QPointF>
#include <QRectF>
#include <QTransform>

class PaneGeometry {
public:
    // Scroll state the widget mirrors in its scroll bars. Totals and positions are
    // in client pixels (photograph pixels times viewScale).
    struct Scroll {
        int totalCx = 0, totalCy = 0;
        int posX = 0, posY = 0;
        bool hBarShown = false, vBarShown = false;
    };

    // Scroll sizes and centring for a fixed scale. The scroll positions carry over
    // in proportion to the old totals so a zoom keeps the same part in view.
    void updateScrollSizes(int photoW, int photoH, double zoom, int clientW, int clientH);

    // updateScrollSizes at a new zoom that keeps the photograph point under
    // `anchor` (client pixels, e.g. the pane's centre or the pointer) where it
    // is, as far as the scroll range allows.
    void zoomAbout(double zoom, int photoW, int photoH, int clientW, int clientH, QPointF anchor);

    // A client point held inside a client area of the given size, so that a drag
    // carried past the pane's edge stops at the edge.
    static QPoint clampToClient(QPoint client, int clientW, int clientH);

    // Fit mode scales the photograph to the client size with its aspect kept and
    // ignores `zoom`; otherwise the same as updateScrollSizes at `zoom`.
    void setScale(double zoom, int photoW, int photoH, bool fit, int clientW, int clientH);

    // Client <-> drawing: drawing = (client + scroll position) / viewScale, with
    // client x read as clientW - x first in a mirrored pane. Rects come back
    // normalised, so a mirrored rect still has a positive width.
    QPointF clientToDrawing(QPointF client) const;
    QPointF drawingToClient(QPointF drawing) const;
    QRectF clientToDrawing(const QRectF& client) const;
    QRectF drawingToClient(const QRectF& drawing) const;

    // Drawing <-> photo: the centring offset, in whole photograph pixels.
    QPoint photoToDrawing(QPoint photo) const { return { photo.x() + offsetX, photo.y() + offsetY }; }
    QPoint drawingToPhoto(QPoint drawing) const
    {
        return { drawing.x() - offsetX, drawing.y() - offsetY };
    }
    QTransform photoToDrawingTransform() const { return QTransform::fromTranslate(offsetX, offsetY); }

    // Client -> photo for input: the drawing position truncated toward zero, less
    // the offset. photoToClient gives the client position of a photograph pixel's
    // top-left corner, so every client pixel lies in the cell of the photograph
    // pixel it maps to: photoToClient(p) <= c < photoToClient(p + 1) for every c
    // inside the viewport. Mirrored, that corner shows at the cell's right edge and
    // the rule holds for the pixel's right edge c + 1, from the other side.
    QPoint clientToPhoto(QPoint client) const;
    QPointF photoToClient(QPointF photo) const;
    // The exact (untruncated) photograph area under a client area, and back.
    QRectF clientToPhoto(const QRectF& client) const;
    QRectF photoToClient(const QRectF& photo) const;

    // The transform a painter needs to draw in drawing coordinates on the client.
    QTransform drawingToClientTransform() const;
    // Client pixels as they would be unmirrored, and back (its own inverse): the
    // identity unless mirrored.
    QTransform clientMirror() const;

    double viewScale = 1.0;
    // Centring offset in photograph pixels; 0 on an axis where the scaled picture
    // is larger than the client area.
    int offsetX = 0, offsetY = 0;
    Scroll scroll;
    // Mirror view: the pane shows the drawing turned about its vertical centre
    // line. clientW is the viewport width it turns about; the sizing functions
    // keep it current.
    bool mirrored = false;
    int clientW = 0;

private:
    QPointF scrollPos() const { return QPointF(scroll.posX, scroll.posY); }
    QPointF offset() const { return QPointF(offsetX, offsetY); }
    // Client x read through the mirror, when there is one; its own inverse.
    QPointF facing(QPointF client) const
    {
        return mirrored ? QPointF(clientW - client.x(), client.y()) : client;
    }
};
