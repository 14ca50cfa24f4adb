#include "core/output/compositewriter.h"

#include "core/host/securefile.h"

#include "core/output/bandrenderthread.h"
#include "core/output/compositerenderer.h"
#include "core/output/jpegbandencoder.h"

#include <QFile>
#include <QImage>
#include <QImageWriter>

#include <algorithm>
#include <sys/stat.h>

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
    // libjpeg encodes one band while a second thread renders the next ones, a few
    // bands ahead so that a moment without the second core does not stall the
    // encoder; memory stays those few bands whatever the picture's height.
    const int bandRows = std::min(BandRows, size.height());
    BandRenderThread bands(renderer, bandRows, RenderAheadBands + 1);
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
    JpegBandEncoder encoder(file.device());
    if (!encoder.begin(size.width(), size.height())) {
        file.cancel();
        return false;
    }
    // Only the render thread touches the renderer (it fills its overlays lazily, band
    // by band); only this thread touches the encoder, the file and progress.
    for (int top = 0; top < size.height(); top += bandRows) {
        const QImage* band = bands.next();
        const bool written = band
            && encoder.writeRows(*band, std::min(bandRows, size.height() - top))
            && (!progress || progress());
        bands.release();
        if (!written) {
            file.cancel();
            return false;
        }
    }
    if (!encoder.finish()) {
        file.cancel();
        return false;
    }
    return file.commit();
}
