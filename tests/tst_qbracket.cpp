#include "core/simulation/qbracket.h"

#include <QPainter>
#include <QPainterPath>
#include <QTemporaryDir>
#include <QtTest>

#include <vector>

class TestQBracket : public QObject {
    Q_OBJECT

private slots:
    void initCentresPictureOnCanvas();
    void unusablePictureLeavesBracketAlone();
    void fileStem_data();
    void fileStem();
    void scaleAndCentre();
    void rotateHandle_data();
    void rotateHandle();
    void hitTest_data();
    void hitTest();
    void angleBetween_data();
    void angleBetween();
    void dragMoveAndRotate();
    void dragScaleSteps();
    void replaceKeepsPlacement();
    void adjustmentsAndCopies();
    void drawTurnedSelectedBracket();
    void markersWidenClip();
    void drawForOutput();

private:
    // An opaque picture of colour 0xFF2040C0 in a private folder.
    QString picture(int w, int h);
    QBracket bracket(int w, int h, int x = 100, int y = 100);

    QTemporaryDir m_dir;
};

QString TestQBracket::picture(int w, int h)
{
    const QString path = m_dir.filePath(QString("p%1x%2.png").arg(w).arg(h));
    if (!QFile::exists(path)) {
        QImage image(w, h, QImage::Format_ARGB32);
        image.fill(0xFF2040C0);
        image.save(path, "PNG");
    }
    return path;
}

QBracket TestQBracket::bracket(int w, int h, int x, int y)
{
    QBracket b;
    if (!b.Init(3, 4, picture(w, h), x, y, QString(), true))
        qFatal("cannot write test pictures");
    return b;
}

void TestQBracket::initCentresPictureOnCanvas()
{
    QBracket b = bracket(300, 400);
    QCOMPARE(b.m_pImage.size(), QSize(500, 500)); // the diagonal
    QCOMPARE(b.m_ptPos, QPoint(0, 0)); // (100 - 250) raised to 0
    QCOMPARE(b.m_size, QSize(500, 500));
    QCOMPARE(b.m_sizeSrc, QSize(300, 400));
    QCOMPARE(b.m_ptGrab, QPoint(250, 250));
    QCOMPARE(b.m_strName, QString("p300x400"));
    QCOMPARE(b.m_rcInner, QRect(6, 6, 488, 488));
    QCOMPARE(b.m_rcBounds, QRect(0, 0, 500, 500));
    // The picture sits at ((500 - 300 + 1) / 2, (500 - 400 + 1) / 2) = (100, 50).
    QCOMPARE(b.m_pBase.pixel(100, 50), 0xFF2040C0);
    QCOMPARE(b.m_pBase.pixel(399, 449), 0xFF2040C0);
    QVERIFY(b.m_pBase.pixel(99, 50) == 0 && b.m_pBase.pixel(100, 49) == 0);
    QCOMPARE(b.m_pBase.pixel(400, 449), 0u);

    QCOMPARE(bracket(300, 400, 1000, 801).m_ptPos, QPoint(750, 551));
    // The handle of a small canvas lies outside it and widens the bounds.
    QBracket small = bracket(30, 40, 0, 0);
    QCOMPARE(small.m_rcRotate, QRect(60, 20, 10, 10));
    QCOMPARE(small.m_rcBounds, QRect(0, 0, 70, 50));
}

void TestQBracket::unusablePictureLeavesBracketAlone()
{
    QBracket b = bracket(30, 40);
    QFile garbage(m_dir.filePath("garbage.png"));
    QVERIFY(garbage.open(QIODevice::WriteOnly));
    garbage.write("\x89PNG\r\n\x1a\nnot really a picture");
    garbage.close();
    for (const QString& path : { m_dir.filePath("missing.png"), garbage.fileName() }) {
        QVERIFY(!b.ReplaceImage(path));
        QVERIFY(!b.Init(9, 9, path, 500, 500, QString(), false));
        QVERIFY(b.m_strPath == picture(30, 40) && b.m_nId == 3);
        QVERIFY(b.m_ptPos == QPoint(75, 75) && b.m_pImage.size() == QSize(50, 50));
    }
    QBracket empty;
    QVERIFY(!empty.Init(1, 1, garbage.fileName(), 0, 0, QString(), true));
    empty.PreviewBrightness(50, 50);
    QVERIFY(empty.m_pImage.isNull() && empty.Contains(0, 0) == 0);
}

