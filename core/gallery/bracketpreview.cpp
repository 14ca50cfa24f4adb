#include "core/gallery/bracketpreview.h"

#include "core/host/imagekit.h"

#include <QFont>
#include <QImageReader>
#include <QPainter>
#include <QRadialGradient>

#include <cmath>

namespace {

// Bounds a gallery picture to what a drag image or a preview can sensibly come
// from; anything larger is damaged or not a bracket picture.
constexpr qint64 maxPixels = 100LL * 1000 * 1000;
constexpr int maxAllocationMb = 512;

void drawInnerBadge(QPainter& painter)
{
    // The gradient centre lies right of the ellipse, so the badge runs from cyan
    // on its left to bluish on its right; the radius reaches its far end.
    const QPointF centre(200, 10);
    QRadialGradient gradient(centre, 130, centre);
    gradient.setColorAt(0, QColor(0, 0, 255));
    gradient.setColorAt(1, QColor(0, 255, 255));
    painter.setPen(Qt::NoPen);
    painter.setBrush(gradient);
    painter.drawEllipse(QRectF(70, 0, 60, 20));

    QFont font(QStringLiteral("Times New Roman"));
    font.setPixelSize(16);
    // Crisp one-bit text, as the badge has always been drawn.
    font.setStyleStrategy(QFont::NoAntialias);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QRectF(80, 1, 60, 20), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip,
        QStringLiteral("Inner"));
}

} // namespace

QRect BracketPreview::FitRect(const QSize& picture, const QSize& box)
{
    if (picture.isEmpty() || box.isEmpty())
        return QRect();
    const double s
        = std::min(double(box.width()) / picture.width(), double(box.height()) / picture.height());
    const double w = picture.width() * s;
    const double h = picture.height() * s;
    const double x = (box.width() - w) * 0.5;
    const double y = (box.height() - h) * 0.5;
    return QRect(int(x), int(y), int(w), int(h));
}

QImage BracketPreview::Render(const QImage& picture, int width, bool inner)
{
    if (width <= 0)
        return QImage();
    QImage preview(width, Height, QImage::Format_ARGB32);
    preview.fill(Background());
    QPainter painter(&preview);
    const QRect target = FitRect(picture.size(), preview.size());
    if (!target.isEmpty()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(
            target, picture.scaled(target.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    }
    if (inner) {
        painter.setRenderHint(QPainter::Antialiasing);
        drawInnerBadge(painter);
    }
    return preview;
}

QSize BracketPreview::PictureSize(const QString& path)
{
    const QByteArray format = ImageKit::formatOf(path);
    if (format.isEmpty())
        return QSize();
    QImageReader reader(path, format);
    reader.setDecideFormatFromContent(false);
    return reader.size();
}

QImage BracketPreview::LoadPicture(const QString& path)
{
    // Only the JPEG, PNG and BMP readers, as everywhere else user files are read.
    const QByteArray format = ImageKit::formatOf(path);
    if (format.isEmpty())
        return QImage();
    QImageReader reader(path, format);
    reader.setDecideFormatFromContent(false);
    const QSize size = reader.size();
    if (!size.isValid() || qint64(size.width()) * size.height() > maxPixels)
        return QImage();
    // The default limit (128 MB) would refuse large but sane pictures.
    if (QImageReader::allocationLimit() < maxAllocationMb)
        QImageReader::setAllocationLimit(maxAllocationMb);
    QImage image = reader.read();
    if (image.isNull())
        return QImage();
    return image.convertToFormat(QImage::Format_ARGB32);
}
