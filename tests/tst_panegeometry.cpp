// A pane's scale, centring, scrolling, zooming about a point, the pane's edge and
// its paired coordinate conversions.
#include "core/workspace/panegeometry.h"
#include "testutils.h"

using testutils::ints, testutils::reals;

class TestPaneGeometry : public QObject {
    Q_OBJECT

private slots:
    void sizing_data()
    {
        QTest::addColumn<QVector<double>>("in"); // fit, photo w h, zoom, client w h, scale
        QTest::addColumn<QVector<int>>("want"); // offset x y, total w h, bars h v
        // clang-format off
        QTest::newRow("centred") << reals("0  400 300  1  1000 700  1") << ints("300 200  400 300  0 0");
        QTest::newRow("odd difference halves toward zero") << reals("0  400 300  1  407 307  1") << ints("3 3  400 300  0 0");
        // 333 * 0.75 = 249.75 and 251 * 0.75 = 188.25: totals are truncated, and the
        // centring difference 560 / 0.75 - 333 = 413.67 is truncated before halving.
        QTest::newRow("untidy zoom truncates") << reals("0  333 251  0.75  560 150  0.75") << ints("206 0  249 188  0 1");
        QTest::newRow("wider than the pane") << reals("0  1200 300  1  1000 700  1") << ints("0 200  1200 300  1 0");
        QTest::newRow("fit: width limits") << reals("1  2000 1000  3  1000 700  0.5") << ints("0 200  998 698  0 0");
        QTest::newRow("fit: small picture enlarged") << reals("1  400 300  3  1000 700  2.333333333333333") << ints("14 0  998 698  0 0");
        // 1000 / 0.5015 - 1000 = 994.02: truncated before it is halved.
        QTest::newRow("fit: fractional difference") << reals("1  2000 1000  3  1003 1000  0.5015") << ints("0 497  1001 998  0 0");
        QTest::newRow("fit: two-pixel pane") << reals("1  400 300  3  2 2  0.005") << ints("0 50  0 0  0 0");
        QTest::newRow("fit: collapsed pane keeps everything") << reals("1  400 300  3  0 300  1") << ints("0 0  77 77  0 0");
        QTest::newRow("fit: pane with no height") << reals("1  400 300  3  300 0  1") << ints("0 0  77 77  0 0");
        // clang-format on
    }

    void sizing()
    {
        QFETCH(QVector<double>, in);
        PaneGeometry g;
        g.scroll.totalCx = g.scroll.totalCy = 77; // what a collapsed pane must keep
        g.setScale(in[3], int(in[1]), int(in[2]), in[0] != 0, int(in[4]), int(in[5]));
        QVERIFY(qAbs(g.viewScale - in[6]) < 1e-12);
        const auto& s = g.scroll;
        QTEST((QVector<int> { g.offsetX, g.offsetY, s.totalCx, s.totalCy, s.hBarShown, s.vBarShown }), "want");
    }

    void scrollCarriesOverInProportion()
    {
        PaneGeometry g;
        g.updateScrollSizes(2001, 1003, 1.0, 500, 400);
        QCOMPARE(g.scroll.posX, 0); // nothing to carry over on the first sizing
        g.scroll.posX = 751, g.scroll.posY = 301;
        // 2001 * 1.75 = 3501.75 -> 3501; 3501 * 751 / 2001 = 1313.97 -> 1313.
        g.updateScrollSizes(2001, 1003, 1.75, 500, 400);
        QCOMPARE(QVector<int>({ g.scroll.totalCx, g.scroll.posX, g.scroll.posY }),
            QVector<int>({ 3501, 1313, 1755 * 301 / 1003 }));
        // Zooming out until the picture just fits (2001 * 0.25 = 500.25 -> 500) drops
        // the position to 0.
        g.updateScrollSizes(2001, 1003, 0.25, 500, 400);
        QCOMPARE(QPoint(g.scroll.posX, g.scroll.posY), QPoint(0, 0));
    }

    void zoomKeepsThePointUnderTheAnchor_data()
    {
        // Zoom from (0: fit mode, negative: the same zoom mirrored), scroll x y, zoom
        // to, anchor x y; then the scroll position after, and whether the anchor
        // still shows the same point (not where the scroll range stops it).
        QTest::addColumn<QVector<double>>("v");
        QTest::addColumn<QVector<int>>("want");
        // 2001 x 1003 in a 500 x 400 pane (fit: 1000 x 700 for the centred row).
        // clang-format off
        QTest::newRow("fit to 200 %, the centre") << reals("0  0 0  2  500 350") << ints("1501 655  1");
        QTest::newRow("0.477 to 0.75, the pointer") << reals("0.477  101 37  0.75  13.5 390.25") << ints("167 282  1");
        QTest::newRow("far corner") << reals("1  1501 603  2  499 399") << ints("3501 1605  1");
        QTest::newRow("out, held at the top") << reals("1  0 603  0.5  0 0") << ints("0 101  0");
        QTest::newRow("out until it fits") << reals("1  1500 600  0.25  400 300") << ints("0 0  0");
        // Mirrored: the pointer 13.5 from the left edge is 486.5 from the drawing's.
        QTest::newRow("mirrored, 0.477 to 0.75") << reals("-0.477  101 37  0.75  13.5 390.25") << ints("437 282  1");
        // clang-format on
    }

