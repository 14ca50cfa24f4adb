// Undo and redo of every kind of change: the composite after undo is the one
// before the change pixel for pixel, after redo the one after it; a drag or a
// dialog is one step, a change of nothing none, and a new photograph forgets all.
#include "core/commands/commandenv.h"
#include "core/commands/commandids.h"
#include "core/commands/commandsteps.h"
#include "core/output/compositerenderer.h"
#include "core/workspace/bracketactions.h"
#include "core/workspace/clipactions.h"
#include "core/workspace/workspacecommands.h"
#include "testutils.h"

using namespace testutils;

namespace {
constexpr QRgb kRed = 0xFFE61E1E, kGreen = 0xFF14C828, kBlue = 0xFF1E3CE6;

// Runs commands as the frame does; the dialogs preview and then commit or cancel.
class DialogEnv : public CommandEnv {
public:
    Workspace ws;
    bool cancel = false;
    Workspace& workspace() override { return ws; }
    void scaleChanged() override { }
    void panesChanged() override { }
    void layoutChanged(bool) override { }
    void focusActivePane() override { }
    bool isBarVisible(Bar) const override { return false; }
    void setBarVisible(Bar, bool) override { }
    bool ask(int) override { return true; }
    void run(Task task) override
    {
        const int slot = ws.m_layout.activeSlot();
        for (int step = 40; step <= 160; step += 60) {
            if (task == Task::Brightness)
                BracketActions::adjustBrightness(ws, slot, step, 200 - step, false);
            else
                BracketActions::adjustColorBalance(ws, slot, 0x8000A0u + step, false);
        }
        if (cancel)
            BracketActions::revertPreview(ws, slot);
        else if (task == Task::Brightness)
            BracketActions::adjustBrightness(ws, slot, 137, 61, true);
        else
            BracketActions::adjustColorBalance(ws, slot, 0xC85A80u, true);
    }
};

// A 335 x 257 photograph, a closed clip of five points, four panes with slot 1
// active, two brackets in slot 1 (30 degrees, scale 0.83, the first selected)
// and one in slot 2; slot 3 is empty.
void scene(Workspace& ws, const QString& dir)
{
    setPhoto(ws, positionImage(335, 257));
    closeClip(ws, { { 40, 30 }, { 200, 35 }, { 253, 117 }, { 230, 180 }, { 60, 200 } });
    QBracket& b = addBracket(ws, dir, 1, { 57, 41 }, kRed, { 127, 111 }, 30);
    b.m_dScale = 0.83;
    b.ApplyScale();
    b.UpdateFrames();
    addBracket(ws, dir, 1, { 21, 17 }, kGreen, { 171, 93 }, -12.5);
    addBracket(ws, dir, 2, { 33, 45 }, kBlue, { 99, 141 }, 147);
    ws.m_slot[1].nSelected = 0;
    ws.m_slot[1].arBrackets[0].SetSelected(true);
    ws.m_nBracketSerial = 3;
    ws.m_layout.setPaneCount(4);
    ws.m_layout.setActivePane(1);
}

// The outline reopened for editing: "open" as a definition of four points in
// progress, "edit" as a closed outline with its third point picked.
void prepare(Workspace& ws, const QString& how)
{
    ws.m_bClipEditing = !how.isEmpty();
    if (how == "open") {
        ws.m_clip.Clear();
        ws.m_bClipClosed = false;
        ws.m_bClipDefining = true;
        for (const QPoint p : { QPoint(40, 30), QPoint(200, 35), QPoint(230, 180), QPoint(60, 200) })
            ClipActions::press(ws, p), ClipActions::release(ws, p);
    } else if (how == "edit") {
        ws.m_nClipPoint = 2;
    }
}

// A press, `moves` pointer moves from `from` to `to` and a release inside, with
// the undo step begun after the press as a pane does.
void drag(Workspace& ws, int op, QPoint from, QPoint to, int moves = 17)
{
    WorkspaceCommands::toggleOpMode(ws, 1, op);
    BracketActions::move(ws, 1, from, false, false, 0.7);
    if (BracketActions::press(ws, 1, from, 0.7))
        ws.m_history.begin();
    for (int i = 1; i <= moves; ++i)
        BracketActions::move(ws, 1, from + (to - from) * i / moves, false, true, 0.7);
    BracketActions::releaseInside(ws, 1);
    ws.m_history.end(op == OpScale ? ConsultationStep::Scale
            : op == OpRotate       ? ConsultationStep::Rotate
                                   : ConsultationStep::Move);
}

void clipDrag(Workspace& ws, QPoint from, QPoint to, ConsultationStep::Kind step)
{
    ws.m_history.begin();
    ClipActions::press(ws, from, 0.7);
    ClipActions::move(ws, (from + to) / 2);
    ClipActions::move(ws, to);
    ClipActions::release(ws, to, 0.7);
    ws.m_history.end(step);
}

void act(DialogEnv& env, const QString& action, const QString& dir)
{
    Workspace& ws = env.ws;
    const QPoint centre = ws.m_slot[1].arBrackets[0].m_rcBody.center();
    bool closed = false;
    if (action == "paste" || action == "replace") {
        const int slot = action == "paste" ? 3 : 2;
        ws.m_history.begin();
        BracketActions::paste(ws, slot, 0, solidPicture(dir, 29, 23, kGreen), { 150, 120 }, "b",
            0, &closed);
        ws.m_history.end(action == "paste" ? ConsultationStep::Paste : ConsultationStep::Replace);
    } else if (action == "move") {
        drag(ws, OpMove, centre, centre + QPoint(23, -9));
    } else if (action == "scale") {
        drag(ws, OpScale, centre, centre + QPoint(0, -19));
    } else if (action == "rotate") {
        drag(ws, OpRotate, centre + QPoint(15, 1), centre + QPoint(9, 14));
    } else if (action == "add point") {
        clipDrag(ws, { 150, 220 }, { 150, 220 }, ConsultationStep::ClipAddPoint);
    } else if (action == "move point") {
        clipDrag(ws, { 253, 117 }, { 281, 131 }, ConsultationStep::ClipMovePoint);
    } else if (action == "nudges") {
        for (const int key : { Qt::Key_Left, Qt::Key_Left, Qt::Key_Down }) {
            ws.m_history.begin();
            BracketActions::key(ws, 1, key, true);
            ws.m_history.end(ConsultationStep::Move, 1);
        }
    } else {
        CommandSteps::run(action.toInt(), env);
    }
}

QImage composite(const Workspace& ws)
{
    const PaneLayout& l = ws.m_layout;
    return CompositeRenderer(ws, l.shownSlots(), l.rows(), l.cols()).render();
}
} // namespace

