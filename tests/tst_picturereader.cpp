// Reading user pictures: unusual but valid files must open the right way up in every
// reader, bad ones must be refused quickly, and the photograph turns by its record
// or, without one, by its own EXIF orientation.
#include "core/gallery/bracketpreview.h"
#include "core/host/imagekit.h"
#include "core/host/photocatalog.h"
#include "core/image/jpegdecoder.h"
#include "core/image/picturereader.h"
#include "core/output/compositerenderer.h"
#include "core/photo/photoloader.h"
#include "core/photo/progressivephoto.h"
#include "core/simulation/qbracket.h"
#include "core/workspace/workspace.h"
#include "testutils.h"

#include <QColorSpace>
#include <QPainter>
#include <QRandomGenerator>
#include <QtEndian>

#include <future>
#include <memory>

#include <jpeglib.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace testutils;

namespace {

// Qt writes BMPs bottom row first: with the rows turned round and the height
// negated, the same picture is stored top row first.
QByteArray topDownBmp(const QImage& img)
{
    QByteArray bytes = encoded(img.mirrored(false, true), "bmp");
    qToLittleEndian<qint32>(-img.height(), bytes.data() + 22);
    return bytes;
}

// A JPEG written by libjpeg from `pixels` (RGB32): CMYK as print software writes it
// (Adobe marker, inverted values), one grey component, or YCbCr with each chroma
// sample covering `sampling` x `sampling` pixels; progressive, or with a restart
// marker every row of blocks, on request.
QByteArray libjpegFile(const QImage& pixels, J_COLOR_SPACE space, int sampling = 2,
    bool progressive = false, bool restarts = false)
{
    jpeg_compress_struct info {};
    jpeg_error_mgr error {};
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = JDIMENSION(pixels.width());
    info.image_height = JDIMENSION(pixels.height());
    info.input_components = space == JCS_GRAYSCALE ? 1 : 4;
    info.in_color_space = space == JCS_YCbCr ? JCS_EXT_BGRX : space;
    jpeg_set_defaults(&info);
    if (space == JCS_YCbCr)
        info.comp_info[0].h_samp_factor = info.comp_info[0].v_samp_factor = sampling;
    if (progressive)
        jpeg_simple_progression(&info);
    info.restart_in_rows = restarts;
    jpeg_start_compress(&info, TRUE);
    const QImage grey = pixels.convertToFormat(QImage::Format_Grayscale8);
    const QImage& source = space == JCS_GRAYSCALE ? grey : pixels;
    for (int y = 0; y < pixels.height(); ++y) {
        QByteArray row(reinterpret_cast<const char*>(source.constScanLine(y)),
            pixels.width() * int(info.input_components));
        if (space == JCS_CMYK)
            row = QByteArray("\xFF\x80\x00\xFF", 4).repeated(pixels.width());
        auto line = JSAMPROW(row.data());
        jpeg_write_scanlines(&info, &line, 1);
    }
    jpeg_finish_compress(&info);
    const QByteArray bytes(reinterpret_cast<const char*>(out), int(size));
    jpeg_destroy_compress(&info);
    free(out);
    return bytes;
}

// Gradients with noise over them: every frequency and colour is in play.
QImage texture(int w, int h)
{
    QImage image = positionImage(w, h);
    QRandomGenerator noise(w * 7 + h);
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x)
            line[x] ^= noise.bounded(0x404040u);
    }
    return image;
}

