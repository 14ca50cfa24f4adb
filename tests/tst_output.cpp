// The saved, printed and registered composite: pane placement at odd photograph
// sizes, what each pane shows, bands against the whole picture, the JPEG file
// and its failures, the printed page, and registering with the host.
#include "core/host/hostdialogs.h"
#include "core/host/photocatalog.h"
#include "core/output/compositerenderer.h"
#include "core/output/compositewriter.h"
#include "core/output/photoregistration.h"
#include "core/output/printlayout.h"
#include "testutils.h"

#include <QImageReader>
#include <QPainter>
#include <QRandomGenerator>
#include <QtTest>

using namespace testutils;

namespace {
constexpr QRgb kPhoto = 0xFF285AC8, kRed = 0xFFE61E1E, kGreen = 0xFF14C828;
bool near(QRgb a, QRgb b, int tolerance = 6)
{
    return qAbs(qRed(a) - qRed(b)) <= tolerance && qAbs(qGreen(a) - qGreen(b)) <= tolerance
        && qAbs(qBlue(a) - qBlue(b)) <= tolerance;
}
QImage plain(QSize size)
{
    QImage photo(size, QImage::Format_RGB32);
    photo.fill(kPhoto);
    return photo;
}
// A 335 x 257 photograph (w * 1.1 = 368.5, h * 1.1 = 282.7: truncation and
// rounding part ways); a clip well inside it; slot 1 a large red bracket turned
// by 30 degrees with a small green one on it, slot 2 an inner red one, slot 3 a
// red one at 147.
void scene(Workspace& ws, const QString& dir, QSize size = { 335, 257 })
{
    setPhoto(ws, plain(size));
    closeClip(ws, { { 80, 60 }, { 250, 60 }, { 250, 190 }, { 80, 190 } });
    addBracket(ws, dir, 1, { 220, 170 }, kRed, { 165, 125 }, 30);
    addBracket(ws, dir, 1, { 21, 17 }, kGreen, { 131, 101 });
    addBracket(ws, dir, 2, { 220, 170 }, kRed, { 165, 125 }, 0, false);
    addBracket(ws, dir, 3, { 220, 170 }, kRed, { 165, 125 }, 147);
}
QSet<QString> leftovers(const QString& dir)
{
    const QStringList names = QDir(dir).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    return QSet<QString>(names.begin(), names.end());
}
} // namespace

class TestOutput : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void panePlacement_data();
    void panePlacement();
    void whatEachPaneShows();
    void bandsEqualTheWhole_data();
    void bandsEqualTheWhole();
    void saveJpeg_data();
    void saveJpeg();
    void printLayout_data();
    void printLayout();
    void registration_data();
    void registration();

private:
    std::unique_ptr<IsolatedHost> m_host;
};

void TestOutput::init()
{
    m_host = std::make_unique<IsolatedHost>();
    // The pixels here are the panes' own; the simulation label is tested apart.
    QSettings(m_host->path("Molvex.ini"), QSettings::IniFormat)
        .setValue("BRACKET/SimulationStamp", 0);
}
void TestOutput::cleanup() { m_host.reset(); }

void TestOutput::panePlacement_data()
{
    QTest::addColumn<QSize>("photo");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("cols");
    QTest::addColumn<QPoint>("lastPane"); // composite pixel of the last pane's corner
    QTest::addColumn<QSize>("composite");
    QTest::newRow("335x257, four")
        << QSize(335, 257) << 2 << 2 << QPoint(368, 282) << QSize(703, 539);
    QTest::newRow("333x251, two") << QSize(333, 251) << 1 << 2 << QPoint(366, 0) << QSize(699, 251);
    QTest::newRow("401x301, four")
        << QSize(401, 301) << 2 << 2 << QPoint(441, 331) << QSize(842, 632);
    QTest::newRow("one") << QSize(37, 23) << 1 << 1 << QPoint(0, 0) << QSize(37, 23);
}

