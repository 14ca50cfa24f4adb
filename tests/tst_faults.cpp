// Damaged input and failing storage across the program, gathered in one place:
// every picture, catalogue, INI, database and output file the user or the
// practice can hand over broken, and every write that can fail half-way. The
// rule throughout: nothing crashes, the user's old files survive byte for byte,
// no temporary file is left behind, and the program goes on working afterwards.
//
// Tests run as root, so permission bits stop nothing; an unwritable place is a
// directory where a file belongs or a path that runs through a regular file,
// and a full disk is a file-size limit.
#include "core/gallery/bracketpreview.h"
#include "core/gallery/gallerycatalogue.h"
#include "core/gallery/galleryentry.h"
#include "core/gallery/gallerylistmodel.h"
#include "core/host/hostdialogs.h"
#include "core/host/hosttools.h"
#include "core/host/photocatalog.h"
#include "core/host/profile.h"
#include "core/output/compositerenderer.h"
#include "core/output/compositewriter.h"
#include "core/photo/photoloader.h"
#include "core/simulation/qbracket.h"
#include "core/workspace/workspace.h"
#include "outputfixture.h"
#include "testutils.h"
#include "ui/bars/qbracklistdiag.h"
#include "ui/frame/ckestrinapp.h"
#include "ui/frame/cmainframe.h"
#include "ui/panes/ckestrinview.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QImageReader>
#include <QRandomGenerator>
#include <QStringEncoder>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

using testutils::IsolatedHost;

using testutils::FileSizeLimit;

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        && file.write(bytes) == bytes.size();
}

// Every name in a folder, hidden ones included, so that a leftover temporary
// file ("name.XXXXXX" or ".name…") is seen.
QStringList entries(const QString& folder)
{
    QStringList names = QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    return names;
}

QByteArray encode(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QImage noise(int w, int h, quint32 seed)
{
    QRandomGenerator random(seed);
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<quint32*>(image.scanLine(y));
        for (int x = 0; x < w; ++x)
            line[x] = 0xFF000000u | (random.generate() & 0xFFFFFFu);
    }
    return image;
}

QByteArray randomBytes(int size, quint32 seed)
{
    QRandomGenerator random(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char& c : bytes)
        c = char(random.bounded(256));
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

void putBigEndian32(QByteArray& bytes, int at, quint32 value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = char(value >> (24 - 8 * i));
}

void putBigEndian16(QByteArray& bytes, int at, quint16 value)
{
    bytes[at] = char(value >> 8);
    bytes[at + 1] = char(value);
}

// A real PNG whose header claims w x h, with a valid header checksum so that
// the reader believes it; the pixel data stays that of a tiny picture.
QByteArray lyingPng(quint32 w, quint32 h)
{
    QByteArray png = encode(QImage(4, 4, QImage::Format_ARGB32), "png");
    // Signature (8), IHDR length (4) and type (4), then width and height.
    putBigEndian32(png, 16, w);
    putBigEndian32(png, 20, h);
    putBigEndian32(png, 29, crc32(png.mid(12, 17)));
    return png;
}

// A real JPEG whose frame header claims w x h.
QByteArray lyingJpeg(quint16 w, quint16 h)
{
    QByteArray jpeg = encode(noise(16, 16, 3), "jpeg");
    const int sof = jpeg.indexOf("\xFF\xC0");
    if (sof < 0)
        qFatal("no baseline frame header");
    // Marker (2), length (2), precision (1), then height and width.
    putBigEndian16(jpeg, sof + 5, h);
    putBigEndian16(jpeg, sof + 7, w);
    return jpeg;
}

} // namespace

class TestFaults : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    // Pictures: the photograph and the gallery's bracket pictures.
    void badPictures_data();
    void photographDecode_data() { badPictures_data(); }
    void photographDecode();
    void photographOpenKeepsWorkspaceUsable_data() { badPictures_data(); }
    void photographOpenKeepsWorkspaceUsable();
    void programStartsOnBadPhotograph();
    void bracketPicture_data() { badPictures_data(); }
    void bracketPicture();
    void bracketReplaceKeepsOldPicture();
    void bracketListWithBadPictures();
    void pasteBadPictureLeavesPaneEmpty();

    // Catalogues.
    void malformedCatalogue_data();
    void malformedCatalogue();
    void cp932Catalogue();
    void hugeCatalogue();
    void overlongBinaryCatalogue();
    void binaryCatalogue_data();
    void binaryCatalogue();
    void catalogueIsFifoOrFolder();
    void programStartsOnBinaryCatalogue();

    // Places that cannot be written.
    void unwritableGalleryFolder();
    void unwritableIni();
    void programRunsWithUnwritableIni();
    void unwritableSaveTarget();
    void unwritablePhotoDatabase();
    void damagedPhotoDatabaseIsLeftAlone();
    void unwritablePhotoStore();

    // A disk that fills up half-way.
    void fullDiskCatalogueRewrite_data();
    void fullDiskCatalogueRewrite();
    void fullDiskCatalogueRewriteFromList();
    void fullDiskCatalogueAppend();
    void fullDiskCompositeSave_data();
    void fullDiskCompositeSave();
    void fullDiskPhotoDatabase();

private:
    QString gallery() const { return m_host->path("Gallery/"); }
    QString csv() const { return gallery() + "bracket.csv"; }
    void useGallery()
    {
        QSettings(m_host->path("Molvex.ini"), QSettings::IniFormat)
            .setValue("DB_DIR/GALLERY", gallery());
    }
    CKestrinApp* app() { return static_cast<CKestrinApp*>(qApp); }
    void closeFrame()
    {
        if (app()->mainFrame())
            app()->mainFrame()->close();
        app()->ExitInstance();
    }

    std::unique_ptr<IsolatedHost> m_host;
};