class TestUndo : public QObject {
    Q_OBJECT

    std::unique_ptr<IsolatedHost> m_host;

private slots:
    void init() { m_host = std::make_unique<IsolatedHost>(); }
    void cleanup() { m_host.reset(); }

    void stepUndoRedo_data()
    {
        QTest::addColumn<QString>("clip");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("name");
        QTest::newRow("paste") << "" << "paste" << "ペースト";
        QTest::newRow("replace") << "" << "replace" << "置き換え";
        QTest::newRow("drag move") << "" << "move" << "移動";
        QTest::newRow("drag scale") << "" << "scale" << "拡大縮小";
        QTest::newRow("drag rotate") << "" << "rotate" << "回転";
        QTest::newRow("nudges merge") << "" << "nudges" << "移動";
        QTest::newRow("delete") << "" << QString::number(Cmd::BracketDelete) << "削除";
        QTest::newRow("brightness") << "" << QString::number(Cmd::Brightness) << "明るさ・コントラスト";
        QTest::newRow("colour") << "" << QString::number(Cmd::ColorBalance) << "カラーバランス";
        QTest::newRow("pane count") << "" << QString::number(Cmd::Panes2) << "画像数";
        QTest::newRow("new outline") << "" << QString::number(Cmd::ClipDefine) << "クリップ領域指定";
        QTest::newRow("add point") << "open" << "add point" << "ポイント追加";
        QTest::newRow("close") << "open" << QString::number(Cmd::ClipClose) << "閉曲線";
        QTest::newRow("ok") << "open" << QString::number(Cmd::MenuClipOk) << "クリップ確定";
        QTest::newRow("move point") << "edit" << "move point" << "ポイント移動";
        QTest::newRow("delete point") << "edit" << QString::number(Cmd::ClipDeletePoint) << "ポイント削除";
        QTest::newRow("duplicate point") << "edit" << QString::number(Cmd::ClipDuplicatePoint) << "ポイント複製";
        QTest::newRow("delete clip") << "edit" << QString::number(Cmd::ClipDelete) << "クリップ削除";
    }
    void stepUndoRedo()
    {
        QFETCH(QString, clip);
        QFETCH(QString, action);
        QFETCH(QString, name);
        DialogEnv env;
        Workspace& ws = env.ws;
        scene(ws, m_host->dir.path());
        prepare(ws, clip);
        const ConsultationSnapshot before = ConsultationSnapshot::capture(ws);
        const QImage pictureBefore = composite(ws);

        act(env, action, m_host->dir.path());
        const ConsultationSnapshot after = ConsultationSnapshot::capture(ws);
        const QImage pictureAfter = composite(ws);
        QVERIFY(after != before);
        QCOMPARE(ws.m_history.count(), 1);
        QCOMPARE(ws.m_history.undoName(), name);

        QVERIFY(ws.m_history.undo());
        QVERIFY(ConsultationSnapshot::capture(ws) == before);
        QVERIFY(sameImage(composite(ws), pictureBefore));
        QCOMPARE(ws.m_history.redoName(), name);
        QVERIFY(!ws.m_history.undo());

        QVERIFY(ws.m_history.redo());
        QVERIFY(ConsultationSnapshot::capture(ws) == after);
        QVERIFY(sameImage(composite(ws), pictureAfter));
        QVERIFY(!ws.m_history.redo());
    }