void TestQBracket::fileStem_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("stem");
    QTest::newRow("windows") << "C:\\Kestrin\\Gallery\\bracket0007.png"
                             << "bracket0007";
    QTest::newRow("unix") << "/srv/gallery/bracket0012.png"
                          << "bracket0012";
    QTest::newRow("last dot") << "a.b.png"
                              << "a.b";
    QTest::newRow("no dot") << "C:\\Gallery\\bracket0007"
                            << "";
    QTest::newRow("dot in folder") << "/srv/g.d/bracket"
                                   << "";
}

void TestQBracket::fileStem()
{
    QFETCH(QString, path);
    QFETCH(QString, stem);
    QBracket b;
    b.m_strPath = path;
    b.SetOutputAndName(false, QString());
    QCOMPARE(b.m_strName, stem);
}

void TestQBracket::scaleAndCentre()
{
    QBracket b = bracket(300, 400);
    b.m_dScale = 0.5;
    b.ApplyScale();
    QCOMPARE(b.m_size, QSize(250, 250));
    QCOMPARE(b.m_ptPos, QPoint(125, 125));
    b.m_dScale = 0.3;
    b.ApplyScale(); // 150 after truncation; the centre 125 + 125 = 250 stays
    QCOMPARE(b.m_ptPos, QPoint(175, 175));
    b.m_dScale = 0.05;
    b.ApplyScale(); // 25: an odd size, whose halves truncate
    b.CenterAt(-3, 5);
    QCOMPARE(b.m_ptPos, QPoint(-15, -7));
    QCOMPARE(b.m_rcBody, QRect(0, 0, 500, 500)); // frames wait for UpdateFrames
}

void TestQBracket::rotateHandle_data()
{
    QTest::addColumn<double>("angle");
    QTest::addColumn<int>("centre");
    QTest::addColumn<QPoint>("handle");
    auto row = [](const char* name, double angle, int centre, QPoint handle) {
        QTest::newRow(name) << angle << centre << handle;
    };
    row("0", 0, 250, { 285, 245 });
    row("90", 90, 250, { 245, 285 });
    row("180", 180, 250, { 205, 245 });
    row("270", 270, 250, { 245, 205 });
    row("45", 45, 250, { 273, 273 });
    row("-30", -30, 250, { 279, 225 });
    row("135 toward zero", 135, 0, { -33, 23 });
    row("180: a hair above -5", 180, 0, { -45, -4 });
    row("90: a hair above -5", 90, 0, { -4, 35 });
}

void TestQBracket::rotateHandle()
{
    QFETCH(double, angle);
    QFETCH(int, centre);
    QFETCH(QPoint, handle);
    QBracket b = bracket(300, 400);
    b.CenterAt(centre, centre);
    b.m_dAngle = angle;
    b.UpdateFrames();
    QCOMPARE(b.m_rcRotate, QRect(handle, QSize(10, 10)));
}