void TestFaults::init()
{
    m_host = std::make_unique<IsolatedHost>();
    QVERIFY(m_host->dir.isValid());
    QVERIFY(QDir().mkpath(gallery()));
    qunsetenv("MOLVEX_PHOTOSTORE");
}

void TestFaults::cleanup()
{
    qunsetenv("MOLVEX_PHOTOSTORE");
    m_host.reset();
}

// ---------------------------------------------------------------------------
// Pictures

void TestFaults::badPictures_data()
{
    QTest::addColumn<QByteArray>("bytes");
    // The reader must refuse the file; otherwise it may also return what it
    // could decode (libjpeg fills a truncated picture with grey).
    QTest::addColumn<bool>("refused");

    const QByteArray jpeg = encode(noise(64, 48, 1), "jpeg");
    const QByteArray png = encode(noise(64, 48, 2), "png");
    QByteArray pngBadData = png;
    pngBadData[pngBadData.indexOf("IDAT") + 20]
        = char(pngBadData[pngBadData.indexOf("IDAT") + 20] ^ 0x5A);
    QByteArray bmpZero = encode(noise(8, 8, 4), "bmp");
    putBigEndian32(bmpZero, 18, 0); // width 0 (byte order does not matter for zero)
    QByteArray bmpNegativeWidth = encode(noise(8, 8, 5), "bmp");
    bmpNegativeWidth[18] = char(0xF8);
    bmpNegativeWidth[19] = bmpNegativeWidth[20] = bmpNegativeWidth[21] = char(0xFF);

    QTest::newRow("empty file") << QByteArray() << true;
    QTest::newRow("jpeg magic only") << QByteArray("\xFF\xD8\xFF", 3) << true;
    QTest::newRow("jpeg magic, random body")
        << QByteArray("\xFF\xD8\xFF\xE0", 4) + randomBytes(4096, 7) << true;
    QTest::newRow("jpeg cut in half") << jpeg.left(jpeg.size() / 2) << false;
    QTest::newRow("jpeg header only") << jpeg.left(jpeg.indexOf("\xFF\xDA")) << true;
    QTest::newRow("jpeg claims 60000 x 60000") << lyingJpeg(60000, 60000) << true;
    QTest::newRow("png signature only") << png.left(8) << true;
    QTest::newRow("png cut in half") << png.left(png.size() / 2) << false;
    QTest::newRow("png damaged data") << pngBadData << false;
    QTest::newRow("png claims 20000 x 20000") << lyingPng(20000, 20000) << true;
    QTest::newRow("png claims 2^31 x 1") << lyingPng(0x7FFFFFFFu, 1) << true;
    QTest::newRow("png claims 0 x 0") << lyingPng(0, 0) << true;
    QTest::newRow("bmp width 0") << bmpZero << true;
    QTest::newRow("bmp negative width") << bmpNegativeWidth << true;
    QTest::newRow("text with a picture name") << QByteArray("not a picture\n") << true;
    QTest::newRow("random bytes") << randomBytes(65536, 11) << true;
}

void TestFaults::photographDecode()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, refused);
    const QString path = m_host->path("photo.jpg");
    QVERIFY(writeBytes(path, bytes));
    const QImage photo = PhotoLoader::decode(path);
    if (refused)
        QVERIFY(photo.isNull());
    if (!photo.isNull()) {
        QCOMPARE(photo.format(), QImage::Format_RGB32);
        QVERIFY(qint64(photo.width()) * photo.height() <= PhotoLoader::MaxPixels);
    }
}

void TestFaults::photographOpenKeepsWorkspaceUsable()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, refused);
    const QString path = m_host->path("photo.png");
    QVERIFY(writeBytes(path, bytes));
    Workspace ws;
    outputfixture::setPhoto(ws, outputfixture::plainPhoto(30, 20));
    QVERIFY(PhotoLoader::open(ws, path));
    if (refused)
        QVERIFY(!ws.hasPhoto());
    // A good photograph opened afterwards loads as usual.
    QVERIFY(outputfixture::plainPhoto(30, 20).save(m_host->path("good.png")));
    QVERIFY(PhotoLoader::open(ws, m_host->path("good.png")));
    QVERIFY(ws.hasPhoto());
    QCOMPARE(ws.photoWidth(), 30);
}

void TestFaults::programStartsOnBadPhotograph()
{
    const QString folder = m_host->path("bad-photos");
    QVERIFY(QDir().mkpath(folder + "/a folder.jpg"));
    QVERIFY(writeBytes(folder + "/random.jpg", randomBytes(10000, 5)));
    QVERIFY(writeBytes(folder + "/lying.png", lyingPng(50000, 50000)));
    for (const QString name : { "a folder.jpg", "random.jpg", "lying.png" }) {
        QVERIFY(app()->InitInstance({ "kestrin", folder + "/" + name }));
        CMainFrame* frame = app()->mainFrame();
        QVERIFY(frame);
        QVERIFY(!frame->workspace().hasPhoto());
        QCOMPARE(frame->windowTitle(), name + " - Kestrin");
        // The panes paint the empty state without a photograph.
        QVERIFY(!frame->pane(0, 0)->viewport()->grab().isNull());
        closeFrame();
    }
}

