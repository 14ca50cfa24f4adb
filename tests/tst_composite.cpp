// The composite that is saved and registered: its size and pane placement, what
// each pane shows, band-by-band rendering, the ".jpg" rule and the JPEG file.
#include "core/output/compositerenderer.h"
#include "core/output/compositewriter.h"
#include "outputfixture.h"
#include "testutils.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QTemporaryDir>

using namespace outputfixture;

namespace {

const QVector<int> fourPanes { 0, 1, 2, 3 };

QImage readJpeg(const QString& path)
{
    QImageReader reader(path, "jpeg");
    return reader.read();
}

// Everything in a folder but "." and "..": a failed save must leave no stray file.
QStringList entries(const QString& dir)
{
    return QDir(dir).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

} // namespace

class TestComposite : public QObject {
    Q_OBJECT

private slots:
    void size_data();
    void size();
    void panesSitInTheGridWithBlackGaps();
    void onePaneIsThePhotographOfTheWorkingSlot();
    void bracketsOnlyInsideTheClip();
    void openClipShowsNoBrackets();
    void innerBracketsAreLeftOut();
    void bandsEqualTheWholePicture_data();
    void bandsEqualTheWholePicture();
    void jpegPath_data();
    void jpegPath();
    void findEncoder();
    void savedPixelsEqualAPlainSaveOfTheWholePicture();
    void extensionRuleOnDisk();
    void unwritablePathsFail();
    void abandonedSaveKeepsTheOldFile();
    void successfulSaveReplacesTheOldFile();

private:
    QTemporaryDir m_dir;
};

void TestComposite::size_data()
{
    QTest::addColumn<QSize>("photo");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("cols");
    QTest::addColumn<QSize>("composite");
    QTest::addColumn<QPointF>("lastOrigin");
    QTest::newRow("four panes") << QSize(400, 300) << 2 << 2 << QSize(840, 630)
                                << QPointF(440, 330);
    QTest::newRow("two panes") << QSize(400, 300) << 1 << 2 << QSize(840, 300) << QPointF(440, 0);
    QTest::newRow("one pane") << QSize(400, 300) << 1 << 1 << QSize(400, 300) << QPointF(0, 0);
    // 401 * 1.1 + 401 = 842.1 and 301 * 1.1 + 301 = 632.1: truncated.
    QTest::newRow("odd size") << QSize(401, 301) << 2 << 2 << QSize(842, 632)
                              << QPointF(441.1f, 331.1f);
}

void TestComposite::size()
{
    QFETCH(QSize, photo);
    QFETCH(int, rows);
    QFETCH(int, cols);
    QFETCH(QSize, composite);
    QFETCH(QPointF, lastOrigin);
    Workspace ws;
    setPhoto(ws, plainPhoto(photo.width(), photo.height()));
    const CompositeRenderer renderer(ws, fourPanes.mid(0, rows * cols), rows, cols);
    QVERIFY(renderer.isValid());
    QCOMPARE(renderer.size(), composite);
    QCOMPARE(renderer.paneOrigin(rows - 1, cols - 1), lastOrigin);
    QCOMPARE(renderer.render().size(), composite);
}

void TestComposite::panesSitInTheGridWithBlackGaps()
{
    Workspace ws;
    const QImage photo = testutils::positionImage(400, 300);
    setPhoto(ws, photo);
    const QImage composite = CompositeRenderer(ws, fourPanes, 2, 2).render();
    QCOMPARE(composite.size(), QSize(840, 630));
    for (const QPoint origin : { QPoint(0, 0), QPoint(440, 0), QPoint(0, 330), QPoint(440, 330) })
        QVERIFY2(
            testutils::sameImage(
                composite.copy(QRect(origin, photo.size())).convertToFormat(QImage::Format_RGB32),
                photo),
            qPrintable(QStringLiteral("pane at %1, %2").arg(origin.x()).arg(origin.y())));
    // The gaps keep the new picture's transparent black.
    for (const QPoint p :
        { QPoint(400, 10), QPoint(439, 629), QPoint(10, 300), QPoint(839, 329), QPoint(420, 315) })
        QCOMPARE(composite.pixel(p), QRgb(0));
}

void TestComposite::onePaneIsThePhotographOfTheWorkingSlot()
{
    Workspace ws;
    setPhoto(ws, plainPhoto(400, 300));
    closeClip(ws, QRect(100, 50, 200, 200));
    addBracket(ws, m_dir.path(), 1, 60, otherBracketColour, 200, 150, "one");
    addBracket(ws, m_dir.path(), 2, 60, bracketColour, 200, 150, "two");
    const QImage composite = CompositeRenderer(ws, { 2 }, 1, 1).render();
    QCOMPARE(composite.size(), QSize(400, 300));
    QCOMPARE(composite.pixel(200, 150), bracketColour | 0xFF000000);
    QCOMPARE(composite.pixel(20, 20), photoColour | 0xFF000000);
}

void TestComposite::bracketsOnlyInsideTheClip()
{
    Workspace ws;
    setPhoto(ws, plainPhoto(400, 300));
    closeClip(ws, QRect(100, 50, 200, 200));
    // Larger than the photograph, so only the clip can keep it off the edges.
    for (int slot = 1; slot < 4; ++slot)
        addBracket(ws, m_dir.path(), slot, 420, bracketColour, 200, 150, "big");
    const QImage composite = CompositeRenderer(ws, fourPanes, 2, 2).render();
    const QPointF origins[] = { { 0, 0 }, { 440, 0 }, { 0, 330 }, { 440, 330 } };
    for (int pane = 0; pane < 4; ++pane) {
        const QPoint o = origins[pane].toPoint();
        const QRgb inside = composite.pixel(o + QPoint(200, 150));
        QCOMPARE(inside, (pane == 0 ? photoColour : bracketColour) | 0xFF000000);
        for (const QPoint outside :
            { QPoint(20, 20), QPoint(380, 280), QPoint(60, 150), QPoint(200, 290) })
            QCOMPARE(composite.pixel(o + outside), photoColour | 0xFF000000);
    }
}

void TestComposite::openClipShowsNoBrackets()
{
    Workspace ws;
    setPhoto(ws, plainPhoto(400, 300));
    closeClip(ws, QRect(100, 50, 200, 200));
    addBracket(ws, m_dir.path(), 1, 60, bracketColour, 200, 150, "one");
    ws.m_bClipClosed = false;
    ws.m_bClipDefining = true;
    const QImage composite = CompositeRenderer(ws, { 1 }, 1, 1).render();
    QVERIFY(testutils::sameImage(composite.convertToFormat(QImage::Format_RGB32), *ws.m_pPhoto));
}

void TestComposite::innerBracketsAreLeftOut()
{
    Workspace ws;
    setPhoto(ws, plainPhoto(400, 300));
    closeClip(ws, QRect(100, 50, 200, 200));
    addBracket(ws, m_dir.path(), 1, 60, bracketColour, 150, 150, "outer", true);
    addBracket(ws, m_dir.path(), 1, 60, otherBracketColour, 250, 150, "inner", false);
    const QImage composite = CompositeRenderer(ws, { 0, 1 }, 1, 2).render();
    QCOMPARE(composite.pixel(440 + 150, 150), bracketColour | 0xFF000000);
    QCOMPARE(composite.pixel(440 + 250, 150), photoColour | 0xFF000000);
}

void TestComposite::bandsEqualTheWholePicture_data()
{
    QTest::addColumn<QSize>("photo");
    QTest::addColumn<int>("bandRows");
    QTest::newRow("even, 64 rows") << QSize(160, 120) << 64;
    QTest::newRow("fractional origins, 16 rows") << QSize(161, 121) << 16;
    QTest::newRow("fractional origins, 7 rows") << QSize(163, 97) << 7;
}

void TestComposite::bandsEqualTheWholePicture()
{
    QFETCH(QSize, photo);
    QFETCH(int, bandRows);
    Workspace ws;
    setPhoto(ws, testutils::positionImage(photo.width(), photo.height()));
    closeClip(ws, QRect(20, 15, photo.width() - 45, photo.height() - 30));
    addBracket(ws, m_dir.path(), 1, 50, bracketColour, 60, 50, "turned", true, 33.0);
    addBracket(ws, m_dir.path(), 1, 30, otherBracketColour, 90, 70, "second", true, -12.5);
    addBracket(ws, m_dir.path(), 2, 70, otherBracketColour, 80, 60, "big", true, 71.0);
    addBracket(ws, m_dir.path(), 3, 40, bracketColour, 100, 80, "plain");
    const CompositeRenderer renderer(ws, fourPanes, 2, 2);
    const QImage whole = renderer.render();

    QImage assembled(whole.size(), QImage::Format_ARGB32_Premultiplied);
    QImage band(whole.width(), bandRows, QImage::Format_ARGB32_Premultiplied);
    band.fill(0xFFFFFFFF); // stale content must not show through
    for (int top = 0; top < whole.height(); top += bandRows) {
        renderer.renderBand(band, top);
        const int rows = qMin(bandRows, whole.height() - top);
        for (int y = 0; y < rows; ++y)
            memcpy(assembled.scanLine(top + y), band.constScanLine(y), size_t(band.bytesPerLine()));
    }
    QVERIFY(testutils::sameImage(assembled, whole));
    // Not trivially equal: the brackets are there.
    QVERIFY(!testutils::sameImage(whole, CompositeRenderer(ws, { 0, 0, 0, 0 }, 2, 2).render()));

    // And the same as drawing each pane straight onto the picture: the overlays
    // neither cut a bracket short nor move it.
    QImage direct(whole.size(), QImage::Format_ARGB32_Premultiplied);
    direct.fill(0);
    QPainter painter(&direct);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    QPainterPath clipArea;
    clipArea.setFillRule(Qt::OddEvenFill);
    clipArea.addRect(QRectF(0, 0, photo.width(), photo.height()));
    ws.m_clip.IntersectClip(clipArea, nullptr);
    for (int pane = 0; pane < 4; ++pane) {
        const QTransform place = QTransform::fromTranslate(
            renderer.panePixel(pane / 2, pane % 2).x(), renderer.panePixel(pane / 2, pane % 2).y());
        painter.setWorldTransform(place);
        painter.drawImage(QPoint(0, 0), *ws.m_pPhoto);
        painter.setClipPath(clipArea);
        for (const QBracket& bracket : ws.m_slot[size_t(pane)].arBrackets)
            bracket.DrawForOutput(&painter, 1.0, place);
        painter.setClipping(false);
    }
    painter.end();
    QVERIFY(testutils::sameImage(whole, direct, 2));
}

void TestComposite::jpegPath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("written");
    QTest::newRow("lower case") << "/x/result.jpg"
                                << "/x/result.jpg";
    QTest::newRow("upper case") << "/x/result.JPG"
                                << "/x/result.JPG";
    QTest::newRow("mixed case") << "/x/result.jPg"
                                << "/x/result.jPg";
    QTest::newRow("png") << "/x/result.png"
                         << "/x/result.png.jpg";
    QTest::newRow("jpeg") << "/x/result.jpeg"
                          << "/x/result.jpeg.jpg";
    QTest::newRow("no extension") << "/x/result"
                                  << "/x/result.jpg";
    QTest::newRow("dotted folder") << "/x.jpg/result"
                                   << "/x.jpg/result.jpg";
    QTest::newRow("name is the extension") << ".jpg"
                                           << ".jpg";
    QTest::newRow("short") << "jpg"
                           << "jpg.jpg";
}

