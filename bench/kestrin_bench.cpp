// kestrin-bench CASE: measures one case and prints each figure on its own line as
// "NAME = VALUE UNIT" (medians over repeated runs), ending with "ratio = VALUE".
#include "bench/benchutil.h"

#include "core/photo/photoloader.h"
#include "core/workspace/workspace.h"
#include "core/host/photocatalog.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

using bench::figure;
using bench::medianMs;
using bench::out;

// A photograph-like 24-megapixel JPEG: smooth shading with fine noise, so the
// decoder does the work a real photograph costs.
QString makeBigJpeg(const QString& dir, const QString& name)
{
    const QString path = dir + '/' + name;
    QImage img(6000, 4000, QImage::Format_RGB32);
    QRandomGenerator rng(7);
    for (int y = 0; y < img.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            const int n = int(rng.bounded(24));
            line[x] = qRgb((x / 24 + n) & 0xFF, (y / 16 + n) & 0xFF, ((x + y) / 40 + n) & 0xFF);
        }
    }
    img.save(path, "JPEG", 90);
    return path;
}

qint64 procStatusKb(const char* field)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

// Child process: prints the peak resident memory added by one open.
int openMemoryChild(const QString& path)
{
    Workspace ws;
    const qint64 before = procStatusKb("VmHWM:");
    PhotoLoader::open(ws, path);
    const qint64 after = procStatusKb("VmHWM:");
    out() << (after - before) << ' '
          << (ws.hasPhoto() ? ws.photoWidth() * qint64(ws.photoHeight()) : 0) << Qt::endl;
    return 0;
}

int benchOpen(const QString& program)
{
    QTemporaryDir dir;
    qputenv("MOLVEX_PHOTODB", (dir.path() + "/photos.db").toLocal8Bit());
    QImageReader::setAllocationLimit(1024);
    struct Variant {
        QString name;
        unsigned char flags;
        double goal;
    };
    const std::vector<Variant> variants = { { "none", 0x00, 1.15 }, { "turn180", 0x02, 1.15 },
        { "mirror", 0x20, 1.15 }, { "turn90", 0x01, 1.8 } };
    {
        PhotoCatalog catalog;
        catalog.open(PhotoCatalog::ReadWrite);
        for (const Variant& v : variants) {
            const QString path = makeBigJpeg(dir.path(), v.name + ".jpg");
            if (v.flags)
                catalog.addPhoto(path, v.flags, {});
        }
    }
    const int runs = 5;
    double worst = 0;
    for (const Variant& v : variants) {
        const QString path = dir.path() + '/' + v.name + ".jpg";
        // Interleave the two so both see the same machine conditions.
        std::vector<double> bare, full;
        for (int i = 0; i < runs; ++i) {
            bare.push_back(medianMs(1, [&] {
                QImageReader reader(path, "jpeg");
                QImage img = reader.read();
                Q_ASSERT(!img.isNull());
            }));
            full.push_back(medianMs(1, [&] {
                Workspace ws;
                PhotoLoader::open(ws, path);
                Q_ASSERT(ws.hasPhoto());
            }));
        }
        std::sort(bare.begin(), bare.end());
        std::sort(full.begin(), full.end());
        const double b = bare[runs / 2], f = full[runs / 2];
        figure("decode_bare_" + v.name, b, "ms");
        figure("open_" + v.name, f, "ms");
        figure("open_" + v.name + "_ratio", f / b, QStringLiteral("x (goal %1)").arg(v.goal));
        worst = std::max(worst, (f / b) / v.goal);
    }
    double worstMemory = 0;
    for (const Variant& v : variants) {
        QProcess child;
        child.start(program, { "open-memory-child", dir.path() + '/' + v.name + ".jpg" });
        child.waitForFinished(120000);
        const QList<QByteArray> parts = child.readAllStandardOutput().trimmed().split(' ');
        const double addedKb = parts.value(0).toDouble();
        const double pixels = parts.value(1).toDouble();
        const double ratio = pixels > 0 ? addedKb * 1024 / (pixels * 4) : 0;
        figure("peak_memory_" + v.name, addedKb / 1024, "MB");
        figure("peak_memory_" + v.name + "_ratio", ratio, "x decoded size (goal 2.2)");
        worstMemory = std::max(worstMemory, ratio);
    }
    // One figure for the case: the worst time ratio measured against its own goal
    // (1.0 means exactly at the goal), and the worst memory ratio beside it.
    figure("worst_time_ratio_to_goal", worst, "x");
    figure("worst_memory_ratio", worstMemory, "x (goal 2.2)");
    out() << "ratio = " << QString::number(worst, 'f', 3) << Qt::endl;
    return 0;
}

} // namespace

// Each in its own file.
int benchAdjust();
int benchHitTest();
int benchSave(const QStringList& args);
int benchRegister(const QStringList& args);

int benchPaint();
int benchGallery();
int benchSlider();

int main(int argc, char** argv)
{
    // Painting and the widget cases need widgets (on the offscreen platform unless a display is
    // chosen); everything else runs without them.
    const bool paint = argc >= 2
        && (qstrcmp(argv[1], "paint") == 0 || qstrcmp(argv[1], "gallery") == 0
            || qstrcmp(argv[1], "slider") == 0);
    if (paint && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QCoreApplication> app(
        paint ? new QApplication(argc, argv) : new QCoreApplication(argc, argv));
    const QStringList args = app->arguments();
    if (args.size() >= 3 && args.at(1) == QLatin1String("open-memory-child"))
        return openMemoryChild(args.at(2));
    const QString which = args.value(1);
    if (which == QLatin1String("open"))
        return benchOpen(args.at(0));
    if (which == QLatin1String("adjust"))
        return benchAdjust();
    if (which == QLatin1String("hittest"))
        return benchHitTest();
    if (which == QLatin1String("save") || which == QLatin1String("save-memory-child"))
        return benchSave(args);
    if (which == QLatin1String("register"))
        return benchRegister(args);
    if (which == QLatin1String("paint"))
        return benchPaint();
    if (which == QLatin1String("gallery"))
        return benchGallery();
    if (which == QLatin1String("slider"))
        return benchSlider();
    QTextStream(stderr) << "usage: kestrin-bench open|adjust|hittest|save|register|paint|gallery|slider\n";
    return 2;
}