void TestFaults::bracketPicture()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, refused);
    const QString path = gallery() + "bracket0001.png";
    QVERIFY(writeBytes(path, bytes));

    QBracket bracket;
    const bool loaded = bracket.Init(1, 0, path, 100, 100, "B", true);
    if (refused) {
        QVERIFY(!loaded);
        QVERIFY(bracket.m_strPath.isEmpty());
        QVERIFY(bracket.m_pImage.isNull());
    }
    if (loaded)
        QVERIFY(!bracket.GetSize().isEmpty());

    const QImage picture = BracketPreview::LoadPicture(path);
    if (refused)
        QVERIFY(picture.isNull());
    // The preview of a picture that could not be read is the bare ground.
    const QImage preview = BracketPreview::Render(picture, BracketPreview::DefaultWidth, false);
    QCOMPARE(preview.size(), QSize(BracketPreview::DefaultWidth, BracketPreview::Height));
    BracketPreview::PictureSize(path);
}

void TestFaults::bracketReplaceKeepsOldPicture()
{
    QImage good(40, 20, QImage::Format_ARGB32);
    good.fill(Qt::red);
    QVERIFY(good.save(gallery() + "bracket0001.png"));
    QVERIFY(writeBytes(gallery() + "bracket0002.png", lyingPng(40000, 40000)));
    QVERIFY(writeBytes(gallery() + "bracket0003.png", randomBytes(2000, 9)));

    QBracket bracket;
    QVERIFY(bracket.Init(1, 0, gallery() + "bracket0001.png", 100, 100, "B", true));
    const QImage before = bracket.m_pImage;
    const QSize size = bracket.GetSize();
    for (const char* name : { "bracket0002.png", "bracket0003.png", "missing.png" }) {
        QVERIFY(!bracket.ReplaceImage(gallery() + name));
        QCOMPARE(bracket.m_strPath, gallery() + "bracket0001.png");
        QCOMPARE(bracket.GetSize(), size);
        QCOMPARE(bracket.m_pImage, before);
    }
}

void TestFaults::bracketListWithBadPictures()
{
    // Catalogue rows whose pictures exist but are damaged are listed (the file
    // is there); selecting them must not bring the preview down.
    QVERIFY(writeBytes(gallery() + "bracket0001.png", QByteArray()));
    QVERIFY(writeBytes(gallery() + "bracket0002.png", lyingPng(30000, 30000)));
    QVERIFY(writeBytes(gallery() + "bracket0003.png", randomBytes(5000, 3)));
    QVERIFY(writeBytes(gallery() + "bracket0004.png", encode(noise(64, 32, 8), "png").left(100)));
    QVERIFY(QDir().mkpath(gallery() + "bracket0005.png"));
    QImage good(60, 30, QImage::Format_ARGB32);
    good.fill(Qt::blue);
    QVERIFY(good.save(gallery() + "bracket0006.png"));
    QVERIFY(writeBytes(csv(),
        "bracket0001.png,Empty,m,w,V1,M1,outer\r\n"
        "bracket0002.png,Lying,m,w,V2,M2,outer\r\n"
        "bracket0003.png,Random,m,w,V3,M3,inner\r\n"
        "bracket0004.png,Cut,m,w,V4,M4,outer\r\n"
        "bracket0005.png,Folder,m,w,V5,M5,outer\r\n"
        "bracket0006.png,Good,m,w,V6,M6,outer\r\n"));
    useGallery();

    testutils::MessageBoxCloser closer;
    QBrackListDiag panel;
    panel.resize(240, 500);
    panel.ReloadGallery();
    const int rows = panel.Model()->rowCount();
    QCOMPARE(rows, 5); // the folder is not a picture file
    for (int row = 0; row < rows; ++row) {
        panel.List()->selectRow(row);
        const QImage preview = panel.Preview();
        QVERIFY(preview.isNull()
            || preview.size() == QSize(panel.PreviewWidth(), BracketPreview::Height));
    }
    panel.List()->selectRow(rows - 1);
    QCOMPARE(panel.BracketNameAt(rows - 1), QString("Good"));
    QVERIFY(!panel.Preview().isNull());
    QVERIFY(closer.texts.isEmpty());
}

void TestFaults::pasteBadPictureLeavesPaneEmpty()
{
    QVERIFY(outputfixture::plainPhoto(300, 200).save(m_host->path("p.png")));
    QVERIFY(writeBytes(gallery() + "bracket0001.png", randomBytes(3000, 21)));
    QVERIFY(writeBytes(gallery() + "bracket0002.png", lyingPng(60000, 60000)));
    QImage good(40, 20, QImage::Format_ARGB32);
    good.fill(Qt::red);
    QVERIFY(good.save(gallery() + "bracket0003.png"));
    QVERIFY(writeBytes(csv(), QByteArray()));
    useGallery();

    testutils::MessageBoxCloser closer;
    QVERIFY(app()->InitInstance({ "kestrin", m_host->path("p.png") }));
    CMainFrame* frame = app()->mainFrame();
    frame->resize(900, 700);
    CKestrinView* view = frame->pane(0, 0);
    QTRY_VERIFY(view->isVisible() && view->width() > 100);
    QVERIFY(view->workingPane);
    outputfixture::closeClip(frame->workspace(), QRect(50, 50, 200, 100));
    const QPoint drop = view->mapToGlobal(QPoint(view->width() / 2, view->height() / 2));
    auto& brackets = frame->workspace().m_slot[size_t(view->slotNumber)].arBrackets;

    frame->onThumbDrop(0, gallery() + "bracket0001.png", drop.x(), drop.y(), 0, 0, 1);
    frame->onThumbDrop(1, gallery() + "bracket0002.png", drop.x(), drop.y(), 0, 0, 1);
    frame->onThumbDrop(1, gallery() + "bracket9999.png", drop.x(), drop.y(), 0, 0, 1);
    QVERIFY(brackets.empty());
    // The pane still takes a good picture, and a bad one afterwards leaves it.
    frame->onThumbDrop(2, gallery() + "bracket0003.png", drop.x(), drop.y(), 0, 0, 1);
    QCOMPARE(int(brackets.size()), 1);
    const QString pasted = brackets.front().m_strPath;
    frame->onThumbDrop(0, gallery() + "bracket0001.png", drop.x(), drop.y(), 0, 0, 1);
    QCOMPARE(int(brackets.size()), 1);
    QCOMPARE(brackets.front().m_strPath, pasted);
    QVERIFY(!view->viewport()->grab().isNull());
    closeFrame();
}

