// The core of every command, without a window: each command's enable and check
// rule over a set of workspace states, what each handler does to the workspace
// and asks of the window, the pane layout, the double-click replace rule and
// deleting the selected bracket.
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

// A closed outline of three points, editing ended.
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
    void deleteSelected_data();
    void deleteSelected();
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
    // Steps before the command: ids, c<n> clicks of the outline, z<zoom>. The
    // workspace after it: zoom, fit, clip defining/editing/closed, pane count and
    // work slot, the operation mode of slot 0 and whether slot 3's is on.
    QTest::addColumn<QString>("steps");
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("calls");
    QTest::addColumn<QString>("after");
    QTest::newRow("in") << "" << int(ZoomIn) << "scale" << "1.25 0 000 1/1 -0";
    QTest::newRow("in at the top") << "z6" << int(ZoomIn) << "scale" << "6 0 000 1/1 -0";
    QTest::newRow("in past the top") << "z5.9" << int(ZoomIn) << "scale" << "6.15 0 000 1/1 -0";
    QTest::newRow("in back to the top") << "z6.15" << int(ZoomIn) << "scale" << "6 0 000 1/1 -0";
    QTest::newRow("out") << "" << int(ZoomOut) << "scale" << "0.75 0 000 1/1 -0";
    QTest::newRow("out to the bottom") << "z0.5" << int(ZoomOut) << "scale" << "0.25 0 000 1/1 -0";
    QTest::newRow("out at the bottom") << "z0.25" << int(ZoomOut) << "scale" << "0.25 0 000 1/1 -0";
    QTest::newRow("out below the bottom") << "z0.3" << int(ZoomOut) << "scale" << "0.25 0 000 1/1 -0";
    QTest::newRow("out above the top") << "z6.15" << int(ZoomOut) << "scale" << "5.9 0 000 1/1 -0";
    const QList<QPair<int, QString>> presets = { { Zoom25, "0.25" }, { Zoom50, "0.5" },
        { Zoom75, "0.75" }, { Zoom100, "1" }, { Zoom200, "2" }, { Zoom300, "3" }, { Zoom400, "4" } };
    for (const auto& [id, zoom] : presets)
        QTest::addRow("preset %d", id) << "z1.5" << id << "scale" << zoom + " 0 000 1/1 -0";
    QTest::newRow("fit") << "6037" << int(FitSize) << "scale" << "0.75 1 000 1/1 -0";
    QTest::newRow("two panes") << "" << int(Panes2) << "layout+" << "1 1 000 2/1 -0";
    QTest::newRow("two panes again") << "6050" << int(Panes2) << "layout" << "1 1 000 2/1 -0";
    QTest::newRow("one pane again") << "" << int(Panes1) << "layout+" << "1 1 000 1/1 -0";
    QTest::newRow("next image") << "" << int(NextImage) << "layout" << "1 1 000 1/2 -0";
    QTest::newRow("none after 3") << "6065 6065" << int(NextImage) << "" << "1 1 000 1/3 -0";
    QTest::newRow("previous image") << "6065" << int(PrevImage) << "layout" << "1 1 000 1/1 -0";
    QTest::newRow("none before 1") << "" << int(PrevImage) << "" << "1 1 000 1/1 -0";
    QTest::newRow("next pane") << "" << int(NextPane) << "focus" << "1 1 000 1/1 -0";
    QTest::newRow("info") << "" << int(ShowInfo) << "" << "1 1 000 1/1 -0";
    QTest::newRow("define") << "6051" << int(ClipDefine) << "bar0=1 layout+ panes" << "1 1 110 1/1 -0";
    QTest::newRow("abandon") << "6043 c3" << int(ClipDefine) << "bar0=0 panes" << "1 1 000 1/1 -0";
    QTest::newRow("ok closes") << "6043 c2" << int(ClipOk) << "bar0=0 panes" << "1 1 001 1/1 -0";
    QTest::newRow("ok, too short") << "6043 c1" << int(MenuClipOk) << "bar0=0 panes" << "1 1 100 1/1 -0";
    QTest::newRow("ok without editing") << "" << int(ClipOk) << "" << "1 1 000 1/1 -0";
    QTest::newRow("close") << "6043 c2" << int(ClipClose) << "panes" << "1 1 011 1/1 -0";
    QTest::newRow("close, too short") << "6043 c1" << int(MenuClipClose) << "panes" << "1 1 110 1/1 -0";
    QTest::newRow("close without definition") << "" << int(ClipClose) << "" << "1 1 000 1/1 -0";
    QTest::newRow("ok after close") << "6043 c3 6075" << int(ClipOk) << "bar0=0 panes" << "1 1 001 1/1 -0";
    QTest::newRow("restart") << "6043 c3 6074" << int(ClipDefine) << "bar0=1 layout+ panes" << "1 1 110 1/1 -0";
    QTest::newRow("point edit") << "6043" << int(ClipDeletePoint) << "panes" << "1 1 110 1/1 -0";
    QTest::newRow("mode") << "" << int(ModeRotate) << "" << "1 1 000 1/1 R1";
    QTest::newRow("another mode") << "6054" << int(ModeMove) << "" << "1 1 000 1/1 M1";
    QTest::newRow("mode off") << "6053" << int(ModeMove) << "" << "1 1 000 1/1 -0";
    QTest::newRow("nothing to delete") << "" << int(BracketDelete) << "" << "1 1 000 1/1 -0";
    QTest::newRow("bracket view") << "" << int(BracketView) << "bar1=0" << "1 1 000 1/1 -0";
    QTest::newRow("bracket tool") << "" << int(BracketTool) << "bar2=0" << "1 1 000 1/1 -0";
    QTest::newRow("status bar") << "" << int(ViewStatusBar) << "bar3=1" << "1 1 000 1/1 -0";
    using T = CommandEnv::Task;
    const QList<QPair<int, T>> tasks = { { FileSaveAs, T::SaveAs }, { FileSaveCopyAs, T::SaveAs },
        { RegisterPhoto, T::Register }, { FilePrint, T::Print }, { FilePrintDirect, T::PrintDirect },
        { FilePrintPreview, T::PrintPreview }, { FilePrintSetup, T::PrinterSetup },
        { Brightness, T::Brightness }, { ColorBalance, T::ColorBalance },
        { GalleryAdd, T::GalleryAdd }, { GalleryEdit, T::GalleryEdit },
        { GalleryDelete, T::GalleryDelete }, { AppAbout, T::About }, { AppExit, T::Quit } };
    for (const auto& [id, task] : tasks)
        QTest::addRow("task %d", id) << "" << id << QString("run%1").arg(int(task)) << "1 1 000 1/1 -0";
}

