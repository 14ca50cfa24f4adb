// A pane's scale, centring, scrolling and coordinate mapping.
#include "core/workspace/panegeometry.h"
#include "testutils.h"

class TestPaneGeometry : public QObject {
    Q_OBJECT

private slots:
    void centringAtFixedScale_data();
    void centringAtFixedScale();
    void largerPictureScrollsAndKeepsProportion();
    void fitScale_data();
    void fitScale();
    void clientToPhotoTruncatesThenSubtractsOffset_data();
    void clientToPhotoTruncatesThenSubtractsOffset();
};

void TestPaneGeometry::centringAtFixedScale_data()
{
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("h");
    QTest::addColumn<double>("zoom");
    QTest::addColumn<int>("clientW");
    QTest::addColumn<int>("clientH");
    QTest::addColumn<int>("offsetX");
    QTest::addColumn<int>("offsetY");
    QTest::addColumn<bool>("hBar");
    QTest::addColumn<bool>("vBar");
    QTest::newRow("400x300 in 1000x700")
        << 400 << 300 << 1.0 << 1000 << 700 << 300 << 200 << false << false;
    QTest::newRow("odd difference halves toward zero")
        << 400 << 300 << 1.0 << 407 << 307 << 3 << 3 << false << false;
    QTest::newRow("zoom 2: difference in photo pixels")
        << 400 << 300 << 2.0 << 1000 << 700 << 50 << 25 << false << false;
    QTest::newRow("wider than the pane")
        << 1200 << 300 << 1.0 << 1000 << 700 << 0 << 200 << true << false;
    QTest::newRow("taller than the pane")
        << 400 << 900 << 1.0 << 1000 << 700 << 300 << 0 << false << true;
    QTest::newRow("exactly the client size")
        << 1000 << 700 << 1.0 << 1000 << 700 << 0 << 0 << false << false;
}

void TestPaneGeometry::centringAtFixedScale()
{
    QFETCH(int, w);
    QFETCH(int, h);
    QFETCH(double, zoom);
    QFETCH(int, clientW);
    QFETCH(int, clientH);
    PaneGeometry g;
    g.viewScale = zoom;
    g.updateScrollSizes(w, h, zoom, clientW, clientH);
    QTEST(g.offsetX, "offsetX");
    QTEST(g.offsetY, "offsetY");
    QTEST(g.scroll.hBarShown, "hBar");
    QTEST(g.scroll.vBarShown, "vBar");
    QCOMPARE(g.scroll.totalCx, int(w * zoom));
    QCOMPARE(g.scroll.totalCy, int(h * zoom));
}

void TestPaneGeometry::largerPictureScrollsAndKeepsProportion()
{
    PaneGeometry g;
    g.updateScrollSizes(2000, 1000, 1.0, 500, 400);
    // Nothing to carry over on the first sizing.
    QCOMPARE(g.scroll.posX, 0);
    g.scroll.posX = 750; // the middle: (2000 - 500) / 2
    g.scroll.posY = 300;
    g.viewScale = 2.0;
    g.updateScrollSizes(2000, 1000, 2.0, 500, 400);
    QCOMPARE(g.scroll.totalCx, 4000);
    QCOMPARE(g.scroll.posX, 1500);
    QCOMPARE(g.scroll.posY, 600);
    // Zooming out until the picture fits drops the position to 0.
    g.updateScrollSizes(2000, 1000, 0.2, 500, 400);
    QCOMPARE(g.scroll.posX, 0);
    QCOMPARE(g.scroll.posY, 0);
    QVERIFY(!g.scroll.hBarShown && !g.scroll.vBarShown);
}

void TestPaneGeometry::fitScale_data()
{
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("h");
    QTest::addColumn<int>("clientW");
    QTest::addColumn<int>("clientH");
    QTest::addColumn<double>("scale");
    QTest::addColumn<int>("offsetX");
    QTest::addColumn<int>("offsetY");
    QTest::newRow("width limits") << 2000 << 1000 << 1000 << 700 << 0.5 << 0 << 200;
    QTest::newRow("height limits") << 1000 << 1400 << 1000 << 700 << 0.5 << 500 << 0;
    QTest::newRow("small picture is enlarged")
        << 400 << 300 << 1000 << 700 << 700.0 / 300 << 14 << 0;
    // 1000 / 0.5015 - 1000 = 994.02: truncated before it is halved.
    QTest::newRow("fractional difference")
        << 2000 << 1000 << 1003 << 1000 << 1003.0 / 2000 << 0 << 497;
}

void TestPaneGeometry::fitScale()
{
    QFETCH(int, w);
    QFETCH(int, h);
    QFETCH(int, clientW);
    QFETCH(int, clientH);
    QFETCH(double, scale);
    PaneGeometry g;
    g.setScale(3.0, w, h, true, clientW, clientH);
    QVERIFY(qAbs(g.viewScale - scale) < 1e-12);
    QTEST(g.offsetX, "offsetX");
    QTEST(g.offsetY, "offsetY");
    QCOMPARE(g.scroll.totalCx, clientW - 2);
    QCOMPARE(g.scroll.totalCy, clientH - 2);
}

void TestPaneGeometry::clientToPhotoTruncatesThenSubtractsOffset_data()
{
    QTest::addColumn<double>("scale");
    QTest::addColumn<int>("posX");
    QTest::addColumn<int>("offsetX");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("photoX");
    QTest::newRow("identity") << 1.0 << 0 << 0 << 17 << 17;
    QTest::newRow("offset") << 1.0 << 0 << 300 << 310 << 10;
    QTest::newRow("half scale") << 0.5 << 0 << 0 << 7 << 14;
    QTest::newRow("double scale truncates") << 2.0 << 0 << 0 << 7 << 3;
    QTest::newRow("scrolled") << 2.0 << 100 << 0 << 7 << 53;
    QTest::newRow("left of the picture: toward zero") << 3.0 << 0 << 10 << 2 << -10;
}

void TestPaneGeometry::clientToPhotoTruncatesThenSubtractsOffset()
{
    QFETCH(double, scale);
    QFETCH(int, posX);
    QFETCH(int, offsetX);
    QFETCH(int, x);
    PaneGeometry g;
    g.viewScale = scale;
    g.offsetX = offsetX;
    g.offsetY = offsetX;
    g.scroll.posX = posX;
    g.scroll.posY = posX;
    const QPoint p = g.clientToPhoto(x, x);
    QTEST(p.x(), "photoX");
    QTEST(p.y(), "photoX");
    QCOMPARE(g.photoToDrawing(p), QPoint(p.x() + offsetX, p.y() + offsetX));
}

QTEST_GUILESS_MAIN(TestPaneGeometry)
#include "tst_panegeometry.moc"
