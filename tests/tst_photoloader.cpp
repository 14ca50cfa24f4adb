// Opening a photograph: decoding, white background, orientation by the photo
// record's flags, and every kind of bad file.
#include "core/host/photocatalog.h"
#include "core/photo/photoloader.h"
#include "core/workspace/workspace.h"
#include "testutils.h"

#include <QBuffer>
#include <QFile>
#include <QImageWriter>

using testutils::IsolatedHost;

namespace {

// Where source pixel (x, y) of a w x h picture lands after each elementary step.
QPoint turn90(QPoint p, QSize s) { return { s.height() - 1 - p.y(), p.x() }; }
QPoint turn180(QPoint p, QSize s) { return { s.width() - 1 - p.x(), s.height() - 1 - p.y() }; }
QPoint flipX(QPoint p, QSize s) { return { s.width() - 1 - p.x(), p.y() }; }

// Applies a sequence of elementary steps by moving every pixel one at a time: slow
// but independent of the loader's own composition of steps.
QImage reference(const QImage& src, const QStringList& steps)
{
    QImage img = src;
    for (const QString& step : steps) {
        const bool quarter = step == "90" || step == "270";
        QImage next(quarter ? img.height() : img.width(), quarter ? img.width() : img.height(),
            img.format());
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                QPoint p(x, y);
                if (step == "90")
                    p = turn90(p, img.size());
                else if (step == "180")
                    p = turn180(p, img.size());
                else if (step == "270")
                    p = turn90(turn90(turn90(p, img.size()), QSize(img.height(), img.width())),
                        img.size());
                else if (step == "flipX")
                    p = flipX(p, img.size());
                next.setPixel(p, img.pixel(x, y));
            }
        img = next;
    }
    return img;
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray encoded(const QImage& img, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    img.save(&buffer, format);
    return bytes;
}

} // namespace

class TestPhotoLoader : public QObject {
    Q_OBJECT

private slots:
    void orientation_data();
    void orientation();
    void flagsComeFromTheRecordOfFolderAndStem();
    void transparentAreasBecomeWhite();
    void badFilesLeaveTheWorkspaceEmpty_data();
    void badFilesLeaveTheWorkspaceEmpty();
    void hugePhotographsLoad();
    void damagedDatabaseMeansNoRecord();
    void openingResetsSimulationButKeepsModes();
    void keysOfTheLookup_data();
    void keysOfTheLookup();
};

void TestPhotoLoader::orientation_data()
{
    QTest::addColumn<int>("flags");
    QTest::addColumn<QStringList>("steps");
    QTest::newRow("none") << 0x00 << QStringList {};
    QTest::newRow("both flips: half turn") << 0x30 << QStringList { "180" };
    QTest::newRow("vertical flip") << 0x10 << QStringList { "180", "flipX" };
    QTest::newRow("horizontal flip") << 0x20 << QStringList { "flipX" };
    QTest::newRow("90") << 0x01 << QStringList { "90" };
    QTest::newRow("180") << 0x02 << QStringList { "180" };
    QTest::newRow("270") << 0x04 << QStringList { "270" };
    QTest::newRow("both flips then 90") << 0x31 << QStringList { "180", "90" };
    QTest::newRow("180 wins over 270") << 0x06 << QStringList { "180" };
    QTest::newRow("90 wins over all") << 0x07 << QStringList { "90" };
    QTest::newRow("vertical flip then 90") << 0x11 << QStringList { "180", "flipX", "90" };
    QTest::newRow("horizontal flip then 270") << 0x24 << QStringList { "flipX", "270" };
    QTest::newRow("vertical flip then 180") << 0x12 << QStringList { "180", "flipX", "180" };
    QTest::newRow("other bits ignored") << 0xC8 << QStringList {};
}

void TestPhotoLoader::orientation()
{
    QFETCH(int, flags);
    QFETCH(QStringList, steps);
    const QImage src = testutils::positionImage(7, 4);
    QImage img = src;
    PhotoLoader::orient(img, static_cast<unsigned char>(flags));
    QVERIFY(testutils::sameImage(img, reference(src, steps)));
}