void TestCommands::handlers()
{
    QFETCH(QString, steps);
    QFETCH(int, id);
    RecordingEnv env;
    Workspace& ws = env.ws;
    ws.m_slot[2].arBrackets.resize(1); // a new outline must take it away
    for (const QString& step : steps.split(' ', Qt::SkipEmptyParts)) {
        if (step.startsWith('z'))
            ws.m_dZoom = step.mid(1).toDouble();
        else if (step.startsWith('c'))
            click(ws, step.mid(1).toInt());
        else
            CommandTable::find(step.toInt())->handler(env);
    }
    env.calls.clear();
    const bool showInfo = ws.m_bShowInfo;
    CommandTable::find(id)->handler(env);
    QTEST(env.calls.join(' '), "calls");
    const auto op = [](int mode) { return QString("-MRS").at(QList<int> { OpNone, OpMove, OpRotate, OpScale }.indexOf(mode)); };
    QTEST(QString("%1 %2 %3%4%5 %6/%7 %8%9").arg(ws.m_dZoom).arg(ws.m_bFitSize)
              .arg(ws.m_bClipDefining).arg(ws.m_bClipEditing).arg(ws.m_bClipClosed)
              .arg(ws.m_layout.paneCount()).arg(ws.m_layout.workSlot())
              .arg(op(ws.m_slot[0].nOpMode)).arg(ws.m_slot[3].bOpModeOn),
        "after");
    QCOMPARE(ws.m_slot[2].arBrackets.empty(), ws.m_bClipDefining || steps.contains("6043"));
    QCOMPARE(ws.m_bShowInfo, showInfo == (id != ShowInfo));
}

void TestCommands::paneLayout_data()
{
    // Steps: 1, 2, 3, 4 pane counts; n/p next/previous work slot; a<i> activate
    // grid pane i; +/- activate the neighbour. `refused`: the last step said no.
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QList<int>>("shown"); // slots of the shown panes, row by row
    QTest::addColumn<int>("active");
    QTest::addColumn<int>("work");
    QTest::addColumn<bool>("refused");
    QTest::newRow("start") << "" << QList<int> { 1 } << 0 << 1 << false;
    QTest::newRow("two") << "2" << QList<int> { 0, 1 } << 1 << 1 << false;
    QTest::newRow("three refused") << "4 3" << QList<int> { 0, 1, 2, 3 } << 1 << 1 << true;
    QTest::newRow("none above 3") << "n n n" << QList<int> { 3 } << 0 << 3 << true;
    QTest::newRow("none below 1") << "p" << QList<int> { 1 } << 0 << 1 << true;
    QTest::newRow("back to 2") << "n n p" << QList<int> { 2 } << 0 << 2 << false;
    QTest::newRow("two follow") << "2 a0 n" << QList<int> { 0, 2 } << 1 << 2 << false;
    QTest::newRow("two restart at 1") << "n n 2" << QList<int> { 0, 1 } << 1 << 1 << false;
    QTest::newRow("four keep it") << "n n 4" << QList<int> { 0, 1, 2, 3 } << 1 << 3 << false;
    QTest::newRow("four, next") << "4 a2 n" << QList<int> { 0, 1, 2, 3 } << 2 << 2 << false;
    QTest::newRow("then one") << "n 4 a3 1" << QList<int> { 1 } << 0 << 1 << false;
    QTest::newRow("hidden refused") << "2 a2" << QList<int> { 0, 1 } << 1 << 1 << true;
    QTest::newRow("outside refused") << "4 a4" << QList<int> { 0, 1, 2, 3 } << 1 << 1 << true;
    QTest::newRow("wrap forward") << "4 a3 +" << QList<int> { 0, 1, 2, 3 } << 0 << 1 << false;
    QTest::newRow("wrap back") << "4 a0 -" << QList<int> { 0, 1, 2, 3 } << 3 << 1 << false;
    QTest::newRow("two back") << "2 - -" << QList<int> { 0, 1 } << 1 << 1 << false;
    QTest::newRow("one stays") << "+" << QList<int> { 1 } << 0 << 1 << false;
}