// libjpeg's own decode of a JPEG scaled by 1 / divisor, through its plain interface:
// RGB rows out of a memory source.
QImage libjpegDecode(const QByteArray& file, int divisor)
{
    jpeg_decompress_struct info {};
    jpeg_error_mgr error {};
    info.err = jpeg_std_error(&error);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(file.constData()),
        (unsigned long)file.size());
    jpeg_read_header(&info, TRUE);
    info.scale_denom = unsigned(divisor);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    QImage rgb(int(info.output_width), int(info.output_height), QImage::Format_RGB888);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = rgb.scanLine(int(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return rgb.convertToFormat(QImage::Format_RGB32);
}

// The JPEG (as libjpeg writes it, JFIF header first) with a resolution of 300 x 200
// dots an inch, a colour profile and a comment.
QByteArray withMetadata(QByteArray jpeg)
{
    jpeg[13] = 1;
    qToBigEndian<quint16>(300, jpeg.data() + 14);
    qToBigEndian<quint16>(200, jpeg.data() + 16);
    const auto segment = [](char marker, const QByteArray& data) {
        QByteArray bytes("\xFF");
        bytes += marker;
        bytes.resize(4);
        qToBigEndian<quint16>(quint16(data.size() + 2), bytes.data() + 2);
        return bytes + data;
    };
    const QByteArray profile = QColorSpace(QColorSpace::AdobeRgb).iccProfile();
    return jpeg.left(20) + segment('\xE2', QByteArray("ICC_PROFILE\0\1\1", 14) + profile)
        + segment('\xFE', "Author: Kestrin") + jpeg.mid(20);
}

// The JPEG with an EXIF block holding only the orientation tag right after SOI, or
// unchanged for orientation 0.
QByteArray withExifOrientation(const QByteArray& jpeg, int orientation)
{
    const QByteArray exif
        = QByteArray::fromHex("FFE1 0022 457869660000 4D4D002A00000008 0001 0112 0003 00000001")
        + char(0) + char(orientation) + QByteArray(6, 0);
    return orientation ? jpeg.left(2) + exif + jpeg.mid(2) : jpeg;
}

// Writes a w x h JPEG with EXIF orientation `exif` and, for flags >= 0, a record in
// the photo database turning it by `flags`.
bool writePhoto(const QString& path, int w, int h, int exif, int flags)
{
    PhotoCatalog catalog;
    return writeBytes(path, withExifOrientation(encoded(positionImage(w, h), "jpeg"), exif))
        && (flags < 0
            || (catalog.open(PhotoCatalog::ReadWrite) == 0
                && catalog.addPhoto(path, uchar(flags), {}) > 0));
}

} // namespace

class TestPictureReader : public QObject {
    Q_OBJECT

    std::unique_ptr<IsolatedHost> m_host;

private slots:
    void init() { m_host = std::make_unique<IsolatedHost>(); }
    void cleanup() { m_host.reset(); }

