// A pane's scale, centring, scrolling, zooming about a point, the pane's edge and
// its paired coordinate conversions.
#include "core/workspace/panegeometry.h"
#include "testutils.h"

class TestPaneGeometry : public QObject {
    Q_OBJECT

private slots:
    void sizing_data()
    {
        QTest::addColumn<bool>("fit");
        QTest::addColumn<QSize>("photo");
        QTest::addColumn<double>("zoom");
        QTest::addColumn<QSize>("client");
        QTest::addColumn<double>("scale");
        QTest::addColumn<QVector<int>>("want"); // offset x y, total w h, bars h v
        const auto row = [](const char* tag, bool fit, QSize photo, double zoom, QSize client,
                             double scale, const char* want) {
            QTest::newRow(tag) << fit << photo << zoom << client << scale << testutils::ints(want);
        };
        // clang-format off
        row("centred", false, { 400, 300 }, 1, { 1000, 700 }, 1, "300 200  400 300  0 0");
        row("odd difference halves toward zero", false, { 400, 300 }, 1, { 407, 307 }, 1, "3 3  400 300  0 0");
        // 333 * 0.75 = 249.75 and 251 * 0.75 = 188.25: totals are truncated, and the
        // centring difference 560 / 0.75 - 333 = 413.67 is truncated before halving.
        row("untidy zoom truncates", false, { 333, 251 }, 0.75, { 560, 150 }, 0.75, "206 0  249 188  0 1");
        row("wider than the pane", false, { 1200, 300 }, 1, { 1000, 700 }, 1, "0 200  1200 300  1 0");
        row("fit: width limits", true, { 2000, 1000 }, 3, { 1000, 700 }, 0.5, "0 200  998 698  0 0");
        row("fit: small picture enlarged", true, { 400, 300 }, 3, { 1000, 700 }, 700.0 / 300, "14 0  998 698  0 0");
        // 1000 / 0.5015 - 1000 = 994.02: truncated before it is halved.
        row("fit: fractional difference", true, { 2000, 1000 }, 3, { 1003, 1000 }, 1003.0 / 2000, "0 497  1001 998  0 0");
        row("fit: two-pixel pane", true, { 400, 300 }, 3, { 2, 2 }, 0.005, "0 50  0 0  0 0");
        row("fit: collapsed pane keeps everything", true, { 400, 300 }, 3, { 0, 300 }, 1, "0 0  77 77  0 0");
        row("fit: pane with no height", true, { 400, 300 }, 3, { 300, 0 }, 1, "0 0  77 77  0 0");
        // clang-format on
    }

    void sizing()
    {
        QFETCH(QSize, photo);
        QFETCH(QSize, client);
        PaneGeometry g;
        g.scroll.totalCx = g.scroll.totalCy = 77; // what a collapsed pane must keep
        g.setScale(testutils::fetch<double>("zoom"), photo.width(), photo.height(), testutils::fetch<bool>("fit"), client.width(), client.height());
        QVERIFY(qAbs(g.viewScale - testutils::fetch<double>("scale")) < 1e-12);
        const auto& s = g.scroll;
        QTEST(
            (QVector<int> { g.offsetX, g.offsetY, s.totalCx, s.totalCy, s.hBarShown, s.vBarShown }),
            "want");
    }

    void scrollCarriesOverInProportion()
    {
        PaneGeometry g;
        g.updateScrollSizes(2001, 1003, 1.0, 500, 400);
        QCOMPARE(g.scroll.posX, 0); // nothing to carry over on the first sizing
        g.scroll.posX = 751;
        g.scroll.posY = 301;
        // 2001 * 1.75 = 3501.75 -> 3501; 3501 * 751 / 2001 = 1313.97 -> 1313.
        g.updateScrollSizes(2001, 1003, 1.75, 500, 400);
        QCOMPARE(g.scroll.totalCx, 3501);
        QCOMPARE(g.scroll.posX, 1313);
        QCOMPARE(g.scroll.posY, 1755 * 301 / 1003);
        // Zooming out until the picture just fits (2001 * 0.25 = 500.25 -> 500) drops
        // the position to 0.
        g.updateScrollSizes(2001, 1003, 0.25, 500, 400);
        QCOMPARE(QPoint(g.scroll.posX, g.scroll.posY), QPoint(0, 0));
    }

