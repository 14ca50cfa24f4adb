// The printed page: fitting the photograph into a square cell, the placement of
// the panes, captions and clipped brackets, and a real print to a PDF file.
#include "core/output/printlayout.h"
#include "outputfixture.h"
#include "testutils.h"
#include "ui/frame/ckestrindoc.h"
#include "ui/frame/cmainframe.h"
#include "ui/frame/paneoutput.h"

#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

using namespace outputfixture;

namespace {

// Whether any pixel in the rectangle is near black: caption text.
bool hasInk(const QImage& page, const QRect& area)
{
    const QRect r = area & page.rect();
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (near(page.pixel(x, y), qRgb(0, 0, 0), 60))
                return true;
    return false;
}

void setUpScene(Workspace& ws, const QString& dir)
{
    setPhoto(ws, plainPhoto(400, 300));
    closeClip(ws, QRect(100, 50, 200, 200));
    addBracket(ws, dir, 1, 420, bracketColour, 200, 150, "Bracket One");
    addBracket(ws, dir, 1, 30, otherBracketColour, 200, 150, "Second of one");
    addBracket(ws, dir, 2, 420, bracketColour, 200, 150, "Bracket Two");
    // Slot 3 stays empty: no caption.
}

} // namespace

class TestPrintLayout : public QObject {
    Q_OBJECT

private slots:
    void fitRect_data();
    void fitRect();
    void layout_data();
    void layout();
    void bracketsLandOnTheirPhotograph();
    void pageDrawnIntoAPicture_data();
    void pageDrawnIntoAPicture();
    void openClipPrintsNoBrackets();
    void printToPdf_data();
    void printToPdf();
    void printDialogOffersOnePage();

private:
    QTemporaryDir m_dir;
};

void TestPrintLayout::fitRect_data()
{
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QRect>("bounds");
    QTest::addColumn<bool>("centreX");
    QTest::addColumn<bool>("centreY");
    QTest::addColumn<bool>("alwaysScale");
    QTest::addColumn<QRect>("expected");
    const QRect square(0, 0, 1000, 1000);
    QTest::newRow("landscape scaled up")
        << QSize(400, 300) << square << true << true << true << QRect(0, 125, 1000, 750);
    QTest::newRow("portrait scaled up")
        << QSize(300, 400) << square << true << true << true << QRect(125, 0, 750, 1000);
    QTest::newRow("fits, kept") << QSize(400, 300) << square << true << true << false
                                << QRect(300, 350, 400, 300);
    QTest::newRow("too wide, scaled down") << QSize(2000, 1000) << QRect(0, 0, 500, 500) << true
                                           << true << false << QRect(0, 125, 500, 250);
    QTest::newRow("tie") << QSize(500, 500) << square << true << true << true
                         << QRect(0, 0, 1000, 1000);
    // Centred values are measured from 0, not from the bounds' corner.
    QTest::newRow("centred, offset bounds") << QSize(400, 300) << QRect(10, 20, 1000, 1000) << true
                                            << true << false << QRect(300, 350, 400, 300);
    QTest::newRow("not centred, offset bounds")
        << QSize(400, 300) << QRect(10, 20, 1000, 1000) << false << false << false
        << QRect(10, 20, 400, 300);
    QTest::newRow("only x centred") << QSize(400, 300) << QRect(10, 20, 1000, 1000) << true << false
                                    << true << QRect(0, 20, 1000, 750);
    // 7 / (7 / 9) and 5 / (7 / 9) in single precision: 9 and 6.43, truncated to 6;
    // the odd leftover halves toward zero.
    QTest::newRow("truncated") << QSize(7, 5) << QRect(0, 0, 9, 9) << true << true << true
                               << QRect(0, 1, 9, 6);
}

void TestPrintLayout::fitRect()
{
    QFETCH(QSize, picture);
    QFETCH(QRect, bounds);
    QFETCH(bool, centreX);
    QFETCH(bool, centreY);
    QFETCH(bool, alwaysScale);
    QFETCH(QRect, expected);
    QRect out;
    QVERIFY(PrintLayout::fitRect(
        picture.width(), picture.height(), bounds, &out, centreX, centreY, alwaysScale));
    QCOMPARE(out, expected);
}

