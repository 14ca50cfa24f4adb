// The frame driven as a user drives it, for what only the widgets do: panes shown
// and sized as the layout says, the active pane by clicks and not by focus (the
// focus follows it), live bars between panes, fit after a zoom, a clip by mouse
// clicks with its menus and edge, the hands on a bracket at the smallest zoom and
// what the reference pane draws.
#include "core/commands/commandids.h"
#include "core/commands/commandlayout.h"
#include "core/text/strings.h"
#include "testutils.h"
#include "ui/frame/ckestrindoc.h"
#include "ui/frame/cmainframe.h"
#include "ui/frame/qsplitterwnd.h"
#include "ui/panes/ckestrinview.h"

#include <QAction>
#include <QMenu>
#include <QScrollBar>
#include <QStatusBar>
#include <QToolBar>

namespace {
const QRgb PhotoColour = qRgb(40, 160, 60);
const QRgb BracketColour = qRgb(230, 30, 30);

struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};
} // namespace

class TestFrame : public QObject {
    Q_OBJECT

    void command(int id) { m_frame->dispatch(id); }
    CKestrinView* view() { return m_frame->activePane(); }
    CKestrinView* pane(int i) { return m_frame->pane(i / 2, i % 2); } // row by row
    // Client position of a photograph pixel in `pane`.
    QPoint client(CKestrinView* pane, QPoint photo)
    {
        return QPoint(int((photo.x() + pane->offsetX()) * pane->viewScale()),
            int((photo.y() + pane->offsetY()) * pane->viewScale()));
    }
    // Clicks at photograph points, one after another.
    void clickPhoto(std::initializer_list<QPoint> points)
    {
        for (QPoint p : points)
            QTest::mouseClick(view()->viewport(), Qt::LeftButton, {}, client(view(), p));
    }
    // An open triangle being defined, by clicks.
    void clickTriangle()
    {
        command(Cmd::ClipDefine);
        clickPhoto({ { 100, 100 }, { 300, 100 }, { 200, 250 } });
    }
    // A closed triangle, then `panes` panes.
    void clipAndPanes(int panes)
    {
        clickTriangle();
        command(Cmd::ClipOk);
        command(panes == 4 ? Cmd::Panes4 : Cmd::Panes2);
    }

    std::unique_ptr<testutils::OpenFrame> m_open;
    CMainFrame* m_frame = nullptr;
    const testutils::IsolatedHost* m_host = nullptr;

private slots:
    void init()
    {
        m_open = std::make_unique<testutils::OpenFrame>(
            testutils::filled({ 400, 300 }, PhotoColour), QSize(1200, 900));
        m_frame = &m_open->frame, m_host = &m_open->host;
        command(Cmd::Zoom100);
    }
    void cleanup() { m_open.reset(); }

    // Panes shown and sized as the layout says; the bars between them drag live.
    void panesShowTheLayout()
    {
        clipAndPanes(4);
        QVERIFY(pane(0)->isVisible() && pane(1)->isVisible() && pane(2)->isVisible() && pane(3)->isVisible());
        QCOMPARE(m_frame->splitter()->GetActivePane(), pane(1));
        // Equal quarters of the pane area.
        QCOMPARE(pane(0)->width(), pane(1)->width());
        QVERIFY(qAbs(pane(0)->height() - pane(2)->height()) <= 1);
        QSplitterWnd* splitter = m_frame->splitter();
        const int left = pane(0)->width();
        // The vertical bar starts right after the first column's frame.
        const QPoint bar(splitter->columnSize(0) + QSplitterWnd::BarWidth / 2, splitter->rowSize(0) / 2);
        QTest::mousePress(splitter, Qt::LeftButton, {}, bar);
        testutils::moveHeld(splitter, bar - QPoint(80, 0));
        // The panes follow while the button is still down.
        QCOMPARE(QList<int>({ pane(0)->width(), pane(2)->width() }), QList<int>({ left - 80, left - 80 }));
        QTest::mouseRelease(splitter, Qt::LeftButton, {}, bar - QPoint(80, 0));
        QCOMPARE(pane(0)->width(), left - 80);
        // A resize of the frame brings back equal halves.
        m_frame->resize(1250, 900);
        QTRY_COMPARE(pane(0)->width(), pane(1)->width());
        command(Cmd::Panes2);
        QVERIFY(pane(1)->isVisible() && pane(3)->isHidden());
        QCOMPARE(pane(1)->slot(), 1);
        command(Cmd::Panes1);
        QVERIFY(pane(1)->isHidden());
        QCOMPARE(pane(0)->width(), m_frame->splitter()->width() - 2 * QSplitterWnd::BorderWidth);
    }

