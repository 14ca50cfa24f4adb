// QClip: the point list under clicks, drags and edits, the hit boxes, the spline's
// control points, and the clip area it cuts.
#include "core/simulation/qclip.h"
#include "testutils.h"

#include <QPainter>
#include <QtTest>

using Points = QVector<QPoint>;

static void click(QClip& clip, const Points& points)
{
    for (const QPoint& p : points)
        clip.AddPoint(p.x(), p.y());
}

class TestQClip : public QObject {
    Q_OBJECT

private slots:
    void hitBox_data()
    {
        testutils::columns<QPoint, double, bool>({ "offset", "zoom", "hit" });
        QTest::newRow("6 left, closed edge") << QPoint(-6, 5) << 1.0 << true;
        QTest::newRow("7 left") << QPoint(-7, 0) << 1.0 << false;
        QTest::newRow("5 right") << QPoint(5, -6) << 1.0 << true;
        QTest::newRow("6 right, open edge") << QPoint(6, 0) << 1.0 << false;
        QTest::newRow("6 below, open edge") << QPoint(-3, 6) << 1.0 << false;
        QTest::newRow("7 above") << QPoint(0, -7) << 0.9 << false;
        // Shrunk views keep five screen pixels each side: ceil(5 / 0.477) = 11.
        QTest::newRow("11 left at 0.477") << QPoint(-11, 10) << 0.477 << true;
        QTest::newRow("11 right at 0.477") << QPoint(11, 0) << 0.477 << false;
        QTest::newRow("19 right at 0.25") << QPoint(19, -20) << 0.25 << true;
        QTest::newRow("21 left at 0.25") << QPoint(-21, 0) << 0.25 << false;
        QTest::newRow("no zoom") << QPoint(-6, 0) << 0.0 << true;
    }

    void hitBox()
    {
        QFETCH(double, zoom);
        QFETCH(bool, hit);
        QClip clip;
        click(clip, { { 100, 100 }, { 300, 100 } });
        QCOMPARE(clip.HitTestPoint(300, 100), 1); // never the trailing entry
        const QPoint p = QPoint(100, 100) + testutils::fetch<QPoint>("offset");
        QCOMPARE(clip.HitTestPoint(p.x(), p.y(), zoom), hit ? 0 : -1);
        clip.AddPoint(p.x(), p.y(), zoom); // a hit starts a drag, a miss adds a point
        QCOMPARE(clip.IsDragging(), hit);
        QCOMPARE(clip.GetCount(), hit ? 3 : 4);
    }

    void editing()
    {
        const QPoint a(0, 0), b(100, 0), c(100, 100), d(0, 300), e(7, 70);
        QClip clip;
        clip.AddPoint(a.x(), a.y());
        QCOMPARE(clip.GetPoints(), Points({ a, a }));
        QVERIFY(clip.GetPath().isEmpty());
        click(clip, { b, c });
        clip.DuplicatePoint(1, true);
        QCOMPARE(clip.GetPoints(), Points({ a, b, b, c, c }));
        QCOMPARE(clip.HitTestPoint(b.x(), b.y()), 2); // the highest index wins
        for (int index : { -1, 5 }) {
            clip.DuplicatePoint(index, true);
            clip.DeletePoint(index, true);
        }
        clip.DeletePoint(1, false);
        clip.DeleteLastPoint(false); // the trailing entry now equals C ...
        QCOMPARE(clip.GetPoints(), Points({ a, b, c }));
        clip.AddPoint(d.x(), d.y()); // ... and the next click overwrites it
        QCOMPARE(clip.GetPoints(), Points({ a, b, d, d }));

        clip.DragPoint(50, 50); // nothing is being dragged
        clip.AddPoint(a.x() + 2, a.y() + 3);
        QCOMPARE(clip.GetDragIndex(), 0);
        clip.DragPoint(e.x(), e.y()); // the trailing entry follows the pointer
        QCOMPARE(clip.GetPoints(), Points({ e, b, d, e }));
        clip.EndDrag();
        QVERIFY(!clip.IsDragging() && clip.GetDragIndex() == -1);

        clip.PickPoint(b.x() + 1, b.y() + 1);
        clip.DragClosedPoint(150, 50); // closed: the trailing entry stays
        QCOMPARE(clip.GetPoints(), Points({ e, { 150, 50 }, d, e }));
        QCOMPARE(clip.GetPath().elementCount(), 1 + 3 * 3);
        clip.EndDrag();
        clip.Clear();
        QVERIFY(clip.GetCount() == 0 && clip.GetPath().isEmpty());
        clip.DeleteLastPoint(true); // nothing to remove, nothing to pick or drag
        clip.PickPoint(0, 0);
        clip.DragClosedPoint(1, 1);
        clip.AddPoint(5, 5);
        clip.DeleteLastPoint(false);
        clip.DeleteLastPoint(false); // the trailing entry stays
        QCOMPARE(clip.GetPoints(), Points({ { 5, 5 } }));
        QVERIFY(!clip.IsDragging() && clip.GetPath().isEmpty());
    }