void TestOutput::panePlacement()
{
    QFETCH(QSize, photo);
    QFETCH(int, rows);
    QFETCH(int, cols);
    QFETCH(QPoint, lastPane);
    QFETCH(QSize, composite);
    Workspace ws;
    setPhoto(ws, positionImage(photo.width(), photo.height()));
    const CompositeRenderer renderer(
        ws, QVector<int>({ 3, 2, 1, 0 }).mid(0, rows * cols), rows, cols);
    QVERIFY(renderer.isValid());
    QCOMPARE(renderer.size(), composite);
    QCOMPARE(renderer.panePixel(rows - 1, cols - 1), lastPane);
    const QImage whole = renderer.render().convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(whole.size(), composite);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) {
            const QPoint at(c * lastPane.x(), r * lastPane.y());
            QVERIFY(sameImage(whole.copy(QRect(at, photo)),
                positionImage(photo.width(), photo.height(), QImage::Format_ARGB32)));
            if (c > 0) // the gap ends right before the pane
                QCOMPARE(whole.pixel(at.x() - 1, at.y()), 0u);
            if (r > 0)
                QCOMPARE(whole.pixel(at.x(), at.y() - 1), 0u);
        }
    QVERIFY(!CompositeRenderer(ws, { 0, 1 }, 2, 2).isValid());
    QVERIFY(!CompositeRenderer(ws, { 0, 4 }, 1, 2).isValid());
    QVERIFY(CompositeRenderer(ws, { 0, 4 }, 1, 2).render().isNull());
}

void TestOutput::whatEachPaneShows()
{
    Workspace ws;
    scene(ws, m_host->dir.path());
    const CompositeRenderer renderer(ws, { 0, 1, 2, 3 }, 2, 2);
    const QImage whole = renderer.render();
    // Photograph points: inside the clip on the large bracket, on the small one,
    // outside the clip but on the large bracket, far outside.
    const QPoint inside(200, 170), small(131, 101), outside(115, 25), corner(3, 3);
    const QRgb expected[4][4] = {
        { kPhoto, kPhoto, kPhoto, kPhoto }, // slot 0: no brackets
        { kRed, kGreen, kPhoto, kPhoto },
        { kPhoto, kPhoto, kPhoto, kPhoto }, // slot 2: not for output
        { kRed, kRed, kPhoto, kPhoto },
    };
    for (int pane = 0; pane < 4; ++pane) {
        const QPoint origin = renderer.panePixel(pane / 2, pane % 2);
        int i = 0;
        for (const QPoint p : { inside, small, outside, corner }) {
            const QRgb got = whole.pixel(origin + p);
            QVERIFY2(near(got, expected[pane][i++]),
                qPrintable(QString("pane %1 point %2: %3").arg(pane).arg(i).arg(got, 8, 16)));
        }
    }
    ws.m_bClipClosed = false; // an open clip shows no brackets at all
    const QImage open = CompositeRenderer(ws, { 1 }, 1, 1).render();
    QVERIFY(near(open.pixel(inside), kPhoto) && near(open.pixel(small), kPhoto));
}

void TestOutput::bandsEqualTheWhole_data()
{
    QTest::addColumn<int>("band");
    for (int rows : { 1, 7, 64, 100, 539 })
        QTest::addRow("%d rows", rows) << rows;
}

// The same rows whatever the band height, with a buffer that still holds junk.
void TestOutput::bandsEqualTheWhole()
{
    QFETCH(int, band);
    Workspace ws;
    scene(ws, m_host->dir.path());
    const CompositeRenderer renderer(ws, { 0, 1, 2, 3 }, 2, 2);
    const QImage whole = renderer.render();
    QImage buffer(whole.width(), band, QImage::Format_ARGB32_Premultiplied);
    buffer.fill(0xFF123456);
    for (int top = 0; top < whole.height(); top += band) {
        renderer.renderBand(buffer, top);
        const int rows = qMin(band, whole.height() - top);
        QVERIFY2(buffer.copy(0, 0, whole.width(), rows) == whole.copy(0, top, whole.width(), rows),
            qPrintable(QString("band at %1").arg(top)));
    }
}