void TestComposite::jpegPath()
{
    QFETCH(QString, path);
    QFETCH(QString, written);
    QCOMPARE(CompositeWriter::jpegPath(path), written);
}

void TestComposite::findEncoder()
{
    QByteArray format;
    const int index = CompositeWriter::findEncoder("image/jpeg", &format);
    QVERIFY(index >= 0);
    QCOMPARE(QImageWriter::supportedMimeTypes().at(index), QByteArray("image/jpeg"));
    QVERIFY(QImageWriter::supportedImageFormats().contains(format));
    QCOMPARE(CompositeWriter::findEncoder("image/JPEG"), -1); // exact comparison
    QCOMPARE(CompositeWriter::findEncoder("image/x-kestrin"), -1);
}

void TestComposite::savedPixelsEqualAPlainSaveOfTheWholePicture()
{
    Workspace ws;
    setPhoto(ws, testutils::positionImage(150, 110));
    closeClip(ws, QRect(20, 15, 110, 80));
    addBracket(ws, m_dir.path(), 1, 50, bracketColour, 60, 50, "turned", true, 33.0);
    addBracket(ws, m_dir.path(), 3, 40, otherBracketColour, 100, 80, "plain");
    const CompositeRenderer renderer(ws, fourPanes, 2, 2);
    QVERIFY(renderer.size().height() > CompositeWriter::BandRows * 3);

    const QString path = m_dir.filePath("banded.jpg");
    QVERIFY(CompositeWriter::saveComposite(renderer, path));
    const QImage banded = readJpeg(path);
    QCOMPARE(banded.size(), renderer.size());
    if (qEnvironmentVariableIsSet("KESTRIN_KEEP_PAGES"))
        QFile::copy(path, qEnvironmentVariable("KESTRIN_KEEP_PAGES") + "/composite.jpg");

    // The straightforward way: the whole picture, saved by the platform's writer
    // with its default settings.
    QByteArray plain;
    QBuffer buffer(&plain);
    buffer.open(QIODevice::WriteOnly);
    QVERIFY(QImageWriter(&buffer, "jpeg").write(renderer.render()));
    buffer.close();
    const QImage whole = QImage::fromData(plain, "jpeg");
    QVERIFY(testutils::sameImage(
        banded.convertToFormat(QImage::Format_RGB32), whole.convertToFormat(QImage::Format_RGB32)));
    // And both are the composite, give or take the JPEG loss.
    QVERIFY(near(banded.pixel(440 * 150 / 400 + 60, 50), bracketColour, 40));
    QVERIFY(near(banded.pixel(160, 20), qRgb(0, 0, 0), 8)); // gap
}