// ---------------------------------------------------------------------------
// Catalogues

void TestFaults::malformedCatalogue_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("names"); // bracket names of the loaded entries

    QTest::newRow("empty") << QByteArray() << QStringList {};
    QTest::newRow("only line ends") << QByteArray("\r\n\n\r\n\r\r\n") << QStringList {};
    QTest::newRow("only commas") << QByteArray(",,,,,,\r\n,\r\n") << QStringList {};
    QTest::newRow("name only") << QByteArray("bracket0001.png\r\n") << QStringList { "" };
    QTest::newRow("too many fields")
        << QByteArray("bracket0001.png,A,m,w,v,memo,outer,x,y,z,,,\r\n") << QStringList { "A" };
    QTest::newRow("NUL in the name")
        << QByteArray("bracket0001.png\0x,A,m,w,v,memo,outer\r\n", 38) << QStringList {};
    QTest::newRow("NUL in a text") << QByteArray("bracket0001.png,A\0B,m,w,v,memo,outer\r\n", 38)
                                   << QStringList { QString::fromLatin1("A\0B", 3) };
    // Only a line feed ends a line; the lone CR inside stays in the last field.
    QTest::newRow("lone CRs") << QByteArray(
        "bracket0001.png,A,m,w,v,memo,outer\rbracket0002.png,B\r")
                              << QStringList { "A" };
    QTest::newRow("path outside the folder")
        << QByteArray("../../etc/passwd,A,m,w,v,memo,outer\r\n/etc/passwd,B\r\n") << QStringList {};
    QTest::newRow("folder as picture") << QByteArray(".,A\r\n..,B\r\nsub,C\r\n") << QStringList {};
    QTest::newRow("invalid UTF-8 and CP932")
        << QByteArray("bracket0001.png,\xFF\xFE\x80,m,w,v,memo,outer\r\n")
        << QStringList { "\uFFFD\uFFFD\uFFFD" };
    // A byte-order mark opening any line is dropped, as from files glued together.
    QTest::newRow("BOM twice") << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF"
                                             "bracket0001.png,A\r\n\xEF\xBB\xBF"
                                             "bracket0002.png,B\r\n")
                               << QStringList { "A", "B" };
    QTest::newRow("no final line end")
        << QByteArray("bracket0001.png,A\r\nbracket0002.png,B") << QStringList { "A", "B" };
}

void TestFaults::malformedCatalogue()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, names);
    QVERIFY(QDir().mkpath(gallery() + "sub"));
    for (const char* name : { "bracket0001.png", "bracket0002.png" })
        QVERIFY(writeBytes(gallery() + name, "png"));
    QVERIFY(writeBytes(csv(), bytes));

    QVector<GalleryEntry> loaded;
    QVERIFY(GalleryCatalogue::LoadCatalogue(gallery(), csv(), loaded));
    QStringList got;
    for (const GalleryEntry& entry : loaded) {
        got << entry.bracketName;
        // Every loaded entry names a regular file inside the gallery.
        QVERIFY(QFileInfo(entry.picturePath).isFile());
        QVERIFY2(QFileInfo(entry.picturePath)
                     .canonicalFilePath()
                     .startsWith(QFileInfo(gallery()).canonicalFilePath() + "/"),
            qPrintable(entry.picturePath));
    }
    QCOMPARE(got, names);
}

void TestFaults::cp932Catalogue()
{
    QVERIFY(writeBytes(gallery() + "bracket0001.png", "png"));
    QVERIFY(writeBytes(gallery() + "bracket0002.png", "png"));
    QStringEncoder toCp932("CP932");
    QVERIFY(toCp932.isValid());
    const QString text = QStringLiteral(
        "bracket0001.png,メタルブラケット,ステンレス,ニッケルチタン,V1,メモ,outer");
    QByteArray bytes = QByteArray(toCp932.encode(text)) + "\r\n";
    // A lead byte with no trail byte at the end of a line, then half-width kana.
    bytes += QByteArray("bracket0002.png,\x83\r\n");
    bytes += QByteArray(toCp932.encode(QStringLiteral("bracket0002.png,ｾﾗﾐｯｸ,m,w,v,m,inner")))
        + "\r\n";
    QVERIFY(writeBytes(csv(), bytes));

    QVector<GalleryEntry> loaded;
    QVERIFY(GalleryCatalogue::LoadCatalogue(gallery(), csv(), loaded));
    QCOMPARE(loaded.size(), 3);
    QCOMPARE(loaded[0].bracketName, QStringLiteral("メタルブラケット"));
    QCOMPARE(loaded[0].wire, QStringLiteral("ニッケルチタン"));
    QCOMPARE(loaded[2].bracketName, QStringLiteral("ｾﾗﾐｯｸ"));
    QCOMPARE(loaded[2].side, QStringLiteral("inner"));

    // Rewritten, the catalogue becomes UTF-8 and reads back the same.
    QVERIFY(GalleryCatalogue::SaveCatalogue(csv(), loaded));
    QVERIFY(readAll(csv()).contains(QStringLiteral("メタルブラケット").toUtf8()));
    QVector<GalleryEntry> again;
    QVERIFY(GalleryCatalogue::LoadCatalogue(gallery(), csv(), again));
    QCOMPARE(again.size(), 3);
    QCOMPARE(again[0].bracketName, loaded[0].bracketName);
    QCOMPARE(again[2].bracketName, loaded[2].bracketName);
}

