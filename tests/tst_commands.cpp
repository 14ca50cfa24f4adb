// The core of every command, without a window: each command's enable and check
// rule over a set of workspace states, what the handlers with rules of their own
// do to the workspace and ask of the window, the pane layout, the double-click
// replace rule and deleting the selected bracket.
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
const QList<int> Zooms = { ZoomIn, ZoomOut, Zoom25, Zoom50, Zoom75, Zoom100, Zoom200, Zoom300, Zoom400 };
const QList<int> Selection = { ModeScale, ModeMove, ModeRotate, BracketDelete, Brightness, ColorBalance };
const QList<int> PaneChoice = { Panes1, Panes2, Panes4, PrevImage, NextImage };
const QList<int> Host = { RegisterPhoto, GalleryEdit, GalleryDelete }, Picking = { ClipDuplicatePoint, ClipDeletePoint };
const QList<int> Finish = { ClipOk, ClipClose, MenuClipOk, MenuClipClose };
const QList<int> Bars = { BracketView, BracketTool, ViewStatusBar }, ClipEdits = { ClipDeleteLastPoint, ClipDelete };
const QList<int> Ops = { OpNone, OpMove, OpRotate, OpScale }; // written "-MRS"

// A workspace brought to a state step by step, with the window around it.
struct StepEnv : testutils::RecordingEnv {
    CommandContext context;

    // Steps: command ids; c<n> clicks of the outline; z<zoom>; p a photograph;
    // k<i> the picked clip point; s<slot><op> a selected bracket in that mode;
    // x a window with a selected list row and a patient but no bracket bar.
    void apply(const QString& steps)
    {
        for (const QString& step : steps.split(' ', Qt::SkipEmptyParts)) {
            const QString arg = step.mid(1);
            if (step[0] == 'c')
                for (int i = 0; i < arg.toInt(); ++i)
                    ClipActions::press(ws, QPoint(30 + 97 * i, 20 + 61 * (i % 2)));
            else if (step[0] == 'z')
                ws.m_dZoom = arg.toDouble();
            else if (step == "p")
                ws.m_pPhoto = std::make_unique<QImage>(401, 293, QImage::Format_RGB32);
            else if (step[0] == 'k')
                ws.m_nClipPoint = arg.toInt();
            else if (step == "x")
                context = { true, false, true, false, {} };
            else if (step[0] == 's') {
                PaneSlot& s = ws.m_slot[size_t(arg.left(1).toInt())];
                s.arBrackets.resize(2);
                s.nSelected = 1;
                s.nOpMode = Ops.at(QString("-MRS").indexOf(arg[1]));
            } else
                CommandTable::find(step.toInt())->handler(*this);
        }
    }
};
} // namespace

class TestCommands : public QObject {
    Q_OBJECT

private slots:
    void rules_data()
    {
        testutils::columns<QString, QList<int>, QList<int>>({ "steps", "off", "checked" });
        const QList<int> on = { FitSize, Panes1, ShowInfo };
        QTest::newRow("no photo") << "" << Zooms + PaneChoice + Selection + Host + Picking + Finish + ClipEdits
                + QList<int> { MenuClipDeleteLastPoint, MenuClipDelete, FitSize, ClipDefine, ShowInfo, ConsultationSave }
            << Bars + on;
        QTest::newRow("two points") << "p 6043 c2" << PaneChoice + Selection + Host + Picking + Finish
                + QList<int> { ShowInfo } << Bars + on + QList<int> { ClipDefine };
        QTest::newRow("three points") << "p 6043 c3" << PaneChoice + Selection + Host + Picking
                + QList<int> { ShowInfo } << Bars + on + QList<int> { ClipDefine };
        QTest::newRow("closed, still editing") << "p 6043 c3 6075" << PaneChoice + Selection + Host
                + Picking + QList<int> { ClipClose, MenuClipClose } << Bars + on;
        QTest::newRow("closed, bars hidden, host ready") << "p 6043 c3 6074 6064 x"
            << Selection + Picking + Finish + ClipEdits + QList<int> { PrevImage } << on;
        QTest::newRow("two panes at 3, point picked, moving") << "p 6043 c3 6074 6058 6038 k1 6050 6065 6065 s1S s3M"
            << Host + Finish + ClipEdits + QList<int> { NextImage } << Bars + QList<int> { Panes2, ModeMove };
        QTest::newRow("four panes, selection elsewhere") << "p 6043 c3 6074 6065 6051 s2R"
            << Selection + Host + Picking + Finish + ClipEdits + QList<int> { PrevImage, NextImage }
            << Bars + QList<int> { FitSize, Panes4, ShowInfo };
    }
    void rules()
    {
        StepEnv env;
        env.apply(testutils::fetch<QString>("steps"));
        for (const CommandRow& row : CommandTable::rows()) {
            const CommandState s = row.rule(env.ws, env.context);
            const bool isOff = testutils::fetch<QList<int>>("off").contains(row.id) || row.id == Undo || row.id == Redo; // no step recorded
            QVERIFY2(s.enabled == !isOff && s.checked == testutils::fetch<QList<int>>("checked").contains(row.id)
                    && (row.checkable || !s.checked),
                qPrintable(QString::number(row.id)));
        }
    }

