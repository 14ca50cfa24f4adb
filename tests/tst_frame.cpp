// The frame driven as a user drives it: zoom and fit, pane counts and working
// slots, a whole clip definition by mouse clicks, the clip point commands and
// their enable rules, and what the panes draw where.
#include "core/commands/commandids.h"
#include "testutils.h"
#include "ui/bars/qbarlist.h"
#include "ui/frame/ckestrindoc.h"
#include "ui/frame/cmainframe.h"
#include "ui/frame/qsplitterwnd.h"
#include "ui/panes/ckestrinview.h"

#include <QAction>
#include <QMenu>
#include <QSettings>
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

    void zoomLimitsAndFit();
    void paneCountsKeepHiddenViews();
    void nextAndPreviousStayWithinWorkingSlots();
    void hidingTheActiveColumnMovesTheActivePane();
    void barsBetweenPanesDragLive();
    void clipDefinitionByClicks();
    void closedClipPointsArePickedDuplicatedAndDeleted();
    void deletingTheLastPointsStartsOver();
    void startingAClipEmptiesEverySlot();
    void outlineIsDrawnAtOffsetAndZoom();
    void bracketsShowOnlyInsideAClosedClip();
    void referencePaneStaysBare();
    void barArrangementIsRestoredUnlessItNamesUnknownBars();

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
    void clickPhoto(QPoint photo, CKestrinView* pane = nullptr)
    {
        pane = pane ? pane : view();
        QTest::mouseClick(pane->viewport(), Qt::LeftButton, {}, client(pane, photo));
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
    m_frame->updateActions();
}

void TestFrame::cleanup()
{
    delete m_doc;
    delete m_frame;
    delete m_host;
}

void TestFrame::zoomLimitsAndFit()
{
    Workspace& ws = m_frame->workspace();
    QVERIFY(!ws.m_bFitSize);
    for (int i = 0; i < 20; ++i)
        command(Cmd::ZoomIn);
    QCOMPARE(ws.m_dZoom, 6.0);
    command(Cmd::ZoomIn);
    QCOMPARE(ws.m_dZoom, 6.0);
    QCOMPARE(view()->viewScale(), 6.0);
    command(Cmd::Zoom100);
    for (int i = 0; i < 3; ++i)
        command(Cmd::ZoomOut);
    QCOMPARE(ws.m_dZoom, 0.25);
    command(Cmd::ZoomOut);
    QCOMPARE(ws.m_dZoom, 0.25);

    command(Cmd::FitSize);
    QVERIFY(ws.m_bFitSize);
    QVERIFY(m_frame->action(Cmd::FitSize)->isChecked());
    const QSize c = view()->viewport()->size();
    QVERIFY(qAbs(view()->viewScale() - qMin(c.width() / 400.0, c.height() / 300.0)) < 1e-9);
    // The zoom after a fit continues from the last zoom, not from the fit scale.
    command(Cmd::ZoomIn);
    QVERIFY(!ws.m_bFitSize);
    QCOMPARE(ws.m_dZoom, 0.5);
}

void TestFrame::paneCountsKeepHiddenViews()
{
    // Pane counts are offered only once a clip is closed and editing has ended.
    QVERIFY(!enabled(Cmd::Panes4));
    defineTriangleClip();
    QVERIFY(enabled(Cmd::Panes4));

    CKestrinView* bottomRight = m_frame->pane(1, 1);
    command(Cmd::Panes4);
    QCOMPARE(m_frame->shownPanes().size(), 4);
    QCOMPARE(view(), m_frame->pane(0, 1));
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(m_frame->pane(i / 2, i % 2)->slotNumber, i);
        QCOMPARE(m_frame->pane(i / 2, i % 2)->workingPane, i != 0);
    }
    QVERIFY(m_frame->action(Cmd::Panes4)->isChecked());
    // Equal quarters of the pane area.
    QCOMPARE(m_frame->pane(0, 0)->width(), m_frame->pane(0, 1)->width());
    QVERIFY(qAbs(m_frame->pane(0, 0)->height() - m_frame->pane(1, 0)->height()) <= 1);

    command(Cmd::Panes2);
    QCOMPARE(m_frame->shownPanes().size(), 2);
    QCOMPARE(m_frame->pane(0, 0)->slotNumber, 0);
    QCOMPARE(m_frame->pane(0, 1)->slotNumber, 1);
    QCOMPARE(view(), m_frame->pane(0, 1));
    QVERIFY(bottomRight->isHidden());
    QCOMPARE(m_frame->pane(1, 1), bottomRight);

    command(Cmd::Panes1);
    QCOMPARE(m_frame->shownPanes().size(), 1);
    QCOMPARE(m_frame->pane(0, 0)->slotNumber, 1);
    QVERIFY(m_frame->pane(0, 0)->workingPane);
    QCOMPARE(m_frame->splitter()->GetPane(0, 0), m_frame->pane(0, 0));
}

