#include "core/output/jpegbandencoder.h"

#include <QFileDevice>
#include <QIODevice>
#include <QImage>

#include <algorithm>
#include <csetjmp>
#include <cstdio>

#include <fcntl.h>

// jpeglib.h needs <cstdio> before it, and jerror.h needs jpeglib.h.
#include <jpeglib.h>

#include <jerror.h>

namespace {

constexpr size_t OutputBufferSize = 64 * 1024;
// Written bytes handed to the kernel for writing out at a time (see startWriteback).
constexpr qint64 WritebackChunk = 2 * 1024 * 1024;

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

struct Destination {
    jpeg_destination_mgr pub;
    QIODevice* device;
    int fd; // the device's file, -1 when it is none
    qint64 written; // bytes given to the device so far
    qint64 writebackStart; // bytes before this offset are already being written out
    JOCTET buffer[OutputBufferSize];
};

// A saved file is synced before it takes its name; left to that moment, the sync
// waits for the whole file to reach the disk. Starting the write-out of each
// finished stretch while the rest is still being encoded leaves the sync little
// to wait for. Only a hint to the kernel: a failure changes nothing.
void startWriteback(Destination* dest)
{
    if (dest->fd < 0 || dest->written - dest->writebackStart < WritebackChunk)
        return;
#ifdef SYNC_FILE_RANGE_WRITE
    // QFile passes writes as large as ours straight through, so these bytes are in
    // the file already.
    sync_file_range(dest->fd, dest->writebackStart, dest->written - dest->writebackStart,
        SYNC_FILE_RANGE_WRITE);
#endif
    dest->writebackStart = dest->written;
}

[[noreturn]] void onError(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

// libjpeg would print its warnings to stderr; nothing is logged here.
void onMessage(j_common_ptr) { }

void initDestination(j_compress_ptr cinfo)
{
    auto* dest = reinterpret_cast<Destination*>(cinfo->dest);
    dest->pub.next_output_byte = dest->buffer;
    dest->pub.free_in_buffer = OutputBufferSize;
}

boolean emptyOutputBuffer(j_compress_ptr cinfo)
{
    auto* dest = reinterpret_cast<Destination*>(cinfo->dest);
    // libjpeg asks for the whole buffer to be written, whatever free_in_buffer says.
    if (dest->device->write(reinterpret_cast<const char*>(dest->buffer), qint64(OutputBufferSize))
        != qint64(OutputBufferSize))
        ERREXIT(cinfo, JERR_FILE_WRITE);
    dest->written += qint64(OutputBufferSize);
    startWriteback(dest);
    initDestination(cinfo);
    return TRUE;
}

void termDestination(j_compress_ptr cinfo)
{
    auto* dest = reinterpret_cast<Destination*>(cinfo->dest);
    const qint64 pending = qint64(OutputBufferSize - dest->pub.free_in_buffer);
    if (pending > 0
        && dest->device->write(reinterpret_cast<const char*>(dest->buffer), pending) != pending)
        ERREXIT(cinfo, JERR_FILE_WRITE);
}

} // namespace

struct JpegBandEncoder::Private {
    jpeg_compress_struct cinfo {};
    ErrorManager error {};
    Destination dest {};
    bool created = false;
    bool started = false;
    bool failed = false;

    // Runs libjpeg calls with its error exit armed. The calls jumped over on an
    // error hold nothing that needs destroying, which keeps the longjmp sound.
    template <typename Work> bool guarded(Work&& work)
    {
        if (failed)
            return false;
        if (setjmp(error.jump)) {
            failed = true;
            return false;
        }
        work();
        return true;
    }
};

JpegBandEncoder::JpegBandEncoder(QIODevice* device)
    : d(std::make_unique<Private>())
{
    d->cinfo.err = jpeg_std_error(&d->error.pub);
    d->error.pub.error_exit = onError;
    d->error.pub.output_message = onMessage;
    d->dest.device = device;
    const auto* file = qobject_cast<QFileDevice*>(device);
    d->dest.fd = file ? file->handle() : -1;
    d->dest.written = d->dest.writebackStart = file ? file->pos() : 0;
    d->dest.pub.init_destination = initDestination;
    d->dest.pub.empty_output_buffer = emptyOutputBuffer;
    d->dest.pub.term_destination = termDestination;
    d->created = d->guarded([this] { jpeg_create_compress(&d->cinfo); });
    if (!device || !device->isWritable()) {
        d->failed = true;
    }
}

JpegBandEncoder::~JpegBandEncoder()
{
    if (d->created)
        jpeg_destroy_compress(&d->cinfo);
}

bool JpegBandEncoder::begin(int width, int height)
{
    if (d->started || width <= 0 || height <= 0 || width > JPEG_MAX_DIMENSION
        || height > JPEG_MAX_DIMENSION) {
        d->failed = true;
        return false;
    }
    d->started = true;
    return d->guarded([this, width, height] {
        jpeg_compress_struct& c = d->cinfo;
        c.dest = &d->dest.pub;
        c.image_width = JDIMENSION(width);
        c.image_height = JDIMENSION(height);
        c.input_components = 4;
        // Qt's 32-bit pixels as they lie in memory: no conversion pass of our own.
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
        c.in_color_space = JCS_EXT_BGRX;
#else
        c.in_color_space = JCS_EXT_XRGB;
#endif
        jpeg_set_defaults(&c);
        jpeg_start_compress(&c, TRUE);
    });
}

bool JpegBandEncoder::writeRows(const QImage& band, int rows)
{
    if (!d->started || band.depth() != 32 || band.width() != int(d->cinfo.image_width) || rows < 0
        || rows > band.height() || rows > int(d->cinfo.image_height - d->cinfo.next_scanline)) {
        d->failed = true;
        return false;
    }
    return d->guarded([this, &band, rows] {
        constexpr int Batch = 16;
        JSAMPROW pointers[Batch];
        for (int first = 0; first < rows; first += Batch) {
            const int n = std::min(Batch, rows - first);
            for (int i = 0; i < n; ++i)
                pointers[i] = const_cast<JSAMPROW>(band.constScanLine(first + i));
            jpeg_write_scanlines(&d->cinfo, pointers, JDIMENSION(n));
        }
    });
}

bool JpegBandEncoder::finish()
{
    if (!d->started || d->cinfo.next_scanline != d->cinfo.image_height) {
        d->failed = true;
        return false;
    }
    return d->guarded([this] { jpeg_finish_compress(&d->cinfo); });
}
