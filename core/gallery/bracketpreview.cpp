#include "core/gallery/bracketpreview.h"

#include "core/image/picturereader.h"

#include <QFont>
#include <QPainter>
#include <QRadialGradient>

#include <cmath>

namespace {

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

QSize BracketPreview::PictureSize(const QString& path) { return PictureReader(path).size(); }

QImage BracketPreview::LoadPicture(const QString& path)
{
    return PictureReader(path).read(QImage::Format_ARGB32);
}

QImage BracketPreview::RenderFile(const QString& path, int width, bool inner)
{
    PictureReader reader(path);
    // Decoded straight to the preview's size: a gallery picture can be far larger
    // than the box it is shown in.
    reader.setScaledSize(FitRect(reader.size(), QSize(width, Height)).size());
    const QImage picture = reader.read(QImage::Format_ARGB32);
    if (picture.isNull())
        return QImage();
    return Render(picture, width, inner);
}
