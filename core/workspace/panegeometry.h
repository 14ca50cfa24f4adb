// Scale, centring and scrolling of one pane, and the mapping between client pixels,
// photograph pixels and drawing coordinates. Plain arithmetic, kept apart from the
// widget so it can be tested without a display.
#pragma once

#include <QPoint>

class PaneGeometry {
public:
    // Scroll state the widget reads back after each change. Totals and positions
    // are in client pixels (photograph pixels times viewScale).
    struct Scroll {
        int totalCx = 0, totalCy = 0;
        int posX = 0, posY = 0;
        bool hBarShown = false, vBarShown = false;
    };

    // Scroll sizes and centring for a fixed scale. The scroll positions carry over
    // in proportion to the old totals so a zoom keeps the same part in view.
    void updateScrollSizes(int photoW, int photoH, double zoom, int clientW, int clientH);

    // Fit mode scales the photograph to the client size with its aspect kept and
    // ignores `zoom`; otherwise the same as updateScrollSizes at `zoom`.
    void setScale(double zoom, int photoW, int photoH, bool fit, int clientW, int clientH);

    // Client pixels to photograph pixels: truncated toward zero, then less the offset.
    QPoint clientToPhoto(int x, int y) const;
    // Photograph pixels to drawing coordinates (photograph pixels plus the offset).
    QPoint photoToDrawing(QPoint p) const { return { p.x() + offsetX, p.y() + offsetY }; }

    double viewScale = 1.0;
    // Centring offset in photograph pixels; 0 on an axis where the scaled picture
    // is larger than the client area.
    int offsetX = 0, offsetY = 0;
    Scroll scroll;
};
