// The photograph scaled smoothly to one pane's scale, kept between paints: a
// drag repaints the pane on every mouse move, and scaling a 24-megapixel picture
// each time would cost more than everything else in the paint.
#pragma once

#include <QImage>

class ScaledPhotoCache {
public:
    // The photograph at `scale` photograph-to-logical pixels on a screen of
    // `devicePixelRatio` device pixels per logical one: the picture holds one pixel
    // per device pixel and carries that ratio, so drawing it at its logical position
    // is a plain copy and stays sharp at 125, 150 or 200 %. Opaque RGB32; built on
    // first use after the photograph, the scale or the ratio changed. A null image
    // when it would exceed `maxPixels` device pixels: then only the visible part of
    // the photograph is worth drawing, straight from the original.
    const QImage& scaled(const QImage& photo, double scale, qreal devicePixelRatio, qint64 maxPixels);
    void clear();

    // Size in device pixels of the scaled picture for a photograph of `size` at
    // `scale` (photograph pixels to device pixels).
    static QSize scaledSize(QSize size, double scale);

private:
    QImage m_cache;
    qint64 m_photoKey = 0;
    double m_scale = 0;
    qreal m_ratio = 0;
};
