// Reading user pictures: unusual but valid files must open the right way up in every
// reader, bad ones must be refused quickly, and the photograph turns by its record
// or, without one, by its own EXIF orientation.
#include "core/gallery/bracketpreview.h"
#include "core/host/imagekit.h"
#include "core/host/photocatalog.h"
#include "core/image/picturereader.h"
#include "core/photo/photoloader.h"
#include "core/simulation/qbracket.h"
#include "core/workspace/workspace.h"
#include "testutils.h"

#include <QElapsedTimer>
#include <QPainter>
#include <QtEndian>

#include <chrono>
#include <fcntl.h>
#include <future>
#include <jpeglib.h>
#include <sys/stat.h>
#include <unistd.h>

using testutils::encoded;
using testutils::sameImage;
using testutils::writeBytes;

namespace {

// Four quadrants of distinct colours, so every turn and mirror is told apart.
QImage quadrants(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y,
                y < h / 2 ? (x < w / 2 ? 0xFFFF0000 : 0xFF00FF00)
                          : (x < w / 2 ? 0xFF0000FF : 0xFFFFFFFF));
    return img;
}

// Qt writes BMPs bottom row first: with the rows turned round and the height
// negated, the same picture is stored top row first.
QByteArray topDownBmp(const QImage& img)
{
    QByteArray bytes = encoded(img.mirrored(false, true), "bmp");
    qToLittleEndian<qint32>(-img.height(), bytes.data() + 22);
    return bytes;
}

// An orange CMYK JPEG as print software writes it (Adobe marker, inverted values).
QByteArray cmykJpeg(int w, int h)
{
    jpeg_compress_struct info {};
    jpeg_error_mgr error {};
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = JDIMENSION(w);
    info.image_height = JDIMENSION(h);
    info.input_components = 4;
    info.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&info);
    jpeg_start_compress(&info, TRUE);
    // Inverted, without black: no cyan, half magenta, full yellow.
    std::vector<JSAMPLE> row;
    for (int x = 0; x < w; ++x)
        row.insert(row.end(), { 255, 128, 0, 255 });
    for (JSAMPROW line = row.data(); info.next_scanline < info.image_height;)
        jpeg_write_scanlines(&info, &line, 1);
    jpeg_finish_compress(&info);
    const QByteArray bytes(reinterpret_cast<const char*>(out), int(size));
    jpeg_destroy_compress(&info);
    free(out);
    return bytes;
}

// The JPEG with an EXIF block holding only the orientation tag, right after SOI.
QByteArray withExifOrientation(const QByteArray& jpeg, quint16 orientation)
{
    QByteArray exif("\xFF\xE1\x00\x22"
                    "Exif\0\0MM\0\x2A\0\0\0\x08"
                    "\0\x01\x01\x12\0\x03\0\0\0\x01\0\0\0\0\0\0\0\0",
        36);
    qToBigEndian(orientation, exif.data() + 4 + 6 + 8 + 2 + 8);
    return jpeg.left(2) + exif + jpeg.mid(2);
}

QImage overWhite(const QImage& picture)
{
    QImage white(picture.size(), QImage::Format_RGB32);
    white.fill(Qt::white);
    QPainter(&white).drawImage(0, 0, picture);
    return white;
}

} // namespace

class TestPictureReader : public QObject {
    Q_OBJECT

private slots:
    void init() { m_host = std::make_unique<testutils::IsolatedHost>(); }
    void cleanup() { m_host.reset(); }
    void unusualPicturesOpenEverywhere_data();
    void unusualPicturesOpenEverywhere();
    void badFilesAreRefusedQuickly_data();
    void badFilesAreRefusedQuickly();
    void largePictureWithinTheBound();
    void photographOrientation_data();
    void photographOrientation();
    void recordFlags_data();
    void recordFlags();
    void cropAndFit_data();
    void cropAndFit();

private:
    std::unique_ptr<testutils::IsolatedHost> m_host;
};