void TestPrintLayout::layout_data()
{
    QTest::addColumn<QSize>("photo");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("cols");
    QTest::addColumn<int>("cell");
    QTest::addColumn<QRect>("fit");
    QTest::addColumn<QPointF>("lastCorner");
    QTest::addColumn<int>("printableWidth");
    // One pane: as wide as the printable width, at the top of the page.
    QTest::newRow("one pane") << QSize(400, 300) << 1 << 1 << 2000 << QRect(0, 250, 2000, 1500)
                              << QPointF(0, 0) << 2000;
    // Integer division: the odd pixel is lost.
    QTest::newRow("two panes") << QSize(400, 300) << 1 << 2 << 1000 << QRect(0, 125, 1000, 750)
                               << QPointF(1000, 0) << 2001;
    // The second row starts 1.1 fitted heights below the first.
    QTest::newRow("four panes") << QSize(400, 300) << 2 << 2 << 1000 << QRect(0, 125, 1000, 750)
                                << QPointF(1000, 825) << 2000;
    // Portrait: each photograph centred in its cell.
    QTest::newRow("four portrait") << QSize(300, 400) << 2 << 2 << 1000 << QRect(125, 0, 750, 1000)
                                   << QPointF(1125, 1100) << 2001;
}

void TestPrintLayout::layout()
{
    QFETCH(QSize, photo);
    QFETCH(int, rows);
    QFETCH(int, cols);
    QFETCH(int, cell);
    QFETCH(QRect, fit);
    QFETCH(QPointF, lastCorner);
    QFETCH(int, printableWidth);
    Workspace ws;
    setPhoto(ws, plainPhoto(photo.width(), photo.height()));
    const PrintLayout page(
        ws, QVector<int>({ 0, 1, 2, 3 }).mid(0, rows * cols), rows, cols, printableWidth);
    QVERIFY(page.isValid());
    QCOMPARE(page.cell(), cell);
    QCOMPARE(page.fit(), fit);
    QCOMPARE(page.scale(), double(fit.width()) / photo.width());
    QCOMPARE(page.captionPixelSize(), 15 * cols);
    const QPointF corner = page.photoTransform(rows - 1, cols - 1).map(QPointF(0, 0));
    QVERIFY2(qAbs(corner.x() - lastCorner.x()) < 0.01 && qAbs(corner.y() - lastCorner.y()) < 0.01,
        qPrintable(QStringLiteral("%1, %2").arg(corner.x()).arg(corner.y())));
    QCOMPARE(page.photoTransform(0, 0).map(QPointF(0, 0)), QPointF(fit.left(), 0));
}

void TestPrintLayout::bracketsLandOnTheirPhotograph()
{
    // A point of the photograph, scaled and then moved by the brackets' extra
    // matrix, lands where the photograph's own transform puts it.
    Workspace ws;
    setPhoto(ws, plainPhoto(300, 400));
    const PrintLayout page(ws, { 0, 1, 2, 3 }, 2, 2, 1500);
    for (int pane = 0; pane < 4; ++pane) {
        const int r = pane / 2, c = pane % 2;
        for (const QPointF p : { QPointF(0, 0), QPointF(123, 45), QPointF(300, 400) }) {
            const QPointF viaPhoto = page.photoTransform(r, c).map(p);
            const QPointF viaBracket = page.bracketPlacement(r, c).map(p * page.scale());
            QVERIFY(qAbs(viaPhoto.x() - viaBracket.x()) < 0.01
                && qAbs(viaPhoto.y() - viaBracket.y()) < 0.01);
        }
    }
}

void TestPrintLayout::pageDrawnIntoAPicture_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("cols");
    QTest::addColumn<QVector<int>>("paneSlots");
    QTest::newRow("one pane") << 1 << 1 << QVector<int>({ 1 });
    QTest::newRow("two panes") << 1 << 2 << QVector<int>({ 0, 1 });
    QTest::newRow("four panes") << 2 << 2 << QVector<int>({ 0, 1, 2, 3 });
}

