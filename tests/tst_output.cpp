// The saved and printed composite: pane placement at odd photograph sizes, what
// each pane shows, the JPEG file written band by band and its failures, and the
// printed page.
#include "core/output/compositerenderer.h"
#include "core/output/compositewriter.h"
#include "core/output/jpegstripencoder.h"
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
    return sameImage(filled({ 1, 1 }, a), filled({ 1, 1 }, b), tolerance);
}
// A 335 x 257 photograph (w * 1.1 = 368.5, h * 1.1 = 282.7: truncation and
// rounding part ways); a clip well inside it; slot 1 a large red bracket turned
// by 30 degrees with a small green one on it, slot 2 an inner red one, slot 3 a
// red one at 147.
void scene(Workspace& ws, const QString& dir, QSize size = { 335, 257 })
{
    setPhoto(ws, filled(size, kPhoto));
    closeClip(ws, { { 80, 60 }, { 250, 60 }, { 250, 190 }, { 80, 190 } });
    addBracket(ws, dir, 1, { 220, 170 }, kRed, { 165, 125 }, 30);
    addBracket(ws, dir, 1, { 21, 17 }, kGreen, { 131, 101 });
    addBracket(ws, dir, 2, { 220, 170 }, kRed, { 165, 125 }, 0, 1.0, false);
    addBracket(ws, dir, 3, { 220, 170 }, kRed, { 165, 125 }, 147);
}
} // namespace