void TestFaults::hugeCatalogue()
{
    // 200 000 lines (about 9 MB), half of them naming a picture that is not there.
    QVERIFY(writeBytes(gallery() + "bracket0001.png", "png"));
    QByteArray bytes;
    constexpr int lines = 200000;
    bytes.reserve(lines * 48);
    for (int i = 0; i < lines; ++i)
        bytes += (i % 2 ? QByteArray("bracket0002.png") : QByteArray("bracket0001.png")) + ",B"
            + QByteArray::number(i) + ",material,wire,V,M,outer\r\n";
    QVERIFY(writeBytes(csv(), bytes));

    QElapsedTimer clock;
    clock.start();
    QVector<GalleryEntry> loaded;
    QVERIFY(GalleryCatalogue::LoadCatalogue(gallery(), csv(), loaded));
    QCOMPARE(loaded.size(), lines / 2);
    QCOMPARE(loaded.last().bracketName, QString("B%1").arg(lines - 2));
    qInfo("%d lines read in %lld ms", lines, clock.elapsed());

    // The list panel takes all of them.
    useGallery();
    QBrackListDiag panel;
    panel.ReloadGallery();
    QCOMPARE(panel.Model()->rowCount(), lines / 2);
}

void TestFaults::overlongBinaryCatalogue()
{
    // 40 MB without a single line feed, then one good line: the junk is passed
    // over in bounded pieces and the good line still counts.
    QVERIFY(writeBytes(gallery() + "bracket0001.png", "png"));
    QByteArray junk = randomBytes(1 << 20, 17);
    junk.replace('\n', 'x');
    {
        QFile file(csv());
        QVERIFY(file.open(QIODevice::WriteOnly));
        for (int i = 0; i < 40; ++i)
            QCOMPARE(file.write(junk), qint64(junk.size()));
        file.write("\nbracket0001.png,Good\r\n");
    }
    QVector<GalleryEntry> loaded;
    QVERIFY(GalleryCatalogue::LoadCatalogue(gallery(), csv(), loaded));
    QCOMPARE(loaded.size(), 1);
    QCOMPARE(loaded[0].bracketName, QString("Good"));
}

void TestFaults::binaryCatalogue_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("random 1 MB") << randomBytes(1 << 20, 23);
    QTest::newRow("a PNG picture") << encode(noise(100, 100, 4), "png");
    QTest::newRow("a JPEG picture") << encode(noise(100, 100, 5), "jpeg");
    QTest::newRow("NUL bytes") << QByteArray(100000, '\0');
    QTest::newRow("UTF-16 text") << QByteArray("\xFF\xFE")
            + QByteArray(reinterpret_cast<const char*>(u"bracket0001.png,A,m,w,v,m,outer\r\n"), 66);
}

void TestFaults::binaryCatalogue()
{
    QFETCH(QByteArray, bytes);
    QVERIFY(writeBytes(gallery() + "bracket0001.png", "png"));
    QVERIFY(writeBytes(csv(), bytes));
    QVector<GalleryEntry> loaded;
    QVERIFY(GalleryCatalogue::LoadCatalogue(gallery(), csv(), loaded));
    for (const GalleryEntry& entry : loaded)
        QVERIFY(QFileInfo(entry.picturePath).isFile());
    // The same bytes straight from memory give the same entries.
    QBuffer buffer(&bytes);
    QVERIFY(buffer.open(QIODevice::ReadOnly));
    QVector<GalleryEntry> fromMemory;
    GalleryCatalogue::ReadCatalogue(gallery(), buffer, fromMemory);
    QCOMPARE(fromMemory.size(), loaded.size());
}

void TestFaults::catalogueIsFifoOrFolder()
{
    QVERIFY(mkfifo(QFile::encodeName(csv()).constData(), 0600) == 0);
    QVector<GalleryEntry> loaded { GalleryEntry() };
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!GalleryCatalogue::LoadCatalogue(gallery(), csv(), loaded));
    QVERIFY(loaded.isEmpty());
    QVERIFY(clock.elapsed() < 5000);
    QVERIFY(GalleryCatalogue::AppendEntry(gallery(), csv(), "A", "m", "w").isEmpty());
    QVERIFY(QFile::remove(csv()));

    QVERIFY(QDir().mkpath(csv()));
    QVERIFY(!GalleryCatalogue::LoadCatalogue(gallery(), csv(), loaded));
    QVERIFY(!GalleryCatalogue::SaveCatalogue(csv(), {}));
    QVERIFY(GalleryCatalogue::AppendEntry(gallery(), csv(), "A", "m", "w").isEmpty());
    QVERIFY(QFileInfo(csv()).isDir());
    QCOMPARE(entries(gallery()), QStringList { "bracket.csv" });
}

void TestFaults::programStartsOnBinaryCatalogue()
{
    QVERIFY(outputfixture::plainPhoto(60, 40).save(m_host->path("p.png")));
    QVERIFY(writeBytes(csv(), randomBytes(200000, 31)));
    useGallery();
    testutils::MessageBoxCloser closer;
    QVERIFY(app()->InitInstance({ "kestrin", m_host->path("p.png") }));
    QVERIFY(app()->mainFrame()->workspace().hasPhoto());
    QCOMPARE(app()->mainFrame()->bracketList()->Model()->rowCount(), 0);
    closeFrame();
    // Reading never writes the catalogue.
    QCOMPARE(readAll(csv()), randomBytes(200000, 31));
    QVERIFY(closer.texts.isEmpty());
}

// ---------------------------------------------------------------------------
// Places that cannot be written

