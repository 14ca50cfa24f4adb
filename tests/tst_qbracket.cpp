// QBracket: the hit test against what Draw paints at untidy angles and scales,
// the handle's reach at every zoom, drags measured from their start, keyboard
// steps, the canvas, loading failures and the colour adjustments.
#include "core/simulation/qbracket.h"
#include "core/workspace/bracketactions.h"
#include "core/workspace/workspace.h"
#include "testutils.h"

#include <QPainter>
#include <QPainterPath>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

namespace {
constexpr QRgb kBlue = 0xFF2040C0;
constexpr double kPi = 3.141592653589793;
} // namespace

class TestQBracket : public QObject {
    Q_OBJECT

private slots:
    void hitMatchesDrawing_data()
    {
        testutils::columns<QSize, double, double>({ "picture", "angle", "scale" });
        QTest::newRow("33x47 at 30") << QSize(33, 47) << 30.0 << 1.0;
        QTest::newRow("60x80 at 147") << QSize(60, 80) << 147.0 << 1.0;
        QTest::newRow("60x80 at 30, scale 0.65") << QSize(60, 80) << 30.0 << 0.65;
        QTest::newRow("41x23 at -63.5, scale 1.3") << QSize(41, 23) << -63.5 << 1.3;
        QTest::newRow("90x14 at 0, scale 0.85") << QSize(90, 14) << 0.0 << 0.85;
    }

    // Every grid point whose neighbourhood is plainly on or plainly off the painted
    // picture must hit (or miss) accordingly; edge pixels may go either way.
    void hitMatchesDrawing()
    {
        QFETCH(QSize, picture);
        QFETCH(double, scale);
        QBracket b = bracket(picture, { 151, 148 }, testutils::fetch<double>("angle"), scale);
        b.SetSelected(false);
        QImage image = testutils::filled({ 320, 320 }, Qt::white, QImage::Format_ARGB32);
        QPainter painter(&image);
        b.Draw(
            &painter, b.m_ptPos.x(), b.m_ptPos.y(), b.m_size.width(), b.m_size.height(), 1.0, true);
        painter.end();
        auto kind = [&](int x, int y) { // 1 on the picture, 0 background, -1 an edge mix
            const QRgb p = image.pixel(x, y);
            const int d = qAbs(qRed(p) - qRed(kBlue)) + qAbs(qGreen(p) - qGreen(kBlue))
                + qAbs(qBlue(p) - qBlue(kBlue));
            return p == 0xFFFFFFFF ? 0 : d < 12 ? 1 : -1;
        };
        int checked = 0, on = 0;
        for (int y = b.m_rcBody.top() - 2; y <= b.m_rcBody.bottom() + 2; ++y)
            for (int x = b.m_rcBody.left() - 2; x <= b.m_rcBody.right() + 2; ++x) {
                const int k = kind(x, y);
                if (k < 0 || kind(x - 1, y) != k || kind(x, y - 1) != k || kind(x - 1, y - 1) != k
                    || kind(x + 1, y) != k || kind(x, y + 1) != k)
                    continue;
                ++checked;
                on += k;
                QVERIFY2(b.Contains(x, y) == k, qPrintable(QString("at %1,%2").arg(x).arg(y)));
                if (!QBracket::frameContains(b.m_rcRotate, x, y)) {
                    const BracketOp op = b.HitTest(x, y, false);
                    QCOMPARE(b.m_bHit, k == 1);
                    QCOMPARE(
                        op, k == 1 && QBracket::frameContains(b.m_rcInner, x, y) ? OpMove : OpNone);
                }
            }
        const double area = int(picture.width() * scale) * int(picture.height() * scale);
        QVERIFY2(on > 0.5 * area && on < 1.05 * area, qPrintable(QString::number(on)));
        QVERIFY(checked > b.m_size.width() * b.m_size.height() / 2);
    }

