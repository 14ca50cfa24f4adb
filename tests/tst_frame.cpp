// The frame driven as a user drives it, for what only the widgets do: panes shown
// and sized as the layout says, the active pane by clicks and not by
// focus, live bars between panes, a clip by mouse clicks with its menus and what
// the reference pane draws.
#include "core/commands/commandids.h"
#include "core/commands/commandlayout.h"
#include "testutils.h"
#include "ui/frame/ckestrindoc.h"
#include "ui/frame/cmainframe.h"
#include "ui/frame/qsplitterwnd.h"
#include "ui/panes/ckestrinview.h"

#include <QAction>
#include <QMenu>
#include <QToolBar>

using testutils::IsolatedHost;

namespace {
const QRgb PhotoColour = qRgb(40, 160, 60);
const QRgb BracketColour = qRgb(230, 30, 30);
} // namespace

class TestFrame : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void panesShowTheLayout();
    void focusDoesNotMoveTheActivePane();
    void barsBetweenPanesDragLive();
    void clipByClicksWithItsMenus();
    void referencePaneStaysBare();

private:
    bool enabled(int id) { return m_frame->action(id)->isEnabled(); }
    void command(int id) { m_frame->dispatch(id); }
    CKestrinView* view() { return m_frame->activePane(); }
    // Client position of a photograph pixel in `pane`.
    QPoint client(CKestrinView* pane, QPoint photo)
    {
        return QPoint(int((photo.x() + pane->offsetX()) * pane->viewScale()),
            int((photo.y() + pane->offsetY()) * pane->viewScale()));
    }
    void clickPhoto(QPoint photo)
    {
        QTest::mouseClick(view()->viewport(), Qt::LeftButton, {}, client(view(), photo));
    }
    void defineTriangleClip()
    {
        command(Cmd::ClipDefine);
        for (QPoint p : { QPoint(100, 100), QPoint(300, 100), QPoint(200, 250) })
            clickPhoto(p);
        command(Cmd::ClipOk);
    }
    QImage grab(CKestrinView* pane) { return pane->viewport()->grab().toImage(); }

    IsolatedHost* m_host = nullptr;
    CMainFrame* m_frame = nullptr;
    CKestrinDoc* m_doc = nullptr;
};

void TestFrame::init()
{
    m_host = new IsolatedHost;
    QImage photo(400, 300, QImage::Format_RGB32);
    photo.fill(PhotoColour);
    QVERIFY(photo.save(m_host->path("p.png")));
    m_frame = new CMainFrame;
    m_doc = new CKestrinDoc(m_frame);
    QVERIFY(m_doc->OnOpenDocument(m_host->path("p.png")));
    m_frame->resize(1200, 900);
    m_frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_frame));
    command(Cmd::Zoom100);
}

void TestFrame::cleanup()
{
    delete m_doc;
    delete m_frame;
    delete m_host;
}

void TestFrame::panesShowTheLayout()
{
    QVERIFY(!enabled(Cmd::Panes4));
    defineTriangleClip();
    command(Cmd::Panes4);
    for (int i = 0; i < 4; ++i)
        QVERIFY(m_frame->pane(i / 2, i % 2)->isVisible());
    QCOMPARE(m_frame->splitter()->GetActivePane(), m_frame->pane(0, 1));
    // Equal quarters of the pane area.
    QCOMPARE(m_frame->pane(0, 0)->width(), m_frame->pane(0, 1)->width());
    QVERIFY(qAbs(m_frame->pane(0, 0)->height() - m_frame->pane(1, 0)->height()) <= 1);
    command(Cmd::Panes2);
    QVERIFY(m_frame->pane(0, 1)->isVisible() && m_frame->pane(1, 1)->isHidden());
    QCOMPARE(m_frame->pane(0, 1)->slot(), 1);
    command(Cmd::Panes1);
    QVERIFY(m_frame->pane(0, 1)->isHidden());
    QCOMPARE(m_frame->pane(0, 0)->width(), m_frame->splitter()->width() - 2 * QSplitterWnd::BorderWidth);
}

