#include "core/workspace/panebackdrop.h"

#include <cmath>
#include <cstring>

QImage& PaneBackdrop::recompose(const QByteArray& key, QSize logicalSize, qreal devicePixelRatio)
{
    const QSize pixels(int(std::ceil(logicalSize.width() * devicePixelRatio)),
        int(std::ceil(logicalSize.height() * devicePixelRatio)));
    if (m_image.size() != pixels || m_image.devicePixelRatio() != devicePixelRatio) {
        m_image = QImage(pixels, QImage::Format_RGB32);
        m_image.setDevicePixelRatio(devicePixelRatio);
    }
    m_key = m_image.isNull() ? QByteArray() : key;
    return m_image;
}

void PaneBackdrop::clear()
{
    m_key.clear();
    m_image = QImage();
}

void PaneBackdrop::copyFrom(const QImage& source, const QRect& area)
{
    if (source.size() != m_image.size() || source.format() != m_image.format())
        return;
    const qreal ratio = m_image.devicePixelRatio();
    const QRect pixels = QRect(int(std::floor(area.left() * ratio)), int(std::floor(area.top() * ratio)),
        int(std::ceil(area.width() * ratio)) + 1, int(std::ceil(area.height() * ratio)) + 1)
                             .intersected(m_image.rect());
    if (pixels.isEmpty())
        return;
    const size_t bytes = size_t(pixels.width()) * 4;
    for (int y = pixels.top(); y <= pixels.bottom(); ++y)
        std::memcpy(m_image.scanLine(y) + pixels.left() * 4,
            source.constScanLine(y) + pixels.left() * 4, bytes);
}