    void zoomKeepsThePointUnderTheAnchor()
    {
        QFETCH(QVector<double>, v);
        const bool fit = v[0] == 0.0;
        const int clientW = fit ? 1000 : 500, clientH = fit ? 700 : 400;
        const QPointF anchor(v[4], v[5]);
        PaneGeometry g;
        g.mirrored = v[0] < 0;
        g.setScale(qAbs(v[0]), 2001, 1003, fit, clientW, clientH);
        g.scroll.posX = int(v[1]), g.scroll.posY = int(v[2]);
        const QRectF under = g.clientToPhoto(QRectF(anchor, QSizeF(0, 0))); // the exact point
        g.zoomAbout(v[3], 2001, 1003, clientW, clientH, anchor);
        QCOMPARE(g.viewScale, v[3]);
        const QPointF now = g.photoToClient(under.topLeft()) - anchor;
        QTEST((QVector<int> { g.scroll.posX, g.scroll.posY, qAbs(now.x()) <= 0.5 && qAbs(now.y()) <= 0.5 }), "want");
    }

    void dragStopsAtThePaneEdge_data()
    {
        QTest::addColumn<QVector<int>>("v"); // client x y, pane w h, held x y
        QTest::newRow("inside") << ints("0 398  501 399  0 398");
        QTest::newRow("left and below") << ints("-37 420  501 399  0 398");
        QTest::newRow("right and above") << ints("501 -1  501 399  500 0");
        QTest::newRow("collapsed pane") << ints("12 7  0 0  0 0");
    }

    void dragStopsAtThePaneEdge()
    {
        QFETCH(QVector<int>, v);
        QCOMPARE(PaneGeometry::clampToClient(QPoint(v[0], v[1]), v[2], v[3]), QPoint(v[4], v[5]));
    }

    void conversionsRoundTrip_data()
    {
        // Scale, offset x y, scroll x y, the pane width mirrored about (0: not).
        QTest::addColumn<QVector<double>>("v");
        QTest::newRow("fit 0.477, centred") << reals("0.477  31 7  0 0  0");
        QTest::newRow("zoom 1.75, scrolled") << reals("1.75  0 0  213 97  0");
        QTest::newRow("zoom 3, offset and scroll") << reals("3  10 0  0 55  0");
        QTest::newRow("mirrored 0.477, centred") << reals("0.477  31 7  0 0  61");
        QTest::newRow("mirrored 1.75, scrolled") << reals("1.75  0 0  213 97  503");
        QTest::newRow("mirrored 3, offset and scroll") << reals("3  10 0  0 55  64");
    }

    void conversionsRoundTrip()
    {
        QFETCH(QVector<double>, v);
        PaneGeometry g;
        g.viewScale = v[0];
        g.offsetX = int(v[1]), g.offsetY = int(v[2]);
        g.scroll.posX = int(v[3]), g.scroll.posY = int(v[4]);
        g.clientW = int(v[5]), g.mirrored = g.clientW > 0;
        const double eps = 1e-9;
        for (int y = 0; y < 40; y += 3) {
            for (int x = 0; x < 60; x += 2) {
                const QPoint c(x, y);
                // Each client pixel lies in the cell of the photograph pixel it maps to;
                // mirrored, the cell runs leftwards and holds the pixel's right edge.
                const QPoint p = g.clientToPhoto(c);
                const QPointF lo = g.photoToClient(QPointF(p));
                const QPointF hi = g.photoToClient(QPointF(p + QPoint(1, 1)));
                const bool inX = g.mirrored ? hi.x() - eps < x + 1 && x + 1 <= lo.x() + eps
                                            : lo.x() <= x + eps && x < hi.x() + eps;
                QVERIFY2(inX && lo.y() <= y + eps && y < hi.y() + eps,
                    qPrintable(QStringLiteral("client (%1, %2)").arg(x).arg(y)));
                // The exact pairs are inverses of each other.
                const QPointF d = g.clientToDrawing(QPointF(c) + QPointF(0.3, 0.6));
                QVERIFY(QLineF(g.drawingToClient(d), QPointF(x + 0.3, y + 0.6)).length() < eps);
                QCOMPARE(g.drawingToPhoto(g.photoToDrawing(p)), p);
                QCOMPARE(g.photoToDrawingTransform().map(p), g.photoToDrawing(p));
                QCOMPARE(g.drawingToClientTransform().map(d), g.drawingToClient(d));
            }
        }
        const QRectF area(3.5, -2.25, 117, 41.5);
        const QRectF back = g.photoToClient(g.clientToPhoto(area));
        QVERIFY(qAbs(back.left() - area.left()) < eps && qAbs(back.bottom() - area.bottom()) < eps);
        QVERIFY(qAbs(g.clientToPhoto(area).width() - area.width() / g.viewScale) < eps);
        // The mirror turns the pane about its centre line.
        const QPointF photo = g.clientToPhoto(area).topLeft();
        const QPointF unmirrored = g.clientMirror().map(g.photoToClient(photo));
        g.mirrored = false;
        QVERIFY(QLineF(unmirrored, g.photoToClient(photo)).length() < eps);
    }
};

QTEST_GUILESS_MAIN(TestPaneGeometry)
#include "tst_panegeometry.moc"