    void hitTest_data()
    {
        // 30 x 40 on a 50 canvas whose top-left is (126, 123): the picture covers
        // [136, 166) x [128, 168); the handle frame is (186, 143, 10, 10).
        // The cursor is -1 when none is chosen.
        testutils::columns<QPoint, bool, int, int, bool, int>(
            { "point", "ctrl", "op", "part", "selected", "cursor" });
        const int hand = Qt::PointingHandCursor, arrows = Qt::SizeAllCursor;
        const int none = OpNone, move = OpMove, scale = OpScale, turn = OpRotate;
        // clang-format off
        QTest::newRow("on picture") << QPoint(136, 166) << false << move << 1 << true << hand;
        QTest::newRow("ctrl scales") << QPoint(165, 130) << true << scale << 1 << true << arrows;
        QTest::newRow("left of picture") << QPoint(135, 150) << false << none << 0 << false << -1;
        QTest::newRow("right edge open") << QPoint(166, 150) << false << none << 0 << false << -1;
        QTest::newRow("picture, outer ring") << QPoint(150, 167) << false << none << 1 << true << -1;
        QTest::newRow("handle outside body") << QPoint(195, 152) << false << turn << 2 << true << -1;
        QTest::newRow("bounds only") << QPoint(180, 130) << false << none << 0 << true << -1;
        QTest::newRow("past the handle") << QPoint(196, 150) << false << none << 0 << false << -1;
        // clang-format on
    }

    void hitTest()
    {
        QFETCH(QPoint, point);
        QBracket b = bracket({ 30, 40 }, { 151, 148 });
        std::optional<Qt::CursorShape> chosen;
        QTEST(int(b.HitTest(point.x(), point.y(), testutils::fetch<bool>("ctrl"), &chosen)), "op");
        QTEST(b.m_nHitPart, "part");
        QTEST(b.m_bSelected, "selected");
        QTEST(chosen ? int(*chosen) : -1, "cursor");
    }

    void handleGrabbableAtEveryZoom_data()
    {
        testutils::columns<double, double>({ "zoom", "angle" });
        QTest::newRow("quarter of a four-pane fit, 30") << 0.2385 << 30.0;
        QTest::newRow("fit 0.477, -63.5") << 0.477 << -63.5;
        QTest::newRow("25 %, 147") << 0.25 << 147.0;
        QTest::newRow("100 %, 30") << 1.0 << 30.0;
        QTest::newRow("250 %, 211") << 2.5 << 211.0;
    }

    // Every photograph pixel within four screen pixels of the handle's centre turns
    // the bracket: the handle is at least eight screen pixels across at any zoom.
    void handleGrabbableAtEveryZoom()
    {
        QFETCH(double, zoom);
        QBracket b = bracket({ 33, 47 }, { 151, 148 }, testutils::fetch<double>("angle"));
        const QPointF centre = QRectF(b.m_rcRotate).center();
        for (double sy : { -3.9, 0.0, 3.9 })
            for (double sx : { -3.9, 0.0, 3.9 }) {
                const QPointF p = centre + QPointF(sx, sy) / zoom;
                const int x = int(std::floor(p.x())), y = int(std::floor(p.y()));
                QVERIFY2(b.HitTest(x, y, false, nullptr, zoom) == OpRotate,
                    qPrintable(QString("%1,%2").arg(x).arg(y)));
                QVERIFY(b.m_bSelected && b.m_nHitPart == 2);
            }
        // Never smaller in photograph pixels than at full size, nor undefined.
        QVERIFY(b.RotateHitFrame(zoom).contains(b.m_rcRotate));
        QCOMPARE(QBracket::HandleHitHalf(0.0), 5);
    }

    void dragsMeasureFromTheirStart_data()
    {
        // The pointer's positions are relative to the centre, the press first.
        testutils::columns<int, double, double, QVector<QPoint>, double, double>(
            { "op", "angle", "scale", "pointer", "wantAngle", "wantScale" });
        const auto row = [](const char* tag, int op, double angle, double scale,
                             QVector<QPoint> pointer, double wantAngle, double wantScale) {
            QTest::newRow(tag) << op << angle << scale << pointer << wantAngle << wantScale;
        };
        const int turn = OpRotate, size = OpScale;
        // A press away from the handle turns nothing; a quarter turn of the pointer
        // turns the bracket a quarter, whatever the steps in between.
        // clang-format off
        row("rotate 28, quarter anticlockwise", turn, 28, 1, { { 0, 30 }, { -1, 30 }, { -21, 22 }, { -30, 0 } }, 118, 1);
        row("rotate 28, press on the far side", turn, 28, 1, { { -30, 1 }, { -30, 1 } }, 28, 1);
        row("rotate 350 past a full turn", turn, 350, 1, { { 30, 0 }, { 21, 21 }, { 0, 30 } }, 80, 1);
        row("rotate -20 back and forth", turn, -20, 1, { { 0, -30 }, { 30, 1 }, { -30, 0 } }, 250, 1);
        row("rotate, over the centre", turn, 30, 1, { { 25, 7 }, { 0, 0 } }, 30, 1);
        // Rising by the displayed side (57) doubles, falling by it halves; many small
        // events end where one large one would.
        row("scale up by the side", size, 0, 1, { { 3, 10 }, { 9, 9 }, { 70, -20 }, { 0, -47 } }, 0, 2);
        row("scale down, x ignored", size, 30, 1, { { 0, 0 }, { 0, 80 }, { -40, 57 } }, 30, 0.5);
        row("scale back to the start", size, 0, 1.3, { { 5, 5 }, { 5, -60 }, { 5, 90 }, { 5, 5 } }, 0, 1.3);
        row("scale held at the top", size, 0, 1, { { 0, 100 }, { 0, -400 } }, 0, 4);
        row("scale held at the bottom", size, 0, 1, { { 0, -100 }, { 0, 900 } }, 0, 0.05);
        row("tiny bracket still has travel", size, 0, 0.1, { { 0, 0 }, { 0, -40 } }, 0, 0.2);
        // clang-format on
    }