    void handlers_data()
    {
        // The workspace after the command: zoom, fit, clip defining/editing/closed,
        // pane count and work slot, the operation mode of slot 0 and whether slot
        // 3's is on.
        // After: the calls, then the workspace.
        testutils::columns<QString, int, QString>({ "steps", "id", "after" });
        // Zoom before, command, zoom after: steps of a quarter, the limits and
        // values off the grid, then the presets.
        for (const QString row : { "6 6032 6", "5.9 6032 6.15", "6.15 6032 6", "0.5 6037 0.25",
                 "0.25 6037 0.25", "0.3 6037 0.25", "6.15 6037 5.9", "1.5 6041 0.25", "1.5 6033 0.5",
                 "1.5 6040 0.75", "1.5 6035 1", "1.5 6036 2", "1.5 6042 3", "1.5 6039 4" }) {
            const QStringList f = row.split(' ');
            QTest::addRow("zoom %s", qPrintable(row)) << "z" + f[0] << f[1].toInt() << "scale | " + f[2] + " 0 000 1/1 -0";
        }
        QTest::newRow("fit") << "6037" << int(FitSize) << "scale | 0.75 1 000 1/1 -0";
        QTest::newRow("two panes") << "" << int(Panes2) << "layout+ | 1 1 000 2/1 -0";
        QTest::newRow("two panes again") << "6050" << int(Panes2) << "layout | 1 1 000 2/1 -0";
        QTest::newRow("one pane again") << "" << int(Panes1) << "layout+ | 1 1 000 1/1 -0";
        QTest::newRow("next image") << "" << int(NextImage) << "layout | 1 1 000 1/2 -0";
        QTest::newRow("none after 3") << "6065 6065" << int(NextImage) << " | 1 1 000 1/3 -0";
        QTest::newRow("previous image") << "6065" << int(PrevImage) << "layout | 1 1 000 1/1 -0";
        QTest::newRow("none before 1") << "" << int(PrevImage) << " | 1 1 000 1/1 -0";
        QTest::newRow("define, asked first") << "6051" << int(ClipDefine) << "ask bar0=1 layout+ panes | 1 1 110 1/1 -0";
        QTest::newRow("abandon") << "6043 c3" << int(ClipDefine) << "bar0=0 panes | 1 1 000 1/1 -0";
        QTest::newRow("ok closes") << "6043 c2" << int(ClipOk) << "bar0=0 panes | 1 1 001 1/1 -0";
        QTest::newRow("ok, too short") << "6043 c1" << int(MenuClipOk) << "bar0=0 panes | 1 1 100 1/1 -0";
        QTest::newRow("ok without editing") << "" << int(ClipOk) << " | 1 1 000 1/1 -0";
        QTest::newRow("close") << "6043 c2" << int(ClipClose) << "panes | 1 1 011 1/1 -0";
        QTest::newRow("close, too short") << "6043 c1" << int(MenuClipClose) << "panes | 1 1 110 1/1 -0";
        QTest::newRow("close without definition") << "" << int(ClipClose) << " | 1 1 000 1/1 -0";
        QTest::newRow("ok after close") << "6043 c3 6075" << int(ClipOk) << "bar0=0 panes | 1 1 001 1/1 -0";
        QTest::newRow("restart") << "6043 c3 6074" << int(ClipDefine) << "bar0=1 layout+ panes | 1 1 110 1/1 -0";
        QTest::newRow("mode") << "" << int(ModeRotate) << " | 1 1 000 1/1 R1";
        QTest::newRow("another mode") << "6054" << int(ModeMove) << " | 1 1 000 1/1 M1";
        QTest::newRow("mode off") << "6053" << int(ModeMove) << " | 1 1 000 1/1 -0";
    }
    void handlers()
    {
        QFETCH(QString, steps);
        StepEnv env;
        Workspace& ws = env.ws;
        ws.m_slot[2].arBrackets.resize(1); // a new outline must take it away
        env.apply(steps);
        env.calls.clear();
        CommandTable::find(testutils::fetch<int>("id"))->handler(env);
        QTEST(env.calls.join(' ') + QString(" | %1 %2 %3%4%5 %6/%7 %8%9").arg(ws.m_dZoom).arg(ws.m_bFitSize)
                  .arg(ws.m_bClipDefining).arg(ws.m_bClipEditing).arg(ws.m_bClipClosed)
                  .arg(ws.m_layout.paneCount()).arg(ws.m_layout.workSlot())
                  .arg(QString("-MRS").at(Ops.indexOf(ws.m_slot[0].nOpMode))).arg(ws.m_slot[3].bOpModeOn),
            "after");
        QCOMPARE(ws.m_slot[2].arBrackets.empty(), ws.m_bClipDefining || steps.contains("6043"));
    }

