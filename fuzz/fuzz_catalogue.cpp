// Fuzzes the catalogue reader with arbitrary bytes as bracket.csv, and checks
// that one rewrite settles the file: reading back what SaveCatalogue would write
// and writing it again gives the same bytes. A difference means the edit and
// delete commands would change entries the user did not touch.
#include "fuzzfixture.h"
#include "core/gallery/gallerycatalogue.h"
#include "core/gallery/galleryentry.h"

#include <QBuffer>
#include <QByteArray>
#include <QVector>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

// The bytes SaveCatalogue writes for these entries.
QByteArray rewrite(const QVector<GalleryEntry>& entries)
{
    QByteArray bytes;
    for (const GalleryEntry& entry : entries)
        bytes += entry.catalogueLine().toUtf8() + "\r\n";
    return bytes;
}

QVector<GalleryEntry> read(QByteArray bytes)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QVector<GalleryEntry> entries;
    GalleryCatalogue::ReadCatalogue(fuzzfixture::folder(), buffer, entries);
    return entries;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzfixture::application();
    fuzzfixture::isolateHost();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    const QVector<GalleryEntry> entries = read(input);
    for (const GalleryEntry& entry : entries) {
        if (!entry.picturePath.startsWith(fuzzfixture::folder()))
            std::abort();
        if (entry.side != QLatin1String("inner") && entry.side != QLatin1String("outer"))
            std::abort();
    }

    const QByteArray once = rewrite(entries);
    const QVector<GalleryEntry> reread = read(once);
    const QByteArray twice = rewrite(reread);
    if (once != twice) {
        std::fprintf(stderr, "rewrite not stable:\n  once:  %s\n  twice: %s\n",
            once.toHex(' ').constData(), twice.toHex(' ').constData());
        std::abort();
    }

    // The single-line helpers on the raw bytes.
    QStringList fields;
    GalleryCatalogue::SplitFields(GalleryCatalogue::DecodeLine(input), QLatin1Char(','), fields);
    GalleryCatalogue::FolderPrefix(QString::fromUtf8(input));
    return 0;
}
