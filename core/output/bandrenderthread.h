// Renders a composite's bands from the top down on a thread of its own, a few bands
// ahead of the ones being encoded, into a fixed ring of band buffers: memory stays
// a few bands whatever the picture's height.
#pragma once

#include <QImage>

#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

class CompositeRenderer;

// Usage: band(i) for each band, from any number of threads, each taking its bands
// in increasing order and holding one at a time; release(i) once band i has been
// used. Only the render thread touches the renderer between construction and
// destruction; the renderer must outlive this object.
class BandRenderThread {
public:
    // Bands of bandRows composite rows, in `buffers` buffers (at least two: one
    // read, one written). Without a thread (the system refused one) band() renders
    // on the caller's thread, and only one thread may call it.
    BandRenderThread(const CompositeRenderer& renderer, int bandRows, int buffers);
    // Stops rendering ahead and joins the thread.
    ~BandRenderThread();
    BandRenderThread(const BandRenderThread&) = delete;
    BandRenderThread& operator=(const BandRenderThread&) = delete;

    // Every buffer could be allocated.
    bool isValid() const { return m_valid; }
    // Bands are rendered on a thread of their own, so several threads may use them.
    bool rendersAhead() const { return m_thread.joinable(); }
    int bandCount() const { return m_bandCount; }
    // Band `index`, composite rows [index * bandRows, + bandRows), waiting for its
    // rendering when needed; valid until release(index). Null when out of range.
    const QImage* band(int index);
    // Hands band `index` back, so that its buffer can be rendered into again.
    void release(int index);

private:
    void renderAhead();

    const CompositeRenderer& m_renderer;
    const int m_bandRows;
    const int m_bandCount; // bands in the composite
    std::vector<QImage> m_buffers;
    bool m_valid = false;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_rendered = 0; // bands finished, guarded by m_mutex
    std::vector<bool> m_released; // per band, guarded by m_mutex
    bool m_stop = false; // guarded by m_mutex
    std::thread m_thread;
};
