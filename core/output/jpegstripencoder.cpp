#include "core/output/jpegstripencoder.h"

#include "core/image/libjpegglue.h"

#include <QByteArray>
#include <QImage>

#include <algorithm>

// jerror.h needs jpeglib.h, which libjpegglue.h brings.
#include <jerror.h>

namespace {

// A strip's output before it is cut; grown as needed and kept for the next strip.
constexpr int InitialBufferSize = 256 * 1024;
constexpr unsigned char MarkerStartOfFrame = 0xC0;
constexpr unsigned char MarkerStartOfScan = 0xDA;
constexpr unsigned char MarkerRestart0 = 0xD0;
constexpr unsigned char MarkerEndOfImage = 0xD9;

struct Destination {
    jpeg_destination_mgr pub;
    QByteArray* buffer;
};

void initDestination(j_compress_ptr cinfo)
{
    auto* dest = reinterpret_cast<Destination*>(cinfo->dest);
    dest->buffer->resize(std::max<qsizetype>(dest->buffer->capacity(), InitialBufferSize));
    dest->pub.next_output_byte = reinterpret_cast<JOCTET*>(dest->buffer->data());
    dest->pub.free_in_buffer = size_t(dest->buffer->size());
}

boolean emptyOutputBuffer(j_compress_ptr cinfo)
{
    // libjpeg hands over the whole buffer, whatever free_in_buffer says.
    auto* dest = reinterpret_cast<Destination*>(cinfo->dest);
    const qsizetype used = dest->buffer->size();
    dest->buffer->resize(used * 2);
    dest->pub.next_output_byte = reinterpret_cast<JOCTET*>(dest->buffer->data()) + used;
    dest->pub.free_in_buffer = size_t(dest->buffer->size() - used);
    return TRUE;
}

void termDestination(j_compress_ptr cinfo)
{
    auto* dest = reinterpret_cast<Destination*>(cinfo->dest);
    dest->buffer->resize(dest->buffer->size() - qsizetype(dest->pub.free_in_buffer));
}

int bigEndian16(const QByteArray& bytes, qsizetype at)
{
    return (uchar(bytes[at]) << 8) | uchar(bytes[at + 1]);
}

} // namespace

struct JpegStripEncoder::Private {
    jpeg_compress_struct cinfo {};
    JpegErrors error {};
    Destination dest {};
    QByteArray scratch;
    int width = 0;
    int height = 0;
    bool created = false;

    // libjpeg's whole output for the strip: a picture of its own, rows high.
    bool compress(const QImage& band, int rows)
    {
        if (setjmp(error.jump)) {
            jpeg_abort_compress(&cinfo);
            return false;
        }
        jpeg_compress_struct& c = cinfo;
        c.dest = &dest.pub;
        c.image_width = JDIMENSION(width);
        c.image_height = JDIMENSION(rows);
        c.input_components = 4;
        c.in_color_space = QtPixelColorSpace;
        jpeg_set_defaults(&c);
        // A marker before every row of blocks: the strips' seams fall on them.
        c.restart_in_rows = 1;
        jpeg_start_compress(&c, TRUE);
        if (c.max_v_samp_factor * DCTSIZE * 8 != StripRows)
            ERREXIT(&c, JERR_BAD_MCU_SIZE);
        constexpr int Batch = 16;
        JSAMPROW pointers[Batch];
        for (int first = 0; first < rows; first += Batch) {
            const int n = std::min(Batch, rows - first);
            for (int i = 0; i < n; ++i)
                pointers[i] = const_cast<JSAMPROW>(band.constScanLine(first + i));
            jpeg_write_scanlines(&c, pointers, JDIMENSION(n));
        }
        jpeg_finish_compress(&c);
        return true;
    }
};

JpegStripEncoder::JpegStripEncoder(int width, int height)
    : d(std::make_unique<Private>())
{
    d->width = width;
    d->height = height;
    d->cinfo.err = d->error.install();
    d->dest.buffer = &d->scratch;
    d->dest.pub.init_destination = initDestination;
    d->dest.pub.empty_output_buffer = emptyOutputBuffer;
    d->dest.pub.term_destination = termDestination;
    if (setjmp(d->error.jump) == 0) {
        jpeg_create_compress(&d->cinfo);
        d->created = true;
    }
}

JpegStripEncoder::~JpegStripEncoder()
{
    if (d->created)
        jpeg_destroy_compress(&d->cinfo);
}

bool JpegStripEncoder::encode(const QImage& band, int top, int rows, QByteArray* out)
{
    const bool last = top + rows == d->height;
    if (!d->created || !out || d->width <= 0 || d->width > JPEG_MAX_DIMENSION
        || d->height > JPEG_MAX_DIMENSION || top < 0 || top % StripRows != 0 || rows <= 0
        || top + rows > d->height || (!last && rows % StripRows != 0) || band.depth() != 32
        || band.width() != d->width || rows > band.height())
        return false;
    if (!d->compress(band, rows))
        return false;

    // The strip's own file: markers up to the scan's header, the entropy-coded
    // data, and the end marker.
    const QByteArray& bytes = d->scratch;
    qsizetype at = 2; // past the start-of-image marker
    qsizetype heightAt = -1;
    while (at + 4 <= bytes.size() && uchar(bytes[at]) == 0xFF
        && uchar(bytes[at + 1]) != MarkerStartOfScan) {
        if (uchar(bytes[at + 1]) == MarkerStartOfFrame)
            heightAt = at + 5;
        at += 2 + bigEndian16(bytes, at + 2);
    }
    if (heightAt < 0 || at + 4 > bytes.size() || uchar(bytes[at]) != 0xFF)
        return false;
    const qsizetype data = at + 2 + bigEndian16(bytes, at + 2);
    const qsizetype end = bytes.size() - 2;
    if (data > end || uchar(bytes[end]) != 0xFF || uchar(bytes[end + 1]) != MarkerEndOfImage)
        return false;

    if (top == 0) {
        const qsizetype headers = out->size();
        out->append(bytes.constData(), data);
        (*out)[headers + heightAt] = char(d->height >> 8);
        (*out)[headers + heightAt + 1] = char(d->height & 0xFF);
    }
    if (last) {
        out->append(bytes.constData() + data, bytes.size() - data);
    } else {
        out->append(bytes.constData() + data, end - data);
        // The marker that starts the next strip's first row of blocks.
        const int blockRows = (top + rows) / (StripRows / 8);
        out->append(char(0xFF));
        out->append(char(MarkerRestart0 + (blockRows - 1) % 8));
    }
    return true;
}