    void paneLayout_data()
    {
        // Steps: 1, 2, 3, 4 pane counts; n/p next/previous work slot; a<i> activate
        // grid pane i; +/- activate the neighbour. Refused: the last step said no.
        // Expected: "shown slots row by row; active pane, work slot, refused".
        testutils::columns<QString, QString>({ "steps", "expected" });
        QTest::newRow("start") << "" << "1; 0 1 0";
        QTest::newRow("two") << "2" << "0 1; 1 1 0";
        QTest::newRow("three refused") << "4 3" << "0 1 2 3; 1 1 1";
        QTest::newRow("none above 3") << "n n n" << "3; 0 3 1";
        QTest::newRow("none below 1") << "p" << "1; 0 1 1";
        QTest::newRow("back to 2") << "n n p" << "2; 0 2 0";
        QTest::newRow("two follow") << "2 a0 n" << "0 2; 1 2 0";
        QTest::newRow("two restart at 1") << "n n 2" << "0 1; 1 1 0";
        QTest::newRow("four keep it") << "n n 4" << "0 1 2 3; 1 3 0";
        QTest::newRow("four, next") << "4 a2 n" << "0 1 2 3; 2 2 0";
        QTest::newRow("then one") << "n 4 a3 1" << "1; 0 1 0";
        QTest::newRow("hidden refused") << "2 a2" << "0 1; 1 1 1";
        QTest::newRow("outside refused") << "4 a4" << "0 1 2 3; 1 1 1";
        QTest::newRow("wrap forward") << "4 a3 +" << "0 1 2 3; 0 1 0";
        QTest::newRow("wrap back") << "4 a0 -" << "0 1 2 3; 3 1 0";
        QTest::newRow("two back") << "2 - -" << "0 1; 1 1 0";
        QTest::newRow("one stays") << "+" << "1; 0 1 0";
    }
    void paneLayout()
    {
        QFETCH(QString, expected);
        const QVector<int> slotsShown = testutils::ints(expected.section(';', 0, 0)),
                           after = testutils::ints(expected.section(';', 1));
        const int n = int(slotsShown.size()), active = after[0];
        PaneLayout layout;
        bool ok = true;
        for (const QString& step : testutils::fetch<QString>("steps").split(' ', Qt::SkipEmptyParts)) {
            if (step == "n" || step == "p")
                ok = step == "n" ? layout.nextWorkSlot() : layout.previousWorkSlot();
            else if (step.startsWith('a'))
                ok = layout.setActivePane(step.mid(1).toInt());
            else if (step == "+" || step == "-")
                layout.activateNeighbour(step == "+" ? 1 : -1);
            else
                ok = layout.setPaneCount(step.toInt());
        }
        QCOMPARE(layout.shownSlots(), slotsShown);
        QCOMPARE(QList<int>({ layout.activePane(), layout.workSlot(), !ok, layout.paneCount(),
                     layout.rows(), layout.cols() }),
            after + QList<int>({ n, n / qMin(n, 2), qMin(n, 2) }));
        QCOMPARE(layout.activeSlot(), slotsShown.at(layout.shownPanes().indexOf(active)));
        for (int pane = -1; pane <= PaneLayout::GridPanes; ++pane) {
            const int index = int(layout.shownPanes().indexOf(pane));
            QCOMPARE(layout.isShown(pane), index >= 0);
            QCOMPARE(layout.isWorking(pane), index >= 0 ? slotsShown.at(index) != 0 : layout.slotOf(pane) != 0);
        }
        QCOMPARE(layout.slotOf(PaneLayout::GridPanes) + layout.slotOf(-1), 0);
    }

