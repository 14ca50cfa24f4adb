#include "core/photo/photoloader.h"

#include "core/host/photocatalog.h"
#include "core/image/picturereader.h"
#include "core/photo/progressivephoto.h"
#include "core/workspace/workspace.h"

#include <QFileInfo>

#include <algorithm>

namespace {

// Rotations by quarter turns clockwise, after an optional mirror in x: every flag
// combination reduces to one of these, so at most one pass over the pixels turns
// and one mirrors.
struct Orientation {
    bool mirrorX = false;
    int quarterTurns = 0; // clockwise, 0..3

    void turn(int quarters) { quarterTurns = (quarterTurns + quarters) & 3; }
    void flipX()
    {
        // A mirror after a turn equals the opposite turn after the mirror.
        mirrorX = !mirrorX;
        quarterTurns = (4 - quarterTurns) & 3;
    }
};

Orientation orientationOf(unsigned char flags)
{
    Orientation o;
    if ((flags & 0x30) == 0x30) {
        o.turn(2);
    } else if (flags & 0x10) {
        o.turn(2); // turned by 180 degrees and mirrored in x: a vertical flip
        o.flipX();
    } else if (flags & 0x20) {
        o.flipX();
    }
    if (flags & 0x01)
        o.turn(1);
    else if (flags & 0x02)
        o.turn(2);
    else if (flags & 0x04)
        o.turn(3);
    return o;
}

// Quarter turn of a 32-bit picture into a new buffer, in tiles so that both the
// reads and the writes stay in cache.
QImage turnQuarter(const QImage& src, bool clockwise)
{
    const int w = src.width(), h = src.height();
    if (src.depth() != 32)
        return {};
    QImage dst = PictureReader::allocate(h, w, src.format());
    if (dst.isNull() || dst.depth() != 32 || dst.size() != src.size().transposed())
        return {};
    const qsizetype srcStride = src.bytesPerLine() / 4, dstStride = dst.bytesPerLine() / 4;
    const auto* in = reinterpret_cast<const quint32*>(src.constBits());
    auto* out = reinterpret_cast<quint32*>(dst.bits());
    constexpr int Tile = 64;
    for (int ty = 0; ty < h; ty += Tile) {
        const int yEnd = qMin(h, ty + Tile);
        for (int tx = 0; tx < w; tx += Tile) {
            const int xEnd = qMin(w, tx + Tile);
            for (int y = ty; y < yEnd; ++y) {
                const quint32* line = in + y * srcStride;
                // Clockwise, source (x, y) lands at (h - 1 - y, x); counter-clockwise
                // at (y, w - 1 - x).
                if (clockwise) {
                    quint32* column = out + (h - 1 - y);
                    for (int x = tx; x < xEnd; ++x)
                        column[x * dstStride] = line[x];
                } else {
                    quint32* column = out + y;
                    for (int x = tx; x < xEnd; ++x)
                        column[(w - 1 - x) * dstStride] = line[x];
                }
            }
        }
    }
    return dst;
}

// Mirrors a 32-bit picture in its own buffer. Qt's in-place mirror copies pictures
// whose memory it does not own, which ours from PictureReader::allocate are.
void mirrorInPlace(QImage& img, bool horizontal, bool vertical)
{
    if (img.depth() != 32 || img.isNull())
        return;
    const int w = img.width(), h = img.height();
    const qsizetype stride = img.bytesPerLine() / 4;
    auto* bits = reinterpret_cast<quint32*>(img.bits());
    if (vertical) {
        for (int y = 0; y < h / 2; ++y) {
            quint32 *a = bits + y * stride, *b = bits + (h - 1 - y) * stride;
            if (horizontal) {
                std::reverse(a, a + w);
                std::reverse(b, b + w);
            }
            std::swap_ranges(a, a + w, b);
        }
        if (horizontal && (h & 1)) {
            quint32* middle = bits + (h / 2) * stride;
            std::reverse(middle, middle + w);
        }
    } else if (horizontal) {
        for (int y = 0; y < h; ++y)
            std::reverse(bits + y * stride, bits + y * stride + w);
    }
}

} // namespace

