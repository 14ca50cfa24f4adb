// The core of every command, without a window: each command's enable and check
// rule over a set of workspace states, what each handler asks of the window, the
// pane layout, the double-click replace rule and the workspace commands.
#include "core/commands/commandenv.h"
#include "core/commands/commandids.h"
#include "core/commands/commandtable.h"
#include "core/workspace/clipactions.h"
#include "core/workspace/workspace.h"
#include "core/workspace/workspacecommands.h"
#include "testutils.h"

#include <QtTest>

using namespace Cmd;

namespace {
const QList<int> Zooms = { ZoomIn, ZoomOut, Zoom25, Zoom50, Zoom75, Zoom100, Zoom200, Zoom300,
    Zoom400 };
const QList<int> Selection = { ModeScale, ModeMove, ModeRotate, BracketDelete, Brightness,
    ColorBalance };
const QList<int> PaneChoice = { Panes1, Panes2, Panes4, PrevImage, NextImage };
const QList<int> Host = { RegisterPhoto, GalleryEdit, GalleryDelete };
const QList<int> Picking = { ClipDuplicatePoint, ClipDeletePoint };
const QList<int> Finish = { ClipOk, ClipClose, MenuClipOk, MenuClipClose };
const QList<int> Bars = { BracketView, BracketTool, ViewStatusBar };

void click(Workspace& ws, int points)
{
    for (int i = 0; i < points; ++i)
        ClipActions::press(ws, QPoint(30 + 97 * i, 20 + 61 * (i % 2)));
}

// A workspace with a photograph and a closed outline of three points.
void closeClip(Workspace& ws)
{
    WorkspaceCommands::toggleClipDefinition(ws);
    click(ws, 3);
    WorkspaceCommands::endClipEditing(ws);
}

void select(Workspace& ws, int slot, int op)
{
    PaneSlot& s = ws.m_slot[size_t(slot)];
    s.arBrackets.resize(2);
    s.nSelected = 1;
    s.nOpMode = op;
}

// Records what the handlers ask of the window.
class RecordingEnv : public CommandEnv {
public:
    Workspace ws;
    QStringList calls;
    Workspace& workspace() override { return ws; }
    void scaleChanged() override { calls << "scale"; }
    void panesChanged() override { calls << "panes"; }
    void layoutChanged(bool rescale) override { calls << (rescale ? "layout+" : "layout"); }
    void focusActivePane() override { calls << "focus"; }
    bool isBarVisible(Bar bar) const override { return bar != Bar::StatusBar; }
    void setBarVisible(Bar bar, bool on) override { calls << QString("bar%1=%2").arg(int(bar)).arg(on); }
    void run(Task task) override { calls << QString("run%1").arg(int(task)); }
};
} // namespace

class TestCommands : public QObject {
    Q_OBJECT

private slots:
    void rules_data();
    void rules();
    void handlers_data();
    void handlers();
    void paneLayout_data();
    void paneLayout();
    void replaceOnDoubleClick_data();
    void replaceOnDoubleClick();
    void zoom_data();
    void zoom();
    void deleteSelected_data();
    void deleteSelected();
    void opModeIsChosenForEverySlot();
    void clipDefinition_data();
    void clipDefinition();
};