    void replaceOnDoubleClick_data()
    {
        // Slot, bracket count, selection; whether it was handled (no: the caller
        // pastes a new bracket), the selection after it, the bracket replaced.
        QTest::addColumn<QString>("values");
        QTest::newRow("empty") << "2 0 -1  0 -1 -1";
        QTest::newRow("only one") << "2 1 -1  1 0 0";
        QTest::newRow("several, none selected") << "1 3 -1  1 2 -1";
        QTest::newRow("several, one selected") << "3 3 1  1 1 1";
        QTest::newRow("stale selection") << "3 3 3  1 3 -1";
        QTest::newRow("outside the slots") << "4 0 -1  0 -1 -1";
    }
    void replaceOnDoubleClick()
    {
        const QVector<int> v = testutils::ints(testutils::fetch<QString>("values"));
        testutils::IsolatedHost host;
        QVERIFY(testutils::positionImage(31, 17).save(host.path("b.png")));
        Workspace ws;
        PaneSlot& target = ws.m_slot[size_t(qMin(v[0], 3))];
        target.arBrackets.resize(size_t(v[1]));
        target.nSelected = v[2];
        QCOMPARE(QVector<int>({ WorkspaceCommands::replaceOnDoubleClick(ws, v[0], host.path("b.png"), true, 7, "B7"),
                     target.nSelected }), v.mid(3, 2)); // in this order: a braced list is evaluated left to right
        // A picture that cannot be read leaves the bracket as it was.
        WorkspaceCommands::replaceOnDoubleClick(ws, v[0], host.path("gone.png"), true, 9, "X");
        for (int i = 0; i < v[1]; ++i)
            QCOMPARE(target.arBrackets[size_t(i)].m_strName, i == v[5] ? "B7" : "");
    }

    void deleteSelected_data()
    {
        QTest::addColumn<QString>("values"); // slot, selection, defining a clip, deleted
        QTest::newRow("middle") << "2 1 0 1";
        QTest::newRow("last, reference slot") << "0 2 0 1";
        QTest::newRow("index equal to the count") << "1 3 0 0";
        QTest::newRow("none selected") << "1 -1 0 0";
        QTest::newRow("while defining a clip") << "1 1 1 0";
        QTest::newRow("slot past the end") << "4 1 0 0";
        QTest::newRow("slot before the start") << "-1 1 0 0";
    }
    void deleteSelected()
    {
        const QVector<int> v = testutils::ints(testutils::fetch<QString>("values"));
        Workspace ws;
        ws.m_bClipDefining = v[2];
        for (PaneSlot& s : ws.m_slot) {
            for (int i = 0; i < 3; ++i)
                s.arBrackets.emplace_back().SetListItem(i);
            s.nSelected = v[1];
        }
        QCOMPARE(WorkspaceCommands::deleteSelected(ws, v[0]), bool(v[3]));
        for (int s = 0; s < Workspace::SlotCount; ++s) {
            const bool hit = v[3] && s == v[0];
            QString left; // list items of the brackets left, then the selection
            for (const QBracket& b : ws.m_slot[size_t(s)].arBrackets)
                left += QString::number(b.m_nListItem);
            QCOMPARE(left + QString::number(ws.m_slot[size_t(s)].nSelected),
                QString("012").remove(hit ? v[1] : 9, 1) + QString::number(hit ? -1 : v[1]));
        }
    }
};

QTEST_GUILESS_MAIN(TestCommands)
#include "tst_commands.moc"