std::optional<unsigned char> PhotoLoader::recordFlags(const QString& path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    PhotoCatalog catalog;
    std::optional<unsigned char> flags;
    if (catalog.open(PhotoCatalog::ReadOnly) == 0) {
        if (catalog.findPhoto(PhotoCatalog::folderNameOf(absolute).toUtf8(),
                PhotoCatalog::fileStemOf(absolute).toUtf8())
            == 0)
            flags = catalog.orientationFlags();
        catalog.close();
    }
    return flags;
}

unsigned char PhotoLoader::lookUpFlags(const QString& path)
{
    return recordFlags(path).value_or(0);
}

void PhotoLoader::orient(QImage& photo, unsigned char flags)
{
    const Orientation o = orientationOf(flags);
    if (photo.isNull())
        return;
    if (photo.depth() != 32)
        photo = std::move(photo).convertToFormat(QImage::Format_RGB32);
    // Mirrors and half turns work in place; only quarter turns need a new buffer.
    switch (o.quarterTurns) {
    case 0:
        mirrorInPlace(photo, o.mirrorX, false);
        break;
    case 2:
        mirrorInPlace(photo, !o.mirrorX, true);
        break;
    default:
        mirrorInPlace(photo, o.mirrorX, false);
        photo = turnQuarter(photo, o.quarterTurns == 1);
        break;
    }
}

QImage PhotoLoader::read(const QString& path, int flags, int divisor)
{
    PictureReader reader(path);
    return read(reader, flags, divisor);
}

QImage PhotoLoader::read(PictureReader& reader, int flags, int divisor)
{
    // The record's flags were set by the practice against the stored pixels, so
    // they replace the picture's own EXIF orientation rather than add to it.
    reader.setAutoTransform(flags < 0);
    if (divisor > 1 && reader.canRead()) {
        // libjpeg's scaled sizes, so that the decoder's output needs no second scaling.
        const QSize stored = reader.size();
        reader.setScaledSize(QSize((stored.width() + divisor - 1) / divisor,
            (stored.height() + divisor - 1) / divisor));
    }
    QImage photo = reader.read(QImage::Format_RGB32);
    if (!photo.isNull() && flags >= 0)
        orient(photo, static_cast<unsigned char>(flags));
    return photo;
}

bool PhotoLoader::open(Workspace& workspace, const QString& path)
{
    workspace.clearPhoto();
    const std::optional<unsigned char> flags = recordFlags(path);
    QImage photo = read(path, flags ? int(*flags) : -1);
    if (!photo.isNull())
        workspace.m_pPhoto = std::make_unique<QImage>(std::move(photo));
    workspace.m_strPhotoPath = QFileInfo(path).absoluteFilePath();
    workspace.m_nPhotoFlags = flags ? int(*flags) : -1;
    workspace.resetForNewPhoto();
    return true;
}

bool PhotoLoader::openProgressive(Workspace& workspace, const QString& path, QSize shownPixels)
{
    workspace.clearPhoto();
    ProgressivePhoto photo(path, shownPixels);
    return openProgressive(workspace, path, photo);
}

bool PhotoLoader::openProgressive(Workspace& workspace, const QString& path, ProgressivePhoto& photo)
{
    workspace.clearPhoto();
    photo.startFullDecode();
    if (photo.previewDivisor() == 1) {
        QImage full = photo.takeFull();
        if (!full.isNull())
            workspace.m_pPhoto = std::make_unique<QImage>(std::move(full));
    } else {
        workspace.setPendingPhoto(photo.fullSize(), photo.preview(), photo.releaseFull());
    }
    const std::optional<unsigned char> flags = photo.recordFlags();
    workspace.m_strPhotoPath = QFileInfo(path).absoluteFilePath();
    workspace.m_nPhotoFlags = flags ? int(*flags) : -1;
    workspace.resetForNewPhoto();
    return true;
}