void TestOutput::saveJpeg_data()
{
    QTest::addColumn<QString>("name"); // below the temporary folder
    QTest::addColumn<QString>("written"); // empty when the save must fail
    QTest::addColumn<int>("limit"); // file size limit, 0 for none
    QTest::addColumn<int>("stopAfter"); // bands before the progress callback stops it, -1 never
    auto row = [](const char* tag, const char* name, const char* written, int limit, int stop) {
        QTest::newRow(tag) << QString(name) << QString(written) << limit << stop;
    };
    row(".jpg added", "out", "out.jpg", 0, -1);
    row("any case kept", "OUT.JpG", "OUT.JpG", 0, -1);
    row(".jpeg is not .jpg", "out.jpeg", "out.jpeg.jpg", 0, -1);
    row("old file replaced", "old.jpg", "old.jpg", 0, -1);
    row("abandoned keeps the old file", "old.jpg", "", 0, 3);
    row("disk full mid-way keeps the old file", "old.jpg", "", 20000, -1);
    row("disk full within the write buffer", "old.jpg", "", 100, -1);
    row("folder under the name", "folder.jpg", "", 0, -1);
    row("parent is a file", "old.jpg/x.jpg", "", 0, -1);
}

void TestOutput::saveJpeg()
{
    QFETCH(QString, name);
    QFETCH(QString, written);
    QFETCH(int, limit);
    QFETCH(int, stopAfter);
    const QString dir = m_host->path("out");
    QVERIFY(QDir().mkpath(dir + "/folder.jpg") && writeBytes(dir + "/old.jpg", "previous"));
    Workspace ws;
    scene(ws, m_host->dir.path());
    *ws.m_pPhoto = positionImage(335, 257); // about 10 kB as JPEG
    if (limit > 1000) // noise does not compress: the JPEG passes the limit mid-way
        QRandomGenerator(1).fillRange(reinterpret_cast<quint32*>(ws.m_pPhoto->bits()), 335 * 257);
    const CompositeRenderer renderer(ws, { 1, 3 }, 1, 2);
    int bands = 0;
    // Lifted again before anything else is written.
    auto full = limit ? std::make_unique<FileSizeLimit>(rlim_t(limit)) : nullptr;
    const bool ok = CompositeWriter::saveComposite(
        renderer, dir + "/" + name, [&] { return ++bands != stopAfter; });
    full.reset();
    QCOMPARE(ok, !written.isEmpty());
    if (written != "old.jpg")
        QCOMPARE(readAll(dir + "/old.jpg"), QByteArray("previous"));
    QCOMPARE(leftovers(dir), QSet<QString>({ "folder.jpg", "old.jpg", ok ? written : "old.jpg" }));
    if (ok) {
        QCOMPARE(bands,
            (renderer.size().height() + CompositeWriter::BandRows - 1) / CompositeWriter::BandRows);
        // Against the platform's plain save of the whole picture with its defaults.
        QVERIFY(sameImage(QImageReader(dir + "/" + written, "jpeg").read(),
            QImage::fromData(encoded(renderer.render(), "jpeg"), "jpeg"), 1));
    }
}

void TestOutput::printLayout_data()
{
    QTest::addColumn<QSize>("photo");
    QTest::addColumn<QSize>("grid"); // columns x rows
    QTest::addColumn<QRect>("fit");
    QTest::addColumn<QPointF>("lastCorner"); // page pixel of the last pane's top-left
    // clang-format off
    QTest::newRow("one")      << QSize(335, 257) << QSize(1, 1) << QRect(0, 117, 1001, 767) << QPointF();
    QTest::newRow("two, odd") << QSize(335, 257) << QSize(2, 1) << QRect(0, 58, 500, 383) << QPointF(500, 0);
    QTest::newRow("portrait") << QSize(257, 335) << QSize(2, 2) << QRect(58, 0, 383, 500)
                              << QPointF(557, 549.1654);
    // clang-format on
}

