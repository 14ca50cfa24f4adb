// Undo and redo of every kind of change: the composite after undo is the one
// before the change pixel for pixel, after redo the one after it; a drag or a
// dialog is one step, a change of nothing none, undo waits for a change in
// progress and a new photograph forgets every step.
#include "core/commands/commandenv.h"
#include "core/commands/commandids.h"
#include "core/commands/commandtable.h"
#include "core/workspace/bracketactions.h"
#include "core/workspace/clipactions.h"
#include "core/workspace/workspacecommands.h"
#include "testutils.h"

using namespace testutils;

namespace {
constexpr QRgb kRed = 0xFFE61E1E, kGreen = 0xFF14C828, kBlue = 0xFF1E3CE6;

// Runs commands as the frame does; the dialogs preview and then commit or cancel.
struct DialogEnv : RecordingEnv {
    bool cancel = false;
    void run(Task task) override
    {
        const int slot = ws.m_layout.activeSlot();
        for (const bool commit : { false, false, !cancel }) {
            if (task == Task::Brightness)
                BracketActions::adjustBrightness(ws, slot, 137 - commit, 61, commit);
            else
                BracketActions::adjustColorBalance(ws, slot, 0xC85A80u + commit, commit);
        }
        if (cancel)
            BracketActions::revertPreview(ws, slot);
    }
};

// A 335 x 257 photograph, a closed clip of five points, four panes with slot 1
// active, two brackets in slot 1 (30 degrees, scale 0.83, the first selected)
// and one in slot 2; slot 3 is empty. The outline is then reopened for editing:
// "open" as a definition of four points in progress, "edit" as the closed
// outline with its third point picked.
void scene(Workspace& ws, const QString& dir, const QString& clip = {})
{
    setPhoto(ws, positionImage(335, 257));
    closeClip(ws, { { 40, 30 }, { 200, 35 }, { 253, 117 }, { 230, 180 }, { 60, 200 } });
    addBracket(ws, dir, 1, { 57, 41 }, kRed, { 127, 111 }, 30, 0.83);
    addBracket(ws, dir, 1, { 21, 17 }, kGreen, { 171, 93 }, -12.5);
    addBracket(ws, dir, 2, { 33, 45 }, kBlue, { 99, 141 }, 147);
    ws.m_slot[1].nSelected = 0;
    ws.m_layout.setPaneCount(4); // the second pane active
    ws.m_bClipEditing = !clip.isEmpty();
    ws.m_nClipPoint = clip == "edit" ? 2 : -1;
    if (clip == "open") {
        ws.m_clip.Clear();
        ws.m_bClipClosed = false;
        ws.m_bClipDefining = true;
        for (const QPoint p : { QPoint(40, 30), QPoint(200, 35), QPoint(230, 180), QPoint(60, 200) })
            ClipActions::press(ws, p), ClipActions::release(ws, p);
    }
}

// A press, 17 pointer moves from `from` to `to` and a release inside, as one
// step begun where a pane begins it: before a clip press, after a bracket press.
void drag(Workspace& ws, int op, QPoint from, QPoint to, ConsultationStep::Kind step)
{
    if (op == OpNone) {
        ws.m_history.begin();
        ClipActions::press(ws, from, 0.7);
    } else {
        WorkspaceCommands::toggleOpMode(ws, 1, op);
        BracketActions::move(ws, 1, from, false, false, 0.7);
        if (BracketActions::press(ws, 1, from, 0.7))
            ws.m_history.begin();
    }
    for (int i = 1; i <= 17; ++i) {
        const QPoint p = from + (to - from) * i / 17;
        op == OpNone ? ClipActions::move(ws, p) : void(BracketActions::move(ws, 1, p, false, true, 0.7));
    }
    op == OpNone ? ClipActions::release(ws, to, 0.7) : BracketActions::releaseInside(ws, 1);
    ws.m_history.end(step);
}

void act(DialogEnv& env, const QString& action, const QString& dir)
{
    Workspace& ws = env.ws;
    const QPoint centre = ws.m_slot[1].arBrackets[0].m_rcBody.center();
    bool closed = false;
    using Step = ConsultationStep;
    const QMap<QString, std::tuple<int, QPoint, QPoint, Step::Kind>> drags {
        { "move", { OpMove, centre, centre + QPoint(23, -9), Step::Move } },
        { "scale", { OpScale, centre, centre + QPoint(0, -19), Step::Scale } },
        { "rotate", { OpRotate, centre + QPoint(15, 1), centre + QPoint(9, 14), Step::Rotate } },
        { "add point", { OpNone, { 150, 220 }, { 150, 220 }, Step::ClipAddPoint } },
        { "move point", { OpNone, { 253, 117 }, { 281, 131 }, Step::ClipMovePoint } },
        { "still", { OpMove, centre, centre, Step::Move } },
    };
    if (action == "paste" || action == "replace") {
        const int slot = action == "paste" ? 3 : 2;
        ws.m_history.begin();
        BracketActions::paste(ws, slot, 0, solidPicture(dir, 29, 23, kGreen), { 150, 120 }, "b",
            0, &closed);
        ws.m_history.end(action == "paste" ? ConsultationStep::Paste : ConsultationStep::Replace);
    } else if (drags.contains(action)) {
        const auto [op, from, to, step] = drags[action];
        drag(ws, op, from, to, step);
    } else if (action == "nudges" || action == "back") {
        const bool back = action == "back";
        for (const int key : back ? QVector<int> { Qt::Key_BracketLeft, Qt::Key_BracketRight }
                                  : QVector<int> { Qt::Key_Left, Qt::Key_Left, Qt::Key_Down }) {
            ws.m_history.begin();
            BracketActions::key(ws, 1, key, true);
            ws.m_history.end(back ? ConsultationStep::Rotate : ConsultationStep::Move, 1);
        }
    } else if (action == "select") {
        ws.m_history.begin();
        ws.m_slot[1].nSelected = 1;
        ws.m_layout.setActivePane(2);
        ws.m_history.end(ConsultationStep::Move);
    } else {
        CommandTable::execute(action.toInt(), env);
    }
}
} // namespace