void TestFaults::unwritableGalleryFolder()
{
    // The configured gallery runs through a regular file.
    QVERIFY(writeBytes(m_host->path("plain-file"), "x"));
    const QString folder = m_host->path("plain-file/Gallery/");
    const QString catalogue = folder + "bracket.csv";
    GalleryEntry entry;
    entry.picturePath = folder + "bracket0001.png";
    entry.bracketName = "A";
    QVERIFY(!GalleryCatalogue::SaveCatalogue(catalogue, { entry }));
    QVERIFY(GalleryCatalogue::AppendEntry(folder, catalogue, "A", "m", "w").isEmpty());
    QVector<GalleryEntry> loaded;
    QVERIFY(!GalleryCatalogue::LoadCatalogue(folder, catalogue, loaded));
    QCOMPARE(readAll(m_host->path("plain-file")), QByteArray("x"));

    // The list panel tells the user and stays empty.
    QSettings(m_host->path("Molvex.ini"), QSettings::IniFormat).setValue("DB_DIR/GALLERY", folder);
    QStringList messages;
    QBrackListDiag panel;
    panel.SetMessageFunction([&messages](QWidget*, const QString& text) { messages << text; });
    panel.ReloadGallery();
    QCOMPARE(panel.Model()->rowCount(), 0);
    QCOMPARE(messages, QStringList { "bracket.csvが見つかりません" });
    QVERIFY(!panel.SaveCatalogue(catalogue));
}

void TestFaults::unwritableIni()
{
    for (const QString& ini :
        { m_host->path("ini-folder"), m_host->path("plain-file/Molvex.ini") }) {
        QVERIFY(QDir().mkpath(m_host->path("ini-folder")));
        QVERIFY(writeBytes(m_host->path("plain-file"), "x"));
        qputenv("MOLVEX_INI", ini.toLocal8Bit());
        QVERIFY(!Profile::writeInt("BRACKET", "WINZOOM", 1));
        QVERIFY(!Profile::writeString("DB_DIR", "GALLERY", "/somewhere"));
        QCOMPARE(Profile::getInt("BRACKET", "WINZOOM", 7), 7);
        QCOMPARE(Profile::getString("DB_DIR", "GALLERY", "none"), QString("none"));
        // Without a readable INI the gallery is the program's own.
        QCOMPARE(GalleryCatalogue::GalleryFolder(),
            GalleryCatalogue::DefaultFolder(QCoreApplication::applicationDirPath()));
        QCOMPARE(readAll(m_host->path("plain-file")), QByteArray("x"));
        QVERIFY(QFileInfo(m_host->path("ini-folder")).isDir());
    }
}

void TestFaults::programRunsWithUnwritableIni()
{
    QVERIFY(outputfixture::plainPhoto(60, 40).save(m_host->path("p.png")));
    QVERIFY(writeBytes(m_host->path("plain-file"), "x"));
    qputenv("MOLVEX_INI", m_host->path("plain-file/Molvex.ini").toLocal8Bit());
    testutils::MessageBoxCloser closer;
    QVERIFY(app()->InitInstance({ "kestrin", m_host->path("p.png") }));
    QVERIFY(app()->mainFrame()->workspace().hasPhoto());
    app()->mainFrame()->showMaximized();
    // Closing writes the window state and the bar layout; all of it is lost
    // quietly.
    closeFrame();
    QCOMPARE(readAll(m_host->path("plain-file")), QByteArray("x"));
    // And the program starts again.
    QVERIFY(app()->InitInstance({ "kestrin", m_host->path("p.png") }));
    QVERIFY(app()->mainFrame()->workspace().hasPhoto());
    closeFrame();
}

void TestFaults::unwritableSaveTarget()
{
    Workspace ws;
    outputfixture::setPhoto(ws, outputfixture::plainPhoto(64, 48));
    const CompositeRenderer renderer(ws, { 1 }, 1, 1);
    const QString folder = m_host->path("out");
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(writeBytes(folder + "/plain-file", "x"));
    QVERIFY(QDir().mkpath(folder + "/taken.jpg"));

    QVERIFY(!CompositeWriter::saveComposite(renderer, folder + "/plain-file/result.jpg"));
    QVERIFY(!CompositeWriter::saveComposite(renderer, folder + "/taken.jpg"));
    QVERIFY(!CompositeWriter::saveComposite(renderer, folder + "/taken"));
    QVERIFY(!CompositeWriter::saveComposite(renderer, folder + "/missing/result.jpg"));
    QCOMPARE(entries(folder), (QStringList { "plain-file", "taken.jpg" }));
    QCOMPARE(readAll(folder + "/plain-file"), QByteArray("x"));
    QVERIFY(entries(folder + "/taken.jpg").isEmpty());
    // The same renderer still saves where it can.
    QVERIFY(CompositeWriter::saveComposite(renderer, folder + "/result.jpg"));
    QCOMPARE(QImage(folder + "/result.jpg").size(), QSize(64, 48));
}

void TestFaults::unwritablePhotoDatabase()
{
    QVERIFY(outputfixture::plainPhoto(20, 10).save(m_host->path("p.png")));
    QVERIFY(writeBytes(m_host->path("plain-file"), "x"));
    QVERIFY(QDir().mkpath(m_host->path("db-folder")));
    for (const QString& db : { m_host->path("db-folder"), m_host->path("plain-file/photos.db") }) {
        qputenv("MOLVEX_PHOTODB", db.toLocal8Bit());
        PhotoCatalog catalog;
        QVERIFY(catalog.open(PhotoCatalog::ReadOnly) != 0);
        QVERIFY(catalog.open(PhotoCatalog::ReadWrite) != 0);
        QCOMPARE(catalog.addPhoto(m_host->path("p.png"), 1, "P1"), qint64(-1));
        QCOMPARE(PhotoLoader::lookUpFlags(m_host->path("p.png")), (unsigned char)0);
        Workspace ws;
        QVERIFY(PhotoLoader::open(ws, m_host->path("p.png")));
        QCOMPARE(ws.photoWidth(), 20);
    }
    QCOMPARE(readAll(m_host->path("plain-file")), QByteArray("x"));
    QVERIFY(entries(m_host->path("db-folder")).isEmpty());
}