void TestComposite::extensionRuleOnDisk()
{
    Workspace ws;
    setPhoto(ws, plainPhoto(64, 48));
    const CompositeRenderer renderer(ws, { 1 }, 1, 1);
    QTemporaryDir dir;
    QVERIFY(CompositeWriter::saveComposite(renderer, dir.filePath("result.JPG")));
    QVERIFY(CompositeWriter::saveComposite(renderer, dir.filePath("result.png")));
    QCOMPARE(entries(dir.path()), QStringList({ "result.JPG", "result.png.jpg" }));
    QFile written(dir.filePath("result.png.jpg"));
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.read(3), QByteArray("\xFF\xD8\xFF"));
    QCOMPARE(readJpeg(dir.filePath("result.JPG")).size(), QSize(64, 48));
    // An ordinary file, not one only its owner may read.
    QVERIFY(QFileInfo(dir.filePath("result.JPG")).permissions() & QFile::ReadOther);
}

void TestComposite::unwritablePathsFail()
{
    Workspace ws;
    setPhoto(ws, plainPhoto(64, 48));
    const CompositeRenderer renderer(ws, { 1 }, 1, 1);
    QTemporaryDir dir;
    // Tests run as root, so permissions would not stop the write.
    QVERIFY(!CompositeWriter::saveComposite(renderer, dir.filePath("missing/folder/result.jpg")));
    QVERIFY(QDir(dir.path()).mkdir("taken.jpg"));
    QVERIFY(!CompositeWriter::saveComposite(renderer, dir.filePath("taken.jpg")));
    QVERIFY(QFileInfo(dir.filePath("taken.jpg")).isDir());
    QCOMPARE(entries(dir.path()), QStringList({ "taken.jpg" }));
    QVERIFY(entries(dir.filePath("taken.jpg")).isEmpty());
    // Nothing to save without a photograph.
    Workspace empty;
    QVERIFY(!CompositeWriter::saveComposite(
        CompositeRenderer(empty, { 1 }, 1, 1), dir.filePath("none.jpg")));
    QVERIFY(!QFile::exists(dir.filePath("none.jpg")));
}