    void zoomKeepsThePointUnderTheAnchor_data()
    {
        QTest::addColumn<double>("from"); // 0: fit mode
        QTest::addColumn<QPoint>("scroll");
        QTest::addColumn<double>("zoom");
        QTest::addColumn<QPointF>("anchor");
        QTest::addColumn<QPoint>("pos");
        QTest::addColumn<bool>("kept"); // false where the scroll range stops it
        // 2001 x 1003 in a 500 x 400 pane (fit: 1000 x 700 for the centred row).
        // clang-format off
        QTest::newRow("fit to 200 %, the centre") << 0.0 << QPoint() << 2.0 << QPointF(500, 350) << QPoint(1501, 655) << true;
        QTest::newRow("0.477 to 0.75, the pointer") << 0.477 << QPoint(101, 37) << 0.75 << QPointF(13.5, 390.25) << QPoint(167, 282) << true;
        QTest::newRow("far corner") << 1.0 << QPoint(1501, 603) << 2.0 << QPointF(499, 399) << QPoint(3501, 1605) << true;
        QTest::newRow("out, held at the top") << 1.0 << QPoint(0, 603) << 0.5 << QPointF(0, 0) << QPoint(0, 101) << false;
        QTest::newRow("out until it fits") << 1.0 << QPoint(1500, 600) << 0.25 << QPointF(400, 300) << QPoint(0, 0) << false;
        // Mirrored: the pointer 13.5 from the left edge is 486.5 from the drawing's.
        QTest::newRow("mirrored, 0.477 to 0.75") << -0.477 << QPoint(101, 37) << 0.75 << QPointF(13.5, 390.25) << QPoint(437, 282) << true;
        // clang-format on
    }

    void zoomKeepsThePointUnderTheAnchor()
    {
        QFETCH(double, from);
        QFETCH(QPoint, scroll);
        QFETCH(double, zoom);
        QFETCH(QPointF, anchor);
        const bool fit = from == 0.0;
        const int clientW = fit ? 1000 : 500, clientH = fit ? 700 : 400;
        PaneGeometry g;
        g.mirrored = from < 0; // a negative zoom stands for the same zoom, mirrored
        g.setScale(qAbs(from), 2001, 1003, fit, clientW, clientH);
        g.scroll.posX = scroll.x();
        g.scroll.posY = scroll.y();
        const QRectF under = g.clientToPhoto(QRectF(anchor, QSizeF(0, 0))); // the exact point
        g.zoomAbout(zoom, 2001, 1003, clientW, clientH, anchor);
        QCOMPARE(g.viewScale, zoom);
        QTEST(QPoint(g.scroll.posX, g.scroll.posY), "pos");
        const QPointF now = g.photoToClient(under.topLeft());
        QTEST(qAbs(now.x() - anchor.x()) <= 0.5 && qAbs(now.y() - anchor.y()) <= 0.5, "kept");
    }

    void dragStopsAtThePaneEdge_data()
    {
        QTest::addColumn<QPoint>("client");
        QTest::addColumn<QSize>("pane");
        QTest::addColumn<QPoint>("held");
        QTest::newRow("inside") << QPoint(0, 398) << QSize(501, 399) << QPoint(0, 398);
        QTest::newRow("left and below") << QPoint(-37, 420) << QSize(501, 399) << QPoint(0, 398);
        QTest::newRow("right and above") << QPoint(501, -1) << QSize(501, 399) << QPoint(500, 0);
        QTest::newRow("collapsed pane") << QPoint(12, 7) << QSize(0, 0) << QPoint(0, 0);
    }

    void dragStopsAtThePaneEdge()
    {
        QFETCH(QSize, pane);
        QTEST(PaneGeometry::clampToClient(testutils::fetch<QPoint>("client"), pane.width(), pane.height()), "held");
    }

