#include "core/image/picturereader.h"

#include "core/image/jpegdecoder.h"

#include <QImageIOHandler>
#include <QPainter>
#include <QTransform>

#include <cstdlib>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Qt's own ceiling (128 MB by default) would refuse pictures well inside MaxPixels.
// Sixteen-bit PNGs decode at eight bytes a pixel before they are converted. The
// limit is process-wide, so it is only ever raised.
void raiseAllocationLimit()
{
    constexpr int neededMb = int(PictureReader::MaxPixels * 8 / (1024 * 1024)) + 1;
    if (QImageReader::allocationLimit() < neededMb)
        QImageReader::setAllocationLimit(neededMb);
}

// The picture composited over white in an opaque RGB32 buffer.
QImage overWhite(const QImage& image)
{
    QImage white = PictureReader::allocate(image.width(), image.height(), QImage::Format_RGB32);
    if (white.isNull())
        return {};
    white.fill(Qt::white);
    QPainter painter(&white);
    painter.drawImage(0, 0, image);
    painter.end();
    return white;
}

// The EXIF turn as Qt's reader applies it: mirror and flip first, then a quarter
// turn; a three-quarter turn on its own.
QImage turned(QImage image, QImageIOHandler::Transformations turn)
{
    if (turn == QImageIOHandler::TransformationRotate270)
        return image.transformed(QTransform().rotate(270));
    image = std::move(image).mirrored(turn & QImageIOHandler::TransformationMirror,
        turn & QImageIOHandler::TransformationFlip);
    if (turn & QImageIOHandler::TransformationRotate90)
        return image.transformed(QTransform().rotate(90));
    return image;
}

} // namespace

PictureReader::PictureReader(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat info { };
    // A FIFO would block the open until a writer came, and a device could stream
    // for ever: both are refused from their file type, before any open.
    if (name.isEmpty() || ::stat(name.constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return;
    // Non-blocking, and the type checked again on the open file, so that a name
    // swapped for a FIFO after the check cannot hang the read either.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)
        || !m_file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return;
    }
    m_format = formatOf(m_file);
    if (m_format.isEmpty())
        return;
    m_reader.setDevice(&m_file);
    m_reader.setFormat(m_format);
    m_reader.setAutoDetectImageFormat(false);
    // The header decides before anything is allocated, so a damaged or hostile
    // header cannot make us reserve gigabytes. Qt reports a top-down BMP with a
    // negative height; an unknown size is -1 x -1.
    const QSize stored = m_reader.size();
    const qint64 width = stored.width();
    const qint64 height = std::abs(qint64(stored.height()));
    if (width <= 0 || height <= 0 || width * height > MaxPixels) {
        m_format.clear();
        return;
    }
    m_size = QSize(int(width), int(height));
}

QImage PictureReader::read(QImage::Format format)
{
    if (!canRead())
        return {};
    raiseAllocationLimit();
    const bool scaled = !m_scaledSize.isEmpty() && m_scaledSize != m_size;
    QSize expected = scaled ? m_scaledSize : m_size;
    const QImageIOHandler::Transformations turn
        = m_autoTransform ? m_reader.transformation() : QImageIOHandler::TransformationNone;
    // JPEGs go to libjpeg directly, and are turned here as Qt's reader turns them;
    // other formats, and the sizes and colour spaces it does not take, to Qt's decoders.
    std::optional<QImage> direct;
    if (m_format == "jpeg")
        direct = JpegDecoder::decode(m_file.handle(), expected);
    QImage image;
    if (direct) {
        image = turned(std::move(*direct), turn);
        // The file's comments, which Qt's reader would have attached.
        for (const QString& key : m_reader.textKeys())
            image.setText(key, m_reader.text(key));
    } else {
        m_reader.setAutoTransform(m_autoTransform);
        if (scaled)
            m_reader.setScaledSize(m_scaledSize);
        if (!m_reader.read(&image))
            return {};
    }
    if (image.isNull())
        return {};
    if (turn & QImageIOHandler::TransformationRotate90)
        expected.transpose();
    // A decoder that disagrees with its own header has misread the file.
    if (image.size() != expected)
        return {};
    if (format == QImage::Format_RGB32 && image.hasAlphaChannel())
        return overWhite(image);
    if (image.format() == format)
        return image;
    return std::move(image).convertToFormat(format);
}

QByteArray PictureReader::formatOf(QIODevice& device)
{
    const QByteArray head = device.peek(8);
    if (head.startsWith("\xFF\xD8\xFF"))
        return "jpeg";
    if (head.startsWith("\x89PNG\r\n\x1A\n"))
        return "png";
    if (head.startsWith("BM"))
        return "bmp";
    return {};
}

// The first write to fresh memory costs a page fault per 4 KiB page, which dominates
// decoding or turning a 96 MB photograph; with 2 MiB pages the same buffer faults
// 512 times less. Small pictures are not worth a mapping of their own.
QImage PictureReader::allocate(int width, int height, QImage::Format format)
{
    const qsizetype bytesPerLine = qsizetype(width) * 4;
    const size_t bytes = size_t(bytesPerLine) * size_t(height);
    if (width <= 0 || height <= 0 || QImage::toPixelFormat(format).bitsPerPixel() != 32
        || bytes < (size_t(8) << 20))
        return QImage(width, height, format);
    void* data = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (data == MAP_FAILED)
        return QImage(width, height, format);
#ifdef MADV_HUGEPAGE
    madvise(data, bytes, MADV_HUGEPAGE);
#endif
    struct Mapping {
        void* data;
        size_t bytes;
    };
    auto* mapping = new Mapping { data, bytes };
    return QImage(
        static_cast<uchar*>(data), width, height, bytesPerLine, format,
        [](void* info) {
            auto* m = static_cast<Mapping*>(info);
            munmap(m->data, m->bytes);
            delete m;
        },
        mapping);
}