void TestComposite::abandonedSaveKeepsTheOldFile()
{
    Workspace ws;
    setPhoto(ws, plainPhoto(200, 150));
    const CompositeRenderer renderer(ws, fourPanes, 2, 2);
    QTemporaryDir dir;
    const QString path = dir.filePath("kept.jpg");
    {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("the picture saved yesterday");
    }
    int bands = 0;
    QVERIFY(!CompositeWriter::saveComposite(renderer, path, [&bands] { return ++bands < 2; }));
    QCOMPARE(bands, 2);
    QFile old(path);
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("the picture saved yesterday"));
    QCOMPARE(entries(dir.path()), QStringList({ "kept.jpg" }));
}

void TestComposite::successfulSaveReplacesTheOldFile()
{
    Workspace ws;
    setPhoto(ws, plainPhoto(200, 150));
    const CompositeRenderer renderer(ws, fourPanes, 2, 2);
    QTemporaryDir dir;
    const QString path = dir.filePath("replaced.jpg");
    {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old");
    }
    int bands = 0;
    QVERIFY(CompositeWriter::saveComposite(renderer, path, [&bands] { return ++bands > 0; }));
    QCOMPARE(bands,
        (renderer.size().height() + CompositeWriter::BandRows - 1) / CompositeWriter::BandRows);
    QCOMPARE(readJpeg(path).size(), QSize(420, 315));
    QCOMPARE(entries(dir.path()), QStringList({ "replaced.jpg" }));
}

QTEST_MAIN(TestComposite)
#include "tst_composite.moc"
