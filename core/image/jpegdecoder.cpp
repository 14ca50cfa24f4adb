#include "core/image/jpegdecoder.h"

#include "core/image/libjpegglue.h"
#include "core/image/picturereader.h"

#include <QColorSpace>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <memory>
#include <new>

// jerror.h needs jpeglib.h, which libjpegglue.h brings.
#include <jerror.h>

#include <unistd.h>

namespace {

// libjpeg takes its quick path while a few kilobytes of the file lie ahead in the
// buffer; this much keeps it there for all but the ends of the pieces.
constexpr size_t PieceBytes = 256 * 1024;

struct Source {
    jpeg_source_mgr pub;
    int fd;
    off_t offset; // of the next piece in the file
    JOCTET* buffer;
};

const JOCTET EndOfImage[] = { 0xFF, JPEG_EOI };

boolean fillBuffer(j_decompress_ptr info)
{
    auto* source = reinterpret_cast<Source*>(info->src);
    ssize_t got;
    do
        got = ::pread(source->fd, source->buffer, PieceBytes, source->offset);
    while (got < 0 && errno == EINTR);
    if (got <= 0) {
        // A file that ends early decodes grey from there on, as in Qt's reader:
        // libjpeg is handed the end marker it is missing.
        source->pub.next_input_byte = EndOfImage;
        source->pub.bytes_in_buffer = sizeof EndOfImage;
        return TRUE;
    }
    source->offset += got;
    source->pub.next_input_byte = source->buffer;
    source->pub.bytes_in_buffer = size_t(got);
    return TRUE;
}

void skipInput(j_decompress_ptr info, long count)
{
    auto* source = reinterpret_cast<Source*>(info->src);
    if (count <= 0)
        return;
    if (size_t(count) <= source->pub.bytes_in_buffer) {
        source->pub.next_input_byte += count;
        source->pub.bytes_in_buffer -= size_t(count);
        return;
    }
    // Past the buffer (a large marker segment): the next piece starts beyond it.
    source->offset += off_t(size_t(count) - source->pub.bytes_in_buffer);
    source->pub.bytes_in_buffer = 0;
}

void noOperation(j_decompress_ptr) { }

// The divisor (1, 2, 4 or 8) that turns the stored size into `size` as libjpeg
// rounds, or 0 when none does.
unsigned divisorFor(const jpeg_decompress_struct& info, QSize size)
{
    for (unsigned d : { 1u, 2u, 4u, 8u })
        if ((info.image_width + d - 1) / d == unsigned(size.width())
            && (info.image_height + d - 1) / d == unsigned(size.height()))
            return d;
    return 0;
}

// Everything libjpeg touches lives here, outside the frame that an error leaves by
// longjmp, so that no value it changed is lost in the jump.
struct Job {
    jpeg_decompress_struct info {};
    JpegErrors errors {};
    Source source {};
    QSize size;
    std::unique_ptr<JOCTET[]> buffer;
    QImage image;
    QByteArray profile; // the embedded colour profile, if any
    bool taken = false;
};

// False when libjpeg stopped on an error. Nothing with a destructor lives in this
// frame across a libjpeg call, since an error leaves it by longjmp.
bool run(Job* job)
{
    jpeg_decompress_struct* info = &job->info;
    info->err = job->errors.install();
    if (setjmp(job->errors.jump)) {
        jpeg_destroy_decompress(&job->info);
        return false;
    }
    jpeg_create_decompress(info);
    job->source.buffer = job->buffer.get();
    job->source.pub.init_source = noOperation;
    job->source.pub.fill_input_buffer = fillBuffer;
    job->source.pub.skip_input_data = skipInput;
    job->source.pub.resync_to_restart = jpeg_resync_to_restart;
    job->source.pub.term_source = noOperation;
    info->src = &job->source.pub;
    // The colour profile travels with the picture, as from Qt's reader.
    jpeg_save_markers(info, JPEG_APP0 + 2, 0xFFFF);
    jpeg_read_header(info, TRUE);

    const bool colour = info->num_components == 3
        && (info->jpeg_color_space == JCS_YCbCr || info->jpeg_color_space == JCS_RGB);
    const bool grey = info->num_components == 1 && info->jpeg_color_space == JCS_GRAYSCALE;
    const unsigned divisor = divisorFor(*info, job->size);
    if ((colour || grey) && divisor != 0) {
        job->taken = true;
        JOCTET* profile = nullptr;
        unsigned profileBytes = 0;
        if (jpeg_read_icc_profile(info, &profile, &profileBytes)) {
            job->profile = QByteArray(reinterpret_cast<const char*>(profile), int(profileBytes));
            free(profile);
        }
        info->scale_num = 1;
        info->scale_denom = divisor;
        info->out_color_space = QtPixelColorSpace; // grey pictures too
        jpeg_start_decompress(info);
        try {
            job->image = PictureReader::allocate(
                int(info->output_width), int(info->output_height), QImage::Format_RGB32);
        } catch (const std::bad_alloc&) {
            job->image = QImage();
        }
        if (job->image.isNull() || job->image.size() != job->size)
            ERREXIT(info, JERR_OUT_OF_MEMORY);
        constexpr int Batch = 16;
        JSAMPROW rows[Batch];
        while (info->output_scanline < info->output_height) {
            const int first = int(info->output_scanline);
            const int count = std::min<int>(Batch, int(info->output_height) - first);
            for (int i = 0; i < count; ++i)
                rows[i] = job->image.scanLine(first + i);
            jpeg_read_scanlines(info, rows, JDIMENSION(count));
        }
        // The resolution the file gives, converted as Qt's reader converts it.
        const double perMetre = info->density_unit == 1 ? 100 / 2.54
            : info->density_unit == 2                  ? 100
                                                       : 0;
        if (perMetre > 0) {
            job->image.setDotsPerMeterX(int(perMetre * info->X_density));
            job->image.setDotsPerMeterY(int(perMetre * info->Y_density));
        }
        jpeg_finish_decompress(info);
    }
    jpeg_destroy_decompress(info);
    return true;
}

} // namespace

std::optional<QImage> JpegDecoder::decode(int fd, QSize size)
{
    if (fd < 0 || size.isEmpty())
        return std::nullopt;
    auto job = std::make_unique<Job>();
    job->source.fd = fd;
    job->size = size;
    job->buffer.reset(new JOCTET[PieceBytes]); // no need to clear it
    if (!run(job.get()))
        return QImage();
    if (!job->taken)
        return std::nullopt;
    if (!job->profile.isEmpty())
        job->image.setColorSpace(QColorSpace::fromIccProfile(job->profile));
    return std::move(job->image);
}