void TestPrintLayout::pageDrawnIntoAPicture()
{
    QFETCH(int, rows);
    QFETCH(int, cols);
    QFETCH(QVector<int>, paneSlots);
    Workspace ws;
    setUpScene(ws, m_dir.path());
    QImage sheet(1200, 1700, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    const PrintLayout page(ws, paneSlots, rows, cols, sheet.width());
    QPainter painter(&sheet);
    page.paint(&painter);
    painter.end();
    if (qEnvironmentVariableIsSet("KESTRIN_KEEP_PAGES"))
        sheet.save(QStringLiteral("%1/page-%2x%3.png")
                       .arg(qEnvironmentVariable("KESTRIN_KEEP_PAGES"))
                       .arg(rows)
                       .arg(cols));

    const double s = page.scale();
    for (int pane = 0; pane < rows * cols; ++pane) {
        const int r = pane / cols, c = pane % cols;
        const QTransform t = page.photoTransform(r, c);
        const int slot = paneSlots[pane];
        const QString where = QStringLiteral("pane %1").arg(pane);
        // Inside the clip: the slot's first bracket (the small second one sits on it).
        const QRgb middle = sheet.pixel(t.map(QPointF(150, 100)).toPoint());
        QVERIFY2(near(middle, slot == 1 || slot == 2 ? bracketColour : photoColour, 4),
            qPrintable(where));
        if (slot == 1)
            QVERIFY2(near(sheet.pixel(t.map(QPointF(200, 150)).toPoint()), otherBracketColour, 4),
                qPrintable(where));
        // Outside the clip: the photograph, brackets or not.
        for (const QPointF p : { QPointF(20, 20), QPointF(380, 280), QPointF(60, 150) })
            QVERIFY2(near(sheet.pixel(t.map(p).toPoint()), photoColour, 4), qPrintable(where));
        // Photograph edges where the layout says.
        QVERIFY(near(sheet.pixel(t.map(QPointF(2, 2)).toPoint()), photoColour, 4));
        QVERIFY(near(sheet.pixel(t.map(QPointF(398, 298)).toPoint()), photoColour, 4));
        // Cells touch side by side; below the photograph comes the paper.
        QVERIFY(!near(
            sheet.pixel((t.map(QPointF(150, 300)) + QPointF(0, 2)).toPoint()), photoColour, 4));
        // Caption under the photograph: first bracket's name, only where there is one.
        const QRect caption = t.mapRect(QRectF(0, 300, 400, 15 * cols * 1.5)).toAlignedRect();
        QCOMPARE(hasInk(sheet, caption), slot == 1 || slot == 2);
        // Centred: no ink in the outer fifths.
        if (slot == 1 || slot == 2) {
            QVERIFY(!hasInk(sheet, t.mapRect(QRectF(0, 300, 80, 15 * cols * 1.5)).toAlignedRect()));
            QVERIFY(
                !hasInk(sheet, t.mapRect(QRectF(320, 300, 80, 15 * cols * 1.5)).toAlignedRect()));
        }
        Q_UNUSED(s);
    }
    // Columns a cell apart, from the left edge; nothing below the last row's caption.
    QCOMPARE(page.photoTransform(0, 0).map(QPointF(0, 0)).toPoint(), QPoint(0, 0));
    QVERIFY(!hasInk(sheet,
        QRect(0, int((rows - 1) * 1.1 * 300 * s + 300 * s + 40 * cols * s), sheet.width(), 100)));
}

void TestPrintLayout::openClipPrintsNoBrackets()
{
    Workspace ws;
    setUpScene(ws, m_dir.path());
    ws.m_bClipClosed = false;
    QImage sheet(800, 800, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    const PrintLayout page(ws, { 1 }, 1, 1, sheet.width());
    QPainter painter(&sheet);
    page.paint(&painter);
    painter.end();
    const QTransform t = page.photoTransform(0, 0);
    QVERIFY(near(sheet.pixel(t.map(QPointF(200, 150)).toPoint()), photoColour, 4));
    QVERIFY(hasInk(sheet, t.mapRect(QRectF(0, 300, 400, 25)).toAlignedRect())); // the caption stays
}

void TestPrintLayout::printToPdf_data()
{
    QTest::addColumn<int>("paneCount");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("cols");
    QTest::newRow("one pane") << 1 << 1 << 1;
    QTest::newRow("two panes") << 2 << 1 << 2;
    QTest::newRow("four panes") << 4 << 2 << 2;
}

void TestPrintLayout::printToPdf()
{
    QFETCH(int, paneCount);
    QFETCH(int, rows);
    QFETCH(int, cols);
    const QString pdftoppm = QStandardPaths::findExecutable("pdftoppm");
    if (pdftoppm.isEmpty())
        QFAIL("pdftoppm (poppler-utils) is needed to look at the printed page");

    testutils::IsolatedHost host;
    useEmptyGallery(host.dir.path());
    QVERIFY(plainPhoto(400, 300).save(host.path("photo.png")));
    CMainFrame frame;
    CKestrinDoc doc(&frame);
    QVERIFY(doc.OnOpenDocument(host.path("photo.png")));
    frame.setPaneCount(paneCount);
    Workspace& ws = frame.workspace();
    closeClip(ws, QRect(100, 50, 200, 200));
    addBracket(ws, m_dir.path(), 1, 420, bracketColour, 200, 150, "Bracket One");
    addBracket(ws, m_dir.path(), 2, 420, bracketColour, 200, 150, "Bracket Two");

    const int dpi = 100;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(host.path("page.pdf"));
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setResolution(dpi);
    PaneOutput::OnPrint(&frame, &printer);
    QVERIFY(QFileInfo(host.path("page.pdf")).size() > 0);

    QCOMPARE(QProcess::execute(pdftoppm,
                 { "-r", QString::number(dpi), "-png", "-singlefile", host.path("page.pdf"),
                     host.path("page") }),
        0);
    const QImage sheet(host.path("page.png"));
    QVERIFY(!sheet.isNull());
    QCOMPARE(QProcess::execute(pdftoppm,
                 { "-f", "1", "-l", "1", "-r", "10", "-png", host.path("page.pdf"),
                     host.path("count") }),
        0);
    QVERIFY(!QFile::exists(host.path("count-2.png"))); // one page only
    if (qEnvironmentVariableIsSet("KESTRIN_KEEP_PAGES"))
        QFile::copy(host.path("page.png"),
            QStringLiteral("%1/pdf-%2.png")
                .arg(qEnvironmentVariable("KESTRIN_KEEP_PAGES"))
                .arg(paneCount));

    const QRect printable = printer.pageLayout().paintRectPixels(dpi);
    const PrintLayout page(
        ws, PaneOutput::shownSlots(&frame, nullptr, nullptr), rows, cols, printable.width());
    const QVector<int> shown = PaneOutput::shownSlots(&frame, nullptr, nullptr);
    QCOMPARE(shown.size(), rows * cols);
    for (int pane = 0; pane < rows * cols; ++pane) {
        const QTransform t = page.photoTransform(pane / cols, pane % cols)
            * QTransform::fromTranslate(printable.left(), printable.top());
        const bool bracket = shown[pane] == 1 || shown[pane] == 2;
        const QString where
            = QStringLiteral("pane %1 at %2").arg(pane).arg(t.map(QPointF(200, 150)).x());
        QVERIFY2(near(sheet.pixel(t.map(QPointF(200, 150)).toPoint()),
                     bracket ? bracketColour : photoColour, 40),
            qPrintable(where));
        QVERIFY2(near(sheet.pixel(t.map(QPointF(30, 30)).toPoint()), photoColour, 40),
            qPrintable(where));
        QVERIFY2(near(sheet.pixel(t.map(QPointF(370, 270)).toPoint()), photoColour, 40),
            qPrintable(where));
        QCOMPARE(hasInk(sheet, t.mapRect(QRectF(0, 302, 400, 15 * cols * 1.5)).toAlignedRect()),
            bracket);
    }
}

void TestPrintLayout::printDialogOffersOnePage()
{
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    QPrintDialog dialog(&printer);
    PaneOutput::OnPreparePrinting(&dialog);
    QCOMPARE(dialog.minPage(), 1);
    QCOMPARE(dialog.maxPage(), 1);
}

QTEST_MAIN(TestPrintLayout)
#include "tst_printlayout.moc"