void TestCommands::rules_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<QList<int>>("off");
    QTest::addColumn<QList<int>>("checked");
    const QList<int> clipEdits = { ClipDeleteLastPoint, ClipDelete };
    const QList<int> menuEdits = { MenuClipDeleteLastPoint, MenuClipDelete };
    QTest::newRow("no photo") << 0
                              << Zooms + PaneChoice + Selection + Host + Picking + Finish
            + clipEdits + menuEdits + QList<int> { FitSize, ClipDefine, ShowInfo }
                              << Bars + QList<int> { FitSize, Panes1, ShowInfo };
    QTest::newRow("two points") << 1 << PaneChoice + Selection + Host + Picking + Finish
            + QList<int> { ShowInfo }
                                << Bars + QList<int> { FitSize, Panes1, ShowInfo, ClipDefine };
    QTest::newRow("three points") << 2 << PaneChoice + Selection + Host + Picking + QList<int> { ShowInfo }
                                  << Bars + QList<int> { FitSize, Panes1, ShowInfo, ClipDefine };
    QTest::newRow("closed, still editing")
        << 3 << PaneChoice + Selection + Host + Picking + QList<int> { ClipClose, MenuClipClose }
        << Bars + QList<int> { FitSize, Panes1, ShowInfo };
    QTest::newRow("closed, bars hidden, host ready")
        << 4 << Selection + Picking + Finish + clipEdits + QList<int> { PrevImage }
        << QList<int> { FitSize, Panes1, ShowInfo };
    QTest::newRow("two panes at slot 3, point picked, bracket moving")
        << 5 << Host + Finish + clipEdits + QList<int> { NextImage }
        << QList<int> { Panes2, ModeMove, BracketView, BracketTool, ViewStatusBar };
    QTest::newRow("four panes, selection elsewhere")
        << 6 << Selection + Host + Picking + Finish + clipEdits + QList<int> { PrevImage, NextImage }
        << Bars + QList<int> { FitSize, Panes4, ShowInfo };
}

void TestCommands::rules()
{
    QFETCH(int, state);
    QFETCH(QList<int>, off);
    QFETCH(QList<int>, checked);
    Workspace ws;
    CommandContext context;
    if (state > 0)
        ws.m_pPhoto = std::make_unique<QImage>(401, 293, QImage::Format_RGB32);
    if (state >= 1 && state <= 3) {
        WorkspaceCommands::toggleClipDefinition(ws);
        click(ws, state == 1 ? 2 : 3);
    }
    if (state == 3)
        WorkspaceCommands::closeClipCurve(ws);
    if (state >= 4)
        closeClip(ws);
    if (state == 4) {
        ws.m_bBracketToolShown = false;
        context = { true, false, true, false };
    }
    if (state == 5) {
        ws.m_bFitSize = ws.m_bShowInfo = false;
        ws.m_nClipPoint = 1;
        ws.m_layout.setPaneCount(2);
        ws.m_layout.nextWorkSlot();
        ws.m_layout.nextWorkSlot();
        select(ws, 1, OpScale); // not the active pane's slot
        select(ws, 3, OpMove);
    }
    if (state == 6) {
        ws.m_layout.nextWorkSlot();
        ws.m_layout.setPaneCount(4);
        select(ws, 2, OpRotate);
    }
    for (const CommandRow& row : CommandTable::rows()) {
        const CommandState s = row.rule(ws, context);
        QVERIFY2(s.enabled == !off.contains(row.id), qPrintable(QString::number(row.id)));
        QVERIFY2(s.checked == checked.contains(row.id), qPrintable(QString::number(row.id)));
        QVERIFY(row.checkable || !s.checked);
    }
}

