#include "core/workspace/panegeometry.h"

#include <QtGlobal>

#include <cmath>

namespace {
// The centring difference is truncated first and then halved toward zero, so
// differences of 7 and -7 give 3 and -3.
int centring(int client, double scale, int photo) { return int(client / scale - photo) / 2; }
} // namespace

void PaneGeometry::updateScrollSizes(int photoW, int photoH, double zoom, int clientW, int clientH)
{
    this->clientW = clientW;
    const int posX = scroll.posX, posY = scroll.posY;
    const int oldCx = scroll.totalCx, oldCy = scroll.totalCy;
    const int scaledW = int(photoW * zoom);
    const int scaledH = int(photoH * zoom);

    scroll.hBarShown = clientW < scaledW;
    offsetX = scroll.hBarShown ? 0 : centring(clientW, zoom, photoW);
    scroll.vBarShown = clientH < scaledH;
    offsetY = scroll.vBarShown ? 0 : centring(clientH, zoom, photoH);

    scroll.totalCx = scaledW;
    scroll.totalCy = scaledH;
    if (oldCx != 0 && oldCy != 0) {
        const int newCx = scroll.totalCx, newCy = scroll.totalCy;
        scroll.posX = newCx > clientW ? int(qint64(newCx) * posX / oldCx) : 0;
        scroll.posY = newCy > clientH ? int(qint64(newCy) * posY / oldCy) : 0;
    }
}

void PaneGeometry::zoomAbout(
    double zoom, int photoW, int photoH, int clientW, int clientH, QPointF anchor)
{
    const QPointF kept = clientToDrawing(anchor) - offset(); // exact photograph position
    viewScale = zoom;
    updateScrollSizes(photoW, photoH, zoom, clientW, clientH);
    const QPointF pos = (kept + offset()) * zoom - facing(anchor);
    const auto place = [](double want, bool shown, int total, int client) {
        return shown ? qBound(0, int(std::lround(want)), qMax(0, total - client)) : 0;
    };
    scroll.posX = place(pos.x(), scroll.hBarShown, scroll.totalCx, clientW);
    scroll.posY = place(pos.y(), scroll.vBarShown, scroll.totalCy, clientH);
}

QPoint PaneGeometry::clampToClient(QPoint client, int clientW, int clientH)
{
    return QPoint(qBound(0, client.x(), qMax(0, clientW - 1)),
        qBound(0, client.y(), qMax(0, clientH - 1)));
}

void PaneGeometry::setScale(double zoom, int photoW, int photoH, bool fit, int clientW, int clientH)
{
    if (fit && (clientW <= 0 || clientH <= 0))
        return; // a collapsed pane has nothing to fit into
    this->clientW = clientW;
    viewScale = zoom;
    if (!fit) {
        updateScrollSizes(photoW, photoH, zoom, clientW, clientH);
        return;
    }
    const double rx = double(photoW) / clientW;
    const double ry = double(photoH) / clientH;
    double m = rx > ry ? rx : ry;
    if (m == 0.0)
        m = 1.0;
    viewScale = 1.0 / m;
    offsetX = centring(clientW, viewScale, photoW);
    offsetY = centring(clientH, viewScale, photoH);
    // Totals two pixels short of the client area keep scroll bars away in fit mode.
    if (clientW - 2 >= 0 && clientH - 2 >= 0) {
        scroll.totalCx = clientW - 2;
        scroll.totalCy = clientH - 2;
    }
}

QPointF PaneGeometry::clientToDrawing(QPointF client) const
{
    return (facing(client) + scrollPos()) / viewScale;
}

QPointF PaneGeometry::drawingToClient(QPointF drawing) const
{
    return facing(drawing * viewScale - scrollPos());
}

QRectF PaneGeometry::clientToDrawing(const QRectF& client) const
{
    return QRectF(clientToDrawing(client.topLeft()), clientToDrawing(client.bottomRight()))
        .normalized();
}

QRectF PaneGeometry::drawingToClient(const QRectF& drawing) const
{
    return QRectF(drawingToClient(drawing.topLeft()), drawingToClient(drawing.bottomRight()))
        .normalized();
}

QPoint PaneGeometry::clientToPhoto(QPoint client) const
{
    // Truncated before the offset is taken off, so a click left of the picture at
    // a large scale still lands on the pixel column the user sees there. The pixel
    // is taken by its corner nearest the drawing's origin: its right edge when
    // mirrored.
    const QPointF d = clientToDrawing(QPointF(client) + QPointF(mirrored ? 1 : 0, 0));
    return drawingToPhoto(QPoint(int(d.x()), int(d.y())));
}

QPointF PaneGeometry::photoToClient(QPointF photo) const
{
    return drawingToClient(photo + offset());
}

QRectF PaneGeometry::clientToPhoto(const QRectF& client) const
{
    return clientToDrawing(client).translated(-offset());
}

QRectF PaneGeometry::photoToClient(const QRectF& photo) const
{
    return drawingToClient(photo.translated(offset()));
}

QTransform PaneGeometry::drawingToClientTransform() const
{
    return QTransform::fromScale(viewScale, viewScale)
        * QTransform::fromTranslate(-scroll.posX, -scroll.posY) * clientMirror();
}

QTransform PaneGeometry::clientMirror() const
{
    return mirrored ? QTransform(-1, 0, 0, 1, clientW, 0) : QTransform();
}
