// One picture for the add-bracket dialog: loaded from a user's file, cut to a
// rectangle, drawn fitted into a frame and written to the gallery as PNG.
#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>

class QPainter;

class ImageKit {
public:
    // Replaces the picture with the file's, turned by its EXIF orientation. A file
    // that PictureReader refuses or cannot decode leaves no picture and returns
    // false.
    bool openImage(const QString& path);

    // Whether a picture is held. Every held picture is Format_ARGB32.
    bool hasImage() const { return !m_image.isNull(); }
    const QImage& image() const { return m_image; }
    void setImage(const QImage& image);
    void clear() { m_image = QImage(); }

    // Makes this object hold the other's picture (shared until either changes).
    void copyFrom(const ImageKit& other) { m_image = other.m_image; }

    // Cuts the picture to the rectangle between the corners (left, top) and
    // (right, bottom), in picture pixels; see CropRect. A rectangle that keeps
    // no pixel leaves no picture; returns false then and when none was held.
    bool crop(int left, int top, int right, int bottom);

    // The pixels that crop keeps of a picture of `bounds`. The corners lie on the
    // grid lines between pixels, so the rectangle spans right - left columns:
    // corners given right to left or bottom to top are swapped first, and every
    // coordinate is then clamped to 0..width or 0..height, so a rectangle
    // reaching outside keeps only its part inside. Empty when nothing is left.
    static QRect CropRect(int left, int top, int right, int bottom, const QSize& bounds);

    // Draws the picture into `frame` (client pixels of the painter's device),
    // scaled by one factor in both directions so that it fills the frame's width
    // or height, enlarging small pictures too, and centred. Returns the client
    // position of the drawn picture's top-left corner and sets `scale` to the
    // client pixels per picture pixel. Without a picture nothing is drawn,
    // `scale` becomes 0 and the frame's top-left is returned.
    QPoint drawFitted(QPainter& painter, const QRect& frame, double& scale) const;

    // Where drawFitted puts a picture of `picture` size in `frame`, and its scale.
    static QRect FittedRect(const QSize& picture, const QRect& frame, double& scale);

    // Writes the picture as a 32-bit PNG with its alpha channel. The file appears
    // complete or not at all: it is written beside the target and renamed over
    // it only after every byte was written. False without a picture or on any
    // failure, which leaves an existing file at `path` untouched.
    bool writePng(const QString& path) const;

private:
    QImage m_image;
};
