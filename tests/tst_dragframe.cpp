// A pane on a screen whose device pixels are no whole number of client pixels:
// after a drag, whose frames redraw only where the bracket was and is, the pane
// shows within the photograph the same device pixels as every layer drawn afresh.
#include "testutils.h"
#include "ui/frame/cmainframe.h"
#include "ui/panes/ckestrinview.h"

class TestDragFrame : public QObject {
    Q_OBJECT

private slots:
    void dragFrameIsAFreshPaint_data()
    {
        QTest::addColumn<QSize>("window"); // odd sizes give fractional scales and origins
        QTest::addColumn<QPointF>("grab"); // from the bracket's centre, photograph pixels
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<int>("op");
        QTest::newRow("move") << QSize(1013, 771) << QPointF(3, 2) << Qt::KeyboardModifiers() << int(OpMove);
        QTest::newRow("turn") << QSize(997, 683) << QPointF(35, 20) << Qt::KeyboardModifiers() << int(OpRotate);
        QTest::newRow("scale") << QSize(1021, 777) << QPointF(-2, 1) << Qt::KeyboardModifiers(Qt::ControlModifier) << int(OpScale);
    }
    void dragFrameIsAFreshPaint()
    {
        testutils::IsolatedHost host;
        CMainFrame frame;
        Workspace& ws = frame.workspace();
        testutils::setPhoto(ws, testutils::positionImage(397, 283));
        frame.initialUpdatePanes();
        frame.resize(testutils::fetch<QSize>("window"));
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        CKestrinView* view = frame.activePane();
        PaneSlot& paneSlot = ws.m_slot[size_t(view->slot())];
        // The outline cuts through the brackets, so that the frames show its edge.
        testutils::closeClip(ws, { { 60, 128 }, { 340, 118 }, { 330, 250 }, { 70, 240 } });
        const QPoint centres[] = { { 170, 131 }, { 201, 143 }, { 246, 121 } }; // overlapping
        // The one dragged between two others, all turned 30 degrees and pasted with
        // their decorations shown; a hover without Ctrl hides the others' again.
        for (int i : { 0, 1, 2 })
            testutils::addBracket(ws, host.path(""), view->slot(), QSize(61, 37), qRgb(230, 30 + 90 * i, 30), centres[i], 30);
        paneSlot.nSelected = 1;
        const auto client = [view](QPointF photo) { return ((photo + QPointF(view->offsetX(), view->offsetY())) * view->viewScale()).toPoint(); };
        QPoint at = client(QPointF(centres[1]) + testutils::fetch<QPointF>("grab"));
        QWidget* viewport = view->viewport();
        const auto send = [&](QEvent::Type type, Qt::MouseButtons buttons) {
            QMouseEvent event(type, at, viewport->mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons, testutils::fetch<Qt::KeyboardModifiers>("modifiers"));
            QApplication::sendEvent(viewport, &event);
            QApplication::processEvents(); // each step painted before the next
        };
        send(QEvent::MouseMove, Qt::NoButton);
        send(QEvent::MouseButtonPress, Qt::LeftButton);
        QTEST(paneSlot.nDragOp, "op");
        for (int step = 0; step < 12; ++step) {
            at += QPoint(step % 4 < 2 ? 9 : -4, step % 3 ? -5 : 7);
            send(QEvent::MouseMove, Qt::LeftButton);
        }
        QVERIFY(view->movedBracketsArea() != viewport->rect()); // a step repaints less than the pane
        send(QEvent::MouseButtonRelease, Qt::NoButton);
        const QImage shown = viewport->grab().toImage();
        ws.m_bFirstPaintDone = false; // every layer afresh, grey outside the photograph
        const QImage fresh = viewport->grab().toImage();
        const qreal ratio = shown.devicePixelRatio();
        QVERIFY2(ratio > 1, "needs QT_SCALE_FACTOR above 1, as ctest sets it");
        const QRect photo = QRect(client(QPointF(0, 0)), client(QPointF(397, 283))).adjusted(1, 1, -2, -2);
        QCOMPARE(testutils::countPixels(shown.rect(), [&](QPoint p) { return photo.contains(QPoint(int(p.x() / ratio), int(p.y() / ratio))) && shown.pixel(p) != fresh.pixel(p); }), 0);
    }
};

QTEST_MAIN(TestDragFrame)

#include "tst_dragframe.moc"