    void spline_data()
    {
        // Through (0,0), (61,0), (0,59), (7,13): control points are a sixth of the
        // neighbours' span, so odd spans give fractions.
        testutils::columns<bool, QVector<QPointF>>({ "closed", "expected" });
        const double s = 1.0 / 6;
        QTest::newRow("open") << false
                              << QVector<QPointF>({ { 0, 0 }, { 61 * s, 0 }, { 61, -59 * s }, { 61, 0 },
                                     { 61, 59 * s }, { 9, 59 - 13 * s }, { 0, 59 }, { -9, 59 + 13 * s },
                                     { 7 - 7 * s, 13 + 46 * s }, { 7, 13 } });
        QTest::newRow("closed") << true
                                << QVector<QPointF>({ { 0, 0 }, { 9, -13 * s }, { 61, -59 * s },
                                       { 61, 0 }, { 61, 59 * s }, { 9, 59 - 13 * s }, { 0, 59 },
                                       { -9, 59 + 13 * s }, { 7, 13 + 59 * s }, { 7, 13 },
                                       { 7, 13 - 59 * s }, { -9, 13 * s }, { 0, 0 } });
    }

    void spline()
    {
        QFETCH(QVector<QPointF>, expected);
        QClip clip;
        click(clip, { { 0, 0 }, { 61, 0 }, { 0, 59 }, { 7, 13 } });
        testutils::fetch<bool>("closed") ? clip.BuildClosedCurve() : clip.BuildOpenCurve();
        QVERIFY(clip.GetPath().elementCount() >= expected.size());
        for (int i = 0; i < expected.size(); ++i) {
            const QPointF got = clip.GetPath().elementAt(i);
            QVERIFY2(qAbs(got.x() - expected[i].x()) < 1e-9 && qAbs(got.y() - expected[i].y()) < 1e-9,
                qPrintable(QString("element %1: %2,%3").arg(i).arg(got.x()).arg(got.y())));
        }
    }

    void intersectAndDraw()
    {
        QClip clip;
        QPainterPath region;
        region.addRect(0, 0, 400, 400);
        clip.IntersectClip(region, nullptr); // no outline: unchanged
        QVERIFY(region.contains(QPointF(399, 399)));
        // A pentagram: odd-even leaves its middle pentagon out.
        click(clip, { { 100, 0 }, { 160, 190 }, { 0, 70 }, { 200, 70 }, { 40, 190 } });
        clip.BuildClosedCurve();
        const QTransform placement = QTransform::fromTranslate(50, 10);
        clip.IntersectClip(region, &placement);
        QVERIFY(!region.contains(QPointF(150, 120)) && region.contains(QPointF(150, 50)));
        QVERIFY(!region.contains(QPointF(100, 25)) && !region.contains(QPointF(399, 399)));

        QClip dot; // coinciding points still make an outline, one that encloses nothing
        dot.AddPoint(50, 50);
        dot.DuplicatePoint(0, true);
        dot.DuplicatePoint(0, true);
        dot.BuildClosedCurve();
        QPainterPath all;
        all.addRect(0, 0, 100, 100);
        dot.IntersectClip(all, nullptr);
        QVERIFY(!all.contains(QPointF(10, 10)));

        QImage image(200, 200, QImage::Format_ARGB32);
        image.fill(Qt::gray);
        QPainter painter(&image);
        painter.scale(1.5, 1.5);
        const QTransform before = painter.worldTransform();
        clip.Draw(&painter, QTransform::fromTranslate(10, 0), 2);
        QCOMPARE(painter.worldTransform(), before);
        painter.end();
        // Box edges at (10 + x - 6) * 1.5 and (y + 6) * 1.5; point 2 is highlighted.
        QCOMPARE(image.pixel(165, 9), 0xFFBFFBC3);
        QCOMPARE(image.pixel(6, 105), 0xFFBFBFFF);
        // Zoomed out, the markers keep the hit box's five screen pixels: point 3 is at
        // (52.5, 17.5), its highlighted box edge 5 pixels to the right.
        image.fill(Qt::gray);
        painter.begin(&image);
        painter.scale(0.25, 0.25);
        clip.Draw(&painter, QTransform::fromTranslate(10, 0), 3);
        painter.end();
        QCOMPARE(image.pixel(57, 21), 0xFFBFBFFF);
    }
};

QTEST_GUILESS_MAIN(TestQClip)
#include "tst_qclip.moc"