void TestFrame::focusDoesNotMoveTheActivePane()
{
    defineTriangleClip();
    command(Cmd::Panes4);
    CKestrinView* bottomRight = m_frame->pane(1, 1);
    bottomRight->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(bottomRight->hasFocus());
    QCOMPARE(view(), m_frame->pane(0, 1));
    QTest::mouseClick(bottomRight->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(view(), bottomRight);
    QCOMPARE(m_frame->splitter()->GetActivePane(), bottomRight);
    // F6 moves on, wrapping, and gives the new active pane the focus.
    QTest::keyClick(m_frame, Qt::Key_F6);
    QCOMPARE(view(), m_frame->pane(0, 0));
    QTRY_VERIFY(m_frame->pane(0, 0)->hasFocus());
}

void TestFrame::barsBetweenPanesDragLive()
{
    defineTriangleClip();
    command(Cmd::Panes4);
    QSplitterWnd* splitter = m_frame->splitter();
    const int left = m_frame->pane(0, 0)->width();
    // The vertical bar starts right after the first column's frame.
    const QPoint bar(
        splitter->columnSize(0) + QSplitterWnd::BarWidth / 2, splitter->rowSize(0) / 2);
    QTest::mousePress(splitter, Qt::LeftButton, {}, bar);
    QMouseEvent move(QEvent::MouseMove, bar + QPoint(-80, 0),
        splitter->mapToGlobal(bar + QPoint(-80, 0)), Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(splitter, &move);
    // The panes follow while the button is still down.
    QCOMPARE(m_frame->pane(0, 0)->width(), left - 80);
    QCOMPARE(m_frame->pane(1, 0)->width(), left - 80);
    QTest::mouseRelease(splitter, Qt::LeftButton, {}, bar + QPoint(-80, 0));
    QCOMPARE(m_frame->pane(0, 0)->width(), left - 80);
    // A resize of the frame brings back equal halves.
    m_frame->resize(1250, 900);
    QTRY_COMPARE(m_frame->pane(0, 0)->width(), m_frame->pane(0, 1)->width());
}

void TestFrame::clipByClicksWithItsMenus()
{
    Workspace& ws = m_frame->workspace();
    command(Cmd::ClipDefine);
    QVERIFY(m_frame->clipBar()->isVisible());
    clickPhoto(QPoint(100, 100));
    clickPhoto(QPoint(300, 100));
    QVERIFY(!enabled(Cmd::ClipOk) && enabled(Cmd::ClipDeleteLastPoint));
    clickPhoto(QPoint(303, 104)); // inside a point's hit square: grabs it
    clickPhoto(QPoint(200, 250));
    QCOMPARE(ws.m_clip.GetCount(), 4);
    QVERIFY(enabled(Cmd::ClipOk) && enabled(Cmd::ClipClose));

    // The context menu shows the frame's own actions, in the layout's order.
    QMenu* menu = view()->clipMenu();
    QStringList ids, expected;
    for (QAction* action : menu->actions())
        ids << (action->isSeparator() ? "0" : action->objectName());
    for (int id : CommandLayout::clipMenu())
        expected << QString::number(id);
    QCOMPARE(ids, expected);
    QCOMPARE(menu->actions().first(), m_frame->action(Cmd::MenuClipOk));
    menu->actions().first()->trigger();
    QVERIFY(ws.m_bClipClosed && !ws.m_bClipEditing);
    QVERIFY(!m_frame->clipBar()->isVisible());
    QVERIFY(enabled(Cmd::Panes2));
}

void TestFrame::referencePaneStaysBare()
{
    defineTriangleClip();
    command(Cmd::Panes2);
    Workspace& ws = m_frame->workspace();
    QImage picture(400, 400, QImage::Format_ARGB32);
    picture.fill(BracketColour);
    QVERIFY(picture.save(m_host->path("big.png")));
    for (int s : { 0, 1 }) {
        QBracket bracket;
        QVERIFY(bracket.Init(s, 0, m_host->path("big.png"), 200, 150, QString(), true));
        bracket.CenterAt(200, 150);
        ws.m_slot[size_t(s)].arBrackets.push_back(bracket);
    }
    CKestrinView* reference = m_frame->pane(0, 0);
    CKestrinView* working = m_frame->pane(0, 1);
    QCOMPARE(grab(reference).pixel(client(reference, QPoint(200, 130))), PhotoColour);
    QCOMPARE(grab(working).pixel(client(working, QPoint(200, 130))), BracketColour);
}

QTEST_MAIN(TestFrame)
#include "tst_frame.moc"