class TestUndo : public QObject {
    Q_OBJECT

private slots:
    void stepUndoRedo_data()
    {
        // Setup: the outline's state, or a cancelled dialog.
        columns<QString, QString, QString>({ "setup", "action", "name" });
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
        // Changes that come to nothing leave no step behind.
        QTest::newRow("press and release in place") << "" << "still" << "";
        QTest::newRow("dialog cancelled") << "cancel" << QString::number(Cmd::ColorBalance) << "";
        QTest::newRow("turned there and back") << "" << "back" << "";
        QTest::newRow("selection and active pane only") << "" << "select" << "";
    }
    void stepUndoRedo()
    {
        QFETCH(QString, setup);
        QFETCH(QString, name);
        const IsolatedHost host;
        DialogEnv env;
        Workspace& ws = env.ws;
        scene(ws, host.dir.path(), setup);
        env.cancel = setup == "cancel";
        // What is kept, and the composite pixel for pixel.
        const auto state = [&ws] { return std::make_pair(ConsultationSnapshot::capture(ws), composite(ws)); };
        const auto before = state();

        act(env, fetch<QString>("action"), host.dir.path());
        QCOMPARE(ws.m_history.undoName(), name);
        QCOMPARE(ws.m_history.count(), int(!name.isEmpty()));
        if (name.isEmpty())
            return;
        const auto after = state();
        // Undo waits for a change in progress.
        ws.m_history.begin();
        QVERIFY(!ws.m_history.canUndo() && !ws.m_history.undo());
        ws.m_history.end(ConsultationStep::Move);

        QVERIFY(ws.m_history.undo() && state() == before && !ws.m_history.undo());
        QCOMPARE(ws.m_history.redoName(), name);
        QVERIFY(ws.m_history.redo() && state() == after && !ws.m_history.redo());
        ws.m_history.undo();
        setPhoto(ws, positionImage(97, 61));
        QVERIFY(!ws.m_history.canUndo() && !ws.m_history.canRedo());
    }
};

QTEST_MAIN(TestUndo)
#include "tst_undo.moc"