void TestPictureReader::unusualPicturesOpenEverywhere_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QImage>("expected");
    QTest::addColumn<int>("tolerance");
    const QImage pattern = quadrants(7, 5);
    QTest::newRow("top-down bmp") << topDownBmp(pattern) << pattern << 0;
    QImage wide = pattern.convertToFormat(QImage::Format_RGBA64);
    wide.setPixelColor(3, 1, QColor::fromRgba64(0x8000, 0x4000, 0x2000, 0x8000));
    QTest::newRow("16-bit png") << encoded(wide, "png") << wide << 1;
    QImage orange(9, 6, QImage::Format_RGB32);
    orange.fill(0xFFFF8000);
    QTest::newRow("cmyk jpeg") << cmykJpeg(9, 6) << orange << 6;
    QImage palette(6, 4, QImage::Format_Indexed8);
    palette.setColorTable({ qRgba(0, 0, 255, 255), qRgba(0, 0, 0, 0), qRgba(255, 0, 0, 96) });
    palette.fill(0);
    palette.setPixel(1, 2, 1);
    palette.setPixel(5, 3, 2);
    QTest::newRow("palette png with transparency") << encoded(palette, "png") << palette << 0;
    QTest::newRow("one pixel wide") << encoded(quadrants(1, 5), "png") << quadrants(1, 5) << 0;
}

void TestPictureReader::unusualPicturesOpenEverywhere()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QImage, expected);
    QFETCH(int, tolerance);
    const QString path = m_host->path("picture.jpg"); // the name must not matter
    QVERIFY(writeBytes(path, bytes));
    const QImage picture = PictureReader(path).read(QImage::Format_ARGB32);
    QCOMPARE(picture.format(), QImage::Format_ARGB32);
    QVERIFY(sameImage(picture, expected.convertToFormat(QImage::Format_ARGB32), tolerance));
    Workspace ws;
    QVERIFY(PhotoLoader::open(ws, path) && ws.hasPhoto());
    QCOMPARE(ws.m_pPhoto->format(), QImage::Format_RGB32);
    QVERIFY(sameImage(*ws.m_pPhoto, overWhite(expected), tolerance + 1));
    ImageKit kit;
    QVERIFY(kit.openImage(path));
    QBracket bracket;
    QVERIFY(bracket.Init(1, 0, path, 50, 50, "b", true));
    QCOMPARE(bracket.m_sizeSrc, expected.size());
    QCOMPARE(BracketPreview::PictureSize(path), expected.size());
    PictureReader preview(path);
    const QSize half = (expected.size() + QSize(1, 1)) / 2;
    preview.setScaledSize(half);
    QCOMPARE(preview.read(QImage::Format_ARGB32).size(), half);
}

void TestPictureReader::badFilesAreRefusedQuickly_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray png = encoded(quadrants(40, 30), "png");
    QByteArray huge = topDownBmp(quadrants(2, 2));
    qToLittleEndian<qint32>(30000, huge.data() + 18);
    qToLittleEndian<qint32>(30000, huge.data() + 22);
    QTest::newRow("fifo") << "fifo" << QByteArray();
    QTest::newRow("folder") << "folder" << QByteArray();
    QTest::newRow("missing") << "missing" << QByteArray();
    QTest::newRow("zero bytes") << "file" << QByteArray();
    QTest::newRow("text named jpg") << "file" << QByteArray("not a picture at all\n");
    QTest::newRow("truncated png") << "file" << png.left(png.size() / 2);
    QTest::newRow("header claims 30000 x 30000") << "file" << huge;
    QTest::newRow("gif") << "file" << QByteArray("GIF89a");
}

