#include "core/simulation/qclip.h"

#include <QPainter>
#include <QRandomGenerator>
#include <QtTest>

class TestQClip : public QObject {
    Q_OBJECT

private slots:
    void clicksShapeTheList();
    void hitBox_data();
    void hitBox();
    void editingOperations();
    void splineControlPoints_data();
    void splineControlPoints();
    void randomOperationsKeepShape();
    void intersectClip();
    void draw();
};

using Points = QVector<QPoint>;

static void click(QClip& clip, const Points& points)
{
    for (const QPoint& p : points)
        clip.AddPoint(p.x(), p.y());
}

void TestQClip::clicksShapeTheList()
{
    const QPoint a(10, 20), b(100, 20);
    QClip clip;
    clip.AddPoint(a.x(), a.y());
    QCOMPARE(clip.GetPoints(), Points({ a, a }));
    QVERIFY(clip.GetPath().isEmpty());
    clip.AddPoint(b.x(), b.y());
    QCOMPARE(clip.GetPoints(), Points({ a, b, b }));
    QCOMPARE(clip.GetPath().elementCount(), 4); // one Bézier segment from A to B
    clip.BuildClosedCurve(); // two fixed points: still the open segment
    QCOMPARE(clip.GetPath().elementCount(), 4);
    QCOMPARE(QPointF(clip.GetPath().elementAt(3)), QPointF(b));
    QCOMPARE(clip.HitTestPoint(b.x(), b.y()), 1); // never the trailing entry 2
    clip.Clear();
    QCOMPARE(clip.GetCount(), 0);
    QVERIFY(clip.GetPath().isEmpty());
}

void TestQClip::hitBox_data()
{
    QTest::addColumn<QPoint>("offset");
    QTest::addColumn<bool>("hit");
    QTest::newRow("5 left") << QPoint(-5, 0) << true;
    QTest::newRow("6 left, closed edge") << QPoint(-6, 0) << true;
    QTest::newRow("7 left") << QPoint(-7, 0) << false;
    QTest::newRow("5 right") << QPoint(5, 0) << true;
    QTest::newRow("6 right, open edge") << QPoint(6, 0) << false;
    QTest::newRow("6 above") << QPoint(0, -6) << true;
    QTest::newRow("6 below") << QPoint(0, 6) << false;
}

void TestQClip::hitBox()
{
    QFETCH(QPoint, offset);
    QFETCH(bool, hit);
    QClip clip;
    click(clip, { { 100, 100 }, { 300, 100 } });
    const QPoint p = QPoint(100, 100) + offset;
    QCOMPARE(clip.HitTestPoint(p.x(), p.y()), hit ? 0 : -1);
    clip.AddPoint(p.x(), p.y()); // a hit starts a drag, a miss adds a point
    QCOMPARE(clip.IsDragging(), hit);
    QCOMPARE(clip.GetCount(), hit ? 3 : 4);
}

void TestQClip::editingOperations()
{
    const QPoint a(0, 0), b(100, 0), c(100, 100), d(0, 300), e(7, 70);
    QClip clip;
    click(clip, { a, b, c });
    clip.DuplicatePoint(1, true);
    QCOMPARE(clip.GetPoints(), Points({ a, b, b, c, c }));
    QCOMPARE(clip.HitTestPoint(b.x(), b.y()), 2); // the highest index wins
    for (int index : { -1, 5 }) {
        clip.DuplicatePoint(index, true);
        clip.DeletePoint(index, true);
    }
    QCOMPARE(clip.GetCount(), 5);
    clip.DeletePoint(1, false);
    clip.DeleteLastPoint(false); // the trailing entry now equals C ...
    QCOMPARE(clip.GetPoints(), Points({ a, b, c }));
    QCOMPARE(clip.HitTestPoint(c.x(), c.y()), -1);
    clip.AddPoint(d.x(), d.y()); // ... and the next click overwrites it
    QCOMPARE(clip.GetPoints(), Points({ a, b, d, d }));

    clip.DragPoint(50, 50); // nothing is being dragged
    clip.AddPoint(a.x() + 2, a.y() + 3);
    QCOMPARE(clip.GetDragIndex(), 0);
    clip.DragPoint(e.x(), e.y()); // the trailing entry follows the pointer
    QCOMPARE(clip.GetPoints(), Points({ e, b, d, e }));
    clip.EndDrag();
    QVERIFY(!clip.IsDragging() && clip.GetDragIndex() == -1);

    clip.BuildClosedCurve();
    clip.PickPoint(b.x() + 1, b.y() + 1);
    clip.DragClosedPoint(150, 50); // closed: the trailing entry stays
    QCOMPARE(clip.GetPoints(), Points({ e, { 150, 50 }, d, e }));
    QCOMPARE(clip.GetPath().elementCount(), 1 + 3 * 3);
    clip.EndDrag();

    for (int i = 0; i < 3; ++i)
        clip.DeleteLastPoint(false);
    QCOMPARE(clip.GetPoints(), Points({ e }));
    clip.DeleteLastPoint(false);
    clip.PickPoint(e.x(), e.y());
    QVERIFY(clip.GetCount() == 1 && !clip.IsDragging());
}