    void focusFollowsTheActivePane()
    {
        clickTriangle();
        QMenu* menu = view()->clipMenu(); // shown and dismissed
        menu->popup(view()->mapToGlobal(QPoint(20, 20)));
        QTRY_VERIFY(menu->isVisible());
        menu->close();
        QTest::mouseClick(m_frame->clipBar()->widgetForAction(m_frame->action(Cmd::ClipOk)), Qt::LeftButton);
        command(Cmd::Panes4);
        QTRY_VERIFY(pane(1)->hasFocus());
        pane(3)->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(pane(3)->hasFocus());
        QCOMPARE(view(), pane(1));
        QTest::mouseClick(pane(3)->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(view(), pane(3));
        QCOMPARE(m_frame->splitter()->GetActivePane(), pane(3));
        // F6 moves on, wrapping, and gives the new active pane the focus.
        QTest::keyClick(m_frame, Qt::Key_F6);
        QCOMPARE(view(), pane(0));
        QTRY_VERIFY(pane(0)->hasFocus());
    }

    // Fit after a zoom uses the whole pane; the reference pane draws no bracket.
    void fitAfterZoomAndTheReferencePane()
    {
        clipAndPanes(2);
        command(Cmd::Zoom400);
        QVERIFY(view()->horizontalScrollBar()->isVisible() && view()->verticalScrollBar()->isVisible());
        command(Cmd::FitSize);
        QVERIFY(!view()->horizontalScrollBar()->isVisible() && !view()->verticalScrollBar()->isVisible());
        const double whole = qMin(view()->width() / 400.0, view()->height() / 300.0);
        QVERIFY2(qAbs(view()->viewScale() - whole) < 1e-9, qPrintable(QString::number(view()->viewScale())));
        for (int slot : { 0, 1 })
            testutils::addBracket(m_frame->workspace(), m_host->path(""), slot, QSize(400, 400), BracketColour, QPoint(200, 150));
        for (int i : { 0, 1 }) // the reference pane, then the working one
            QCOMPARE(pane(i)->viewport()->grab().toImage().pixel(client(pane(i), QPoint(200, 130))), i ? BracketColour : PhotoColour);
    }

    // A point dragged past the pane's edge stops at it. A click on a point of the
    // closed outline picks it; the release alone shows it.
    void clipPointsUnderThePointer()
    {
        clickTriangle();
        QWidget* viewport = view()->viewport();
        const QPoint from = client(view(), QPoint(100, 100)), to(-60, from.y());
        QTest::mousePress(viewport, Qt::LeftButton, {}, from);
        testutils::moveHeld(viewport, to);
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, to);
        QCOMPARE(m_frame->workspace().m_clip.GetPoints().first(), view()->clientToPhoto(QPoint(0, from.y())));
        command(Cmd::ClipClose);
        PaintCounter counter;
        viewport->installEventFilter(&counter);
        const QPoint point = client(view(), QPoint(300, 100));
        QTest::mousePress(viewport, Qt::LeftButton, {}, point);
        QTRY_VERIFY(counter.paints > 0);
        counter.paints = 0;
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, point);
        QCOMPARE(m_frame->workspace().m_nClipPoint, 1);
        QTRY_VERIFY(counter.paints > 0);
    }

    // At 25 % in four panes the handle is grabbed where it is drawn and turns the
    // bracket from where the drag starts; keys and Ctrl + wheel reach the pane.
    void handsAtTheSmallestZoom()
    {
        clipAndPanes(4);
        command(Cmd::Zoom25);
        Workspace& ws = m_frame->workspace();
        const QBracket& b = testutils::addBracket(ws, m_host->path(""), 1, QSize(33, 47), BracketColour, QPoint(200, 150), 30);
        ws.m_slot[1].nSelected = 0;
        const QPoint centre = b.GetPos() + QPoint(b.GetSize().width() / 2, b.GetSize().height() / 2);
        QWidget* viewport = pane(1)->viewport();
        const QPointF c = QPointF(client(pane(1), centre));
        const QPointF handle = c + QTransform().rotate(30).map(QPointF(40 * 0.25, 0));
        const QPoint grab = (handle + QPointF(3, -3)).toPoint();
        QTest::mouseMove(viewport, grab);
        QTest::mousePress(viewport, Qt::LeftButton, {}, grab);
        QCOMPARE(b.m_dAngle, 30.0); // no jump on the press
        const QPointF turned = c + QTransform().rotate(90).map(grab - c);
        testutils::moveHeld(viewport, turned);
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, turned.toPoint());
        // A quarter turn, give or take the photograph pixels a 25 % pointer lands on.
        QVERIFY2(qAbs(b.m_dAngle - 120) < 6, qPrintable(QString::number(b.m_dAngle)));
        const QPoint pos = b.GetPos();
        const double angle = b.m_dAngle;
        QTest::keyClick(pane(1), Qt::Key_Left, Qt::ShiftModifier);
        QTest::keyClick(pane(1), Qt::Key_BracketLeft);
        QCOMPARE(b.GetPos(), pos - QPoint(10, 0));
        QCOMPARE(b.m_dAngle, angle - 1);
        command(Cmd::Zoom200); // large enough to scroll
        const QPoint pointer(137, 151);
        const QPoint under = pane(1)->clientToPhoto(pointer);
        QWheelEvent wheel(pointer, viewport->mapToGlobal(pointer), {}, QPoint(0, 120), Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(viewport, &wheel);
        QCOMPARE(pane(1)->viewScale(), 2.25);
        QVERIFY((pane(1)->clientToPhoto(pointer) - under).manhattanLength() <= 2);
    }

    // A clip by clicks with its menus. Then a two-point outline closed by a paste
    // hides the bracket: the status bar says why. A new outline would discard the
    // bracket: asked first, No keeps it.
    void clipByClicksAndFeedbackBeforeWorkIsLost()
    {
        Workspace& ws = m_frame->workspace();
        command(Cmd::ClipDefine);
        QVERIFY(m_frame->clipBar()->isVisible());
        // The third click is inside a point's hit square: it grabs that point.
        clickPhoto({ { 100, 100 }, { 300, 100 }, { 303, 104 }, { 200, 250 } });
        QCOMPARE(ws.m_clip.GetCount(), 4);
        // The context menu shows the frame's own actions, in the layout's order.
        QMenu* menu = view()->clipMenu();
        const QVector<int>& layout = CommandLayout::clipMenu(); // 0 for a separator
        QCOMPARE(menu->actions().size(), layout.size());
        for (int i = 0; i < layout.size(); ++i)
            QVERIFY(layout[i] ? menu->actions()[i] == m_frame->action(layout[i]) : menu->actions()[i]->isSeparator());
        menu->actions().first()->trigger();
        QVERIFY(ws.m_bClipClosed && !ws.m_bClipEditing && !m_frame->clipBar()->isVisible());
        QVERIFY(m_frame->action(Cmd::Panes2)->isEnabled());

        command(Cmd::ClipDefine);
        clickPhoto({ { 100, 100 }, { 300, 170 } });
        view()->pasteBracket(0, testutils::solidPicture(m_host->path(""), 33, 47, BracketColour), 0, 0, 0, 0, 0, 0);
        QCOMPARE(ws.m_slot[1].arBrackets.size(), size_t(1));
        QCOMPARE(m_frame->statusBar()->currentMessage(), Res::text(Res::IdsClipEnclosesNothing));
        testutils::MessageBoxCloser closer; // answers with the default, No
        command(Cmd::ClipDefine);
        QCOMPARE(closer.texts, QStringList { Res::text(Res::IdsDiscardBracketsForClip) });
        QVERIFY(!ws.m_bClipDefining && ws.m_bClipClosed);
        QCOMPARE(ws.m_slot[1].arBrackets.size(), size_t(1));
    }

};

QTEST_MAIN(TestFrame)
#include "tst_frame.moc"
