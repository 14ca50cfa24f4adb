// Fuzzes the opening of a patient photograph: the bytes are written to a file and
// opened as the program opens its command-line argument, then turned by the
// orientation flags taken from the input's last byte, and read again as a preview
// scaled by a divisor taken from its first byte.
#include "core/photo/photoloader.h"
#include "core/workspace/workspace.h"
#include "fuzzfixture.h"

#include <QFile>
#include <QImageReader>

#include <cstdint>
#include <cstdlib>

namespace {

// Pictures up to this size are decoded. Larger ones (up to PhotoLoader's own
// bound) are legitimate and are covered by the tests; here they would only slow
// the fuzzer down to a few runs a second.
constexpr qint64 fuzzPixelBudget = 4 * 1000 * 1000;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzfixture::application();
    fuzzfixture::isolateHost();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = fuzzfixture::folder() + QStringLiteral("photo.jpg");
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    {
        QImageReader probe(path);
        const QSize declared = probe.size();
        if (declared.isValid() && qint64(declared.width()) * declared.height() > fuzzPixelBudget)
            return 0;
    }

    Workspace workspace;
    PhotoLoader::open(workspace, path);
    if (workspace.hasPhoto()) {
        const QImage& photo = *workspace.m_pPhoto;
        if (photo.format() != QImage::Format_RGB32 || photo.isNull())
            std::abort();
        QImage turned = photo;
        const unsigned char flags = size ? data[size - 1] : 0;
        PhotoLoader::orient(turned, flags);
        const bool quarter = (flags & 0x01) || (!(flags & 0x02) && (flags & 0x04));
        const QSize expected = quarter ? photo.size().transposed() : photo.size();
        if (turned.size() != expected)
            std::abort();
        // The preview path too: decoded smaller by a divisor the input's first byte picks.
        const int divisor = 1 << (data[0] & 3);
        const QImage preview = PhotoLoader::read(path, -1, divisor);
        if (!preview.isNull()
            && preview.size()
                != QSize((photo.width() + divisor - 1) / divisor,
                    (photo.height() + divisor - 1) / divisor)
            && preview.size()
                != QSize((photo.height() + divisor - 1) / divisor,
                    (photo.width() + divisor - 1) / divisor))
            std::abort();
    }
    return 0;
}
