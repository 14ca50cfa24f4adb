#include "core/workspace/panebackdrop.h"

#include <cmath>

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

