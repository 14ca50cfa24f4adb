// The photograph scaled smoothly to one pane's scale, kept between paints: a
// drag repaints the pane on every mouse move, and scaling a 24-megapixel picture
// each time would cost more than everything else in the paint.
#pragma once

#include <QImage>

class ScaledPhotoCache {
public:
    // The photograph at `scale` (opaque RGB32, so drawing it is a plain copy), built
    // on first use after the photograph or the scale changed. A null image when the
    // scaled picture would exceed `maxPixels`: then only the visible part of the
    // photograph is worth drawing, straight from the original.
    const QImage& scaled(const QImage& photo, double scale, qint64 maxPixels);
    void clear();

    // Size of the scaled picture for a photograph of `size` at `scale`.
    static QSize scaledSize(QSize size, double scale);

private:
    QImage m_cache;
    qint64 m_photoKey = 0;
    double m_scale = 0;
};
