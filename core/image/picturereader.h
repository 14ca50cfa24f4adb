// Reads every picture Kestrin takes from a user's file (the photograph, bracket
// pictures, gallery previews, the add-bracket dialog) with one set of guards: only
// regular files, only the JPEG, PNG and BMP decoders, one size bound.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QSize>
#include <QString>

class QIODevice;

class PictureReader {
public:
    // Pictures beyond this many pixels are refused before anything is decoded:
    // 100-megapixel photographs must load, and the bound keeps a lying header from
    // taking the memory.
    static constexpr qint64 MaxPixels = 160LL * 1000 * 1000;

    // Opens the file without decoding it. Anything but a regular file (a FIFO, a
    // device, a folder, a missing file) is refused before it is opened, so that a
    // read can never block; so is a file whose first bytes are not JPEG, PNG or
    // BMP, or whose header is unreadable or beyond MaxPixels.
    explicit PictureReader(const QString& path);
    PictureReader(const PictureReader&) = delete;
    PictureReader& operator=(const PictureReader&) = delete;

    // False when the file was refused; read() then returns a null image.
    bool canRead() const { return !m_size.isEmpty(); }
    // "jpeg", "png" or "bmp"; empty when refused.
    QByteArray format() const { return m_format; }
    // The stored picture's size in pixels from its header, both sides positive
    // (a top-down BMP included), before any EXIF turn. Empty when refused.
    QSize size() const { return m_size; }

    // Decodes straight to this size (JPEG then decodes only the pixels needed), for
    // previews. The caller keeps the aspect ratio; an empty size reads full size.
    void setScaledSize(const QSize& size) { m_scaledSize = size; }
    // Turns and mirrors the picture by its own EXIF orientation. Off unless set:
    // a photograph whose orientation the practice recorded must not be turned twice.
    void setAutoTransform(bool enabled) { m_autoTransform = enabled; }

    // Decodes into `format`: Format_RGB32 puts transparent areas over white;
    // Format_ARGB32 keeps alpha, not premultiplied. A null image for a damaged file
    // or one that was refused.
    QImage read(QImage::Format format);

    // The decoder for the device's first bytes ("jpeg", "png" or "bmp"), never its
    // name, so that no other of Qt's readers ever parses a user's file; empty for
    // anything else. The device is only peeked at.
    static QByteArray formatOf(QIODevice& device);

    // A 32-bit picture whose large buffers are backed by huge pages where the
    // kernel offers them; a null image when it cannot be allocated.
    static QImage allocate(int width, int height, QImage::Format format);

private:
    QFile m_file;
    QImageReader m_reader;
    QByteArray m_format;
    QSize m_size;
    QSize m_scaledSize;
    bool m_autoTransform = false;
};