void TestCommands::paneLayout()
{
    QFETCH(QString, steps);
    QFETCH(QList<int>, shown);
    QFETCH(int, active);
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
    QTEST(!ok, "refused");
    QTEST(layout.workSlot(), "work");
    QCOMPARE(QList<int>(layout.shownSlots()), shown);
    QCOMPARE(layout.paneCount(), int(shown.size()));
    QCOMPARE(layout.rows() * layout.cols(), int(shown.size()));
    QCOMPARE(layout.cols(), qMin(int(shown.size()), 2));
    QCOMPARE(layout.activePane(), active);
    QCOMPARE(layout.activeSlot(), shown.at(layout.shownPanes().indexOf(active)));
    for (int pane = -1; pane <= PaneLayout::GridPanes; ++pane) {
        const int index = int(layout.shownPanes().indexOf(pane));
        QCOMPARE(layout.isShown(pane), index >= 0);
        QCOMPARE(layout.isWorking(pane), index >= 0 ? shown.at(index) != 0 : layout.slotOf(pane) != 0);
    }
    QCOMPARE(layout.slotOf(PaneLayout::GridPanes) + layout.slotOf(-1), 0);
}

void TestCommands::replaceOnDoubleClick_data()
{
    QTest::addColumn<int>("slot");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("selected");
    QTest::addColumn<bool>("handled"); // false: the caller pastes a new bracket
    QTest::addColumn<int>("selectedAfter");
    QTest::addColumn<int>("replaced"); // -1: no picture changed
    QTest::newRow("empty") << 2 << 0 << -1 << false << -1 << -1;
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
    QFETCH(int, replaced);
    testutils::IsolatedHost host;
    QVERIFY(testutils::positionImage(31, 17).save(host.path("b.png")));
    Workspace ws;
    PaneSlot& target = ws.m_slot[size_t(qMin(slot, 3))];
    target.arBrackets.resize(size_t(count));
    QFETCH(int, selected);
    target.nSelected = selected;
    QTEST(WorkspaceCommands::replaceOnDoubleClick(ws, slot, host.path("b.png"), true, 7, "B7"),
        "handled");
    QTEST(target.nSelected, "selectedAfter");
    for (int i = 0; i < count; ++i)
        QCOMPARE(target.arBrackets[size_t(i)].m_strName, i == replaced ? "B7" : "");
    // A picture that cannot be read leaves the bracket as it was.
    WorkspaceCommands::replaceOnDoubleClick(ws, slot, host.path("gone.png"), true, 9, "X");
    for (const QBracket& b : target.arBrackets)
        QVERIFY(b.m_strName != "X" && b.m_nListItem != 9);
}

void TestCommands::deleteSelected_data()
{
    QTest::addColumn<int>("slot");
    QTest::addColumn<int>("selected");
    QTest::addColumn<bool>("defining");
    QTest::addColumn<bool>("deleted");
    QTest::newRow("middle") << 2 << 1 << false << true;
    QTest::newRow("last, reference slot") << 0 << 2 << false << true;
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
    QFETCH(bool, deleted);
    Workspace ws;
    QFETCH(bool, defining);
    ws.m_bClipDefining = defining;
    for (PaneSlot& s : ws.m_slot) {
        for (int i = 0; i < 3; ++i)
            s.arBrackets.emplace_back().SetListItem(i);
        s.nSelected = selected;
    }
    QCOMPARE(WorkspaceCommands::deleteSelected(ws, slot), deleted);
    for (int s = 0; s < Workspace::SlotCount; ++s) {
        const PaneSlot& p = ws.m_slot[size_t(s)];
        const bool hit = deleted && s == slot;
        QCOMPARE(p.nSelected, hit ? -1 : selected);
        QList<int> left;
        for (const QBracket& b : p.arBrackets)
            left << b.m_nListItem;
        QVERIFY(!hit || !left.contains(selected));
        QCOMPARE(left.size(), hit ? 2 : 3);
    }
}

QTEST_GUILESS_MAIN(TestCommands)
#include "tst_commands.moc"
