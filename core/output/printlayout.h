// The printed page: each shown pane's photograph fitted into a square cell, its
// first bracket's name underneath, its brackets clipped to the clip outline.
#pragma once

#include <QPainterPath>
#include <QRect>
#include <QTransform>
#include <QVector>

class QPainter;
class Workspace;

// Page coordinates are device pixels of the printable area, origin at its top-left.
// For a w x h photograph and rows x cols panes: cell = printableWidth / max(rows,
// cols); the photograph is scaled to fit a cell (always scaled, centred) and pane
// (row, col) lands at x = col * w * scale + (2 col + 1) * fit.left, y = row * 1.1 *
// h * scale: columns a cell apart, rows stacked from the top of the page with a
// pitch of 1.1 fitted heights. The page height is not consulted.
class PrintLayout {
public:
    // paneSlots: the slot number of each shown pane, row by row. The workspace must
    // outlive the layout.
    PrintLayout(
        const Workspace& ws, const QVector<int>& paneSlots, int rows, int cols, int printableWidth);

    // Places a w x h picture in bounds. Unless alwaysScale, a picture that fits
    // keeps its size; otherwise it is scaled by the larger of w / bw and h / bh
    // (single precision, the vertical ratio on a tie). A centred axis is measured
    // from 0, not from the bounds' corner; an uncentred one starts at the bounds'
    // edge. Always returns true.
    static bool fitRect(int w, int h, const QRect& bounds, QRect* out, bool centreX, bool centreY,
        bool alwaysScale);

    bool isValid() const;
    int cell() const { return m_cell; }
    QRect fit() const { return m_fit; }
    double scale() const { return m_scale; }
    // Photograph pixels of pane (row, col) to page pixels.
    QTransform photoTransform(int row, int col) const;
    // The extra matrix the pane's brackets are drawn with, after their own turn at
    // the print scale.
    QTransform bracketPlacement(int row, int col) const;
    // Caption pixel size before the photograph's scaling.
    int captionPixelSize() const { return 15 * m_cols; }

    // Draws the page: per pane the photograph, the caption, then the brackets.
    void paint(QPainter* painter) const;

private:
    const Workspace& m_ws;
    QVector<int> m_slots;
    int m_rows;
    int m_cols;
    int m_cell = 0;
    QRect m_fit;
    double m_scale = 0.0;
    QPainterPath m_clipArea; // photograph pixels; empty unless the clip is closed
};
