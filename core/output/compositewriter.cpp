#include "core/output/compositewriter.h"

#include "core/output/compositerenderer.h"
#include "core/output/jpegbandencoder.h"

#include <QImage>
#include <QImageWriter>
#include <QSaveFile>

#include <algorithm>

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
    QImage band(
        size.width(), std::min(BandRows, size.height()), QImage::Format_ARGB32_Premultiplied);
    if (band.isNull())
        return false;

    // QSaveFile writes beside the target and renames on commit, so the chosen name
    // never holds a half-written picture; it refuses a directory in its place.
    QSaveFile file(jpegPath(path));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    JpegBandEncoder encoder(&file);
    if (!encoder.begin(size.width(), size.height())) {
        file.cancelWriting();
        return false;
    }
    for (int top = 0; top < size.height(); top += band.height()) {
        const int rows = std::min(band.height(), size.height() - top);
        renderer.renderBand(band, top);
        if (!encoder.writeRows(band, rows) || (progress && !progress())) {
            file.cancelWriting();
            return false;
        }
    }
    // The last bytes sit in QSaveFile's buffer until here; commit() would swallow
    // a failed flush and replace the old file with a cut-off one.
    if (!encoder.finish() || !file.flush() || file.error() != QFileDevice::NoError) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