void TestQClip::splineControlPoints_data()
{
    // Through (0,0), (60,0), (0,60); control points are a sixth of the neighbours' span.
    QTest::addColumn<bool>("closed");
    QTest::addColumn<QVector<QPointF>>("expected");
    QTest::newRow("open") << false
                          << QVector<QPointF>({ { 0, 0 }, { 10, 0 }, { 60, -10 }, { 60, 0 },
                                 { 60, 10 }, { 10, 50 }, { 0, 60 } });
    QTest::newRow("closed") << true
                            << QVector<QPointF>(
                                   { { 0, 0 }, { 10, -10 }, { 60, -10 }, { 60, 0 }, { 60, 10 },
                                       { 10, 60 }, { 0, 60 }, { -10, 60 }, { -10, 10 }, { 0, 0 } });
}

void TestQClip::splineControlPoints()
{
    QFETCH(bool, closed);
    QFETCH(QVector<QPointF>, expected);
    QClip clip;
    click(clip, { { 0, 0 }, { 60, 0 }, { 0, 60 } });
    closed ? clip.BuildClosedCurve() : clip.BuildOpenCurve();
    QVERIFY(clip.GetPath().elementCount() >= expected.size());
    for (int i = 0; i < expected.size(); ++i)
        QCOMPARE(QPointF(clip.GetPath().elementAt(i)), expected[i]);
}

void TestQClip::randomOperationsKeepShape()
{
    QRandomGenerator random(20240611);
    QClip clip;
    bool closed = false;
    for (int step = 0; step < 20000; ++step) {
        const int x = random.bounded(60), y = random.bounded(60);
        const int index = random.bounded(-1, clip.GetCount() + 2);
        const int before = clip.GetCount();
        switch (random.bounded(8)) {
        case 0:
        case 1:
            clip.AddPoint(x, y);
            clip.DragPoint(y, x);
            clip.EndDrag();
            break;
        case 2:
            clip.PickPoint(x, y);
            clip.DragClosedPoint(y, x);
            clip.EndDrag();
            break;
        case 3:
            clip.DeleteLastPoint(closed);
            QCOMPARE(clip.GetCount(), before > 1 ? before - 1 : before);
            break;
        case 4:
            clip.DuplicatePoint(index, closed);
            break;
        case 5:
            clip.DeletePoint(index, closed);
            break;
        case 6:
            clip.BuildClosedCurve();
            closed = true;
            break;
        default:
            if (random.bounded(20) == 0) {
                clip.Clear();
                closed = false;
            }
        }
        const int n = clip.GetCount(), hit = clip.HitTestPoint(x, y);
        QVERIFY(hit == -1 || (hit >= 0 && hit <= n - 2));
        // One move plus at most three elements per segment and a closing one.
        QVERIFY(n < 3 ? clip.GetPath().isEmpty() : clip.GetPath().elementCount() <= 3 * n - 1);
    }
}

void TestQClip::intersectClip()
{
    QClip clip;
    QPainterPath region;
    region.addRect(0, 0, 400, 400);
    clip.IntersectClip(region, nullptr);
    QVERIFY(region.contains(QPointF(399, 399)));

    // A pentagram: odd-even leaves its middle pentagon out.
    click(clip, { { 100, 0 }, { 160, 190 }, { 0, 70 }, { 200, 70 }, { 40, 190 } });
    clip.BuildClosedCurve();
    const QTransform placement = QTransform::fromTranslate(50, 10);
    clip.IntersectClip(region, &placement);
    QVERIFY(!region.contains(QPointF(150, 120))); // the middle
    QVERIFY(region.contains(QPointF(150, 50))); // the top arm
    QVERIFY(!region.contains(QPointF(100, 25)) && !region.contains(QPointF(399, 399)));

    // Coinciding points still make an outline, one that encloses nothing.
    QClip dot;
    dot.AddPoint(50, 50);
    dot.DuplicatePoint(0, true);
    dot.DuplicatePoint(0, true);
    dot.BuildClosedCurve();
    QPainterPath all;
    all.addRect(0, 0, 100, 100);
    dot.IntersectClip(all, nullptr);
    QVERIFY(!all.contains(QPointF(10, 10)));
}

void TestQClip::draw()
{
    QImage image(200, 200, QImage::Format_ARGB32);
    image.fill(Qt::gray);
    QClip clip;
    click(clip, { { 20, 20 }, { 120, 20 }, { 70, 80 } });
    clip.BuildClosedCurve();
    QPainter painter(&image);
    painter.scale(1.5, 1.5);
    const QTransform before = painter.worldTransform();
    clip.Draw(&painter, QTransform::fromTranslate(10, 0), 1);
    QCOMPARE(painter.worldTransform(), before);
    painter.end();
    // Box edges at (10 + px - 6) * 1.5: 36 for point 0, 186 for the highlighted point 1.
    QCOMPARE(image.pixel(36, 30), 0xFFBFFBC3);
    QCOMPARE(image.pixel(186, 30), 0xFFBFBFFF);
    QCOMPARE(image.pixel(39, 24), QColor(Qt::gray).rgba()); // inside a box, off the outline
    int black = 0, white = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            black += image.pixel(x, y) == 0xFF000000;
            white += image.pixel(x, y) == 0xFFFFFFFF;
        }
    QVERIFY(black > 100 && white > 100);
}

QTEST_GUILESS_MAIN(TestQClip)
#include "tst_qclip.moc"
