// The preview picture of the bracket list: a bracket picture fitted into a fixed
// box on a grey ground, with the "Inner" badge for lingual brackets. All sizes
// are in pixels of the preview picture.
#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

class BracketPreview {
public:
    static constexpr int DefaultWidth = 200;
    static constexpr int Height = 130;
    // Ground of the preview and of the empty picture area.
    static QColor Background() { return QColor(212, 208, 200); }

    // Where a picture of `picture` size is drawn in a box of `box` size: scaled
    // by the smaller of the two width and height ratios, enlarging as well as
    // reducing, and centred. Position and size are truncated to whole pixels
    // after computing with the unrounded products. Empty for an empty picture
    // or box.
    static QRect FitRect(const QSize& picture, const QSize& box);

    // The opaque preview of `picture`, `width` × Height pixels: the fitted
    // picture over the grey ground and, for an inner bracket, the badge.
    static QImage Render(const QImage& picture, int width, bool inner);

    // Render for a picture file, decoded at the size it is shown. A null image
    // when PictureReader refuses the file or cannot decode it.
    static QImage RenderFile(const QString& path, int width, bool inner);

    // Reads a bracket picture as ARGB32. A null image when PictureReader refuses
    // the file or cannot decode it.
    static QImage LoadPicture(const QString& path);

    // Reads only the picture's header. An empty size when refused.
    static QSize PictureSize(const QString& path);
};