void TestCommands::handlers_data()
{
    QTest::addColumn<QString>("steps"); // earlier commands, by id
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("calls");
    QTest::newRow("zoom out") << "" << int(ZoomOut) << "scale";
    QTest::newRow("preset") << "" << int(Zoom300) << "scale";
    QTest::newRow("fit") << "" << int(FitSize) << "scale";
    QTest::newRow("two panes") << "" << int(Panes2) << "layout+";
    QTest::newRow("two panes again") << "6050" << int(Panes2) << "layout";
    QTest::newRow("one pane again") << "" << int(Panes1) << "layout+";
    QTest::newRow("next image") << "" << int(NextImage) << "layout";
    QTest::newRow("no image after 3") << "6065 6065" << int(NextImage) << "";
    QTest::newRow("no image before 1") << "" << int(PrevImage) << "";
    QTest::newRow("next pane") << "" << int(NextPane) << "focus";
    QTest::newRow("previous pane") << "" << int(PrevPane) << "focus";
    QTest::newRow("define clip") << "6051" << int(ClipDefine) << "bar0=1 layout+ panes";
    QTest::newRow("abandon clip") << "6043" << int(ClipDefine) << "bar0=0 panes";
    QTest::newRow("ok without editing") << "" << int(ClipOk) << "";
    QTest::newRow("ok") << "6043" << int(ClipOk) << "bar0=0 panes";
    QTest::newRow("menu ok") << "6043" << int(MenuClipOk) << "bar0=0 panes";
    QTest::newRow("close") << "6043" << int(ClipClose) << "panes";
    QTest::newRow("menu close") << "6043" << int(MenuClipClose) << "panes";
    QTest::newRow("point edit") << "6043" << int(ClipDeletePoint) << "panes";
    QTest::newRow("nothing to delete") << "" << int(BracketDelete) << "";
    QTest::newRow("bracket view") << "" << int(BracketView) << "bar1=0";
    QTest::newRow("bracket tool") << "" << int(BracketTool) << "bar2=0";
    QTest::newRow("status bar") << "" << int(ViewStatusBar) << "bar3=1";
    QTest::newRow("info") << "" << int(ShowInfo) << "";
    QTest::newRow("mode") << "" << int(ModeScale) << "";
    using T = CommandEnv::Task;
    const QList<QPair<int, T>> tasks = { { FileSaveAs, T::SaveAs }, { FileSaveCopyAs, T::SaveAs },
        { RegisterPhoto, T::Register }, { FilePrint, T::Print }, { FilePrintDirect, T::PrintDirect },
        { FilePrintPreview, T::PrintPreview }, { FilePrintSetup, T::PrinterSetup },
        { Brightness, T::Brightness }, { ColorBalance, T::ColorBalance },
        { GalleryAdd, T::GalleryAdd }, { GalleryEdit, T::GalleryEdit },
        { GalleryDelete, T::GalleryDelete }, { AppAbout, T::About }, { AppExit, T::Quit } };
    for (const auto& [id, task] : tasks)
        QTest::addRow("task %d", id) << "" << id << QString("run%1").arg(int(task));
}

void TestCommands::handlers()
{
    QFETCH(QString, steps);
    QFETCH(int, id);
    QFETCH(QString, calls);
    RecordingEnv env;
    for (const QString& step : steps.split(' ', Qt::SkipEmptyParts))
        CommandTable::find(step.toInt())->handler(env);
    env.calls.clear();
    CommandTable::find(id)->handler(env);
    QCOMPARE(env.calls.join(' '), calls);
}

void TestCommands::paneLayout_data()
{
    // Steps: 1, 2, 3, 4 pane counts; n/p next/previous work slot; a<i> activate
    // pane i; +/- activate the neighbour. `refused`: the last step said no.
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QList<int>>("shown"); // slots of the shown panes, row by row
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("active");
    QTest::addColumn<int>("work");
    QTest::addColumn<bool>("refused");
    QTest::newRow("start") << "" << QList<int> { 1 } << 1 << 0 << 1 << false;
    QTest::newRow("two") << "2" << QList<int> { 0, 1 } << 1 << 1 << 1 << false;
    QTest::newRow("four") << "4" << QList<int> { 0, 1, 2, 3 } << 2 << 1 << 1 << false;
    QTest::newRow("three refused") << "2 3" << QList<int> { 0, 1 } << 1 << 1 << 1 << true;
    QTest::newRow("one at slot 3") << "n n" << QList<int> { 3 } << 1 << 0 << 3 << false;
    QTest::newRow("none above 3") << "n n n" << QList<int> { 3 } << 1 << 0 << 3 << true;
    QTest::newRow("none below 1") << "p" << QList<int> { 1 } << 1 << 0 << 1 << true;
    QTest::newRow("back to 2") << "n n p" << QList<int> { 2 } << 1 << 0 << 2 << false;
    QTest::newRow("two follow") << "2 a0 n" << QList<int> { 0, 2 } << 1 << 1 << 2 << false;
    QTest::newRow("two restart at 1") << "n n 2" << QList<int> { 0, 1 } << 1 << 1 << 1 << false;
    QTest::newRow("four keep slot") << "n n 4" << QList<int> { 0, 1, 2, 3 } << 2 << 1 << 3 << false;
    QTest::newRow("four then one") << "n 4 a3 1" << QList<int> { 1 } << 1 << 0 << 1 << false;
    QTest::newRow("four, next") << "4 a2 n" << QList<int> { 0, 1, 2, 3 } << 2 << 2 << 2 << false;
    QTest::newRow("hidden refused") << "2 a2" << QList<int> { 0, 1 } << 1 << 1 << 1 << true;
    QTest::newRow("outside refused") << "4 a4" << QList<int> { 0, 1, 2, 3 } << 2 << 1 << 1 << true;
    QTest::newRow("below refused") << "4 a-1" << QList<int> { 0, 1, 2, 3 } << 2 << 1 << 1 << true;
    QTest::newRow("wrap forward") << "4 a3 +" << QList<int> { 0, 1, 2, 3 } << 2 << 0 << 1 << false;
    QTest::newRow("wrap back") << "4 a0 -" << QList<int> { 0, 1, 2, 3 } << 2 << 3 << 1 << false;
    QTest::newRow("three forward") << "4 + + +" << QList<int> { 0, 1, 2, 3 } << 2 << 0 << 1 << false;
    QTest::newRow("two back") << "2 - -" << QList<int> { 0, 1 } << 1 << 1 << 1 << false;
    QTest::newRow("one stays") << "+ -" << QList<int> { 1 } << 1 << 0 << 1 << false;
}