void TestQBracket::hitTest_data()
{
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<double>("angle");
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<bool>("ctrl");
    QTest::addColumn<int>("op");
    QTest::addColumn<int>("part");
    QTest::addColumn<bool>("selected");
    QTest::addColumn<int>("cursor"); // -1: none chosen
    QTest::addColumn<int>("contains");
    auto row = [](const char* name, QSize picture, double angle, QPoint point, bool ctrl, int op,
                   int part, bool selected, int cursor, int contains) {
        QTest::newRow(name) << picture << angle << point << ctrl << op << part << selected << cursor
                            << contains;
    };
    const int hand = Qt::PointingHandCursor, arrows = Qt::SizeAllCursor;
    // 300 x 400 on a 500 canvas at (0, 0): the picture covers [100, 400) x [50, 450),
    // turned by 90 degrees [50, 450) x [100, 400); the handle is (285, 245, 10, 10).
    const QSize tall(300, 400);
    row("body", tall, 0, { 250, 300 }, false, OpMove, 1, true, hand, 1);
    row("ctrl", tall, 0, { 250, 300 }, true, OpScale, 1, true, arrows, 1);
    row("picture left edge", tall, 0, { 100, 300 }, false, OpMove, 1, true, hand, 1);
    row("left of picture", tall, 0, { 99, 300 }, false, OpNone, 0, false, -1, 0);
    row("right edge open", tall, 0, { 400, 300 }, false, OpNone, 0, false, -1, 0);
    row("transparent corner", tall, 0, { 10, 10 }, false, OpNone, 0, false, -1, 0);
    row("turned onto picture", tall, 90, { 60, 250 }, false, OpMove, 1, true, hand, 1);
    row("turned off picture", tall, 90, { 250, 70 }, false, OpNone, 0, false, -1, 0);
    row("handle in inner frame", tall, 0, { 294, 254 }, false, OpRotate, 2, true, hand, 1);
    row("outside", tall, 0, { 500, 250 }, false, OpNone, 0, false, -1, 0);
    // 400 x 10 on a 400 canvas: the picture is the band [195, 205).
    row("3 inside the edge", { 400, 10 }, 0, { 3, 200 }, false, OpNone, 1, true, -1, 1);
    // 30 x 40 on a 50 canvas: the handle (60, 20, 10, 10) lies outside the body.
    row("handle outside body", { 30, 40 }, 0, { 69, 29 }, false, OpRotate, 2, true, -1, 0);
    row("bounds only", { 30, 40 }, 0, { 55, 5 }, false, OpNone, 0, true, -1, 0);
}

void TestQBracket::hitTest()
{
    QFETCH(QSize, picture);
    QFETCH(double, angle);
    QFETCH(QPoint, point);
    QFETCH(bool, ctrl);
    QFETCH(int, op);
    QFETCH(int, part);
    QFETCH(bool, selected);
    QFETCH(int, cursor);
    QFETCH(int, contains);
    QBracket b = bracket(picture.width(), picture.height(), 0, 0);
    b.m_dAngle = angle;
    b.UpdateFrames();
    std::optional<Qt::CursorShape> chosen;
    QCOMPARE(int(b.HitTest(point.x(), point.y(), ctrl, &chosen)), op);
    QCOMPARE(b.m_nHitPart, part);
    QCOMPARE(b.m_bHit, part != 0);
    QCOMPARE(b.m_bSelected, selected);
    QCOMPARE(chosen ? int(*chosen) : -1, cursor);
    QCOMPARE(b.Contains(point.x(), point.y()), contains);
}

void TestQBracket::angleBetween_data()
{
    QTest::addColumn<QPoint>("a");
    QTest::addColumn<QPoint>("b");
    QTest::addColumn<double>("degrees");
    auto row = [](const char* name, QPoint a, QPoint b, double degrees) {
        QTest::newRow(name) << a << b << degrees;
    };
    row("mirror gives a half turn", { 10, 10 }, { 10, -10 }, 180);
    row("short a", { 1, 0 }, { 0, 50 }, 0);
    row("zero a", { 0, 0 }, { 0, 50 }, 0);
    row("same line", { 10, 0 }, { -30, 0 }, 0);
    row("quarter clockwise", { 10, 0 }, { 0, 10 }, 90);
    row("eighth clockwise", { 10, 0 }, { 10, 10 }, 45);
    row("eighth anticlockwise", { 10, 0 }, { 10, -10 }, -45);
    row("beyond a quarter folds back", { 10, 0 }, { -10, 10 }, 45);
    row("3-4-5 perpendicular", { 3, 4 }, { -4, 3 }, 90);
}

void TestQBracket::angleBetween()
{
    QFETCH(QPoint, a);
    QFETCH(QPoint, b);
    QFETCH(double, degrees);
    const double result = QBracket::AngleBetween(a, b);
    QVERIFY2(qAbs(result - degrees) < 1e-9, qPrintable(QString::number(result, 'g', 17)));
}

