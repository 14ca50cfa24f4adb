// Case "save": a four-pane composite of a 24-megapixel photograph (12 600 x 8 400
// pixels) saved as JPEG, against cjpeg encoding the same pixels from a PPM file in
// the same run, and the peak memory the save adds, measured in a child process.
#include "bench/benchutil.h"

#include "core/workspace/workspace.h"
#include "core/output/compositerenderer.h"
#include "core/output/compositewriter.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <sys/resource.h>
#include <memory>
#include <vector>

namespace {

using bench::figure;
using bench::out;

constexpr double TimeGoal = 1.0; // save time / cjpeg time
constexpr double MemoryGoal = 0.25; // added peak memory / composite pixel bytes

const QVector<int> fourPanes { 0, 1, 2, 3 };

// User and system time of the process (RUSAGE_SELF) or of its waited-for children.
double cpuMs(int who)
{
    rusage usage { };
    getrusage(who, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3
        + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

qint64 peakKb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

// Smooth shading with fine noise, so the encoder does the work a photograph costs.
QImage photographLike(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    QRandomGenerator rng(7);
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const int n = int(rng.bounded(24));
            line[x] = qRgb((x / 24 + n) & 0xFF, (y / 16 + n) & 0xFF, ((x + y) / 40 + n) & 0xFF);
        }
    }
    return img;
}

// The photograph, a closed clip round its middle and a turned bracket of about a
// fifth of the photograph's width in each working slot.
void setUp(Workspace& ws, const QString& dir)
{
    ws.m_pPhoto = std::make_unique<QImage>(photographLike(6000, 4000));
    ws.resetForNewPhoto();
    for (const QPoint& p :
        { QPoint(1500, 1200), QPoint(4500, 1100), QPoint(4600, 2800), QPoint(1400, 2900) })
        ws.m_clip.AddPoint(p.x(), p.y());
    ws.m_clip.BuildClosedCurve();
    ws.m_bClipClosed = true;
    QImage picture(1200, 500, QImage::Format_ARGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(
                x, y, qRgba(200 + x % 40, 200 - y % 60, 220, (x / 30 + y / 30) % 5 ? 255 : 0));
    const QString path = dir + QStringLiteral("/bracket.png");
    picture.save(path);
    for (int slot = 1; slot < Workspace::SlotCount; ++slot) {
        QBracket bracket;
        bracket.Init(slot, -1, path, 3000, 2000, QStringLiteral("bench"), true);
        bracket.m_dAngle = 7.5 * slot;
        bracket.UpdateFrames();
        ws.m_slot[size_t(slot)].arBrackets.push_back(bracket);
    }
}

bool writePpm(const QImage& img, const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(QStringLiteral("P6\n%1 %2\n255\n").arg(img.width()).arg(img.height()).toLatin1());
    QByteArray line(img.width() * 3, Qt::Uninitialized);
    for (int y = 0; y < img.height(); ++y) {
        const auto* src = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        char* dst = line.data();
        for (int x = 0; x < img.width(); ++x) {
            *dst++ = char(qRed(src[x]));
            *dst++ = char(qGreen(src[x]));
            *dst++ = char(qBlue(src[x]));
        }
        if (file.write(line) != line.size())
            return false;
    }
    return true;
}

// Child process: prints the peak resident memory that one save adds, in kB, and
// the composite's pixel bytes.
int memoryChild(const QString& dir)
{
    Workspace ws;
    setUp(ws, dir);
    const CompositeRenderer renderer(ws, fourPanes, 2, 2);
    const qint64 before = peakKb();
    const bool saved = CompositeWriter::saveComposite(renderer, dir + QStringLiteral("/child.jpg"));
    const qint64 after = peakKb();
    const QSize size = renderer.size();
    out() << (saved ? after - before : -1) << ' ' << qint64(size.width()) * size.height() * 4
          << Qt::endl;
    return 0;
}

} // namespace

int benchSave(const QStringList& args)
{
    if (args.size() >= 3 && args.at(1) == QLatin1String("save-memory-child"))
        return memoryChild(args.at(2));
    const QString cjpeg = QStandardPaths::findExecutable(QStringLiteral("cjpeg"));
    if (cjpeg.isEmpty()) {
        QTextStream(stderr)
            << "kestrin-bench save: cjpeg not found (Debian package libjpeg-turbo-progs)\n";
        return 1;
    }
    QTemporaryDir dir;
    const QString ppm = dir.filePath(QStringLiteral("composite.ppm"));
    const QString saved = dir.filePath(QStringLiteral("saved.jpg"));
    const QString reference = dir.filePath(QStringLiteral("cjpeg.jpg"));
    QSize size;
    {
        Workspace ws;
        setUp(ws, dir.path());
        const CompositeRenderer renderer(ws, fourPanes, 2, 2);
        size = renderer.size();
        if (!writePpm(renderer.render(), ppm))
            return 1;
    }
    figure(QStringLiteral("composite_width"), size.width(), QStringLiteral("px"));
    figure(QStringLiteral("composite_height"), size.height(), QStringLiteral("px"));

    Workspace ws;
    setUp(ws, dir.path());
    const CompositeRenderer renderer(ws, fourPanes, 2, 2);
    // Side by side, interleaved, so both see the same machine conditions.
    const int runs = 5;
    std::vector<double> encode, save, encodeCpu, saveCpu;
    bool ok = true;
    for (int i = 0; i < runs; ++i) {
        double cpu = cpuMs(RUSAGE_CHILDREN);
        encode.push_back(bench::medianMs(1, [&] {
            ok = QProcess::execute(cjpeg, { QStringLiteral("-outfile"), reference, ppm }) == 0
                && ok;
        }));
        encodeCpu.push_back(cpuMs(RUSAGE_CHILDREN) - cpu);
        cpu = cpuMs(RUSAGE_SELF);
        save.push_back(bench::medianMs(
            1, [&] { ok = CompositeWriter::saveComposite(renderer, saved) && ok; }));
        saveCpu.push_back(cpuMs(RUSAGE_SELF) - cpu);
    }
    if (!ok)
        return 1;
    std::sort(encode.begin(), encode.end());
    std::sort(save.begin(), save.end());
    const double e = encode[runs / 2], s = save[runs / 2];
    figure(QStringLiteral("cjpeg_from_ppm"), e, QStringLiteral("ms"));
    figure(QStringLiteral("save_composite"), s, QStringLiteral("ms"));
    figure(QStringLiteral("save_ratio"), s / e, QStringLiteral("x cjpeg (goal %1)").arg(TimeGoal));
    // Processor time, both threads together: what the wall time comes to when the
    // cores are shared with other work.
    figure(QStringLiteral("cjpeg_cpu_ms"), bench::median(encodeCpu), QStringLiteral("ms"));
    figure(QStringLiteral("save_cpu_ms"), bench::median(saveCpu), QStringLiteral("ms"));
    figure(QStringLiteral("save_cpu_ratio"), bench::median(saveCpu) / bench::median(encodeCpu),
        QStringLiteral("x cjpeg"));
    figure(QStringLiteral("saved_size"), QFile(saved).size() / 1048576.0, QStringLiteral("MB"));
    figure(QStringLiteral("cjpeg_size"), QFile(reference).size() / 1048576.0, QStringLiteral("MB"));

    QProcess child;
    child.start(args.at(0), { QStringLiteral("save-memory-child"), dir.path() });
    child.waitForFinished(300000);
    const QList<QByteArray> parts = child.readAllStandardOutput().trimmed().split(' ');
    const double addedKb = parts.value(0).toDouble();
    const double pixelBytes = parts.value(1).toDouble();
    const double memory = pixelBytes > 0 && addedKb >= 0 ? addedKb * 1024 / pixelBytes : 99;
    figure(QStringLiteral("save_peak_memory"), addedKb / 1024, QStringLiteral("MB"));
    figure(QStringLiteral("save_peak_memory_ratio"), memory,
        QStringLiteral("x composite pixel bytes (goal below %1)").arg(MemoryGoal));
    // One figure for the case: the worse of the two against its goal (1.0 means
    // exactly at the goal).
    bench::ratio(std::max((s / e) / TimeGoal, memory / MemoryGoal));
    return 0;
}
