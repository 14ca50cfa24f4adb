// The trimming rectangle of the add-bracket dialog: its corners in source-picture
// pixels, the rubber-band state, and the mapping between the dialog's client
// pixels and the source picture as it was last drawn.
#pragma once

#include <QPoint>
#include <QRect>

class TrimmingState {
public:
    enum State {
        NoRectangle = 0,
        RubberBand = 2, // a rectangle follows the mouse
        Cropped = 3, // the picture has been cut to a rectangle
    };

    // Where the source picture was drawn: the client position of its top-left
    // corner and the client pixels per picture pixel. Only drawing the source
    // sets these, so a rectangle drawn while the cropped copy is shown is still
    // taken in source pixels as the source was last shown.
    void SetSourceMapping(const QPoint& origin, double scale);

    // Client pixels to source pixels, (client - origin) / scale truncated toward
    // zero; (0, 0) before the source was first drawn.
    QPoint ClientToImage(const QPoint& client) const;
    // Source pixels to client pixels, image × scale + origin truncated toward zero.
    QPoint ImageToClient(const QPoint& image) const;

    // Left button down: a point in `frame` (client pixels, its right and bottom
    // edge lines included) becomes the start corner. The state does not change.
    void Press(const QPoint& client, const QRect& frame);
    // Mouse move: the end corner follows the point and the rubber band shows,
    // but only after a start corner with both coordinates above 0 and not once
    // the picture is cropped. True when the band changed and must be repainted.
    bool Move(const QPoint& client);
    // Left button up: the point becomes the end corner and the state Cropped.
    // The caller cuts a fresh copy of the source to Start()..End().
    void Release(const QPoint& client);
    // Trimming switched off: no rectangle, both corners (0, 0).
    void Reset();

    int TrimState() const { return m_nTrimState; }
    QPoint Start() const { return m_ptStart; }
    QPoint End() const { return m_ptEnd; }
    QPoint Origin() const { return m_ptOrigin; }
    double Scale() const { return m_dScale; }

    // The rubber band in client pixels, corners included (normalised); empty
    // unless the state is RubberBand.
    QRect RubberBandRect() const;

private:
    double m_dScale = 0.0;
    QPoint m_ptStart; // source pixels
    QPoint m_ptEnd; // source pixels
    QPoint m_ptOrigin; // client pixels
    int m_nTrimState = NoRectangle;
};