    void dragsMeasureFromTheirStart()
    {
        QFETCH(QVector<QPoint>, pointer);
        QBracket b = bracket({ 33, 47 }, { 151, 148 }, testutils::fetch<double>("angle"), testutils::fetch<double>("scale"));
        const QPoint centre = b.m_ptPos + QPoint(b.m_size.width() / 2, b.m_size.height() / 2);
        b.BeginDrag(centre.x() + pointer[0].x(), centre.y() + pointer[0].y());
        for (const QPoint& step : pointer)
            b.Drag(centre.x() + step.x(), centre.y() + step.y(), testutils::fetch<int>("op"));
        QFETCH(double, wantScale);
        QVERIFY2(qAbs(std::remainder(b.m_dAngle - testutils::fetch<double>("wantAngle"), 360.0)) < 1e-9 && b.m_dAngle > -360
                && b.m_dAngle < 360,
            qPrintable(QString::number(b.m_dAngle)));
        QVERIFY2(qAbs(b.m_dScale - wantScale) < 1e-9, qPrintable(QString::number(b.m_dScale)));
        QCOMPARE(b.m_size.width(), int(57 * wantScale));
        QCOMPARE(b.m_ptPos + QPoint(b.m_size.width() / 2, b.m_size.height() / 2), centre);
        const double theta = b.m_dAngle * kPi / 180;
        const QPointF handle = QRectF(b.m_rcRotate).center() - QPointF(centre);
        QVERIFY(qAbs(handle.x() - 40 * std::cos(theta)) <= 1.01
            && qAbs(handle.y() - 40 * std::sin(theta)) <= 1.01);
        // A move keeps the offset where it was grabbed, from the press on.
        b.BeginDrag(148, 150);
        const QPoint before = b.m_ptPos;
        QCOMPARE(b.Drag(200, 171, OpMove), std::optional<Qt::CursorShape>(Qt::PointingHandCursor));
        QCOMPARE(b.m_ptPos, before + QPoint(52, 21));
        QVERIFY(!b.Drag(0, 0, OpNone));
    }

    void keysNudgeAndTurn_data()
    {
        testutils::columns<int, bool, bool, QPoint, double>(
            { "key", "shift", "selected", "shifted", "turned" });
        QTest::newRow("left") << int(Qt::Key_Left) << false << true << QPoint(-1, 0) << 0.0;
        QTest::newRow("shift right") << int(Qt::Key_Right) << true << true << QPoint(10, 0) << 0.0;
        QTest::newRow("up") << int(Qt::Key_Up) << false << true << QPoint(0, -1) << 0.0;
        QTest::newRow("shift down") << int(Qt::Key_Down) << true << true << QPoint(0, 10) << 0.0;
        QTest::newRow("[") << int(Qt::Key_BracketLeft) << false << true << QPoint() << -1.0;
        QTest::newRow("]") << int(Qt::Key_BracketRight) << true << true << QPoint() << 1.0;
        QTest::newRow("other key") << int(Qt::Key_A) << false << true << QPoint() << 0.0;
        QTest::newRow("nothing selected") << int(Qt::Key_Left) << false << false << QPoint() << 0.0;
    }