class TestOutput : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_host = std::make_unique<IsolatedHost>();
        // The pixels here are the panes' own; the simulation label is tested apart.
        QSettings(m_host->path("Molvex.ini"), QSettings::IniFormat)
            .setValue("BRACKET/SimulationStamp", 0);
    }
    void cleanup() { m_host.reset(); }

    void panePlacement_data()
    {
        // The grid is columns x rows; lastPane the composite pixel of the last pane's corner.
        columns<QSize, QSize, QPoint, QSize>({ "photo", "grid", "lastPane", "composite" });
        // clang-format off
        QTest::newRow("335x257, four") << QSize(335, 257) << QSize(2, 2) << QPoint(368, 282) << QSize(703, 539);
        QTest::newRow("333x251, two") << QSize(333, 251) << QSize(2, 1) << QPoint(366, 0) << QSize(699, 251);
        QTest::newRow("401x301, four") << QSize(401, 301) << QSize(2, 2) << QPoint(441, 331) << QSize(842, 632);
        QTest::newRow("one") << QSize(37, 23) << QSize(1, 1) << QPoint(0, 0) << QSize(37, 23);
        // clang-format on
    }

    void panePlacement()
    {
        QFETCH(QSize, photo);
        QFETCH(QPoint, lastPane);
        const int rows = fetch<QSize>("grid").height(), cols = fetch<QSize>("grid").width();
        Workspace ws;
        setPhoto(ws, positionImage(photo.width(), photo.height()));
        const CompositeRenderer renderer(
            ws, QVector<int>({ 3, 2, 1, 0 }).mid(0, rows * cols), rows, cols);
        QVERIFY(renderer.isValid());
        QTEST(renderer.size(), "composite");
        QCOMPARE(renderer.panePixel(rows - 1, cols - 1), lastPane);
        const QImage whole = renderer.render().convertToFormat(QImage::Format_ARGB32);
        const QImage pane = positionImage(photo.width(), photo.height(), QImage::Format_ARGB32);
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < cols; ++c) {
                const QPoint at(c * lastPane.x(), r * lastPane.y());
                QVERIFY(sameImage(whole.copy(QRect(at, photo)), pane));
                if (c > 0) // the gap ends right before the pane
                    QCOMPARE(whole.pixel(at.x() - 1, at.y()), 0u);
                if (r > 0)
                    QCOMPARE(whole.pixel(at.x(), at.y() - 1), 0u);
            }
        QVERIFY(!CompositeRenderer(ws, { 0, 1 }, 2, 2).isValid());
        QVERIFY(!CompositeRenderer(ws, { 0, 4 }, 1, 2).isValid());
        QVERIFY(CompositeRenderer(ws, { 0, 4 }, 1, 2).render().isNull());
    }

    void whatEachPaneShows()
    {
        Workspace ws;
        scene(ws, m_host->dir.path());
        const CompositeRenderer renderer(ws, { 0, 1, 2, 3 }, 2, 2);
        const QImage whole = renderer.render();
        // Photograph points: inside the clip on the large bracket, on the small one,
        // outside the clip but on the large bracket, far outside.
        const QPoint points[] = { { 200, 170 }, { 131, 101 }, { 115, 25 }, { 3, 3 } };
        // Red, green or the photograph, per pane; slot 0 has no brackets, slot 2's are not for
        // output.
        const char* expected = "pppp"
                               "rgpp"
                               "pppp"
                               "rrpp";
        for (int pane = 0; pane < 4; ++pane)
            for (int i = 0; i < 4; ++i) {
                const QRgb got = whole.pixel(renderer.panePixel(pane / 2, pane % 2) + points[i]);
                const char want = expected[pane * 4 + i];
                QVERIFY2(near(got,
                             want == 'r'       ? kRed
                                 : want == 'g' ? kGreen
                                               : kPhoto),
                    qPrintable(QString("pane %1 point %2: %3").arg(pane).arg(i).arg(got, 8, 16)));
            }
        ws.m_bClipClosed = false; // an open clip shows no brackets at all
        const QImage open = CompositeRenderer(ws, { 1 }, 1, 1).render();
        QVERIFY(near(open.pixel(points[0]), kPhoto) && near(open.pixel(points[1]), kPhoto));
    }

    void saveJpeg_data()
    {
        // The name below the temporary folder; the file written, empty when the save must fail;
        // a file size limit, 0 for none; bands before the progress callback stops it, -1 never.
        columns<QString, QString, int, int>({ "name", "written", "limit", "stopAfter" });
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

    void saveJpeg()
    {
        QFETCH(QString, written);
        QFETCH(int, limit);
        const QString dir = m_host->path("out");
        QVERIFY(QDir().mkpath(dir + "/folder.jpg") && writeBytes(dir + "/old.jpg", "previous"));
        Workspace ws;
        scene(ws, m_host->dir.path());
        *ws.m_pPhoto = positionImage(335, 257); // about 10 kB as JPEG
        if (limit > 1000) // noise does not compress: the JPEG passes the limit mid-way
            QRandomGenerator(1).fillRange(
                reinterpret_cast<quint32*>(ws.m_pPhoto->bits()), 335 * 257);
        // Bands end inside panes and in the gap between their rows.
        const CompositeRenderer renderer(ws, { 1, 3, 0, 2 }, 2, 2);
        int bands = 0;
        // Lifted again before anything else is written.
        auto full = limit ? std::make_unique<FileSizeLimit>(rlim_t(limit)) : nullptr;
        const bool ok = CompositeWriter::saveComposite(
            renderer, dir + "/" + fetch<QString>("name"), [&] { return ++bands != fetch<int>("stopAfter"); });
        full.reset();
        QCOMPARE(ok, !written.isEmpty());
        if (written != "old.jpg")
            QCOMPARE(readAll(dir + "/old.jpg"), QByteArray("previous"));
        const QStringList left = QDir(dir).entryList(
            QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        QCOMPARE(QSet<QString>(left.begin(), left.end()),
            QSet<QString>({ "folder.jpg", "old.jpg", ok ? written : "old.jpg" }));
        if (ok) {
            const int bandRows = CompositeWriter::BandRows;
            QCOMPARE(bands, (renderer.size().height() + bandRows - 1) / bandRows);
            // Against the platform's plain save of the whole picture with its defaults.
            const QImage picture = renderer.render();
            QVERIFY(sameImage(QImageReader(dir + "/" + written, "jpeg").read(),
                QImage::fromData(encoded(picture, "jpeg"), "jpeg"), 1));
            // Strips encoded side by side join into the bytes of one pass over the whole picture.
            QByteArray whole;
            QVERIFY(JpegStripEncoder(picture.width(), picture.height())
                        .encode(picture, 0, picture.height(), &whole));
            QCOMPARE(readAll(dir + "/" + written), whole);
        }
    }

    void stripMisuse()
    {
        const QImage band = filled({ 40, 256 }, Qt::gray);
        QByteArray out;
        JpegStripEncoder encoder(40, 300);
        QVERIFY(!encoder.encode(band, 64, 128, &out)); // not on a strip boundary
        QVERIFY(!encoder.encode(band, 0, 100, &out)); // short, yet not the last
        QVERIFY(!encoder.encode(band, 256, 100, &out)); // past the end
        QVERIFY(!JpegStripEncoder(41, 300).encode(band, 0, 128, &out)); // another width
        QVERIFY(encoder.encode(band, 0, 128, &out) && encoder.encode(band, 256, 44, &out));
    }

    void printLayout_data()
    {
        // Photograph w h, panes (columns x rows), printable page w h (portrait), dpi, the
        // best orientation (QPageLayout: 0 portrait, 1 landscape), the grid on paper (columns x
        // rows).
        QTest::addColumn<QVector<int>>("v");
        // clang-format off
        QTest::newRow("one")          << ints("335 257  1 1  1187 1703  150  1  1 1");
        QTest::newRow("one portrait") << ints("257 335  1 1  1187 1703  150  0  1 1");
        QTest::newRow("two stacked")  << ints("335 257  2 1  1187 1703  150  0  1 2");
        QTest::newRow("two tall")     << ints("257 335  2 1  1187 1703  150  1  2 1");
        QTest::newRow("four, 72 dpi") << ints("335 257  2 2  571 803  72  1  2 2");
        QTest::newRow("four tall")    << ints("257 335  2 2  1187 1703  150  0  2 2");
        // clang-format on
    }

    void printLayout()
    {
        QFETCH(QVector<int>, v);
        const QSize photo(v[0], v[1]);
        QSize page = v[7] == QPageLayout::Landscape ? QSize(v[5], v[4]) : QSize(v[4], v[5]);
        const int dpi = v[6], rows = v[9], cols = v[8];
        QCOMPARE(
            int(PrintLayout::bestOrientation(photo, v[3], v[2], QSize(v[4], v[5]), dpi)), v[7]);
        QCOMPARE(PrintLayout::bestGrid(photo, v[3], v[2], page, dpi), QSize(cols, rows));
        Workspace ws;
        scene(ws, m_host->dir.path(), photo);
        const QVector<int> paneSlots = QVector<int>({ 3, 1, 0, 2 }).mid(0, rows * cols);
        const PrintLayout layout(ws, paneSlots, rows, cols, page, dpi, "P-17    2026/03/09");
        QVERIFY(layout.isValid());
        QVERIFY(qMin(layout.captionPixelSize(), layout.headerPixelSize()) * 72.0 / dpi >= 10);
        // The grid fills the page one way or the other, gaps included, and stays on it.
        const QRect last(layout.paneOrigin(rows - 1, cols - 1), layout.pictureSize());
        const QRect lastCaption = layout.captionRect(rows - 1, cols - 1);
        const QRect gridArea(layout.paneOrigin(0, 0), lastCaption.bottomRight());
        QVERIFY(QRect(QPoint(), page).contains(gridArea)
            && gridArea.top() >= layout.headerRect().bottom());
        QVERIFY(gridArea.width() > page.width() * 0.95 || gridArea.bottom() > page.height() * 0.95);
        QVERIFY(gridArea.bottom() > page.height() * 3 / 4); // no empty lower half
        QVERIFY(qAbs(gridArea.left() - (page.width() - 1 - gridArea.right())) <= 1); // centred
        if (cols > 1)
            QCOMPARE(layout.paneOrigin(0, 1).x() - layout.paneOrigin(0, 0).x() - last.width(),
                layout.gap());
        QVERIFY(layout.gap() > dpi / 8 && last.bottom() < lastCaption.top());

        QImage sheet = filled(page, Qt::white);
        QPainter painter(&sheet);
        layout.paint(&painter);
        painter.end();
        const auto inkBox = [&sheet](const QRect& area) {
            QRect box;
            for (int y = area.top(); y <= area.bottom(); ++y)
                for (int x = area.left(); x <= area.right(); ++x)
                    if (qGray(sheet.pixel(x, y)) < 128)
                        box |= QRect(x, y, 1, 1);
            return box;
        };
        QVERIFY(!inkBox(layout.headerRect()).isEmpty());
        for (int pane = 0; pane < rows * cols; ++pane) {
            const int r = pane / cols, c = pane % cols;
            const QTransform t = layout.photoTransform(r, c);
            const auto at
                = [&](int x, int y) { return sheet.pixel(t.map(QPointF(x, y)).toPoint()); };
            // Slots 1 and 3 show a red bracket over the middle.
            QVERIFY2(near(at(165, 125), paneSlots[pane] % 2 ? kRed : kPhoto, 12)
                    && near(at(115, 25), kPhoto, 12)
                    && near(at(photo.width() - 2, photo.height() - 2), kPhoto, 12),
                qPrintable(QString("pane %1").arg(pane)));
            // The caption: only a working pane with a bracket has one, centred under it.
            const QRect caption = inkBox(layout.captionRect(r, c));
            QCOMPARE(!caption.isEmpty(), paneSlots[pane] != 0);
            if (!caption.isEmpty())
                QVERIFY(qAbs(caption.center().x() - layout.captionRect(r, c).center().x()) <= 2
                    && caption.height() >= layout.captionPixelSize() / 2);
        }
        // A page too short for the header and a caption, a slot out of range or no
        // photograph prints nothing rather than garbage.
        QVERIFY(!PrintLayout(ws, { 0 }, 1, 1, QSize(page.width(), dpi / 3), dpi, "").isValid());
        QVERIFY(!PrintLayout(ws, { 0, 4 }, 1, 2, page, dpi, "").isValid());
        QVERIFY(!PrintLayout(Workspace(), { 0 }, 1, 1, page, dpi, "").isValid());
        QCOMPARE(PrintLayout::headerText(" P-17 ", QDate(2026, 3, 9)),
            QString("患者ID: P-17    2026/03/09"));
        QCOMPARE(PrintLayout::headerText("", QDate(2026, 3, 9)), QString("2026/03/09"));
    }

private:
    std::unique_ptr<IsolatedHost> m_host;
};

QTEST_MAIN(TestOutput)
#include "tst_output.moc"