void TestCommands::paneLayout()
{
    QFETCH(QString, steps);
    QFETCH(QList<int>, shown);
    QFETCH(int, rows);
    QFETCH(int, active);
    QFETCH(int, work);
    QFETCH(bool, refused);
    PaneLayout layout;
    bool ok = true;
    for (const QString& step : steps.split(' ', Qt::SkipEmptyParts)) {
        if (step == "n" || step == "p")
            ok = step == "n" ? layout.nextWorkSlot() : layout.previousWorkSlot();
        else if (step.startsWith('a'))
            ok = layout.setActivePane(step.mid(1).toInt());
        else if (step == "+" || step == "-")
            layout.activateNeighbour(step == "+" ? 1 : -1);
        else
            ok = layout.setPaneCount(step.toInt());
    }
    QCOMPARE(ok, !refused);
    QCOMPARE(QList<int>(layout.shownSlots()), shown);
    QCOMPARE(layout.paneCount(), int(shown.size()));
    QCOMPARE(layout.rows(), rows);
    QCOMPARE(layout.rows() * layout.cols(), int(shown.size()));
    QCOMPARE(layout.activePane(), active);
    QCOMPARE(layout.activeSlot(), shown.at(layout.shownPanes().indexOf(active)));
    QCOMPARE(layout.workSlot(), work);
    for (int pane = -1; pane <= PaneLayout::GridPanes; ++pane) {
        const int index = int(layout.shownPanes().indexOf(pane));
        QCOMPARE(layout.isShown(pane), index >= 0);
        if (index >= 0)
            QCOMPARE(layout.isWorking(pane), shown.at(index) != 0);
    }
    QCOMPARE(layout.slotOf(PaneLayout::GridPanes), 0);
    QCOMPARE(layout.slotOf(-1), 0);
}

void TestCommands::replaceOnDoubleClick_data()
{
    QTest::addColumn<int>("slot");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("selected");
    QTest::addColumn<bool>("handled");
    QTest::addColumn<int>("selectedAfter");
    QTest::addColumn<int>("replaced"); // -1: no picture changed
    QTest::newRow("empty: paste") << 2 << 0 << -1 << false << -1 << -1;
    QTest::newRow("only one") << 2 << 1 << -1 << true << 0 << 0;
    QTest::newRow("several, none selected") << 1 << 3 << -1 << true << 2 << -1;
    QTest::newRow("several, one selected") << 3 << 3 << 1 << true << 1 << 1;
    QTest::newRow("stale selection") << 3 << 3 << 3 << true << 3 << -1;
    QTest::newRow("outside the slots") << 4 << 0 << -1 << false << -1 << -1;
}

