#include "core/output/bandrenderthread.h"

#include "core/output/compositerenderer.h"

#include <algorithm>
#include <system_error>

BandRenderThread::BandRenderThread(const CompositeRenderer& renderer, int bandRows, int buffers)
    : m_renderer(renderer)
    , m_bandRows(bandRows)
    , m_bandCount(bandRows > 0 ? (renderer.size().height() + bandRows - 1) / bandRows : 0)
    , m_released(size_t(std::max(m_bandCount, 0)), false)
{
    if (bandRows <= 0 || buffers < 2 || renderer.size().isEmpty())
        return;
    for (int i = 0; i < buffers; ++i) {
        m_buffers.emplace_back(
            renderer.size().width(), bandRows, QImage::Format_ARGB32_Premultiplied);
        if (m_buffers.back().isNull())
            return;
    }
    m_valid = true;
    try {
        m_thread = std::thread(&BandRenderThread::renderAhead, this);
    } catch (const std::system_error&) {
        // next() renders each band itself.
    }
}

BandRenderThread::~BandRenderThread()
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void BandRenderThread::renderAhead()
{
    const int ring = int(m_buffers.size());
    for (int band = 0; band < m_bandCount; ++band) {
        {
            // A buffer is free once the band that last used it was released.
            std::unique_lock<std::mutex> lock(m_mutex);
            m_changed.wait(
                lock, [&] { return m_stop || band < ring || m_released[size_t(band - ring)]; });
            if (m_stop)
                return;
        }
        m_renderer.renderBand(m_buffers[size_t(band % ring)], band * m_bandRows);
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_rendered = band + 1;
        }
        m_changed.notify_all();
    }
}

const QImage* BandRenderThread::band(int index)
{
    if (!m_valid || index < 0 || index >= m_bandCount)
        return nullptr;
    QImage& buffer = m_buffers[size_t(index % int(m_buffers.size()))];
    if (m_thread.joinable()) {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [&] { return m_rendered > index; });
    } else {
        m_renderer.renderBand(buffer, index * m_bandRows);
    }
    return &buffer;
}

void BandRenderThread::release(int index)
{
    if (index < 0 || index >= m_bandCount)
        return;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_released[size_t(index)] = true;
    }
    m_changed.notify_all();
}