void TestPictureReader::badFilesAreRefusedQuickly()
{
    QFETCH(QString, kind);
    QFETCH(QByteArray, bytes);
    const QString path = m_host->path("bad.jpg");
    const QByteArray name = QFile::encodeName(path);
    if (kind == "fifo")
        QCOMPARE(mkfifo(name.constData(), 0600), 0);
    else if (kind == "folder")
        QVERIFY(QDir().mkpath(path));
    else if (kind == "file")
        QVERIFY(writeBytes(path, bytes));
    QElapsedTimer clock;
    clock.start();
    // In a thread of its own, so that a read stuck on the FIFO fails the test
    // instead of hanging it.
    auto opened = std::async(std::launch::async, [path] {
        Workspace ws;
        ImageKit kit;
        QBracket bracket;
        return PhotoLoader::open(ws, path) && !ws.hasPhoto() && !kit.openImage(path)
            && !bracket.Init(1, 0, path, 0, 0, "b", true)
            && BracketPreview::LoadPicture(path).isNull()
            && PictureReader(path).read(QImage::Format_RGB32).isNull();
    });
    if (opened.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        // A writer that comes and goes at once ends a read stuck on the FIFO.
        ::close(::open(name.constData(), O_WRONLY | O_NONBLOCK));
        opened.wait();
        QFAIL("reading blocked");
    }
    QVERIFY(opened.get());
    QVERIFY(clock.elapsed() < 5000);
}

void TestPictureReader::largePictureWithinTheBound()
{
    // Just past the ceiling Qt's decoders keep by default (128 MB).
    QImage big(5800, 5800, QImage::Format_RGB32);
    big.fill(0xFF3070A0);
    const QString path = m_host->path("big.jpg");
    QVERIFY(writeBytes(path, encoded(big, "jpeg")));
    QCOMPARE(PictureReader(path).read(QImage::Format_ARGB32).size(), big.size());
}

void TestPictureReader::photographOrientation_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("exif"); // 0: no EXIF block
    QTest::addColumn<int>("record"); // -1: no record in the photo database
    QTest::addColumn<int>("turn"); // clockwise degrees the photograph is shown turned by
    QTest::newRow("exif 6, no record: turned") << QSize(64, 48) << 6 << -1 << 90;
    QTest::newRow("exif 3, no record: half turn") << QSize(64, 48) << 3 << -1 << 180;
    QTest::newRow("exif 6, empty record wins") << QSize(64, 48) << 6 << 0 << 0;
    QTest::newRow("exif 6, record 0x02 wins") << QSize(64, 48) << 6 << 0x02 << 180;
    // Large enough for the huge-page buffers of decoding and turning.
    QTest::newRow("large, record 0x01") << QSize(2400, 1200) << 0 << 0x01 << 90;
}

void TestPictureReader::photographOrientation()
{
    QFETCH(QSize, size);
    QFETCH(int, exif);
    QFETCH(int, record);
    QFETCH(int, turn);
    const QString path = m_host->path("front.jpg");
    const QImage stored = quadrants(size.width(), size.height());
    const QImage shown = stored.transformed(QTransform().rotate(turn));
    const QByteArray jpeg = encoded(stored, "jpeg");
    QVERIFY(writeBytes(path, exif ? withExifOrientation(jpeg, quint16(exif)) : jpeg));
    if (record >= 0) {
        PhotoCatalog catalog;
        QCOMPARE(catalog.open(PhotoCatalog::ReadWrite), 0);
        QVERIFY(catalog.addPhoto(path, (unsigned char)record, {}) > 0);
    }
    Workspace ws;
    QVERIFY(PhotoLoader::open(ws, path) && ws.hasPhoto());
    const QImage& photo = *ws.m_pPhoto;
    QCOMPARE(photo.size(), shown.size());
    // Pixels near the corners, clear of the JPEG's ringing at the quadrant edges.
    const int r = shown.width() - 4, b = shown.height() - 4;
    for (const QPoint at : { QPoint(3, 3), QPoint(r, 3), QPoint(3, b), QPoint(r, b) })
        QVERIFY(
            sameImage(photo.copy(QRect(at, QSize(1, 1))), shown.copy(QRect(at, QSize(1, 1))), 24));
    ImageKit kit; // the add dialog has no records: it always follows EXIF
    QVERIFY(kit.openImage(path));
    QCOMPARE(kit.image().size(), exif == 6 ? size.transposed() : size);
}

