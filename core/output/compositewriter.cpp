#include "core/output/compositewriter.h"

#include "core/host/securefile.h"

#include "core/output/bandrenderthread.h"
#include "core/output/compositerenderer.h"
#include "core/output/jpegstripencoder.h"

#include <QFile>
#include <QImage>
#include <QImageWriter>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>

namespace {

// Bytes handed to the kernel for writing out at a time (see writeStrips).
constexpr qint64 WritebackChunk = 2 * 1024 * 1024;

// The strips of one save: claimed in order by the threads that encode them, and
// written in order by the calling thread as soon as the ones before are written.
class StripPipeline {
public:
    StripPipeline(BandRenderThread& bands, QSize size, int bandRows)
        : m_bands(bands)
        , m_size(size)
        , m_bandRows(bandRows)
        , m_strips(size_t(bands.bandCount()))
    {
    }

    // A helper thread's share: encodes strips until none is left or the save ends.
    void encodeStrips()
    {
        JpegStripEncoder encoder(m_size.width(), m_size.height());
        std::unique_lock<std::mutex> lock(m_mutex);
        for (;;) {
            m_changed.wait(lock, [this] { return m_done || m_next >= count() || mayClaim(); });
            if (m_done || m_next >= count())
                return;
            encodeNext(encoder, lock);
        }
    }

    // The calling thread's share: encodes strips as the helpers do and writes each
    // finished one in turn, calling progress after it. False when a strip could not
    // be encoded or written, or progress asked to stop; the helpers stop too.
    bool writeStrips(QIODevice* device, const std::function<bool()>& progress)
    {
        JpegStripEncoder encoder(m_size.width(), m_size.height());
        auto* file = qobject_cast<QFileDevice*>(device);
        qint64 writebackStart = device->pos();
        std::unique_lock<std::mutex> lock(m_mutex);
        while (!m_failed && m_written < count()) {
            if (m_strips[size_t(m_written)].ready) {
                const QByteArray bytes = std::move(m_strips[size_t(m_written)].bytes);
                lock.unlock();
                const bool ok
                    = device->write(bytes) == bytes.size() && (!progress || progress());
                // A saved file is synced before it takes its name; left to that
                // moment, the sync waits for the whole file to reach the disk.
                // Starting the write-out of each finished stretch while the rest is
                // encoded leaves it little to wait for. Only a hint: a failure
                // changes nothing.
                if (ok && file && device->pos() - writebackStart >= WritebackChunk
                    && file->flush()) {
#ifdef SYNC_FILE_RANGE_WRITE
                    sync_file_range(file->handle(), writebackStart,
                        device->pos() - writebackStart, SYNC_FILE_RANGE_WRITE);
#endif
                    writebackStart = device->pos();
                }
                lock.lock();
                m_failed = !ok;
                ++m_written;
                m_changed.notify_all();
            } else if (mayClaim()) {
                encodeNext(encoder, lock);
            } else {
                m_changed.wait(lock);
            }
        }
        m_done = true;
        m_changed.notify_all();
        return !m_failed;
    }

private:
    struct Strip {
        QByteArray bytes;
        bool ready = false;
    };

    int count() const { return int(m_strips.size()); }
    // Encoded strips waiting to be written stay few, whatever the picture's height.
    bool mayClaim() const
    {
        return !m_failed && m_next < count() && m_next < m_written + CompositeWriter::StripsAhead;
    }

    // Encodes the next strip with the lock released; called and returns with it held.
    void encodeNext(JpegStripEncoder& encoder, std::unique_lock<std::mutex>& lock)
    {
        const int index = m_next++;
        lock.unlock();
        const int top = index * m_bandRows;
        QByteArray bytes;
        const QImage* band = m_bands.band(index);
        const bool ok = band
            && encoder.encode(*band, top, std::min(m_bandRows, m_size.height() - top), &bytes);
        m_bands.release(index);
        lock.lock();
        m_strips[size_t(index)] = { std::move(bytes), true };
        m_failed = m_failed || !ok;
        m_changed.notify_all();
    }

    BandRenderThread& m_bands;
    const QSize m_size;
    const int m_bandRows;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    // All guarded by m_mutex:
    std::vector<Strip> m_strips;
    int m_next = 0; // strips claimed
    int m_written = 0; // strips written
    bool m_failed = false;
    bool m_done = false; // the writer has stopped: helpers stop claiming
};

} // namespace

int CompositeWriter::findEncoder(const QString& mimeType, QByteArray* format)
{
    const QList<QByteArray> types = QImageWriter::supportedMimeTypes();
    for (int i = 0; i < types.size(); ++i) {
        if (QString::fromLatin1(types.at(i)) != mimeType)
            continue;
        const QList<QByteArray> formats = QImageWriter::imageFormatsForMimeType(types.at(i));
        if (formats.isEmpty())
            return -1;
        if (format)
            *format = formats.first();
        return i;
    }
    return -1;
}

QString CompositeWriter::jpegPath(const QString& path)
{
    if (path.right(4).toLower() == QLatin1String(".jpg"))
        return path;
    return path + QStringLiteral(".jpg");
}

bool CompositeWriter::saveComposite(
    const CompositeRenderer& renderer, const QString& path, const std::function<bool()>& progress)
{
    if (!renderer.isValid())
        return false;
    // The picture is encoded by libjpeg directly, band by band; the platform's JPEG
    // writer is still required, as the whole-picture save always required it.
    if (findEncoder(QStringLiteral("image/jpeg")) < 0)
        return false;
    const QSize size = renderer.size();
    // One thread renders bands a little ahead of the threads that encode them;
    // memory stays those few bands whatever the picture's height.
    const int bandRows = std::min(BandRows, size.height());
    BandRenderThread bands(renderer, bandRows, EncodingThreads + RenderAheadBands);
    if (!bands.isValid())
        return false;

    // Written beside the target and renamed on commit, so the chosen name never
    // holds a half-written picture and a link at the name is replaced, not followed.
    // A replaced file keeps its mode (a reserved store name has the store's
    // private one); a new file chosen by the user is an ordinary one.
    const QString target = jpegPath(path);
    struct stat old { };
    const bool replacing = lstat(QFile::encodeName(target).constData(), &old) == 0;
    if (replacing && S_ISDIR(old.st_mode))
        return false;
    SecureFile file(target,
        replacing && S_ISREG(old.st_mode) ? (old.st_mode & 0777) : SecureFile::ordinaryMode());
    if (!file.open())
        return false;
    StripPipeline strips(bands, size, bandRows);
    std::vector<std::thread> helpers;
    // The renderer is touched by its own thread only; without that thread, bands
    // are rendered by the one thread that encodes.
    for (int i = 1; i < EncodingThreads && bands.rendersAhead(); ++i) {
        try {
            helpers.emplace_back(&StripPipeline::encodeStrips, &strips);
        } catch (const std::system_error&) {
            break;
        }
    }
    const bool written = strips.writeStrips(file.device(), progress);
    for (std::thread& helper : helpers)
        helper.join();
    if (!written) {
        file.cancel();
        return false;
    }
    return file.commit();
}
