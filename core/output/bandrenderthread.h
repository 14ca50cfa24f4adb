// Renders a composite's bands from the top down on a thread of its own, a few bands
// ahead of the one being encoded, into a fixed ring of band buffers: memory stays
// a few bands whatever the picture's height.
#pragma once

#include <QImage>

#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

class CompositeRenderer;

// Usage: next() for each band in turn, release() once the band returned last has
// been used. Only the render thread touches the renderer between construction and
// destruction; the renderer must outlive this object.
class BandRenderThread {
public:
    // Bands of bandRows composite rows, in `buffers` buffers (at least two: one
    // read, one written). Without a thread (the system refused one) each band is
    // rendered by next() on the caller's thread.
    BandRenderThread(const CompositeRenderer& renderer, int bandRows, int buffers);
    // Stops rendering ahead and joins the thread.
    ~BandRenderThread();
    BandRenderThread(const BandRenderThread&) = delete;
    BandRenderThread& operator=(const BandRenderThread&) = delete;

    // Every buffer could be allocated.
    bool isValid() const { return m_valid; }
    // The next band, composite rows [index * bandRows, + bandRows), waiting for its
    // rendering when needed; valid until release(). Null after the last band.
    const QImage* next();
    // Hands the band from the last next() back to be rendered into again.
    void release();

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
    int m_released = 0; // bands handed back, guarded by m_mutex
    bool m_stop = false; // guarded by m_mutex
    int m_taken = 0; // bands returned by next(); the caller's thread only
    std::thread m_thread;
};