void TestCommands::replaceOnDoubleClick()
{
    QFETCH(int, slot);
    QFETCH(int, count);
    QFETCH(int, selected);
    testutils::IsolatedHost host;
    QVERIFY(testutils::positionImage(31, 17).save(host.path("b.png")));
    Workspace ws;
    PaneSlot& target = ws.m_slot[size_t(qMin(slot, 3))];
    target.arBrackets.resize(size_t(count));
    target.nSelected = selected;
    QTEST(WorkspaceCommands::replaceOnDoubleClick(ws, slot, host.path("b.png"), true, 7, "B7"),
        "handled");
    QTEST(target.nSelected, "selectedAfter");
    QFETCH(int, replaced);
    for (int i = 0; i < count; ++i) {
        const QBracket& b = target.arBrackets[size_t(i)];
        QCOMPARE(b.m_nListItem, i == replaced ? 7 : -1);
        QCOMPARE(b.m_strName, i == replaced ? QString("B7") : QString());
    }
    // A picture that cannot be read leaves the bracket as it was.
    if (replaced >= 0) {
        WorkspaceCommands::replaceOnDoubleClick(ws, slot, host.path("gone.png"), true, 9, "X");
        QCOMPARE(target.arBrackets[size_t(replaced)].m_nListItem, 7);
    }
}

void TestCommands::zoom_data()
{
    QTest::addColumn<double>("from");
    QTest::addColumn<int>("id");
    QTest::addColumn<double>("to");
    QTest::newRow("in") << 1.0 << int(ZoomIn) << 1.25;
    QTest::newRow("in at the top") << 6.0 << int(ZoomIn) << 6.0;
    QTest::newRow("in to the top") << 5.75 << int(ZoomIn) << 6.0;
    QTest::newRow("in past the top") << 5.9 << int(ZoomIn) << 6.15;
    QTest::newRow("back from past the top") << 6.15 << int(ZoomIn) << 6.0;
    QTest::newRow("out") << 1.0 << int(ZoomOut) << 0.75;
    QTest::newRow("out to the bottom") << 0.5 << int(ZoomOut) << 0.25;
    QTest::newRow("out at the bottom") << 0.25 << int(ZoomOut) << 0.25;
    QTest::newRow("out below the bottom") << 0.3 << int(ZoomOut) << 0.25;
    QTest::newRow("out above the top") << 6.15 << int(ZoomOut) << 5.9;
    const QList<QPair<int, double>> presets = { { Zoom25, 0.25 }, { Zoom50, 0.5 },
        { Zoom75, 0.75 }, { Zoom100, 1.0 }, { Zoom200, 2.0 }, { Zoom300, 3.0 }, { Zoom400, 4.0 } };
    for (const auto& [id, zoom] : presets)
        QTest::addRow("preset %d", id) << 1.5 << id << zoom;
    QTest::newRow("not a preset") << 1.5 << int(FitSize) << 1.5;
}

void TestCommands::zoom()
{
    QFETCH(double, from);
    QFETCH(int, id);
    QFETCH(double, to);
    Workspace ws;
    ws.m_dZoom = from;
    bool known = true;
    if (id == ZoomIn)
        WorkspaceCommands::zoomIn(ws);
    else if (id == ZoomOut)
        WorkspaceCommands::zoomOut(ws);
    else
        known = WorkspaceCommands::zoomPreset(ws, id);
    QVERIFY(qAbs(ws.m_dZoom - to) < 1e-9);
    QCOMPARE(ws.m_bFitSize, !known); // every zoom ends fit mode
    QCOMPARE(known, id != FitSize);
}

void TestCommands::deleteSelected_data()
{
    QTest::addColumn<int>("slot");
    QTest::addColumn<int>("selected");
    QTest::addColumn<bool>("defining");
    QTest::addColumn<bool>("deleted");
    QTest::newRow("middle") << 2 << 1 << false << true;
    QTest::newRow("last") << 3 << 2 << false << true;
    QTest::newRow("reference slot") << 0 << 0 << false << true;
    QTest::newRow("index equal to the count") << 1 << 3 << false << false;
    QTest::newRow("none selected") << 1 << -1 << false << false;
    QTest::newRow("while defining a clip") << 1 << 1 << true << false;
    QTest::newRow("slot past the end") << 4 << 1 << false << false;
    QTest::newRow("slot before the start") << -1 << 1 << false << false;
}