void TestQBracket::dragMoveAndRotate()
{
    QBracket b = bracket(300, 400, 0, 0);
    b.HitTest(250, 250, false);
    QCOMPARE(b.Drag(300, 320, OpMove), std::optional<Qt::CursorShape>(Qt::PointingHandCursor));
    QCOMPARE(b.m_ptPos, QPoint(50, 70));
    QCOMPARE(b.m_rcRotate, QRect(335, 315, 10, 10));
    QCOMPARE(b.m_rcBody, QRect(0, 0, 500, 500));
    QVERIFY(!b.Drag(1, 1, OpNone));
    QCOMPARE(b.m_ptPos, QPoint(50, 70));
    b.Drag(250, 250, OpMove);
    b.UpdateFrames();

    // Centre (250, 250), handle centre (290, 250).
    QVERIFY(!b.Drag(330, 250, OpRotate)); // on the handle's line: no turn
    QCOMPARE(b.m_dAngle, 0.0);
    b.Drag(250, 290, OpRotate);
    QCOMPARE(b.m_dAngle, 90.0);
    QCOMPARE(b.m_rcRotate, QRect(245, 285, 10, 10));
    b.m_dAngle = 0;
    b.UpdateRotateHandle();
    b.Drag(250, 210, OpRotate);
    QCOMPARE(b.m_dAngle, -90.0); // stays negative
    // At 350 the handle centre is (289, 243); a quarter turn wraps round to 80.
    b.m_dAngle = 350;
    b.UpdateRotateHandle();
    b.Drag(250 + 7, 250 + 39, OpRotate);
    QVERIFY(qAbs(b.m_dAngle - 80.0) < 1e-5);
}

void TestQBracket::dragScaleSteps()
{
    QBracket b = bracket(300, 400, 0, 0);
    QCOMPARE(b.Drag(10, 100, OpScale), std::optional<Qt::CursorShape>(Qt::SizeAllCursor));
    QVERIFY(b.m_dScale == 1.0 && b.m_size == QSize(500, 500));
    QCOMPARE(b.m_ptLastScale, QPoint(10, 100));
    b.Drag(900, 99, OpScale); // up by one: one step, x plays no part
    QCOMPARE(b.m_size, QSize(525, 525));
    QCOMPARE(b.m_ptPos, QPoint(-12, -12));
    b.Drag(0, 99, OpScale);
    QCOMPARE(b.m_size, QSize(525, 525));
    b.Drag(0, 500, OpScale);
    QVERIFY(b.m_size == QSize(500, 500) && b.m_ptPos == QPoint(0, 0));
    QCOMPARE(b.m_rcRotate, QRect(285, 245, 10, 10)); // scaling leaves the frames

    for (int y = 499; y > 200; --y)
        b.Drag(0, y, OpScale);
    QVERIFY(qAbs(b.m_dScale - 4.05) < 1e-9);
    for (int y = 201; y < 600; ++y)
        b.Drag(0, y, OpScale);
    QVERIFY(qAbs(b.m_dScale - 0.05) < 1e-9);
}

void TestQBracket::replaceKeepsPlacement()
{
    QBracket b = bracket(300, 400, 0, 0);
    b.m_dScale = 0.5;
    b.ApplyScale(); // (125, 125), 250
    b.m_dAngle = 30;
    b.CommitBrightness(100, 0);
    QVERIFY(b.ReplaceImage(picture(30, 40)));
    QCOMPARE(b.m_sizeSrc, QSize(30, 40));
    QCOMPARE(b.m_size, QSize(25, 25));
    QCOMPARE(b.m_ptPos, QPoint(238, 238));
    QCOMPARE(b.m_dAngle, 30.0);
    QCOMPARE(b.m_pBase.pixel(25, 25), 0xFF2040C0); // the darkening went with the old picture
}

void TestQBracket::adjustmentsAndCopies()
{
    // Colour bytes 0x20, 0x40, 0xC0; brightness 120 gives fb 153.
    std::vector<QBracket> brackets { bracket(30, 40) };
    QBracket& b = brackets[0];
    b.PreviewBrightness(100, 120);
    b.PreviewBrightness(100, 120); // previews never accumulate
    QCOMPARE(b.m_pImage.pixel(25, 25), qRgb(38, 76, 229));
    QCOMPARE(b.m_pBase.pixel(25, 25), 0xFF2040C0);
    b.RevertPreview();
    QVERIFY(b.m_pImage == b.m_pBase);
    b.CommitBrightness(100, 120);
    b.PreviewBrightness(100, 120);
    QCOMPARE(b.m_pBase.pixel(25, 25), qRgb(38, 76, 229));
    QCOMPARE(b.m_pImage.pixel(25, 25), qRgb(45, 90, 255));

    QBracket copy = b; // adjusting a copy leaves the original alone
    copy.PreviewColorBalance(0x808080 + 1); // red + 1 on the committed base
    QCOMPARE(copy.m_pImage.pixel(25, 25), qRgb(39, 76, 229));
    QCOMPARE(b.m_pImage.pixel(25, 25), qRgb(45, 90, 255));
    brackets[0].Release();
    brackets.clear();
    copy.CommitBrightness(0, 100); // every colour byte 128, alpha kept
    QCOMPARE(copy.m_pImage.pixel(25, 25), qRgb(128, 128, 128));
    QCOMPARE(copy.m_pImage.pixel(0, 0), 0x00808080u); // the surround stays transparent
}

