#include "core/host/imagekit.h"

#include "core/image/picturereader.h"

#include <QImageWriter>
#include <QPainter>
#include <QSaveFile>

#include <algorithm>

bool ImageKit::openImage(const QString& path)
{
    PictureReader reader(path);
    reader.setAutoTransform(true);
    m_image = reader.read(QImage::Format_ARGB32);
    return hasImage();
}

void ImageKit::setImage(const QImage& image)
{
    m_image = image.format() == QImage::Format_ARGB32
        ? image
        : image.convertToFormat(QImage::Format_ARGB32);
}

QRect ImageKit::CropRect(int left, int top, int right, int bottom, const QSize& bounds)
{
    const int x0 = std::clamp(std::min(left, right), 0, bounds.width());
    const int x1 = std::clamp(std::max(left, right), 0, bounds.width());
    const int y0 = std::clamp(std::min(top, bottom), 0, bounds.height());
    const int y1 = std::clamp(std::max(top, bottom), 0, bounds.height());
    if (x1 <= x0 || y1 <= y0)
        return QRect();
    return QRect(x0, y0, x1 - x0, y1 - y0);
}

bool ImageKit::crop(int left, int top, int right, int bottom)
{
    if (!hasImage())
        return false;
    const QRect rect = CropRect(left, top, right, bottom, m_image.size());
    if (rect.isEmpty()) {
        m_image = QImage();
        return false;
    }
    m_image = m_image.copy(rect);
    return hasImage();
}

QRect ImageKit::FittedRect(const QSize& picture, const QRect& frame, double& scale)
{
    scale = 0.0;
    if (picture.isEmpty() || frame.isEmpty())
        return QRect(frame.topLeft(), QSize(0, 0));
    scale = std::min(
        double(frame.width()) / picture.width(), double(frame.height()) / picture.height());
    // Truncated like the mapping back to picture pixels, and at least one pixel
    // so that a sliver of a picture still shows where it is.
    const int width = std::clamp(int(picture.width() * scale), 1, frame.width());
    const int height = std::clamp(int(picture.height() * scale), 1, frame.height());
    return QRect(frame.left() + (frame.width() - width) / 2,
        frame.top() + (frame.height() - height) / 2, width, height);
}

QPoint ImageKit::drawFitted(QPainter& painter, const QRect& frame, double& scale) const
{
    const QRect target = FittedRect(m_image.size(), frame, scale);
    if (!hasImage() || target.isEmpty())
        return target.topLeft();
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(target, m_image);
    painter.restore();
    return target.topLeft();
}

bool ImageKit::writePng(const QString& path) const
{
    if (!hasImage())
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QImageWriter writer(&file, "png");
    // A short write on a full disk can still let commit() succeed, so every
    // step is checked before the temporary file takes the target's name.
    if (!writer.write(m_image) || !file.flush() || file.error() != QFileDevice::NoError) {
        file.cancelWriting();
        file.commit();
        return false;
    }
    return file.commit();
}