void TestFrame::nextAndPreviousStayWithinWorkingSlots()
{
    defineTriangleClip();
    Workspace& ws = m_frame->workspace();
    QVERIFY(!enabled(Cmd::PrevImage));
    QVERIFY(enabled(Cmd::NextImage));
    command(Cmd::NextImage);
    command(Cmd::NextImage);
    QCOMPARE(ws.m_nWorkSlot, 3);
    QCOMPARE(m_frame->pane(0, 0)->slotNumber, 3);
    QVERIFY(!enabled(Cmd::NextImage));
    command(Cmd::NextImage);
    QCOMPARE(ws.m_nWorkSlot, 3);
    // "1" while showing one pane at slot 3 goes back to slot 1.
    command(Cmd::Panes1);
    QCOMPARE(ws.m_nWorkSlot, 1);
    command(Cmd::Panes2);
    command(Cmd::NextImage);
    QCOMPARE(m_frame->pane(0, 1)->slotNumber, 2);
    QCOMPARE(m_frame->pane(0, 0)->slotNumber, 0);
    command(Cmd::Panes4);
    QVERIFY(!enabled(Cmd::NextImage));
    QVERIFY(!enabled(Cmd::PrevImage));
}

void TestFrame::hidingTheActiveColumnMovesTheActivePane()
{
    QSplitterWnd splitter;
    QWidget* panes[4];
    for (int i = 0; i < 4; ++i) {
        panes[i] = new QWidget;
        splitter.CreateView(i / 2, i % 2, panes[i]);
        splitter.SetColumnInfo(i % 2, 100 + 10 * i);
    }
    splitter.SetColumnInfo(1, 140);
    splitter.SetActivePane(panes[1]);
    splitter.HideColumn(1);
    QCOMPARE(splitter.GetActivePane(), panes[0]);
    QCOMPARE(splitter.columnCount(), 1);
    QCOMPARE(splitter.GetPane(0, 1), panes[1]); // hidden ones follow the shown ones
    splitter.HideColumn(1); // not shown: nothing happens
    QCOMPARE(splitter.columnCount(), 1);
    splitter.SetColumnInfo(0, 77);
    splitter.ShowColumn(1);
    QCOMPARE(splitter.columnCount(), 2);
    QCOMPARE(splitter.columnSize(1), 140); // the width it had when hidden
    QCOMPARE(splitter.GetPane(0, 1), panes[1]);
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

void TestFrame::clipDefinitionByClicks()
{
    Workspace& ws = m_frame->workspace();
    QVERIFY(enabled(Cmd::ClipDefine));
    command(Cmd::ClipDefine);
    QVERIFY(ws.m_bClipDefining && ws.m_bClipEditing && !ws.m_bClipClosed);
    QVERIFY(m_frame->clipBar()->isVisible());
    QVERIFY(m_frame->action(Cmd::ClipDefine)->isChecked());

    clickPhoto(QPoint(100, 100));
    QCOMPARE(ws.m_clip.GetCount(), 2); // the first point is stored twice
    QVERIFY(!enabled(Cmd::ClipOk) && !enabled(Cmd::ClipClose));
    QVERIFY(enabled(Cmd::ClipDeleteLastPoint) && enabled(Cmd::ClipDelete));
    QVERIFY(!enabled(Cmd::ClipDuplicatePoint) && !enabled(Cmd::ClipDeletePoint));
    clickPhoto(QPoint(300, 100));
    QCOMPARE(ws.m_clip.GetCount(), 3);
    QVERIFY(!enabled(Cmd::ClipOk));
    // A click inside a point's hit square grabs it instead of adding one.
    clickPhoto(QPoint(303, 104));
    QCOMPARE(ws.m_clip.GetCount(), 3);
    clickPhoto(QPoint(200, 250));
    QCOMPARE(ws.m_clip.GetCount(), 4);
    QVERIFY(enabled(Cmd::ClipOk) && enabled(Cmd::ClipClose));
    QVERIFY(!ws.m_clip.GetPath().isEmpty());

    // The context menu offers the same, with its own rules.
    CKestrinView* pane = view();
    QMenu* menu = pane->clipMenu();
    QVERIFY(menu);
    emit menu->aboutToShow();
    auto item = [menu](int id) { return menu->findChild<QAction*>(QString::number(id)); };
    QVERIFY(item(Cmd::MenuClipOk)->isEnabled());
    QVERIFY(!item(Cmd::ClipDuplicatePoint)->isEnabled());

    command(Cmd::ClipClose);
    QVERIFY(ws.m_bClipClosed && ws.m_bClipEditing && !ws.m_bClipDefining);
    QVERIFY(m_frame->clipBar()->isVisible());
    QVERIFY(!enabled(Cmd::ClipClose));
    command(Cmd::ClipOk);
    QVERIFY(ws.m_bClipClosed && !ws.m_bClipEditing && !ws.m_bClipDefining);
    QVERIFY(!m_frame->clipBar()->isVisible());
    QVERIFY(enabled(Cmd::ShowInfo));
}

void TestFrame::closedClipPointsArePickedDuplicatedAndDeleted()
{
    Workspace& ws = m_frame->workspace();
    command(Cmd::ClipDefine);
    for (QPoint p : { QPoint(100, 100), QPoint(300, 100), QPoint(200, 250) })
        clickPhoto(p);
    command(Cmd::ClipClose);
    // Drag the second point to a new place; the release picks it.
    CKestrinView* pane = view();
    QTest::mousePress(pane->viewport(), Qt::LeftButton, {}, client(pane, QPoint(300, 100)));
    QMouseEvent move(QEvent::MouseMove, client(pane, QPoint(320, 80)),
        pane->viewport()->mapToGlobal(client(pane, QPoint(320, 80))), Qt::NoButton, Qt::LeftButton,
        {});
    QApplication::sendEvent(pane->viewport(), &move);
    QTest::mouseRelease(pane->viewport(), Qt::LeftButton, {}, client(pane, QPoint(320, 80)));
    QCOMPARE(ws.m_clip.GetPoints().at(1), QPoint(320, 80));
    QCOMPARE(ws.m_nClipPoint, 1);
    QVERIFY(enabled(Cmd::ClipDuplicatePoint) && enabled(Cmd::ClipDeletePoint));

    command(Cmd::ClipDuplicatePoint);
    QCOMPARE(ws.m_clip.GetCount(), 5);
    QCOMPARE(ws.m_nClipPoint, -1);
    QVERIFY(!enabled(Cmd::ClipDeletePoint));

    clickPhoto(QPoint(100, 100));
    QCOMPARE(ws.m_nClipPoint, 0);
    command(Cmd::ClipDeletePoint);
    QCOMPARE(ws.m_clip.GetCount(), 4);
    QCOMPARE(ws.m_clip.GetPoints().at(0), QPoint(320, 80));
    QVERIFY(ws.m_bClipClosed);
}

void TestFrame::deletingTheLastPointsStartsOver()
{
    Workspace& ws = m_frame->workspace();
    command(Cmd::ClipDefine);
    clickPhoto(QPoint(100, 100));
    clickPhoto(QPoint(300, 100));
    command(Cmd::ClipDeleteLastPoint);
    QCOMPARE(ws.m_clip.GetCount(), 2);
    command(Cmd::ClipDeleteLastPoint);
    // A single entry left is no outline: the definition starts over.
    QCOMPARE(ws.m_clip.GetCount(), 0);
    QVERIFY(ws.m_bClipDefining && ws.m_bClipEditing && !ws.m_bClipClosed);
    QVERIFY(!enabled(Cmd::ClipDeleteLastPoint));

    // Deleting the picked point of an outline of two points starts over too.
    defineTriangleClip();
    command(Cmd::ClipDelete);
    QVERIFY(ws.m_bClipDefining && ws.m_bClipEditing && !ws.m_bClipClosed);
    QCOMPARE(ws.m_clip.GetCount(), 0);
}

void TestFrame::startingAClipEmptiesEverySlot()
{
    defineTriangleClip();
    command(Cmd::Panes4);
    Workspace& ws = m_frame->workspace();
    for (int s = 1; s < 4; ++s) {
        ws.m_slot[size_t(s)].arBrackets.emplace_back();
        ws.m_slot[size_t(s)].nSelected = 0;
    }
    command(Cmd::ClipDefine);
    QCOMPARE(ws.m_nPaneCount, 1);
    for (const PaneSlot& slot : ws.m_slot) {
        QVERIFY(slot.arBrackets.empty());
        QCOMPARE(slot.nSelected, -1);
    }
    // Abandoning the new definition leaves no clip at all.
    command(Cmd::ClipDefine);
    QVERIFY(!ws.m_bClipDefining && !ws.m_bClipEditing && !ws.m_bClipClosed);
    QVERIFY(!m_frame->clipBar()->isVisible());
}

void TestFrame::outlineIsDrawnAtOffsetAndZoom()
{
    command(Cmd::Zoom200);
    command(Cmd::ClipDefine);
    CKestrinView* pane = view();
    for (QPoint p : { QPoint(50, 50), QPoint(350, 50), QPoint(350, 250), QPoint(50, 250) })
        clickPhoto(p, pane);
    // Far from the outline the photograph shows untouched.
    QImage shot = grab(pane);
    QCOMPARE(shot.pixel(client(pane, QPoint(200, 150))), PhotoColour);
    // Along the top edge, between the first two points, the dashes show black or
    // white near the straight line (the spline bends a little away from it).
    bool marked = false;
    for (int x = 150; x < 250 && !marked; ++x)
        for (int dy = -30; dy <= 30 && !marked; ++dy) {
            const QPoint at = client(pane, QPoint(x, 50)) + QPoint(0, dy);
            if (!pane->viewport()->rect().contains(at))
                continue;
            // Grey from black through white (smoothed edges included), never green.
            const QRgb c = shot.pixel(at);
            marked = qAbs(qRed(c) - qGreen(c)) < 8 && qAbs(qGreen(c) - qBlue(c)) < 8;
        }
    QVERIFY(marked);
}

void TestFrame::bracketsShowOnlyInsideAClosedClip()
{
    QImage picture(60, 60, QImage::Format_ARGB32);
    picture.fill(BracketColour);
    QVERIFY(picture.save(m_host->path("b.png")));
    Workspace& ws = m_frame->workspace();
    command(Cmd::ClipDefine);
    for (QPoint p : { QPoint(100, 100), QPoint(300, 100), QPoint(300, 200), QPoint(100, 200) })
        clickPhoto(p);
    QBracket bracket;
    QVERIFY(bracket.Init(0, 0, m_host->path("b.png"), 100, 100, QString(), true));
    bracket.CenterAt(100, 150); // half inside the clip, half outside
    ws.m_slot[1].arBrackets.push_back(bracket);

    // While the outline is open no bracket shows.
    CKestrinView* pane = view();
    QCOMPARE(grab(pane).pixel(client(pane, QPoint(115, 165))), PhotoColour);

    command(Cmd::ClipOk);
    const QImage shot = grab(pane);
    // The closed spline through the rectangle's corners bulges out to x = 75 at
    // mid-height; the picture spans x 70..130.
    QCOMPARE(shot.pixel(client(pane, QPoint(115, 165))), BracketColour);
    QCOMPARE(shot.pixel(client(pane, QPoint(78, 165))), BracketColour);
    QCOMPARE(shot.pixel(client(pane, QPoint(72, 165))), PhotoColour);
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

void TestFrame::barArrangementIsRestoredUnlessItNamesUnknownBars()
{
    // Hide the bracket list, close: the next frame starts without it.
    QVERIFY(m_frame->action(Cmd::BracketView)->isChecked());
    command(Cmd::BracketView);
    QVERIFY(!m_frame->bracketBar()->isVisible());
    m_frame->close();
    QSettings ini(m_host->path("Molvex.ini"), QSettings::IniFormat);
    QVERIFY(!ini.value("BarState/State").toByteArray().isEmpty());
    QVERIFY(ini.contains("BarState-SCBar-103/sizeVertCX"));
    {
        CMainFrame next;
        next.show();
        QVERIFY(QTest::qWaitForWindowExposed(&next));
        QVERIFY(!next.bracketBar()->isVisible());
        next.close();
    }
    // A saved arrangement naming a bar this frame lacks is ignored altogether.
    QSettings(m_host->path("Molvex.ini"), QSettings::IniFormat)
        .setValue("BarState/Bars", QStringList { "ToolBar-59392", "SCBar-103", "SCBar-999" });
    CMainFrame refused;
    refused.show();
    QVERIFY(QTest::qWaitForWindowExposed(&refused));
    QVERIFY(refused.bracketBar()->isVisible());
}

QTEST_MAIN(TestFrame)
#include "tst_frame.moc"