void TestOutput::printLayout()
{
    QFETCH(QSize, photo);
    QFETCH(QSize, grid);
    QFETCH(QRect, fit);
    QFETCH(QPointF, lastCorner);
    const int rows = grid.height(), cols = grid.width(), width = 1001; // odd: halving loses a pixel
    Workspace ws;
    scene(ws, m_host->dir.path(), photo);
    const QVector<int> paneSlots = QVector<int>({ 3, 1, 0, 2 }).mid(0, rows * cols);
    const PrintLayout page(ws, paneSlots, rows, cols, width);
    QVERIFY(page.isValid() && page.fit() == fit);
    const QPointF corner = page.photoTransform(rows - 1, cols - 1).map(QPointF(0, 0));
    QVERIFY((corner - lastCorner).manhattanLength() < 0.01);
    QImage sheet(width, width + 200, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    page.paint(&painter);
    painter.end();
    for (int pane = 0; pane < rows * cols; ++pane) {
        const QTransform t = page.photoTransform(pane / cols, pane % cols);
        const auto at = [&](int x, int y) { return sheet.pixel(t.map(QPointF(x, y)).toPoint()); };
        // Slots 1 and 3 show a red bracket over the middle.
        QVERIFY2(near(at(165, 125), paneSlots[pane] % 2 ? kRed : kPhoto, 12)
                && near(at(115, 25), kPhoto, 12)
                && near(at(photo.width() - 2, photo.height() - 2), kPhoto, 12),
            qPrintable(QString("pane %1").arg(pane)));
        // The caption under the photograph: ink only where the slot has a bracket.
        const QRect caption
            = t.mapRect(QRectF(0, photo.height() + 2, photo.width(), 20 * cols)).toAlignedRect()
            & sheet.rect();
        bool ink = false;
        for (int y = caption.top(); y <= caption.bottom(); ++y)
            for (int x = caption.left(); x <= caption.right(); ++x)
                ink = ink || qGray(sheet.pixel(x, y)) < 128;
        QCOMPARE(ink, paneSlots[pane] != 0);
    }
    QRect out;
    PrintLayout::fitRect(7, 5, QRect(3, 4, 9, 9), &out, false, true, false);
    QCOMPARE(out, QRect(3, 2, 7, 5)); // a picture that fits keeps its size
    PrintLayout::fitRect(20, 5, QRect(3, 4, 9, 9), &out, true, false, false);
    QCOMPARE(out, QRect(0, 4, 9, 2));
}

void TestOutput::registration_data()
{
    QTest::addColumn<QString>("patient"); // empty: none chosen
    QTest::addColumn<bool>("saves");
    QTest::newRow("registered") << "P-0042\n" << true;
    QTest::newRow("no patient") << "" << true;
    QTest::newRow("failed save taken back") << "P-0042" << false;
}

void TestOutput::registration()
{
    QFETCH(QString, patient);
    QFETCH(bool, saves);
    if (!patient.isEmpty())
        QVERIFY(writeBytes(HostDialogs::tempFolder() + "PatientID.TMP", patient.toUtf8()));
    QString asked;
    const QString path = PhotoRegistration::registerComposite([&](const QString& target) {
        asked = target;
        return saves && QFile(target).open(QIODevice::WriteOnly);
    });
    const bool registered = !patient.isEmpty() && saves;
    // Never a made-up place: nothing asked for without a patient.
    QVERIFY(path.isEmpty() != registered && asked.isEmpty() == patient.isEmpty());
    QCOMPARE(QFile::exists(HostDialogs::tempFolder() + "ImgADD.TMP"), registered);
    PhotoCatalog catalog;
    const auto records
        = catalog.open(PhotoCatalog::ReadOnly) == 0 ? catalog.list() : decltype(catalog.list())();
    QCOMPARE(records.size(), registered ? 1 : 0);
    if (registered)
        QVERIFY(path.startsWith(m_host->path("store") + "/P-0042/") && path.endsWith(".jpg")
            && records[0].path == path && records[0].patientId == "P-0042");
}

QTEST_MAIN(TestOutput)
#include "tst_output.moc"