    void keysNudgeAndTurn()
    {
        QFETCH(bool, selected);
        QFETCH(QPoint, shifted);
        QFETCH(double, turned);
        Workspace ws;
        const QBracket& b
            = testutils::addBracket(ws, m_dir.path(), 2, { 33, 47 }, kBlue, { 151, 148 }, 359.5);
        ws.m_slot[2].nSelected = selected ? 0 : -1;
        const QPoint pos = b.m_ptPos;
        const bool acted = BracketActions::key(ws, 2, testutils::fetch<int>("key"), testutils::fetch<bool>("shift"));
        QCOMPARE(acted, selected && (turned != 0 || !shifted.isNull()));
        QCOMPARE(b.m_ptPos, pos + shifted);
        QCOMPARE(b.m_rcBody.topLeft(), b.m_ptPos);
        QCOMPARE(std::remainder(b.m_dAngle - 359.5 - turned, 360.0), 0.0);
        QVERIFY(b.m_dAngle < 360);
        // Keys never act while the outline is edited.
        ws.m_bClipEditing = true;
        QVERIFY(!BracketActions::key(ws, 2, Qt::Key_Left, false));
    }

    void canvasAndLoading()
    {
        QBracket b = bracket({ 33, 47 }, { 10, 300 });
        QCOMPARE(b.m_ptPos, QPoint(0, 272)); // kept off the negative side
        QCOMPARE(b.m_rcInner, QRect(6, 278, 45, 45));
        QCOMPARE(b.m_strName, QString("solid33x47-ff2040c0"));
        QCOMPARE(QBracket::FileStem("C:\\Gallery\\a.b.png"), QString("a.b"));
        QVERIFY(QBracket::FileStem("/srv/g.d/bracket").isEmpty()
            && QBracket::FileStem("x\\y").isEmpty());
        // The picture sits at ((57 - 33 + 1) / 2, (57 - 47 + 1) / 2) = (12, 5).
        QCOMPARE(b.m_pBase.pixel(12, 5), kBlue);
        QCOMPARE(b.m_pBase.pixel(44, 51), kBlue);
        QVERIFY(b.m_pBase.pixel(11, 5) == 0 && b.m_pBase.pixel(12, 4) == 0
            && b.m_pBase.pixel(45, 51) == 0);

        b.m_dScale = 0.5;
        b.ApplyScale();
        QVERIFY(b.ReplaceImage(testutils::solidPicture(m_dir.path(), 60, 80, kBlue)));
        QCOMPARE(b.m_size, QSize(50, 50)); // the new canvas at the kept scale
        QCOMPARE(b.m_ptPos, QPoint(28 - 25, 300 - 25));

        const QString garbage = m_dir.filePath("garbage.png");
        QVERIFY(testutils::writeBytes(garbage, "\x89PNG\r\n\x1a\nnot really a picture"));
        const QBracket before = b;
        for (const QString& path : { m_dir.filePath("missing.png"), garbage }) {
            QVERIFY(!b.ReplaceImage(path));
            QVERIFY(!b.Init(9, 9, path, 500, 500, QString(), false));
            QVERIFY(b.m_strPath == before.m_strPath && b.m_nId == 3 && b.m_ptPos == before.m_ptPos);
            QVERIFY(b.m_pImage.size() == QSize(100, 100) && b.m_size == QSize(50, 50));
        }
    }

    void adjustmentsAndCopies()
    {
        // Colour bytes 0x20, 0x40, 0xC0; brightness 120 gives fb 153.
        QBracket b = bracket({ 30, 40 }, { 100, 100 });
        b.PreviewBrightness(100, 120);
        b.PreviewBrightness(100, 120); // previews never accumulate
        QCOMPARE(b.m_pImage.pixel(25, 25), qRgb(38, 76, 229));
        QCOMPARE(b.m_pBase.pixel(25, 25), kBlue);
        b.RevertPreview();
        QVERIFY(b.m_pImage == b.m_pBase);
        b.CommitBrightness(100, 120);
        b.PreviewBrightness(100, 120);
        QCOMPARE(b.m_pBase.pixel(25, 25), qRgb(38, 76, 229));
        QCOMPARE(b.m_pImage.pixel(25, 25), qRgb(45, 90, 255));
        QBracket copy = b; // adjusting a copy leaves the original alone
        copy.CommitColorBalance(0x808080 + 1);
        QCOMPARE(copy.m_pImage.pixel(25, 25), qRgb(39, 76, 229));
        QCOMPARE(b.m_pImage.pixel(25, 25), qRgb(45, 90, 255));
        QCOMPARE(qAlpha(copy.m_pImage.pixel(0, 0)), 0); // the surround stays transparent
    }

