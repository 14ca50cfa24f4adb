// Renders the composite that is saved and registered: the shown panes side by
// side at the photograph's own pixel size, whole or one horizontal band at a time.
#pragma once

#include "core/output/stamppainter.h"

#include <QImage>
#include <QPainterPath>
#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QSize>
#include <QVector>

class QPainter;
class Workspace;

// Composite pixels: pane (row, col) has its top-left corner at
// (w * col * 1.1, h * row * 1.1) for a w x h photograph, unscaled, truncated to
// whole pixels; the tenth of a photograph between panes is left transparent black
// (black once saved as JPEG). Each pane shows the photograph and, while the clip is
// closed, its slot's brackets as drawn for output (no decorations, inner entries
// left out) inside the clip outline. Zoom, scrolling, fit mode, selection and tips
// play no part.
//
// Each pane's brackets are drawn once into an overlay of their own and blended in
// at whole pixels, so a band comes out exactly as the same rows of the whole
// picture, wherever the bands are cut. Not for use from several threads.
// Working panes carry the simulation label in their corner (see StampPainter).
// A mirrored composite has each pane's picture turned left to right, as the mirror
// view shows it; the label is not turned, so that it still reads.
class CompositeRenderer {
public:
    // paneSlots: the slot number of each shown pane, row by row, rows x cols of
    // them (1 x 1, 1 x 2 or 2 x 2). The workspace must outlive the renderer and stay
    // unchanged while it renders.
    CompositeRenderer(const Workspace& ws, const QVector<int>& paneSlots, int rows, int cols,
        bool mirrored = false);

    // A photograph is loaded and the slots match the grid.
    bool isValid() const;
    int rows() const { return m_rows; }
    int cols() const { return m_cols; }
    // trunc((cols - 1) * w * 1.1 + w) by trunc((rows - 1) * h * 1.1 + h).
    QSize size() const;
    // (w * col * 1.1, h * row * 1.1) in single precision: composites saved by
    // every earlier release place panes exactly so, and a practice compares them.
    QPointF paneOrigin(int row, int col) const;
    // The whole pixel where the pane's photograph starts.
    QPoint panePixel(int row, int col) const;

    // Renders composite rows [top, top + band.height()) into band, which is
    // size().width() pixels wide and Format_ARGB32_Premultiplied. Every pixel of the
    // band is overwritten, so one buffer serves all bands. Bands are cheapest taken
    // from the top down: an overlay is dropped once a band has passed below it.
    void renderBand(QImage& band, int top) const;
    // The whole composite as one Format_ARGB32_Premultiplied picture; null when not
    // valid or too large to allocate.
    QImage render() const;

private:
    struct Overlay {
        QRect area; // in composite pixels; empty when the pane shows no bracket
        mutable QImage pixels; // rendered on first use
    };
    Overlay overlayFor(int row, int col) const;
    // Where the overlay lands in the composite: its area, turned within the pane
    // when mirrored.
    QRect shownArea(int pane) const;
    // Composite rows `rows` of one pane's photograph, turned left to right.
    void drawMirroredRows(QPainter& painter, QPoint corner, const QRect& rows) const;
    void renderOverlay(int pane) const;

    const Workspace& m_ws;
    QVector<int> m_slots;
    int m_rows;
    int m_cols;
    bool m_mirrored;
    // The clip area in photograph pixels: the photograph's rectangle cut by the
    // outline; empty unless the clip is closed.
    QPainterPath m_clipArea;
    QVector<Overlay> m_overlays; // one per shown pane, row by row
    StampPainter m_stamp; // dated when the renderer is made
};