void TestFaults::damagedPhotoDatabaseIsLeftAlone()
{
    QVERIFY(outputfixture::plainPhoto(20, 10).save(m_host->path("p.png")));
    // The practice's database is never overwritten, even when it looks damaged:
    // it may be a newer format or a file half-way through a copy.
    const QByteArray damaged = QByteArray("SQLite format 3\0", 16) + randomBytes(8192, 41);
    for (const QByteArray& bytes : { damaged, randomBytes(4096, 43), QByteArray("plain text") }) {
        QVERIFY(writeBytes(m_host->path("photos.db"), bytes));
        PhotoCatalog catalog;
        QVERIFY(catalog.open(PhotoCatalog::ReadOnly) != 0);
        catalog.open(PhotoCatalog::ReadWrite);
        catalog.addPhoto(m_host->path("p.png"), 1, "P1");
        catalog.close();
        QCOMPARE(PhotoLoader::lookUpFlags(m_host->path("p.png")), (unsigned char)0);
        QCOMPARE(readAll(m_host->path("photos.db")), bytes);
    }
}

void TestFaults::unwritablePhotoStore()
{
    // A patient is chosen, but the store runs through a regular file: nothing
    // is registered and no path comes back.
    QVERIFY(writeBytes(HostDialogs::tempFolder() + "PatientID.TMP", "P0001"));
    QVERIFY(writeBytes(m_host->path("plain-file"), "x"));
    qputenv("MOLVEX_PHOTOSTORE", m_host->path("plain-file/Photos").toLocal8Bit());
    char path1[HostDialogs::PathBufferSize] = "stale";
    char path2[HostDialogs::PathBufferSize] = "stale";
    HostDialogs::addImage(nullptr, "", 0, path1, path2);
    QCOMPARE(path1[0], '\0');
    QCOMPARE(path2[0], '\0');

    // The store is fine but the database is a folder.
    qputenv("MOLVEX_PHOTOSTORE", m_host->path("Photos").toLocal8Bit());
    QVERIFY(QDir().mkpath(m_host->path("db-folder")));
    qputenv("MOLVEX_PHOTODB", m_host->path("db-folder").toLocal8Bit());
    HostDialogs::addImage(nullptr, "", 0, path1, path2);
    QCOMPARE(path1[0], '\0');
    QVERIFY(!HostDialogs::cancelImage(m_host->path("Photos/P0001/x.jpg")));
    QCOMPARE(readAll(m_host->path("plain-file")), QByteArray("x"));
}

// ---------------------------------------------------------------------------
// A disk that fills up

void TestFaults::fullDiskCatalogueRewrite_data()
{
    QTest::addColumn<int>("limit");
    QTest::newRow("nothing fits") << 0;
    QTest::newRow("one byte") << 1;
    QTest::newRow("half a line") << 20;
    QTest::newRow("4 KiB") << 4096;
    QTest::newRow("64 KiB") << 65536;
}

void TestFaults::fullDiskCatalogueRewrite()
{
    QFETCH(int, limit);
    QByteArray original;
    for (int i = 1; i <= 40; ++i) {
        const QString name = QString("bracket%1.png").arg(i, 4, 10, QChar('0'));
        QVERIFY(writeBytes(gallery() + name, "png"));
        original += name.toUtf8() + ",ブラケット" + QByteArray::number(i) + ",m,w,v,memo,outer\r\n";
    }
    QVERIFY(writeBytes(csv(), original));
    QVector<GalleryEntry> loaded;
    QVERIFY(GalleryCatalogue::LoadCatalogue(gallery(), csv(), loaded));
    QCOMPARE(loaded.size(), 40);
    // The rewrite grows the file well past every limit.
    for (GalleryEntry& entry : loaded)
        entry.memo = QString(3000, QChar(u'メ'));
    const QStringList before = entries(gallery());

    {
        FileSizeLimit full { rlim_t(limit) };
        QVERIFY(!GalleryCatalogue::SaveCatalogue(csv(), loaded));
    }
    QCOMPARE(readAll(csv()), original);
    QCOMPARE(entries(gallery()), before);

    // With room again the same rewrite goes through.
    QVERIFY(GalleryCatalogue::SaveCatalogue(csv(), loaded));
    QVector<GalleryEntry> again;
    QVERIFY(GalleryCatalogue::LoadCatalogue(gallery(), csv(), again));
    QCOMPARE(again.size(), 40);
    QCOMPARE(again.last().memo, loaded.last().memo);
    QCOMPARE(entries(gallery()), before);
}

void TestFaults::fullDiskCatalogueRewriteFromList()
{
    QByteArray original;
    for (int i = 1; i <= 5; ++i) {
        const QString name = QString("bracket%1.png").arg(i, 4, 10, QChar('0'));
        QImage picture(20, 10, QImage::Format_ARGB32);
        picture.fill(Qt::green);
        QVERIFY(picture.save(gallery() + name));
        original += name.toUtf8() + ",B" + QByteArray::number(i) + ",m,w,v," + QByteArray(5000, 'x')
            + ",outer\r\n";
    }
    QVERIFY(writeBytes(csv(), original));
    useGallery();
    QBrackListDiag panel;
    panel.ReloadGallery();
    QCOMPARE(panel.Model()->rowCount(), 5);
    panel.List()->selectRow(0);
    panel.DeleteSelected();
    QCOMPARE(panel.Model()->rowCount(), 4);
    const QStringList before = entries(gallery());
    {
        FileSizeLimit full { 8000 };
        QVERIFY(!panel.SaveCatalogue(csv()));
    }
    QCOMPARE(readAll(csv()), original);
    QCOMPARE(entries(gallery()), before);
    // The panel keeps its rows and saves once there is room.
    QCOMPARE(panel.Model()->rowCount(), 4);
    QVERIFY(panel.SaveCatalogue(csv()));
    QVector<GalleryEntry> loaded;
    QVERIFY(GalleryCatalogue::LoadCatalogue(gallery(), csv(), loaded));
    QCOMPARE(loaded.size(), 4);
}