void TestPhotoLoader::flagsComeFromTheRecordOfFolderAndStem()
{
    IsolatedHost host;
    QDir(host.dir.path()).mkpath("patient7");
    const QString photo = host.path("patient7/front.png");
    const QImage src = testutils::positionImage(6, 3);
    QVERIFY(src.save(photo));
    {
        PhotoCatalog catalog;
        QCOMPARE(catalog.open(PhotoCatalog::ReadWrite), 0);
        QVERIFY(catalog.addPhoto(photo, 0x31, "P7") > 0);
    }
    QCOMPARE(int(PhotoLoader::lookUpFlags(photo)), 0x31);
    // Another folder with the same stem is another photograph.
    QCOMPARE(int(PhotoLoader::lookUpFlags(host.path("front.png"))), 0);

    Workspace ws;
    QVERIFY(PhotoLoader::open(ws, photo));
    QVERIFY(ws.hasPhoto());
    QCOMPARE(ws.m_pPhoto->format(), QImage::Format_RGB32);
    QVERIFY(testutils::sameImage(*ws.m_pPhoto, reference(src, { "180", "90" })));
}

void TestPhotoLoader::transparentAreasBecomeWhite()
{
    IsolatedHost host;
    QImage png(4, 2, QImage::Format_ARGB32);
    png.fill(Qt::transparent);
    png.setPixel(0, 0, qRgba(255, 0, 0, 255));
    png.setPixel(1, 0, qRgba(0, 0, 0, 128));
    QVERIFY(png.save(host.path("alpha.png")));
    Workspace ws;
    PhotoLoader::open(ws, host.path("alpha.png"));
    QVERIFY(ws.hasPhoto());
    QCOMPARE(ws.m_pPhoto->pixel(0, 0), qRgb(255, 0, 0));
    QCOMPARE(ws.m_pPhoto->pixel(3, 1), qRgb(255, 255, 255));
    QVERIFY(qAbs(qRed(ws.m_pPhoto->pixel(1, 0)) - 127) <= 1); // half black over white
}

void TestPhotoLoader::badFilesLeaveTheWorkspaceEmpty_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray png = encoded(testutils::positionImage(64, 64), "PNG");
    QTest::newRow("missing") << "missing.jpg" << QByteArray();
    QTest::newRow("zero bytes") << "empty.jpg" << QByteArray("");
    QTest::newRow("text named jpg") << "note.jpg" << QByteArray("this is not a picture\n");
    QTest::newRow("truncated png") << "cut.png" << png.left(png.size() / 2);
    QTest::newRow("png header only") << "head.png" << png.left(16);
    QTest::newRow("directory") << "folder.jpg" << QByteArray();
    // A BMP header claiming 30000 x 30000 pixels with almost nothing behind it.
    QByteArray bmp("BM");
    bmp.append(QByteArray::fromHex("36000000000000003600000028000000"));
    bmp.append(QByteArray::fromHex("30750000307500000100180000000000"));
    bmp.append(QByteArray(24, '\0'));
    QTest::newRow("30000 x 30000 header") << "huge.bmp" << bmp;
    QTest::newRow("gif is not accepted")
        << "anim.jpg" << encoded(testutils::positionImage(8, 8), "GIF");
}

void TestPhotoLoader::badFilesLeaveTheWorkspaceEmpty()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    IsolatedHost host;
    const QString path = host.path(name);
    if (QTest::currentDataTag() == QLatin1String("directory"))
        QVERIFY(QDir().mkpath(path));
    else if (!bytes.isNull())
        writeFile(path, bytes);
    Workspace ws;
    ws.m_pPhoto = std::make_unique<QImage>(8, 8, QImage::Format_RGB32);
    ws.m_dZoom = 2.0;
    QVERIFY(PhotoLoader::open(ws, path));
    QVERIFY(!ws.hasPhoto());
    QCOMPARE(ws.m_dZoom, 1.0);
}

