// The printed page: a header line (patient id when set, and the date), then the
// shown panes' photographs in their grid with a gap between them, each working
// pane's first bracket name centred underneath, brackets clipped to the outline.
#pragma once

#include <QDate>
#include <QPageLayout>
#include <QPainterPath>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QTransform>
#include <QVector>

class QPainter;
class Workspace;

// Page coordinates are device pixels of the printable area, origin at its
// top-left; `dpi` converts points and millimetres into them. Every pane's
// photograph gets the same scale: the largest at which the grid, with its
// captions and gaps, fits under the header. The grid is centred across the page
// and starts right under the header.
class PrintLayout {
public:
    static constexpr double CaptionPoints = 11.0;
    static constexpr double HeaderPoints = 11.0;
    static constexpr double GapMillimetres = 5.0;

    // paneSlots: the slot number of each pane, row by row of the rows x cols grid
    // to print (see bestGrid). The workspace must outlive the layout.
    PrintLayout(const Workspace& ws, const QVector<int>& paneSlots, int rows, int cols,
        const QSize& printable, int dpi, const QString& header);

    // The grid (width: columns, height: rows) the shown rows x cols panes print
    // larger in on `printable`: as shown, or turned to cols x rows (two panes side
    // by side stack on a portrait page). The panes keep their reading order; a tie
    // keeps the grid as shown.
    static QSize bestGrid(const QSize& photo, int rows, int cols, const QSize& printable, int dpi);
    // The orientation under which the panes, in their best grid, print larger, for
    // a page whose printable area is `portrait` (width < height) at dpi.
    static QPageLayout::Orientation bestOrientation(
        const QSize& photo, int rows, int cols, const QSize& portrait, int dpi);
    // "患者ID: <id>  <yyyy/MM/dd>", or the date alone without a patient.
    static QString headerText(const QString& patientId, const QDate& date);

    bool isValid() const;
    double scale() const { return m_scale; }
    // Page pixels of one pane's photograph.
    QSize pictureSize() const { return m_picture; }
    // Page pixel of pane (row, col)'s photograph's top-left corner.
    QPoint paneOrigin(int row, int col) const;
    // Photograph pixels of pane (row, col) to page pixels.
    QTransform photoTransform(int row, int col) const;
    // The band under pane (row, col) its caption is centred in, page pixels.
    QRect captionRect(int row, int col) const;
    QRect headerRect() const;
    int gap() const { return m_gap; }
    int captionPixelSize() const { return m_captionPx; }
    int headerPixelSize() const { return m_headerPx; }

    // Draws the page: the header, then per pane the photograph, the caption and
    // the brackets.
    void paint(QPainter* painter) const;

private:
    const Workspace& m_ws;
    QVector<int> m_slots;
    int m_rows;
    int m_cols;
    QSize m_printable;
    QString m_header;
    int m_captionPx = 0;
    int m_headerPx = 0;
    int m_gap = 0;
    double m_scale = 0.0;
    QSize m_picture;
    QPoint m_origin; // pane (0, 0)'s top-left
    QPainterPath m_clipArea; // photograph pixels; empty unless the clip is closed
};