    void unusualPicturesOpenEverywhere_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QImage>("expected");
        QTest::addColumn<int>("tolerance");
        const QImage pattern = positionImage(7, 5);
        QTest::newRow("top-down bmp") << topDownBmp(pattern) << pattern << 0;
        QImage wide = pattern.convertToFormat(QImage::Format_RGBA64);
        wide.setPixelColor(3, 1, QColor::fromRgba64(0x8000, 0x4000, 0x2000, 0x8000));
        QTest::newRow("16-bit png") << encoded(wide, "png") << wide << 1;
        QTest::newRow("cmyk jpeg") << libjpegFile(filled({ 9, 6 }, Qt::black), JCS_CMYK)
                                    << filled({ 9, 6 }, 0xFFFF8000) << 6;
        QImage palette = pattern.convertToFormat(QImage::Format_Indexed8);
        palette.setColor(1, qRgba(0, 0, 0, 0));
        palette.setColor(2, qRgba(255, 0, 0, 96));
        QTest::newRow("palette png with transparency") << encoded(palette, "png") << palette << 0;
        QTest::newRow("1 x 5") << encoded(positionImage(1, 5), "png") << positionImage(1, 5) << 0;
    }

    void unusualPicturesOpenEverywhere()
    {
        QFETCH(QImage, expected);
        QFETCH(int, tolerance);
        const QString path = m_host->path("picture.jpg"); // the name must not matter
        QVERIFY(writeBytes(path, fetch<QByteArray>("bytes")));
        QVERIFY(sameImage(PictureReader(path).read(QImage::Format_ARGB32),
            expected.convertToFormat(QImage::Format_ARGB32), tolerance));
        // The photograph is shown over white.
        QImage overWhite = filled(expected.size(), Qt::white);
        QPainter(&overWhite).drawImage(0, 0, expected);
        Workspace ws;
        QVERIFY(PhotoLoader::open(ws, path) && ws.hasPhoto()
            && ws.m_pPhoto->format() == QImage::Format_RGB32
            && sameImage(*ws.m_pPhoto, overWhite, tolerance + 1));
        QBracket bracket;
        QVERIFY(ImageKit().openImage(path) && bracket.Init(1, 0, path, 50, 50, "b", true)
            && bracket.m_sizeSrc == expected.size()
            && BracketPreview::PictureSize(path) == expected.size());
        PictureReader preview(path);
        const QSize half = (expected.size() + QSize(1, 1)) / 2;
        preview.setScaledSize(half);
        QCOMPARE(preview.read(QImage::Format_ARGB32).size(), half);
    }

    void badFilesAreRefusedQuickly_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // of a file unless the tag names another kind
        const QByteArray png = encoded(positionImage(40, 30), "png");
        QByteArray huge = topDownBmp(positionImage(2, 2));
        for (int field : { 18, 22 }) // width, height
            qToLittleEndian<qint32>(30000, huge.data() + field);
        for (const char* kind : { "fifo", "folder", "missing", "zero bytes" })
            QTest::newRow(kind) << QByteArray();
        QTest::newRow("text named jpg") << QByteArray("GIF89a not a picture at all\n");
        QTest::newRow("truncated png") << png.left(png.size() / 2);
        QTest::newRow("header claims 30000 x 30000") << huge;
    }

    void badFilesAreRefusedQuickly()
    {
        const QString kind = QTest::currentDataTag();
        const QString path = m_host->path("bad.jpg");
        QVERIFY(kind == "fifo"     ? mkfifo(QFile::encodeName(path).constData(), 0600) == 0
                : kind == "folder" ? QDir().mkpath(path)
                                   : kind == "missing" || writeBytes(path, fetch<QByteArray>("bytes")));
        // A read stuck on the FIFO, or a slow refusal, ends the run by SIGALRM instead
        // of hanging it.
        alarm(5);
        Workspace ws;
        const bool refused = PhotoLoader::open(ws, path) && !ws.hasPhoto()
            && !ImageKit().openImage(path) && !QBracket().Init(1, 0, path, 0, 0, "b", true)
            && BracketPreview::LoadPicture(path).isNull()
            && PictureReader(path).read(QImage::Format_RGB32).isNull();
        alarm(0);
        QVERIFY(refused);
    }

    void jpegDecodesAsQtDoes_data()
    {
        // The file; the divisor libjpeg scales by, or 0 for a size no divisor gives;
        // whether libjpeg is used directly (else Qt's decoder takes the file); the
        // EXIF orientation the reader applies (0: none).
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("divisor");
        QTest::addColumn<bool>("direct");
        QTest::addColumn<int>("exif");
        const auto row = [](const char* tag, const QByteArray& bytes, int divisor,
                             bool direct = true, int exif = 0) {
            QTest::newRow(tag) << withExifOrientation(bytes, exif) << divisor << direct << exif;
        };
        const QImage odd = texture(1003, 263), even = texture(2000, 1304);
        const QImage halvable = texture(1002, 526);
        row("4:2:0, odd size", libjpegFile(odd, JCS_YCbCr), 1);
        row("4:2:0, halved", libjpegFile(halvable, JCS_YCbCr), 2);
        row("4:2:0, an eighth", libjpegFile(even, JCS_YCbCr), 8);
        row("4:4:4, a quarter", libjpegFile(even, JCS_YCbCr, 1), 4);
        row("progressive", libjpegFile(odd, JCS_YCbCr, 2, true), 1);
        row("restart markers", libjpegFile(odd, JCS_YCbCr, 2, false, true), 1);
        row("grey, halved", libjpegFile(halvable, JCS_GRAYSCALE), 2);
        const QByteArray whole = libjpegFile(odd, JCS_YCbCr);
        row("cut short", whole.left(whole.size() * 2 / 3), 1);
        // Five segments of an unknown marker, skipped over, across the decoder's pieces.
        const QByteArray segment = QByteArray::fromHex("FFEFFFFF") + QByteArray(65533, 'k');
        row("large segments", whole.left(2) + segment.repeated(5) + whole.mid(2), 1);
        row("a size between scales", whole, 0, false);
        row("odd size, halved", whole, 2);
        row("odd size, a quarter", libjpegFile(texture(1001, 263), JCS_GRAYSCALE), 4);
        row("odd size, an eighth", libjpegFile(texture(999, 1001), JCS_YCbCr, 1), 8);
        row("profile, resolution and comment", withMetadata(whole), 1);
        row("exif 6: quarter turn, an eighth", libjpegFile(even, JCS_YCbCr), 8, true, 6);
        row("exif 5: mirror and quarter turn", whole, 1, true, 5);
        row("exif 8: three-quarter turn, halved", libjpegFile(halvable, JCS_YCbCr), 2, true, 8);
        row("exif 3: half turn", whole, 1, true, 3);
    }

    // libjpeg called directly gives libjpeg's own pixels at its own scales, and the
    // reader, turning them by their EXIF orientation, gives what Qt's reader gives
    // wherever Qt's reader takes the same scale (it decodes a picture whose sides a
    // divisor does not divide at a finer scale and resamples).
    void jpegDecodesAsQtDoes()
    {
        QFETCH(int, divisor);
        const QByteArray bytes = fetch<QByteArray>("bytes");
        const QString path = m_host->path("photo.jpg");
        QVERIFY(writeBytes(path, bytes));
        const QSize stored = PictureReader(path).size();
        const QSize size = divisor ? QSize((stored.width() + divisor - 1) / divisor,
                                         (stored.height() + divisor - 1) / divisor)
                                   : stored * 3 / 5;
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
        QVERIFY(fd >= 0);
        const std::optional<QImage> direct = JpegDecoder::decode(fd, size);
        ::close(fd);
        QCOMPARE(direct.has_value(), fetch<bool>("direct"));
        if (direct) { // the pixels; the profile is compared with Qt's below
            QImage reference = libjpegDecode(bytes, divisor);
            reference.setColorSpace(direct->colorSpace());
            QCOMPARE(*direct, reference);
        }
        QImageReader qt(path, "jpeg");
        qt.setAutoTransform(true);
        qt.setScaledSize(size);
        const QImage expected = qt.read().convertToFormat(QImage::Format_RGB32);
        PictureReader reader(path);
        reader.setAutoTransform(true);
        reader.setScaledSize(size);
        const QImage shown = reader.read(QImage::Format_RGB32);
        QCOMPARE(shown.size(), expected.size());
        QCOMPARE(shown.size() != size, fetch<int>("exif") >= 5);
        if (divisor > 1 && (stored.width() % divisor || stored.height() % divisor)) {
            QCOMPARE(shown, *direct);
        } else {
            QCOMPARE(shown, expected);
            QVERIFY(shown.colorSpace() == expected.colorSpace() && shown.text() == expected.text()
                && shown.dotsPerMeterY() == expected.dotsPerMeterY());
        }
    }

    void photographOrientation_data()
    {
        // Width, height, EXIF orientation (0: no EXIF block), record flags (-1: no
        // record in the photo database); then the steps that turn the stored picture
        // into the one shown, in order.
        QTest::addColumn<QVector<int>>("v");
        QTest::addColumn<QString>("steps");
        QTest::newRow("exif 6, no record: turned") << ints("67 45  6 -1") << "90";
        QTest::newRow("exif 3, no record: half turn") << ints("64 48  3 -1") << "180";
        QTest::newRow("exif 6, empty record wins") << ints("64 48  6 0") << "";
        QTest::newRow("exif 6, record 0x02 wins") << ints("64 48  6 2") << "180";
        QTest::newRow("both flips: half turn") << ints("64 48  0 48") << "180";
        QTest::newRow("180 wins over 270") << ints("64 48  0 6") << "180";
        QTest::newRow("90 wins over all") << ints("64 48  0 7") << "90";
        QTest::newRow("vertical flip then 90") << ints("64 48  0 17") << "flipY 90";
        QTest::newRow("horizontal flip then 270") << ints("64 48  0 36") << "flipX 270";
        QTest::newRow("other bits ignored") << ints("64 48  0 200") << "";
        // Past the ceiling Qt's decoders keep by default (128 MB), and large enough for
        // the huge-page buffers of decoding and turning.
        QTest::newRow("large, record 0x01") << ints("6000 5800  0 1") << "90";
    }

    void photographOrientation()
    {
        QFETCH(QVector<int>, v);
        const QImage stored = positionImage(v[0], v[1]);
        QImage shown = stored;
        for (const QString& step : fetch<QString>("steps").split(' ', Qt::SkipEmptyParts))
            shown = step.startsWith("flip") ? shown.mirrored(step == "flipX", step == "flipY")
                                            : shown.transformed(QTransform().rotate(step.toInt()));
        const QString path = m_host->path("front.jpg");
        QVERIFY(writePhoto(path, v[0], v[1], v[2], v[3]));
        Workspace ws;
        QVERIFY(
            PhotoLoader::open(ws, path) && ws.hasPhoto() && ws.m_pPhoto->size() == shown.size());
        // Sixteen pixels across the picture tell every turn and mirror apart; JPEG needs
        // some slack.
        QVERIFY(sameImage(ws.m_pPhoto->scaled(4, 4), shown.scaled(4, 4), 24));
        // Opened in two steps: a preview turned the same way at once, then the very
        // picture a plain open gives.
        ProgressivePhoto progressive(path, stored.size() / 5);
        QCOMPARE(progressive.fullSize(), shown.size());
        // A fifth of the size is read at an eighth; libjpeg rounds the sizes up.
        QCOMPARE(
            progressive.preview().size(), QSize((shown.width() + 7) / 8, (shown.height() + 7) / 8));
        QVERIFY(sameImage(progressive.preview().scaled(4, 4), shown.scaled(4, 4), 24));
        QTRY_VERIFY(progressive.fullReady());
        QCOMPARE(progressive.takeFull(), *ws.m_pPhoto);
        ImageKit kit; // the add dialog has no records: it always follows EXIF
        QVERIFY(kit.openImage(path)
            && kit.image().size() == (v[2] == 6 ? stored.size().transposed() : stored.size()));
    }

    void actionsDuringTheFullDecode_data()
    {
        // Width, height, EXIF orientation, record flags (-1: none), how the full
        // picture arrives (0 taken over once decoded, 1 waited for by whoever needs
        // it, 2 the window closed before it came), whether the preview was decoded on
        // another thread before the window existed (as at start-up).
        QTest::addColumn<QVector<int>>("v");
        QTest::newRow("exif 6, taken over") << ints("1203 901  6 -1  0  0");
        QTest::newRow("record 0x01 over exif 3, waited for") << ints("999 1301  3 1  1  0");
        QTest::newRow("closed while decoding") << ints("1203 901  0 -1  2  0");
        QTest::newRow("started early, exif 6") << ints("1203 901  6 -1  0  1");
        QTest::newRow("started early, record 0x01, waited for") << ints("999 1301  3 1  1  1");
    }

    // A clip and a paste made while only the preview is there land where they land
    // after a plain open: the composite is the same, byte for byte.
    void actionsDuringTheFullDecode()
    {
        QFETCH(QVector<int>, v);
        const QString path = m_host->path("early.jpg");
        QVERIFY(writePhoto(path, v[0], v[1], v[2], v[3]));
        const auto act = [&](Workspace& ws) {
            closeClip(ws, { { 70, 50 }, { 640, 90 }, { 610, 700 }, { 90, 650 } });
            addBracket(ws, m_host->path(""), 0, { 301, 203 }, 0xFFE61E1E, { 333, 377 }, 30);
        };
        Workspace plain;
        QVERIFY(PhotoLoader::open(plain, path));
        act(plain);
        auto early = std::make_unique<Workspace>();
        int waits = 0;
        early->m_onWaitForPhoto = [&](bool waiting) { waits += waiting; };
        std::unique_ptr<ProgressivePhoto> started;
        if (v[5])
            started = std::async(std::launch::async, [&, flags = PhotoLoader::recordFlags(path)] {
                return std::make_unique<ProgressivePhoto>(path, QSize(v[0], v[1]) / 8, flags);
            }).get();
        QVERIFY(started ? PhotoLoader::openProgressive(*early, path, *started)
                        : PhotoLoader::openProgressive(*early, path, QSize(v[0], v[1]) / 8));
        QVERIFY(early->fullPhotoPending() && early->hasPhoto());
        QCOMPARE(QSize(early->photoWidth(), early->photoHeight()), plain.m_pPhoto->size());
        act(*early);
        if (v[4] == 2) {
            early.reset(); // joins the decode
            return;
        }
        if (v[4] == 0)
            QTRY_VERIFY(early->adoptFullPhotoIfReady());
        QVERIFY(early->photo());
        QVERIFY(!early->fullPhotoPending() && waits <= v[4]);
        QCOMPARE(*early->m_pPhoto, *plain.m_pPhoto);
        QCOMPARE(CompositeRenderer(*early, { 0 }, 1, 1).render(),
            CompositeRenderer(plain, { 0 }, 1, 1).render());
    }

    void previewDivisor_data()
    {
        // Stored width and height, shown width and height, divisor.
        QTest::addColumn<QVector<int>>("v");
        QTest::newRow("24 MP, one full-HD pane") << ints("6000 4000  1580 1000  4");
        QTest::newRow("24 MP, one of four panes") << ints("6000 4000  790 500  8");
        QTest::newRow("turned a quarter") << ints("4000 6000  1580 1000  4");
        QTest::newRow("sizes round up") << ints("6001 4001  1501 1001  8");
        QTest::newRow("small: read once") << ints("640 480  1580 1000  1");
    }

    void previewDivisor()
    {
        QFETCH(QVector<int>, v);
        QCOMPARE(ProgressivePhoto::divisorFor(QSize(v[0], v[1]), QSize(v[2], v[3])), v[4]);
    }

    void cropAndFit_data()
    {
        // Crop corners (left top right bottom) lie between pixels, come in any order
        // and are clamped to a 100 x 50 picture, giving the kept rectangle; fitting a
        // picture (w h) into a frame scales by one factor, truncates and centres.
        // Columns: corners, kept x y w h, picture, frame x y w h, fitted x y w h.
        QTest::addColumn<QVector<int>>("v");
        const auto row = [](const char* tag, const char* v) { QTest::newRow(tag) << ints(v); };
        row("reversed, outside", "300 80 -5 -9  0 0 100 50  400 100  10 20 200 100  10 45 200 50");
        row("one pixel, tall", "99 49 100 50  99 49 1 1  100 400  10 20 200 100  97 20 25 100");
        row("right edge, odd sizes", "100 10 140 20  0 0 0 0  333 77  3 7 101 61  3 26 101 23");
        row("reversed inside, sliver", "30 25 10 5  10 5 20 20  5000 1  0 0 90 90  0 44 90 1");
    }

    void cropAndFit()
    {
        QFETCH(QVector<int>, v);
        const auto rect = [&v](int i) { return QRect(v[i], v[i + 1], v[i + 2], v[i + 3]); };
        const QRect frame = rect(10), fitted = rect(14);
        QCOMPARE(ImageKit::CropRect(v[0], v[1], v[2], v[3], QSize(100, 50)), rect(4));
        double scale = 0;
        QCOMPARE(ImageKit::FittedRect(QSize(v[8], v[9]), frame, scale), fitted);
        // The drawing lands where the rectangle says, and nowhere else.
        ImageKit kit;
        kit.setImage(positionImage(v[8], v[9], QImage::Format_ARGB32)); // blue 128 throughout
        QImage canvas
            = filled({ frame.right() + 2, frame.bottom() + 2 }, Qt::white, QImage::Format_ARGB32);
        QPainter painter(&canvas);
        QCOMPARE(kit.drawFitted(painter, frame, scale), fitted.topLeft());
        painter.end();
        QVERIFY(qBlue(canvas.pixel(fitted.center())) == 128
            && canvas.pixel(fitted.topLeft() - QPoint(0, 1)) == 0xFFFFFFFF);
    }
};

QTEST_MAIN(TestPictureReader)
#include "tst_picturereader.moc"