    void conversionsRoundTrip_data()
    {
        QTest::addColumn<double>("scale");
        QTest::addColumn<QPoint>("offset");
        QTest::addColumn<QPoint>("scroll");
        QTest::addColumn<int>("mirrorW"); // mirrored about a pane this wide; 0: not
        QTest::newRow("identity") << 1.0 << QPoint(0, 0) << QPoint(0, 0) << 0;
        QTest::newRow("fit 0.477, centred") << 0.477 << QPoint(31, 7) << QPoint(0, 0) << 0;
        QTest::newRow("zoom 1.75, scrolled") << 1.75 << QPoint(0, 0) << QPoint(213, 97) << 0;
        QTest::newRow("zoom 3, offset and scroll") << 3.0 << QPoint(10, 0) << QPoint(0, 55) << 0;
        QTest::newRow("zoom 0.25") << 0.25 << QPoint(401, 233) << QPoint(0, 0) << 0;
        QTest::newRow("mirrored 0.477, centred") << 0.477 << QPoint(31, 7) << QPoint(0, 0) << 61;
        QTest::newRow("mirrored 1.75, scrolled") << 1.75 << QPoint(0, 0) << QPoint(213, 97) << 503;
        QTest::newRow("mirrored 3, offset and scroll") << 3.0 << QPoint(10, 0) << QPoint(0, 55) << 64;
    }

    void conversionsRoundTrip()
    {
        QFETCH(double, scale);
        QFETCH(QPoint, offset);
        QFETCH(QPoint, scroll);
        PaneGeometry g;
        g.viewScale = scale;
        g.offsetX = offset.x();
        g.offsetY = offset.y();
        g.scroll.posX = scroll.x();
        g.scroll.posY = scroll.y();
        QFETCH(int, mirrorW);
        g.mirrored = mirrorW > 0;
        g.clientW = mirrorW;
        const QPointF eps(1e-9, 1e-9);
        for (int y = 0; y < 40; y += 3) {
            for (int x = 0; x < 60; x += 2) {
                const QPoint c(x, y);
                // Each client pixel lies in the cell of the photograph pixel it maps to;
                // mirrored, the cell runs leftwards and holds the pixel's right edge.
                const QPoint p = g.clientToPhoto(c);
                const QPointF lo = g.photoToClient(QPointF(p));
                const QPointF hi = g.photoToClient(QPointF(p + QPoint(1, 1)));
                const bool inX = g.mirrored ? hi.x() - eps.x() < x + 1 && x + 1 <= lo.x() + eps.x()
                                            : lo.x() <= x + eps.x() && x < hi.x() + eps.x();
                QVERIFY2(inX && lo.y() <= y + eps.y() && y < hi.y() + eps.y(),
                    qPrintable(QStringLiteral("client (%1, %2)").arg(x).arg(y)));
                // The exact pairs are inverses of each other.
                const QPointF d = g.clientToDrawing(QPointF(c) + QPointF(0.3, 0.6));
                QVERIFY(QLineF(g.drawingToClient(d), QPointF(x + 0.3, y + 0.6)).length() < 1e-9);
                QCOMPARE(g.drawingToPhoto(g.photoToDrawing(p)), p);
                QCOMPARE(g.photoToDrawingTransform().map(p), g.photoToDrawing(p));
                QCOMPARE(g.drawingToClientTransform().map(d), g.drawingToClient(d));
            }
        }
        const QRectF area(3.5, -2.25, 117, 41.5);
        const QRectF back = g.photoToClient(g.clientToPhoto(area));
        QVERIFY(
            qAbs(back.left() - area.left()) < 1e-9 && qAbs(back.bottom() - area.bottom()) < 1e-9);
        QVERIFY(qAbs(g.clientToPhoto(area).width() - area.width() / scale) < 1e-9);
        // The mirror turns the pane about its centre line.
        const QPointF photo = g.clientToPhoto(area).topLeft();
        const QPointF unmirrored = g.clientMirror().map(g.photoToClient(photo));
        g.mirrored = false;
        QVERIFY(QLineF(unmirrored, g.photoToClient(photo)).length() < 1e-9);
    }
};

QTEST_GUILESS_MAIN(TestPaneGeometry)
#include "tst_panegeometry.moc"