void TestFaults::fullDiskCatalogueAppend()
{
    QVERIFY(writeBytes(gallery() + "bracket0001.png", "png"));
    // An unterminated last line: the append has to write its line end first.
    const QByteArray original(
        "bracket0001.png,A,m,w,v,memo,outer\r\nbracket0001.png,B,m,w,v,memo,outer");
    QVERIFY(writeBytes(csv(), original));
    for (const rlim_t limit : { rlim_t(0), rlim_t(original.size()), rlim_t(original.size() + 1),
             rlim_t(original.size() + 2), rlim_t(original.size() + 10) }) {
        {
            FileSizeLimit full { limit };
            QVERIFY(GalleryCatalogue::AppendEntry(gallery(), csv(), "New", "m", "w").isEmpty());
        }
        QCOMPARE(readAll(csv()), original);
        QCOMPARE(entries(gallery()), (QStringList { "bracket.csv", "bracket0001.png" }));
    }
    QCOMPARE(GalleryCatalogue::AppendEntry(gallery(), csv(), "New", "m", "w"),
        gallery() + "bracket0002.png");
    QVERIFY(readAll(csv()).startsWith(
        original + "\r\nbracket0002.png,New,m,w,Vendor0002,Memo0002,outer\r\n"));
}

void TestFaults::fullDiskCompositeSave_data()
{
    QTest::addColumn<int>("limit");
    QTest::newRow("nothing fits") << 0;
    QTest::newRow("header only") << 300;
    QTest::newRow("16 KiB") << 16384;
    QTest::newRow("256 KiB") << 262144;
}

void TestFaults::fullDiskCompositeSave()
{
    QFETCH(int, limit);
    Workspace ws;
    // Noise does not compress: the JPEG comes to well over a megabyte.
    outputfixture::setPhoto(ws, noise(500, 400, 51));
    outputfixture::closeClip(ws, QRect(100, 100, 300, 200));
    outputfixture::addBracket(
        ws, m_host->path("."), 1, 60, outputfixture::bracketColour, 250, 200, "B");
    const CompositeRenderer renderer(ws, { 0, 1, 2, 3 }, 2, 2);
    QVERIFY(renderer.isValid());

    const QString folder = m_host->path("out");
    QVERIFY(QDir().mkpath(folder));
    const QString path = folder + "/result.jpg";
    const QByteArray yesterday = encode(noise(50, 40, 52), "jpeg");
    QVERIFY(writeBytes(path, yesterday));

    int bands = 0;
    {
        FileSizeLimit full { rlim_t(limit) };
        QVERIFY(!CompositeWriter::saveComposite(renderer, path, [&bands] {
            ++bands;
            return true;
        }));
    }
    QCOMPARE(readAll(path), yesterday);
    QCOMPARE(entries(folder), QStringList { "result.jpg" });
    // A new name fails the same way and leaves nothing.
    {
        FileSizeLimit full { rlim_t(limit) };
        QVERIFY(!CompositeWriter::saveComposite(renderer, folder + "/new.jpg"));
    }
    QCOMPARE(entries(folder), QStringList { "result.jpg" });

    // With room again the save replaces the old picture.
    QVERIFY(CompositeWriter::saveComposite(renderer, path));
    QCOMPARE(QImageReader(path).size(), renderer.size());
    QVERIFY(QFileInfo(path).size() > 262144);
    QCOMPARE(entries(folder), QStringList { "result.jpg" });
}

void TestFaults::fullDiskPhotoDatabase()
{
    QVERIFY(outputfixture::plainPhoto(20, 10).save(m_host->path("p.png")));
    {
        PhotoCatalog catalog;
        QCOMPARE(catalog.open(PhotoCatalog::ReadWrite), 0);
        QVERIFY(catalog.addPhoto(m_host->path("p.png"), 0x02, "P1") >= 0);
    }
    const qint64 size = QFileInfo(m_host->path("photos.db")).size();
    {
        // Records with long paths until the database would have to grow.
        FileSizeLimit full { rlim_t(size) };
        PhotoCatalog catalog;
        if (catalog.open(PhotoCatalog::ReadWrite) == 0) {
            bool failed = false;
            for (int i = 0; i < 200 && !failed; ++i)
                failed
                    = catalog.addPhoto(
                          m_host->path("x/" + QString(200, QChar('a' + i % 26)) + ".jpg"), 0, "P2")
                    < 0;
            QVERIFY(failed);
        }
    }
    // The record that was there is still found, and the file is a sound database.
    QCOMPARE(PhotoLoader::lookUpFlags(m_host->path("p.png")), (unsigned char)0x02);
    PhotoCatalog catalog;
    QCOMPARE(catalog.open(PhotoCatalog::ReadWrite), 0);
    QVERIFY(catalog.addPhoto(m_host->path("q.png"), 0, "P3") >= 0);
    QVERIFY(catalog.list().size() >= 2);
}

int main(int argc, char** argv)
{
    CKestrinApp app(argc, argv);
    TestFaults test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_faults.moc"