void TestPhotoLoader::hugePhotographsLoad()
{
    // Past Qt's default allocation ceiling (about 33 megapixels): 36 megapixels.
    IsolatedHost host;
    QImage big(7200, 5000, QImage::Format_RGB32);
    big.fill(qRgb(10, 120, 200));
    QImageWriter writer(host.path("big.jpg"), "jpeg");
    QVERIFY(writer.write(big));
    big = QImage();
    Workspace ws;
    PhotoLoader::open(ws, host.path("big.jpg"));
    QVERIFY(ws.hasPhoto());
    QCOMPARE(ws.m_pPhoto->size(), QSize(7200, 5000));
}

void TestPhotoLoader::damagedDatabaseMeansNoRecord()
{
    IsolatedHost host;
    writeFile(host.path("photos.db"), QByteArray(4096, 'x'));
    QVERIFY(testutils::positionImage(3, 2).save(host.path("p.png")));
    QCOMPARE(int(PhotoLoader::lookUpFlags(host.path("p.png"))), 0);
    Workspace ws;
    PhotoLoader::open(ws, host.path("p.png"));
    QCOMPARE(ws.m_pPhoto->size(), QSize(3, 2));
}

void TestPhotoLoader::openingResetsSimulationButKeepsModes()
{
    IsolatedHost host;
    QVERIFY(testutils::positionImage(5, 5).save(host.path("p.png")));
    Workspace ws;
    ws.m_nPaneCount = 4;
    ws.m_nWorkSlot = 3;
    ws.m_bFitSize = false;
    ws.m_bShowInfo = false;
    ws.m_dZoom = 0.5;
    ws.m_nBracketSerial = 9;
    ws.m_bClipClosed = true;
    ws.m_bClipEditing = true;
    for (PaneSlot& slot : ws.m_slot) {
        slot.arBrackets.emplace_back();
        slot.nSelected = 0;
        slot.nHover = 0;
        slot.nOpMode = OpRotate;
        slot.bOpModeOn = true;
    }
    PhotoLoader::open(ws, host.path("p.png"));
    QCOMPARE(ws.m_dZoom, 1.0);
    QCOMPARE(ws.m_nBracketSerial, 0);
    QVERIFY(!ws.m_bClipClosed && !ws.m_bClipEditing && !ws.m_bClipDefining);
    for (const PaneSlot& slot : ws.m_slot) {
        QVERIFY(slot.arBrackets.empty());
        QCOMPARE(slot.nSelected, -1);
        QCOMPARE(slot.nHover, -1);
        QCOMPARE(slot.nOpMode, int(OpNone));
        QVERIFY(!slot.bOpModeOn);
    }
    QCOMPARE(ws.m_nPaneCount, 4);
    QCOMPARE(ws.m_nWorkSlot, 3);
    QVERIFY(!ws.m_bFitSize);
    QVERIFY(!ws.m_bShowInfo);
}

void TestPhotoLoader::keysOfTheLookup_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("stem");
    QTest::newRow("plain") << "/data/patient7/front.jpg"
                           << "patient7"
                           << "front";
    QTest::newRow("two dots") << "/data/p/smile.v2.jpeg"
                              << "p"
                              << "smile.v2";
    QTest::newRow("windows separators") << "C:\\Photos\\patient7\\front.jpg"
                                        << "patient7"
                                        << "front";
    QTest::newRow("file in the root") << "/front.jpg"
                                      << "/"
                                      << "front";
    QTest::newRow("no extension") << "/a/b/front"
                                  << "b"
                                  << "front";
}

void TestPhotoLoader::keysOfTheLookup()
{
    QFETCH(QString, path);
    QFETCH(QString, folder);
    QFETCH(QString, stem);
    QCOMPARE(PhotoCatalog::folderNameOf(path), folder);
    QCOMPARE(PhotoCatalog::fileStemOf(path), stem);
}

QTEST_GUILESS_MAIN(TestPhotoLoader)
#include "tst_photoloader.moc"