void TestQBracket::drawTurnedSelectedBracket()
{
    // 60 x 80 on a 100 canvas at (100, 100): the picture covers [120, 180) x [110, 190)
    // and, turned by 90 degrees about (150, 150), [110, 190) x [120, 180).
    QBracket b = bracket(60, 80, 150, 150);
    b.m_dAngle = 90;
    QImage image(300, 300, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    QPainterPath clip;
    clip.addRect(0, 0, 180, 300);
    painter.setClipPath(clip);
    b.Draw(&painter, 100, 100, 100, 100, 1.0, true);
    painter.end();
    const QRgb blue = 0xFF2040C0, white = 0xFFFFFFFF;
    QVERIFY(image.pixel(115, 130) == blue && image.pixel(150, 115) == white);
    QCOMPARE(image.pixel(185, 130), white); // on the picture but outside the clip
    QCOMPARE(image.pixel(148, 149), 0xFFFF0000); // centre dot, beside the line's start
    QCOMPARE(image.pixel(150, 170), 0xFFFF8000); // handle line, turned downwards
    QCOMPARE(image.pixel(145, 190), 0xFFBFFBB9); // handle square round (150, 190)
    QCOMPARE(image.pixel(153, 192), white); // inside the handle square

    image.fill(Qt::white);
    painter.begin(&image);
    b.Draw(&painter, 100, 100, 100, 100, 1.0, false); // not the active pane
    painter.end();
    QVERIFY(image.pixel(150, 150) == blue && image.pixel(145, 190) == white);
}

void TestQBracket::markersWidenClip()
{
    QBracket b = bracket(60, 80, 150, 150);
    b.m_dAngle = 90; // centre (150, 150), handle turned to (150, 190)
    QImage image(300, 300, QImage::Format_ARGB32);
    QPainter painter(&image);
    QPainterPath region;
    region.addRect(0, 0, 120, 300);
    b.AddMarkersToClip(&painter, region, 100, 100, 100, 100, 2.0);
    QVERIFY(region.contains(QPointF(50, 50)));
    // At zoom 2: centre square half side 1, bar half width 0.5, handle square 3.
    QVERIFY(region.contains(QPointF(150.9, 150.9)) && !region.contains(QPointF(151.1, 149)));
    QVERIFY(region.contains(QPointF(150.4, 170)) && !region.contains(QPointF(150.6, 170)));
    QVERIFY(region.contains(QPointF(152.9, 192.9)) && !region.contains(QPointF(153.1, 190)));

    QPainterPath inside; // holds the centre: stays as it was
    inside.addRect(0, 0, 160, 170);
    b.AddMarkersToClip(&painter, inside, 100, 100, 100, 100, 1.0);
    QVERIFY(!inside.contains(QPointF(150, 190)));
}

void TestQBracket::drawForOutput()
{
    QBracket b = bracket(60, 80, 150, 150);
    QImage image(300, 300, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    b.DrawForOutput(&painter, 2.0, QTransform::fromTranslate(-100, 0));
    // The picture [120, 180) x [110, 190) doubled, then moved 100 left.
    QVERIFY(image.pixel(141, 221) == 0xFF2040C0 && image.pixel(258, 278) == 0xFF2040C0);
    QCOMPARE(image.pixel(139, 221), 0xFFFFFFFFu);
    b.m_bOutput = false;
    image.fill(Qt::white);
    b.DrawForOutput(&painter, 1.0, QTransform());
    painter.end();
    QCOMPARE(image.pixel(150, 150), 0xFFFFFFFFu);
}

QTEST_GUILESS_MAIN(TestQBracket)
#include "tst_qbracket.moc"