void TestPictureReader::recordFlags_data()
{
    QTest::addColumn<int>("flags");
    QTest::addColumn<QStringList>("steps"); // applied in order to the stored picture
    QTest::newRow("both flips: half turn") << 0x30 << QStringList { "180" };
    QTest::newRow("vertical flip") << 0x10 << QStringList { "flipY" };
    QTest::newRow("horizontal flip") << 0x20 << QStringList { "flipX" };
    QTest::newRow("90") << 0x01 << QStringList { "90" };
    QTest::newRow("180") << 0x02 << QStringList { "180" };
    QTest::newRow("270") << 0x04 << QStringList { "270" };
    QTest::newRow("180 wins over 270") << 0x06 << QStringList { "180" };
    QTest::newRow("90 wins over all") << 0x07 << QStringList { "90" };
    QTest::newRow("vertical flip then 90") << 0x11 << QStringList { "flipY", "90" };
    QTest::newRow("horizontal flip then 270") << 0x24 << QStringList { "flipX", "270" };
    QTest::newRow("other bits ignored") << 0xC8 << QStringList {};
}

void TestPictureReader::recordFlags()
{
    QFETCH(int, flags);
    QFETCH(QStringList, steps);
    const QImage stored = testutils::positionImage(5, 3);
    QImage expected = stored;
    for (const QString& step : steps)
        expected = step == "flipX" ? expected.mirrored(true, false)
            : step == "flipY"      ? expected.mirrored(false, true)
                                   : expected.transformed(QTransform().rotate(step.toInt()));
    QImage photo = stored;
    PhotoLoader::orient(photo, (unsigned char)flags);
    QVERIFY(sameImage(photo, expected));
}

void TestPictureReader::cropAndFit_data()
{
    QTest::addColumn<QRect>("corners"); // left, top, right, bottom as x, y, w, h
    QTest::addColumn<QRect>("kept");
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QRect>("frame");
    QTest::addColumn<QRect>("fitted");
    // Crop corners lie between pixels, come in any order and are clamped to a 100 x 50
    // picture; fitting scales by one factor, truncates and centres.
    QTest::newRow("reversed, over the edges")
        << QRect(300, 80, -5, -9) << QRect(0, 0, 100, 50) << QSize(400, 100)
        << QRect(10, 20, 200, 100) << QRect(10, 45, 200, 50);
    QTest::newRow("one pixel, tall picture")
        << QRect(99, 49, 100, 50) << QRect(99, 49, 1, 1) << QSize(100, 400)
        << QRect(10, 20, 200, 100) << QRect(97, 20, 25, 100);
    QTest::newRow("on the right edge, odd sizes")
        << QRect(100, 10, 140, 20) << QRect() << QSize(333, 77) << QRect(3, 7, 101, 61)
        << QRect(3, 26, 101, 23);
    QTest::newRow("reversed inside, sliver")
        << QRect(30, 25, 10, 5) << QRect(10, 5, 20, 20) << QSize(5000, 1) << QRect(0, 0, 90, 90)
        << QRect(0, 44, 90, 1);
}

void TestPictureReader::cropAndFit()
{
    QFETCH(QRect, corners);
    QFETCH(QRect, kept);
    QFETCH(QSize, picture);
    QFETCH(QRect, frame);
    QFETCH(QRect, fitted);
    QCOMPARE(ImageKit::CropRect(
                 corners.x(), corners.y(), corners.width(), corners.height(), QSize(100, 50)),
        kept);
    double scale = 0;
    QCOMPARE(ImageKit::FittedRect(picture, frame, scale), fitted);
    // The drawing lands where the rectangle says, and nowhere else.
    ImageKit kit;
    QImage solid(picture, QImage::Format_ARGB32);
    solid.fill(Qt::red);
    kit.setImage(solid);
    QImage canvas(frame.right() + 2, frame.bottom() + 2, QImage::Format_ARGB32);
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    QCOMPARE(kit.drawFitted(painter, frame, scale), fitted.topLeft());
    painter.end();
    QCOMPARE(canvas.pixel(fitted.center()), 0xFFFF0000);
    QCOMPARE(canvas.pixel(fitted.topLeft() - QPoint(0, 1)), 0xFFFFFFFF);
}

QTEST_MAIN(TestPictureReader)
#include "tst_picturereader.moc"
