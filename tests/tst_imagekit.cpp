// ImageKit: which files it loads and which it refuses, crop rectangles given
// any way round or reaching outside, the fitting rule, and PNG writing.
#include "core/host/imagekit.h"
#include "testutils.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QImageReader>
#include <QPainter>
#include <QtEndian>
#include <QtTest>

namespace {

// A bracket-like picture: transparent surround, opaque core whose pixels encode
// their position, one half-transparent pixel.
QImage bracketPicture(int w, int h)
{
    QImage image = testutils::positionImage(w, h, QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (x < w / 4 || x >= w * 3 / 4 || y < h / 4 || y >= h * 3 / 4)
                image.setPixel(x, y, qRgba(0, 0, 0, 0));
    image.setPixel(w / 2, h / 2, qRgba(10, 20, 30, 128));
    return image;
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray encoded(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

quint32 crc32(const QByteArray& bytes)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char c : bytes) {
        crc ^= quint8(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

QByteArray pngChunk(const QByteArray& type, const QByteArray& data)
{
    char length[4], crc[4];
    qToBigEndian(quint32(data.size()), length);
    qToBigEndian(crc32(type + data), crc);
    return QByteArray(length, 4) + type + data + QByteArray(crc, 4);
}

// A well-formed PNG announcing a picture of w × h pixels, whose image data stop
// after a few bytes: enough for the header to be read, far from enough to decode.
QByteArray pngHeaderOnly(quint32 w, quint32 h)
{
    char size[8];
    qToBigEndian(w, size);
    qToBigEndian(h, size + 4);
    const QByteArray header = QByteArray(size, 8) + QByteArray("\x08\x06\x00\x00\x00", 5);
    return QByteArray("\x89PNG\r\n\x1A\n", 8) + pngChunk("IHDR", header)
        + pngChunk("IDAT", QByteArray("\x78\x9C\x63\x00", 4)) + pngChunk("IEND", {});
}

// A BMP header for a w × h 32-bit picture with no pixel data behind it.
QByteArray bmpHeaderOnly(qint32 w, qint32 h)
{
    QByteArray bytes(54, '\0');
    bytes[0] = 'B';
    bytes[1] = 'M';
    qToLittleEndian(quint32(54), bytes.data() + 10); // pixel data offset
    qToLittleEndian(quint32(40), bytes.data() + 14); // info header size
    qToLittleEndian(w, bytes.data() + 18);
    qToLittleEndian(h, bytes.data() + 22);
    qToLittleEndian(quint16(1), bytes.data() + 26); // planes
    qToLittleEndian(quint16(32), bytes.data() + 28); // bits per pixel
    return bytes;
}

} // namespace

class TestImageKit : public QObject {
    Q_OBJECT

private slots:
    void cropRect_data();
    void cropRect();
    void cropKeepsPixels();
    void cropToNothingLeavesNoPicture();
    void fittedRect_data();
    void fittedRect();
    void drawFittedCentres();

    void opensByContentNotName();
    void refusesDamagedAndForeignFiles_data();
    void refusesDamagedAndForeignFiles();
    void refusesHugeHeadersQuickly_data();
    void refusesHugeHeadersQuickly();
    void failedOpenDropsOldPicture();

    void writesPngWithAlpha();
    void writeFailuresLeaveFilesAlone();

private:
    QTemporaryDir m_dir;
};

void TestImageKit::cropRect_data()
{
    QTest::addColumn<QRect>("corners"); // left, top as x, y; right, bottom as w, h
    QTest::addColumn<QRect>("expected");
    const auto corners = [](int l, int t, int r, int b) { return QRect(l, t, r, b); };
    QTest::newRow("left to right") << corners(10, 5, 30, 25) << QRect(10, 5, 20, 20);
    QTest::newRow("right to left") << corners(30, 5, 10, 25) << QRect(10, 5, 20, 20);
    QTest::newRow("bottom to top") << corners(10, 25, 30, 5) << QRect(10, 5, 20, 20);
    QTest::newRow("both reversed") << corners(30, 25, 10, 5) << QRect(10, 5, 20, 20);
    QTest::newRow("whole") << corners(0, 0, 100, 50) << QRect(0, 0, 100, 50);
    QTest::newRow("over left and top") << corners(-20, -10, 15, 12) << QRect(0, 0, 15, 12);
    QTest::newRow("over right and bottom") << corners(90, 40, 500, 900) << QRect(90, 40, 10, 10);
    QTest::newRow("reversed over everything") << corners(300, 80, -5, -9) << QRect(0, 0, 100, 50);
    QTest::newRow("outside right") << corners(120, 10, 150, 20) << QRect();
    QTest::newRow("outside above") << corners(10, -30, 20, -1) << QRect();
    QTest::newRow("on the right edge") << corners(100, 10, 140, 20) << QRect();
    QTest::newRow("no width") << corners(40, 10, 40, 30) << QRect();
    QTest::newRow("no height") << corners(10, 30, 40, 30) << QRect();
    QTest::newRow("one pixel") << corners(99, 49, 100, 50) << QRect(99, 49, 1, 1);
}

void TestImageKit::cropRect()
{
    QFETCH(QRect, corners);
    QFETCH(QRect, expected);
    QCOMPARE(ImageKit::CropRect(
                 corners.x(), corners.y(), corners.width(), corners.height(), QSize(100, 50)),
        expected);
}

void TestImageKit::cropKeepsPixels()
{
    const QImage source = bracketPicture(100, 50);
    ImageKit forward, backward;
    forward.setImage(source);
    backward.copyFrom(forward);
    QVERIFY(forward.crop(20, 10, 70, 40));
    QVERIFY(backward.crop(70, 40, 20, 10));
    QCOMPARE(forward.image().size(), QSize(50, 30));
    QVERIFY(testutils::sameImage(forward.image(), source.copy(20, 10, 50, 30)));
    QVERIFY(testutils::sameImage(backward.image(), forward.image()));
    QCOMPARE(forward.image().format(), QImage::Format_ARGB32);
}

void TestImageKit::cropToNothingLeavesNoPicture()
{
    ImageKit kit;
    QVERIFY(!kit.crop(0, 0, 10, 10));
    kit.setImage(bracketPicture(40, 30));
    ImageKit copy;
    copy.copyFrom(kit);
    QVERIFY(!copy.crop(50, 5, 80, 20));
    QVERIFY(!copy.hasImage());
    // The picture it was copied from is untouched.
    QCOMPARE(kit.image().size(), QSize(40, 30));
}

void TestImageKit::fittedRect_data()
{
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QRect>("frame");
    QTest::addColumn<QRect>("expected");
    QTest::addColumn<double>("scale");
    QTest::newRow("wide") << QSize(400, 100) << QRect(10, 20, 200, 100) << QRect(10, 45, 200, 50)
                          << 0.5;
    QTest::newRow("tall") << QSize(100, 400) << QRect(10, 20, 200, 100) << QRect(97, 20, 25, 100)
                          << 0.25;
    QTest::newRow("small is enlarged")
        << QSize(20, 10) << QRect(0, 0, 200, 135) << QRect(0, 17, 200, 100) << 10.0;
    QTest::newRow("same size") << QSize(200, 100) << QRect(5, 5, 200, 100) << QRect(5, 5, 200, 100)
                               << 1.0;
    QTest::newRow("sliver") << QSize(10000, 1) << QRect(0, 0, 100, 100) << QRect(0, 49, 100, 1)
                            << 0.01;
    QTest::newRow("no picture") << QSize() << QRect(7, 8, 100, 100) << QRect(7, 8, 0, 0) << 0.0;
}

void TestImageKit::fittedRect()
{
    QFETCH(QSize, picture);
    QFETCH(QRect, frame);
    QFETCH(QRect, expected);
    QFETCH(double, scale);
    double got = -1.0;
    QCOMPARE(ImageKit::FittedRect(picture, frame, got), expected);
    QCOMPARE(got, scale);
}

void TestImageKit::drawFittedCentres()
{
    QImage red(40, 20, QImage::Format_ARGB32);
    red.fill(Qt::red);
    ImageKit kit;
    kit.setImage(red);
    QImage canvas(120, 100, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    double scale = 0.0;
    const QPoint origin = kit.drawFitted(painter, QRect(10, 10, 100, 80), scale);
    painter.end();
    QCOMPARE(origin, QPoint(10, 25));
    QCOMPARE(scale, 2.5);
    QCOMPARE(canvas.pixelColor(60, 50), QColor(Qt::red));
    QCOMPARE(canvas.pixelColor(60, 20), QColor(Qt::white));
    QCOMPARE(canvas.pixelColor(60, 80), QColor(Qt::white));

    ImageKit empty;
    QImage untouched = canvas;
    QPainter again(&untouched);
    QCOMPARE(empty.drawFitted(again, QRect(3, 4, 50, 50), scale), QPoint(3, 4));
    QCOMPARE(scale, 0.0);
    again.end();
    QCOMPARE(untouched, canvas);
}

void TestImageKit::opensByContentNotName()
{
    const QImage source = bracketPicture(60, 40);
    const QString png = m_dir.filePath("named.jpg"); // a PNG under a JPEG name
    writeBytes(png, encoded(source, "PNG"));
    ImageKit kit;
    QVERIFY(kit.openImage(png));
    QCOMPARE(kit.image().format(), QImage::Format_ARGB32);
    QVERIFY(testutils::sameImage(kit.image(), source));

    const QString bmp = m_dir.filePath("picture.png");
    writeBytes(bmp, encoded(testutils::positionImage(30, 20), "BMP"));
    QVERIFY(kit.openImage(bmp));
    QVERIFY(testutils::sameImage(kit.image(), testutils::positionImage(30, 20)));

    // Rows stored top first, announced by a negative height.
    QByteArray topDown = bmpHeaderOnly(2, -2);
    for (const QRgb pixel : { 0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFFFFu })
        topDown.append(reinterpret_cast<const char*>(&pixel), 4); // B, G, R, A on little-endian
    const QString topDownPath = m_dir.filePath("topdown.bmp");
    writeBytes(topDownPath, topDown);
    QVERIFY(kit.openImage(topDownPath));
    QCOMPARE(kit.image().size(), QSize(2, 2));
    QCOMPARE(kit.image().pixelColor(0, 0), QColor(Qt::red));
    QCOMPARE(kit.image().pixelColor(1, 1), QColor(Qt::white));

    const QString jpeg = m_dir.filePath("photo.bmp");
    writeBytes(jpeg, encoded(testutils::positionImage(64, 48), "JPEG"));
    QVERIFY(kit.openImage(jpeg));
    QCOMPARE(kit.image().size(), QSize(64, 48));
    QVERIFY(kit.image().hasAlphaChannel());
}

void TestImageKit::refusesDamagedAndForeignFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray png = encoded(bracketPicture(200, 150), "PNG");
    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("text") << QByteArray("bracket0001.png,B,M,W,V,M,outer\r\n");
    QTest::newRow("png cut in half") << png.left(png.size() / 2);
    QTest::newRow("png signature only") << png.left(8);
    QTest::newRow("png with garbage body") << png.left(40) + QByteArray(400, '\x5A');
    QTest::newRow("gif") << QByteArray("GIF89a\x08\x00\x08\x00\x80\x00\x00", 13)
            + QByteArray(51, '\0');
    QTest::newRow("bmp header, no pixels") << bmpHeaderOnly(64, 64);
    QTest::newRow("bmp of zero width") << bmpHeaderOnly(0, 10);
    QTest::newRow("random bytes") << QByteArray(4096, '\xA7');
}

void TestImageKit::refusesDamagedAndForeignFiles()
{
    QFETCH(QByteArray, bytes);
    const QString path = m_dir.filePath("damaged.png");
    writeBytes(path, bytes);
    ImageKit kit;
    QVERIFY(!kit.openImage(path));
    QVERIFY(!kit.hasImage());
}

void TestImageKit::refusesHugeHeadersQuickly_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QSize>("announced"); // what the header claims, as Qt reads it
    QTest::newRow("png 30000 x 30000") << pngHeaderOnly(30000, 30000) << QSize(30000, 30000);
    QTest::newRow("png just above") << pngHeaderOnly(10001, 10000) << QSize(10001, 10000);
    QTest::newRow("png 2^31 - 1 wide") << pngHeaderOnly(0x7FFFFFFF, 2) << QSize();
    QTest::newRow("bmp just above") << bmpHeaderOnly(12000, 9000) << QSize(12000, 9000);
    QTest::newRow("bmp top-down above") << bmpHeaderOnly(12000, -9000) << QSize(12000, -9000);
    QTest::newRow("bmp 40000 x 40000") << bmpHeaderOnly(40000, 40000) << QSize();
}

void TestImageKit::refusesHugeHeadersQuickly()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QSize, announced);
    const QString path = m_dir.filePath("huge.png");
    writeBytes(path, bytes);
    // The header itself is sound: the refusal below is ours, not the decoder's.
    if (announced.isValid())
        QCOMPARE(QImageReader(path, bytes.startsWith("BM") ? "bmp" : "png").size(), announced);
    QElapsedTimer clock;
    clock.start();
    ImageKit kit;
    QVERIFY(!kit.openImage(path));
    QVERIFY(!kit.hasImage());
    // Refused from the header: no time spent reserving or filling memory.
    QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
}

void TestImageKit::failedOpenDropsOldPicture()
{
    const QString good = m_dir.filePath("good.png");
    writeBytes(good, encoded(bracketPicture(20, 20), "PNG"));
    ImageKit kit;
    QVERIFY(kit.openImage(good));
    QVERIFY(!kit.openImage(m_dir.filePath("missing.png")));
    QVERIFY(!kit.hasImage());
    QVERIFY(kit.openImage(good));
    QVERIFY(!kit.openImage(m_dir.path())); // a folder
    QVERIFY(!kit.hasImage());
}

void TestImageKit::writesPngWithAlpha()
{
    const QImage source = bracketPicture(50, 30);
    ImageKit kit;
    kit.setImage(source);
    QDir folder(m_dir.filePath("out"));
    QVERIFY(folder.mkpath("."));
    const QString path = folder.filePath("bracket0001.png");
    QVERIFY(kit.writePng(path));
    QImageReader reader(path);
    QCOMPARE(reader.format(), QByteArray("png"));
    const QImage written = reader.read();
    QVERIFY(written.hasAlphaChannel());
    QVERIFY(testutils::sameImage(written.convertToFormat(QImage::Format_ARGB32), source));
    QCOMPARE(qAlpha(written.pixel(0, 0)), 0);
    QCOMPARE(qAlpha(written.pixel(25, 15)), 128);

    // An opaque picture is stored with an alpha channel all the same, like every
    // other gallery picture.
    kit.setImage(testutils::positionImage(10, 10));
    QVERIFY(kit.writePng(path));
    QVERIFY(QImage(path).hasAlphaChannel());
    QCOMPARE(folder.entryList(QDir::Files), QStringList { "bracket0001.png" });
}

void TestImageKit::writeFailuresLeaveFilesAlone()
{
    QDir folder(m_dir.filePath("keep"));
    QVERIFY(folder.mkpath("."));
    const QString path = folder.filePath("bracket0001.png");
    writeBytes(path, "old");

    ImageKit empty;
    QVERIFY(!empty.writePng(path));
    ImageKit kit;
    kit.setImage(bracketPicture(20, 20));
    QVERIFY(!kit.writePng(folder.filePath("no/such/folder/bracket0002.png")));

    QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::ExeOwner);
    const bool refused = !kit.writePng(path);
    QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (refused) { // root may write anywhere
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("old"));
    }
    QCOMPARE(folder.entryList(QDir::Files), QStringList { "bracket0001.png" });
}

QTEST_MAIN(TestImageKit)
#include "tst_imagekit.moc"