void TestCommands::deleteSelected()
{
    QFETCH(int, slot);
    QFETCH(int, selected);
    QFETCH(bool, defining);
    QFETCH(bool, deleted);
    Workspace ws;
    ws.m_bClipDefining = defining;
    for (PaneSlot& s : ws.m_slot) {
        s.arBrackets.resize(3);
        for (int i = 0; i < 3; ++i)
            s.arBrackets[size_t(i)].SetListItem(i);
        s.nSelected = selected;
    }
    QCOMPARE(WorkspaceCommands::deleteSelected(ws, slot), deleted);
    for (int s = 0; s < Workspace::SlotCount; ++s) {
        const PaneSlot& p = ws.m_slot[size_t(s)];
        const bool hit = deleted && s == slot;
        QCOMPARE(int(p.arBrackets.size()), hit ? 2 : 3);
        QCOMPARE(p.nSelected, hit ? -1 : selected);
        if (hit)
            for (const QBracket& b : p.arBrackets)
                QVERIFY(b.m_nListItem != selected);
    }
}

void TestCommands::opModeIsChosenForEverySlot()
{
    Workspace ws;
    WorkspaceCommands::toggleOpMode(ws, 2, OpRotate);
    for (const PaneSlot& s : ws.m_slot)
        QVERIFY(s.bOpModeOn && s.nOpMode == OpRotate);
    WorkspaceCommands::toggleOpMode(ws, 1, OpMove); // another mode replaces it
    for (const PaneSlot& s : ws.m_slot)
        QVERIFY(s.bOpModeOn && s.nOpMode == OpMove);
    WorkspaceCommands::toggleOpMode(ws, 3, OpMove); // the same mode turns it off
    for (const PaneSlot& s : ws.m_slot)
        QVERIFY(!s.bOpModeOn && s.nOpMode == OpNone);
}

void TestCommands::clipDefinition_data()
{
    // Steps: d start or abandon a definition, c<n> n clicks, k close the curve,
    // o end editing. The last step's answer and the flags after all steps.
    QTest::addColumn<QString>("steps");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QString>("flags"); // defining, editing, closed
    QTest::newRow("start") << "d" << true << "110";
    QTest::newRow("abandon") << "d c3 d" << false << "000";
    QTest::newRow("close three") << "d c3 k" << true << "011";
    QTest::newRow("close two") << "d c2 k" << true << "011";
    QTest::newRow("close one") << "d c1 k" << true << "110";
    QTest::newRow("close without definition") << "k" << false << "000";
    QTest::newRow("ok closes") << "d c2 o" << true << "001";
    QTest::newRow("ok too short to close") << "d c1 o" << true << "100";
    QTest::newRow("ok after close") << "d c3 k o" << true << "001";
    QTest::newRow("ok without editing") << "d c3 o o" << false << "001";
    QTest::newRow("restart") << "d c3 o d" << true << "110";
}

void TestCommands::clipDefinition()
{
    QFETCH(QString, steps);
    QFETCH(bool, answer);
    QFETCH(QString, flags);
    Workspace ws;
    ws.m_slot[2].arBrackets.resize(1);
    ws.m_slot[2].nSelected = 0;
    bool last = false;
    for (const QString& step : steps.split(' ')) {
        if (step == "d")
            last = WorkspaceCommands::toggleClipDefinition(ws);
        else if (step == "k")
            last = WorkspaceCommands::closeClipCurve(ws);
        else if (step == "o")
            last = WorkspaceCommands::endClipEditing(ws);
        else
            click(ws, step.mid(1).toInt());
    }
    QCOMPARE(last, answer);
    QCOMPARE(QString("%1%2%3").arg(ws.m_bClipDefining).arg(ws.m_bClipEditing).arg(ws.m_bClipClosed),
        flags);
    // Starting or abandoning a definition empties the outline; starting also
    // empties every slot.
    if (steps.endsWith('d'))
        QCOMPARE(ws.m_clip.GetCount(), 0);
    QCOMPARE(ws.m_slot[2].arBrackets.empty(), steps.startsWith('d'));
    QCOMPARE(ws.m_slot[2].nSelected, steps.startsWith('d') ? -1 : 0);
}

QTEST_GUILESS_MAIN(TestCommands)
#include "tst_commands.moc"
