#include "core/workspace/scaledphotocache.h"

#include <cmath>

QSize ScaledPhotoCache::scaledSize(QSize size, double scale)
{
    return QSize(qMax(1, int(std::lround(size.width() * scale))),
        qMax(1, int(std::lround(size.height() * scale))));
}

const QImage& ScaledPhotoCache::scaled(
    const QImage& photo, double scale, qreal devicePixelRatio, qint64 maxPixels)
{
    if (!m_cache.isNull() && m_photoKey == photo.cacheKey() && m_scale == scale
        && m_ratio == devicePixelRatio)
        return m_cache;
    m_cache = QImage();
    m_photoKey = photo.cacheKey();
    m_scale = scale;
    m_ratio = devicePixelRatio;
    const QSize size = scaledSize(photo.size(), scale * devicePixelRatio);
    if (photo.isNull() || qint64(size.width()) * size.height() > maxPixels)
        return m_cache;
    m_cache = photo.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (m_cache.format() != QImage::Format_RGB32)
        m_cache = std::move(m_cache).convertToFormat(QImage::Format_RGB32);
    m_cache.setDevicePixelRatio(devicePixelRatio);
    return m_cache;
}

void ScaledPhotoCache::clear()
{
    m_cache = QImage();
    m_photoKey = 0;
    m_scale = 0;
    m_ratio = 0;
}