    // Changes that come to nothing leave no step behind.
    void noStep_data()
    {
        QTest::addColumn<QString>("action");
        QTest::newRow("press and release in place") << "still";
        QTest::newRow("press beside every bracket") << "miss";
        QTest::newRow("dialog cancelled") << "cancel";
        QTest::newRow("nudged there and back") << "back";
        QTest::newRow("selection only") << "select";
    }
    void noStep()
    {
        QFETCH(QString, action);
        DialogEnv env;
        Workspace& ws = env.ws;
        scene(ws, m_host->dir.path());
        const QPoint centre = ws.m_slot[1].arBrackets[0].m_rcBody.center();
        if (action == "still" || action == "miss") {
            drag(ws, OpMove, action == "still" ? centre : QPoint(300, 20),
                action == "still" ? centre : QPoint(310, 41));
        } else if (action == "cancel") {
            env.cancel = true;
            CommandSteps::run(Cmd::ColorBalance, env);
        } else if (action == "back") {
            for (const int key : { Qt::Key_BracketLeft, Qt::Key_BracketRight }) {
                ws.m_history.begin();
                BracketActions::key(ws, 1, key, false);
                ws.m_history.end(ConsultationStep::Rotate, 1);
            }
        } else {
            ws.m_history.begin();
            ws.m_slot[1].nSelected = 1;
            ws.m_layout.setActivePane(2);
            ws.m_history.end(ConsultationStep::Move);
        }
        QCOMPARE(ws.m_history.count(), 0);
        QVERIFY(!ws.m_history.canUndo());
    }

    // Undo waits for a change in progress; a new photograph forgets every step.
    void busyAndCleared()
    {
        Workspace ws;
        scene(ws, m_host->dir.path());
        ws.m_history.begin();
        WorkspaceCommands::deleteSelected(ws, 1);
        ws.m_history.end(ConsultationStep::Delete);
        ws.m_history.begin();
        QVERIFY(!ws.m_history.canUndo() && !ws.m_history.undo());
        QCOMPARE(ws.m_slot[1].arBrackets.size(), size_t(1));
        ws.m_history.end(ConsultationStep::Move);
        QVERIFY(ws.m_history.undo() && ws.m_history.canRedo());
        setPhoto(ws, positionImage(97, 61));
        QVERIFY(!ws.m_history.canUndo() && !ws.m_history.canRedo() && !ws.m_history.busy());
    }
};

QTEST_MAIN(TestUndo)
#include "tst_undo.moc"
