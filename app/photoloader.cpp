#include "app/photoloader.h"

#include "frame/workspace.h"
#include "host/photocatalog.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QTransform>

namespace {

// Only the JPEG, PNG and BMP readers ever see a user's file: the format is chosen
// from the magic bytes, never from the name.
QByteArray formatFromMagic(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray head = file.read(8);
    if (head.startsWith("\xFF\xD8\xFF"))
        return "jpeg";
    if (head.startsWith("\x89PNG\r\n\x1A\n"))
        return "png";
    if (head.startsWith("BM"))
        return "bmp";
    return {};
}

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

} // namespace

QImage PhotoLoader::decode(const QString &path)
{
    const QByteArray format = formatFromMagic(path);
    if (format.isEmpty())
        return {};
    QImageReader reader(path, format);
    reader.setAutoTransform(false);
    const QSize size = reader.size();
    if (!size.isValid() || qint64(size.width()) * size.height() > MaxPixels)
        return {};
    // Qt's default ceiling (128 MB) would refuse anything above ~33 megapixels.
    // Ours is the bound above; the limit is process-wide, so keep the larger one.
    const int neededMb = int(MaxPixels * 4 / (1024 * 1024)) + 1;
    if (QImageReader::allocationLimit() < neededMb)
        QImageReader::setAllocationLimit(neededMb);
    QImage image = reader.read();
    if (image.isNull() || image.width() == 0)
        return {};
    if (!image.hasAlphaChannel())
        return image.format() == QImage::Format_RGB32 ? image
                                                       : std::move(image).convertToFormat(QImage::Format_RGB32);
    QImage white(image.size(), QImage::Format_RGB32);
    if (white.isNull())
        return {};
    white.fill(Qt::white);
    QPainter painter(&white);
    painter.drawImage(0, 0, image);
    painter.end();
    return white;
}

unsigned char PhotoLoader::lookUpFlags(const QString &path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    PhotoCatalog catalog;
    unsigned char flags = 0;
    if (catalog.open(PhotoCatalog::ReadOnly) == 0) {
        if (catalog.findPhoto(PhotoCatalog::folderNameOf(absolute).toUtf8(),
                              PhotoCatalog::fileStemOf(absolute).toUtf8())
            == 0)
            flags = catalog.orientationFlags();
        catalog.close();
    }
    return flags;
}

void PhotoLoader::orient(QImage &photo, unsigned char flags)
{
    const Orientation o = orientationOf(flags);
    if (photo.isNull())
        return;
    // Mirrors and half turns work in place; only quarter turns need a new buffer.
    switch (o.quarterTurns) {
    case 0:
        if (o.mirrorX)
            photo = std::move(photo).mirrored(true, false);
        break;
    case 2:
        photo = o.mirrorX ? std::move(photo).mirrored(false, true) : std::move(photo).mirrored(true, true);
        break;
    default:
        if (o.mirrorX)
            photo = std::move(photo).mirrored(true, false);
        photo = photo.transformed(QTransform().rotate(90 * o.quarterTurns));
        break;
    }
}

bool PhotoLoader::open(Workspace &workspace, const QString &path)
{
    workspace.m_pPhoto.reset();
    QImage photo = decode(path);
    const unsigned char flags = lookUpFlags(path);
    if (!photo.isNull()) {
        orient(photo, flags);
        workspace.m_pPhoto = std::make_unique<QImage>(std::move(photo));
    }
    workspace.resetForNewPhoto();
    return true;
}