    void markersWidenTheClip()
    {
        QBracket b = bracket({ 60, 80 }, { 150, 150 }, 90); // canvas 100 at (100, 100)
        QImage image(300, 300, QImage::Format_ARGB32);
        QPainter painter(&image);
        QPainterPath region;
        region.addRect(0, 0, 120, 300);
        b.AddMarkersToClip(&painter, region, 100, 100, 100, 100, 2.0);
        // At zoom 2: centre square half side 1, bar half width 0.5, handle square 3.
        QVERIFY(region.contains(QPointF(150.9, 150.9)) && !region.contains(QPointF(151.1, 149)));
        QVERIFY(region.contains(QPointF(150.4, 170)) && !region.contains(QPointF(150.6, 170)));
        for (const QPointF corner : { QPointF(147.1, 187.1), QPointF(152.9, 187.1),
                 QPointF(147.1, 192.9), QPointF(152.9, 192.9) }) // the handle square
            QVERIFY(region.contains(corner));
        QVERIFY(!region.contains(QPointF(153.1, 190)) && !region.contains(QPointF(146.9, 190)));
        QPainterPath inside; // holds the centre: stays as it was
        inside.addRect(0, 0, 160, 170);
        b.AddMarkersToClip(&painter, inside, 100, 100, 100, 100, 1.0);
        QVERIFY(!inside.contains(QPointF(150, 190)));
        b.m_dAngle = 0; // at an untidy zoom the decorations start on truncated device pixels
        QImage shown = testutils::filled({ 400, 400 }, Qt::white, QImage::Format_ARGB32);
        QPainter pane(&shown);
        b.Draw(&pane, 101, 100, 100, 100, 1.5, true);
        pane.end();
        QCOMPARE(shown.pixel(224, 225), 0xFFFF0000u); // centre dot from int(151 * 1.5 - 2)
        QCOMPARE(shown.pixel(280, 228), 0xFFBFFBB9u); // handle square's left edge
        QCOMPARE(shown.pixel(290, 228), 0xFFBFFBB9u); // and its right edge
    }

    void turnedDrawingDependsOnStateAlone_data()
    {
        testutils::columns<double, double, double>({ "angle", "zoom", "ratio" });
        QTest::newRow("30, zoom 1") << 30.0 << 1.0 << 1.0;
        QTest::newRow("147, zoom 0.37, ratio 1.25") << 147.0 << 0.37 << 1.25;
        QTest::newRow("-63.5, zoom 1.7, ratio 2") << -63.5 << 1.7 << 2.0;
    }

    // The turned picture is kept between draws: after a move, a turn or a colour
    // preview a bracket draws exactly what a fresh one in the same state draws, and
    // a move by whole device pixels moves the same pixels.
    void turnedDrawingDependsOnStateAlone()
    {
        QFETCH(double, zoom);
        QFETCH(double, ratio);
        const auto draw = [&](const QBracket& b) {
            QImage image = testutils::filled(QSize(400, 400) * ratio, Qt::white);
            image.setDevicePixelRatio(ratio);
            QPainter painter(&image);
            b.Draw(&painter, b.m_ptPos.x(), b.m_ptPos.y(), b.m_size.width(), b.m_size.height(),
                zoom, true);
            return image;
        };
        const auto fresh = [&](const QBracket& like) {
            QBracket b = bracket({ 61, 43 }, { 150, 140 }, like.m_dAngle, 0.8);
            b.m_ptPos = like.m_ptPos;
            return b;
        };
        QBracket b = bracket({ 61, 43 }, { 150, 140 }, testutils::fetch<double>("angle"), 0.8);
        const QImage before = draw(b);
        QCOMPARE(before, draw(fresh(b)));
        // Whole device pixels at zoom 1 and ratio 1 only.
        b.m_ptPos += QPoint(7, -5);
        const QImage moved = draw(b);
        QCOMPARE(moved, draw(fresh(b)));
        if (zoom == 1.0 && ratio == 1.0)
            QCOMPARE(moved.copy(57, 45, 200, 200), before.copy(50, 50, 200, 200));
        b.m_dAngle += 11;
        QCOMPARE(draw(b), draw(fresh(b)));
        QBracket previewed = fresh(b);
        b.PreviewBrightness(60, 70);
        previewed.PreviewBrightness(60, 70);
        const QImage adjusted = draw(b);
        QCOMPARE(adjusted, draw(previewed));
        QVERIFY(adjusted != draw(fresh(b)));
    }

private:
    QBracket bracket(QSize picture, QPoint centre, double angle = 0, double scale = 1.0)
    {
        return testutils::bracket(m_dir.path(), picture, kBlue, centre, angle, scale, 3);
    }
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestQBracket)
#include "tst_qbracket.moc"
