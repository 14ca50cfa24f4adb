#include "core/commands/commandtable.h"

#include "core/commands/commandenv.h"
#include "core/commands/commandids.h"
#include "core/host/profile.h"
#include "core/simulation/bracketop.h"
#include "core/text/strings.h"
#include "core/workspace/clipactions.h"
#include "core/workspace/workspace.h"
#include "core/workspace/workspacecommands.h"

#include <QCoreApplication>

namespace {

using Task = CommandEnv::Task;
using Bar = CommandEnv::Bar;
using Ws = const Workspace&;
using Ctx = const CommandContext&;
using Step = ConsultationStep;

QString s(const char* utf8) { return QString::fromUtf8(utf8); }

CommandState on(bool enabled, bool checked = false) { return { enabled, checked, {}, {} }; }

// Entry count of the clip: the outline points plus the trailing entry.
int clipEntries(Ws ws) { return ws.m_clip.GetCount(); }
// Pane counts and work slots are offered once a clip is closed and editing ended.
bool paneChoice(Ws ws) { return ws.hasPhoto() && !ws.m_bClipEditing && ws.m_bClipClosed; }
const PaneSlot& activeSlot(Ws ws) { return ws.m_slot[size_t(ws.m_layout.activeSlot())]; }
bool bracketSelected(Ws ws) { return activeSlot(ws).nSelected != -1; }
bool canOk(Ws ws) { return ws.m_bClipEditing && clipEntries(ws) > 3; }
bool canClose(Ws ws) { return !ws.m_bClipClosed && clipEntries(ws) > 3; }
bool pointPicked(Ws ws) { return ws.m_bClipClosed && ws.m_nClipPoint != -1; }

CommandState always(Ws, Ctx) { return on(true); }
CommandState withPhoto(Ws ws, Ctx) { return on(ws.hasPhoto()); }
CommandState withSelection(Ws ws, Ctx) { return on(bracketSelected(ws)); }
CommandState withListSelection(Ws, Ctx c) { return on(c.listHasSelection); }
CommandState whenPicked(Ws ws, Ctx) { return on(pointPicked(ws)); }
template <int Count> CommandState panes(Ws ws, Ctx)
{
    return on(paneChoice(ws), ws.m_layout.paneCount() == Count);
}
template <int Op> CommandState mode(Ws ws, Ctx)
{
    return on(bracketSelected(ws), bracketSelected(ws) && activeSlot(ws).nOpMode == Op);
}

template <Task T> void run(CommandEnv& e) { e.run(T); }
template <int Percent> void zoomPreset(CommandEnv& e)
{
    WorkspaceCommands::setZoom(e.workspace(), Percent / 100.0);
    e.scaleChanged();
}
template <int Count> void choosePanes(CommandEnv& e) { e.setPaneCount(Count); }
template <int Op> void toggleMode(CommandEnv& e)
{
    Workspace& ws = e.workspace();
    WorkspaceCommands::toggleOpMode(ws, ws.m_layout.activeSlot(), Op);
}
template <void (*Action)(Workspace&)> void clipEdit(CommandEnv& e)
{
    Action(e.workspace());
    e.panesChanged();
}
template <bool Next> void moveWorkSlot(CommandEnv& e)
{
    PaneLayout& layout = e.workspace().m_layout;
    if (Next ? layout.nextWorkSlot() : layout.previousWorkSlot())
        e.layoutChanged(false);
}
template <int Step> void neighbourPane(CommandEnv& e)
{
    e.workspace().m_layout.activateNeighbour(Step);
    e.focusActivePane();
}
template <Bar B> void toggleBar(CommandEnv& e) { e.setBarVisible(B, !e.isBarVisible(B)); }

void clipOk(CommandEnv& e)
{
    if (!WorkspaceCommands::endClipEditing(e.workspace()))
        return;
    e.setBarVisible(Bar::Clip, false);
    e.panesChanged();
}

void clipClose(CommandEnv& e)
{
    if (WorkspaceCommands::closeClipCurve(e.workspace()))
        e.panesChanged();
}

// Undo and redo name the step they would take, in the menu and the tool tip.
template <bool Redo> CommandState historyStep(Ws ws, Ctx)
{
    const ConsultationHistory& history = ws.m_history;
    const QString name = Redo ? history.redoName() : history.undoName();
    CommandState state = on(Redo ? history.canRedo() : history.canUndo());
    if (name.isEmpty()) {
        state.toolTip = Redo ? QCoreApplication::translate("Undo", "やり直し")
                             : QCoreApplication::translate("Undo", "元に戻す");
        state.text = Redo ? QCoreApplication::translate("Undo", "やり直し(&R)")
                          : QCoreApplication::translate("Undo", "元に戻す(&U)");
    } else {
        state.toolTip = (Redo ? QCoreApplication::translate("Undo", "やり直し: %1")
                              : QCoreApplication::translate("Undo", "元に戻す: %1"))
                            .arg(name);
        // The mnemonic has its own place in each language, so the whole item is one text.
        state.text = (Redo ? QCoreApplication::translate("Undo", "やり直し: %1(&R)")
                           : QCoreApplication::translate("Undo", "元に戻す: %1(&U)"))
                         .arg(name);
    }
    return state;
}

template <bool Redo> void takeHistoryStep(CommandEnv& e)
{
    Workspace& ws = e.workspace();
    const int panes = ws.m_layout.paneCount();
    if (!(Redo ? ws.m_history.redo() : ws.m_history.undo()))
        return;
    // The state taken back may be an outline still being edited, with its bar.
    e.setBarVisible(Bar::Clip, ws.m_bClipEditing);
    e.layoutChanged(ws.m_layout.paneCount() != panes);
}

} // namespace

const QVector<CommandRow>& CommandTable::rows()
{
    static const QVector<CommandRow> table = {
        { Cmd::FileOpen, s(QT_TR_NOOP("写真を開く(&O)...")),
            s(QT_TR_NOOP("写真データベースまたはﾌｧｲﾙから写真を開く\n写真を開く")),
            QKeySequence(Qt::CTRL | Qt::Key_O), nullptr, false, always, run<Task::OpenPhoto> },
        { Cmd::FileSaveAs, s(QT_TR_NOOP("画像保存(&A)...")),
            s(QT_TR_NOOP("作業中の画像に名前を付けて保存\n名前をつけて保存")),
            QKeySequence(Qt::CTRL | Qt::Key_S), "save", false, always, run<Task::SaveAs> },
        { Cmd::ConsultationSave, s(QT_TR_NOOP("相談を保存")),
            s(QT_TR_NOOP("相談をファイルに保存し、後で再開できるようにする\n相談を保存")),
            QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), nullptr, false, withPhoto,
            run<Task::SaveConsultation> },
        { Cmd::ConsultationOpen, s(QT_TR_NOOP("相談を開く…")),
            s(QT_TR_NOOP("保存した相談を開いて再開する\n相談を開く")), {}, nullptr, false, always,
            run<Task::OpenConsultation> },
        { Cmd::FileSaveCopyAs, {}, {}, {}, nullptr, false, always, run<Task::SaveAs> },
        { Cmd::RegisterPhoto, s(QT_TR_NOOP("画像をMolvexDBに追加(&W)")),
            s(QT_TR_NOOP("表示中の画像をMolvexﾃﾞｰﾀﾍﾞｰｽに追加登録")), {}, nullptr, false,
            [](Ws, Ctx c) {
                return c.photoDatabaseProblem.isEmpty()
                    ? on(c.patientFileExists)
                    : CommandState { false, false, c.photoDatabaseProblem, {} };
            },
            run<Task::Register> },
        { Cmd::GalleryAdd, s(QT_TR_NOOP("追加")), {}, {}, nullptr, false, always,
            run<Task::GalleryAdd> },
        { Cmd::GalleryEdit, s(QT_TR_NOOP("編集")), {}, {}, nullptr, false, withListSelection,
            run<Task::GalleryEdit> },
        { Cmd::GalleryDelete, s(QT_TR_NOOP("削除")), {}, {}, nullptr, false, withListSelection,
            run<Task::GalleryDelete> },
        // This text carries its accelerator itself; Qt shows what follows the tab
        // in the menu's shortcut column.
        { Cmd::FilePrint, s(QT_TR_NOOP("印刷(&P)...\tCtrl+P")),
            s(QT_TR_NOOP("作業中のﾌｧｲﾙを印刷\n印刷")), QKeySequence(Qt::CTRL | Qt::Key_P), "print",
            false, always, run<Task::Print> },
        { Cmd::FilePrintDirect, {}, {}, {}, nullptr, false, always, run<Task::PrintDirect> },
        { Cmd::FilePrintPreview, s(QT_TR_NOOP("印刷ﾌﾟﾚﾋﾞｭｰ(&V)")),
            s(QT_TR_NOOP("ﾌﾙｽｸﾘｰﾝで表示\n印刷ﾌﾟﾚﾋﾞｭｰ")), {}, nullptr, false, always,
            run<Task::PrintPreview> },
        { Cmd::FilePrintSetup, s(QT_TR_NOOP("ﾌﾟﾘﾝﾀの設定(&R)...")),
            s(QT_TR_NOOP("ﾌﾟﾘﾝﾀ/印刷設定の変更\nﾌﾟﾘﾝﾀの設定")), {}, nullptr, false, always,
            run<Task::PrinterSetup> },
        { Cmd::AppExit, s(QT_TR_NOOP("Kestrinの終了(&X)")),
            s(QT_TR_NOOP("Kestrinの終了\nKestrinの終了")), {}, nullptr, false, always,
            run<Task::Quit> },
        { Cmd::ZoomIn, s(QT_TR_NOOP("拡大")), s(QT_TR_NOOP("拡大\n拡大")), {}, "zoom-in", false,
            withPhoto,
            [](CommandEnv& e) {
                WorkspaceCommands::zoomIn(e.workspace());
                e.scaleChanged();
            } },
        { Cmd::ZoomOut, s(QT_TR_NOOP("縮小")), s(QT_TR_NOOP("縮小\n縮小")), {}, "zoom-out", false,
            withPhoto,
            [](CommandEnv& e) {
                WorkspaceCommands::zoomOut(e.workspace());
                e.scaleChanged();
            } },
        { Cmd::Zoom25, s("25%"), {}, {}, nullptr, false, withPhoto, zoomPreset<25> },
        { Cmd::Zoom50, s("50%"), {}, {}, nullptr, false, withPhoto, zoomPreset<50> },
        { Cmd::Zoom75, s("75%"), {}, {}, nullptr, false, withPhoto, zoomPreset<75> },
        { Cmd::Zoom100, s("100%"), {}, {}, nullptr, false, withPhoto, zoomPreset<100> },
        { Cmd::Zoom200, s("200%"), {}, {}, nullptr, false, withPhoto, zoomPreset<200> },
        { Cmd::Zoom300, s("300%"), {}, {}, nullptr, false, withPhoto, zoomPreset<300> },
        { Cmd::Zoom400, s("400%"), {}, {}, nullptr, false, withPhoto, zoomPreset<400> },
        { Cmd::FitSize, s(QT_TR_NOOP("ﾌｨｯﾄｻｲｽﾞ")),
            s(QT_TR_NOOP("領域に画像サイズを合わせる\nﾌｨｯﾄｻｲｽﾞ")), {}, "fit-size", true,
            [](Ws ws, Ctx) { return on(ws.hasPhoto(), ws.m_bFitSize); },
            [](CommandEnv& e) {
                e.workspace().m_bFitSize = !e.workspace().m_bFitSize;
                e.scaleChanged();
            } },
        { Cmd::Panes1, s("1"), s(QT_TR_NOOP("画像数 - 1\n1")), {}, "panes-1", true, panes<1>,
            choosePanes<1>, Step::PaneCount },
        { Cmd::Panes2, s("2"), s(QT_TR_NOOP("画像数 - 2\n2")), {}, "panes-2", true, panes<2>,
            choosePanes<2>, Step::PaneCount },
        { Cmd::Panes4, s("4"), s(QT_TR_NOOP("画像数 - 4\n4")), {}, "panes-4", true, panes<4>,
            choosePanes<4>, Step::PaneCount },
        { Cmd::PrevImage, s(QT_TR_NOOP("前の画像(&P)")), s(QT_TR_NOOP("前の画像を選択\n前の画像")),
            {}, "previous-image", false,
            [](Ws ws, Ctx) {
                return on(
                    ws.m_layout.paneCount() < 4 && ws.m_layout.workSlot() > 1 && paneChoice(ws));
            },
            moveWorkSlot<false> },
        { Cmd::NextImage, s(QT_TR_NOOP("次の画像(&N)")), s(QT_TR_NOOP("次の画像を選択\n次の画像")),
            {}, "next-image", false,
            [](Ws ws, Ctx) {
                return on(
                    ws.m_layout.paneCount() < 4 && ws.m_layout.workSlot() < 3 && paneChoice(ws));
            },
            moveWorkSlot<true> },
        { Cmd::ClipDefine, s(QT_TR_NOOP("ｸﾘｯﾌﾟ領域指定(&A)")),
            s(QT_TR_NOOP("ｸﾘｯﾌﾟ領域指定\nｸﾘｯﾌﾟ領域指定")), {}, "clip-define", true,
            [](Ws ws, Ctx) { return on(ws.hasPhoto(), ws.m_bClipDefining); },
            [](CommandEnv& e) {
                if (WorkspaceCommands::clipDefinitionDiscardsBrackets(e.workspace())
                    && !e.ask(Res::IdsDiscardBracketsForClip))
                    return;
                // A new outline is drawn in one pane, with the clip tool bar at hand.
                const bool defining = WorkspaceCommands::toggleClipDefinition(e.workspace());
                e.setBarVisible(Bar::Clip, defining);
                if (defining)
                    e.setPaneCount(1);
                e.panesChanged();
            },
            Step::NewClip },
        { Cmd::ClipOk, s("&OK"), s(QT_TR_NOOP("ｸﾘｯﾌﾟの終了\nOk")), {}, "clip-ok", false,
            [](Ws ws, Ctx) { return on(canOk(ws)); }, clipOk, Step::ClipDone },
        { Cmd::ClipClose, s(QT_TR_NOOP("閉曲線(&C)")),
            s(QT_TR_NOOP("ｸﾘｯﾌﾟ領域を閉曲線として閉じる\n閉曲線")), {}, "clip-close", false,
            [](Ws ws, Ctx) { return on(canClose(ws)); }, clipClose, Step::ClipClose },
        { Cmd::ClipDeleteLastPoint, s(QT_TR_NOOP("ﾎﾟｲﾝﾄ削除(&P)")),
            s(QT_TR_NOOP("最後に追加されたﾎﾟｲﾝﾄを削除\nﾎﾟｲﾝﾄ削除")), {}, "clip-delete-last-point",
            false, [](Ws ws, Ctx) { return on(ws.m_bClipEditing && clipEntries(ws) > 1); },
            clipEdit<ClipActions::deleteLastPoint>, Step::ClipDeletePoint },
        { Cmd::ClipDuplicatePoint, s(QT_TR_NOOP("指定ﾎﾟｲﾝﾄ複製(&U)")),
            s(QT_TR_NOOP("指定ﾎﾟｲﾝﾄの複製\n指定ﾎﾟｲﾝﾄ複製")), {}, "clip-duplicate-point", false,
            whenPicked, clipEdit<ClipActions::duplicatePickedPoint>, Step::ClipDuplicatePoint },
        { Cmd::ClipDeletePoint, s(QT_TR_NOOP("指定ﾎﾟｲﾝﾄ削除(&D)")),
            s(QT_TR_NOOP("指定ﾎﾟｲﾝﾄの削除\n指定ﾎﾟｲﾝﾄ削除")), {}, "clip-delete-point", false,
            whenPicked, clipEdit<ClipActions::deletePickedPoint>, Step::ClipDeletePoint },
        { Cmd::ClipDelete, s(QT_TR_NOOP("ｸﾘｯﾌﾟ削除(&D)")), s(QT_TR_NOOP("ｸﾘｯﾌﾟを削除\nｸﾘｯﾌﾟ削除")),
            {}, "clip-delete", false,
            [](Ws ws, Ctx) { return on(ws.m_bClipEditing && clipEntries(ws) > 0); },
            clipEdit<ClipActions::deleteClip>, Step::ClipDelete },
        // The context menu's variants of the clip commands go by the outline alone.
        { Cmd::MenuClipOk, s("&OK"), {}, {}, nullptr, false,
            [](Ws ws, Ctx) { return on(canOk(ws)); },
            [](CommandEnv& e) {
                if (!ClipActions::ok(e.workspace()))
                    return;
                e.setBarVisible(Bar::Clip, false);
                e.panesChanged();
            },
            Step::ClipDone },
        { Cmd::MenuClipClose, s(QT_TR_NOOP("閉曲線(&C)")), {}, {}, nullptr, false,
            [](Ws ws, Ctx) { return on(canClose(ws)); },
            [](CommandEnv& e) {
                if (ClipActions::closeCurve(e.workspace()))
                    e.panesChanged();
            },
            Step::ClipClose },
        { Cmd::MenuClipDeleteLastPoint, s(QT_TR_NOOP("ﾎﾟｲﾝﾄ削除(&P)")), {}, {}, nullptr, false,
            [](Ws ws, Ctx) { return on(clipEntries(ws) >= 2); },
            clipEdit<ClipActions::deleteLastPoint>, Step::ClipDeletePoint },
        { Cmd::MenuClipDelete, s(QT_TR_NOOP("ｸﾘｯﾌﾟ削除(&A)")), {}, {}, nullptr, false,
            [](Ws ws, Ctx) { return on(clipEntries(ws) >= 1); }, clipEdit<ClipActions::deleteClip>,
            Step::ClipDelete },
        { Cmd::ModeScale, s(QT_TR_NOOP("拡大・縮小(&Z)")),
            s(QT_TR_NOOP("ﾌﾞﾗｹｯﾄの拡大・縮小\n拡大・縮小")), {}, "mode-scale", true, mode<OpScale>,
            toggleMode<OpScale> },
        { Cmd::ModeMove, s(QT_TR_NOOP("移動(&M)")), s(QT_TR_NOOP("ﾌﾞﾗｹｯﾄの移動\n移動")), {},
            "mode-move", true, mode<OpMove>, toggleMode<OpMove> },
        { Cmd::ModeRotate, s(QT_TR_NOOP("回転(&R)")), s(QT_TR_NOOP("ﾌﾞﾗｹｯﾄの回転\n回転")), {},
            "mode-rotate", true, mode<OpRotate>, toggleMode<OpRotate> },
        { Cmd::BracketDelete, s(QT_TR_NOOP("削除(&D)")), s(QT_TR_NOOP("ﾌﾞﾗｹｯﾄの削除\n削除")), {},
            "bracket-delete", false, withSelection,
            [](CommandEnv& e) {
                Workspace& ws = e.workspace();
                if (WorkspaceCommands::deleteSelected(ws, ws.m_layout.activeSlot()))
                    e.panesChanged();
            },
            Step::Delete },
        { Cmd::Brightness, s(QT_TR_NOOP("明度･ｺﾝﾄﾗｽﾄ調整(&B)")),
            s(QT_TR_NOOP("ﾌﾞﾗｹｯﾄの明度･ｺﾝﾄﾗｽﾄ調整\n明度･ｺﾝﾄﾗｽﾄ調整")), {}, "brightness", false,
            withSelection, run<Task::Brightness>, Step::Brightness },
        { Cmd::ColorBalance, s(QT_TR_NOOP("ｶﾗｰﾊﾞﾗﾝｽ(&C)")),
            s(QT_TR_NOOP("ﾌﾞﾗｹｯﾄのｶﾗｰﾊﾞﾗﾝｽ\nｶﾗｰﾊﾞﾗﾝｽ")), {}, "color-balance", false, withSelection,
            run<Task::ColorBalance>, Step::ColorBalance },
        { Cmd::ShowInfo, s(QT_TR_NOOP("情報表示")), s(QT_TR_NOOP("情報表示\n情報表示")), {},
            "show-info", true, [](Ws ws, Ctx) { return on(ws.m_bClipClosed, ws.m_bShowInfo); },
            [](CommandEnv& e) { e.workspace().m_bShowInfo = !e.workspace().m_bShowInfo; } },
        { Cmd::ViewStatusBar, s(QT_TR_NOOP("ｽﾃｰﾀｽ ﾊﾞｰ(&S)")),
            s(QT_TR_NOOP("ｽﾃｰﾀｽ ﾊﾞｰの表示/非表示\nｽﾃｰﾀｽ ﾊﾞｰの表示/非表示")), {}, nullptr, true,
            [](Ws, Ctx c) { return on(true, c.statusBarVisible); }, toggleBar<Bar::StatusBar> },
        { Cmd::BracketView, s(QT_TR_NOOP("ﾌﾞﾗｹｯﾄ ﾋﾞｭｰ(&B)")), {}, {}, nullptr, true,
            [](Ws, Ctx c) { return on(true, c.bracketBarVisible); }, toggleBar<Bar::BracketList> },
        { Cmd::BracketTool, s(QT_TR_NOOP("ﾌﾞﾗｹｯﾄ ﾂｰﾙ(&R)")), {}, {}, nullptr, true,
            [](Ws ws, Ctx) { return on(true, ws.m_bBracketToolShown); },
            [](CommandEnv& e) {
                Workspace& ws = e.workspace();
                ws.m_bBracketToolShown = !ws.m_bBracketToolShown;
                e.setBarVisible(Bar::ToolBar, ws.m_bBracketToolShown);
            } },
        { Cmd::AppAbout, s(QT_TR_NOOP("ﾊﾞｰｼﾞｮﾝ情報(Kestrin) (&A)")),
            s(QT_TR_NOOP("ﾌﾟﾛｸﾞﾗﾑの情報、ﾊﾞｰｼﾞｮﾝそして著作権を表示\nﾊﾞｰｼﾞｮﾝ情報")), {}, "about",
            false, always, run<Task::About> },
        { Cmd::NextPane, {}, {}, QKeySequence(Qt::Key_F6), nullptr, false, always,
            neighbourPane<1> },
        { Cmd::PrevPane, {}, {}, QKeySequence(Qt::SHIFT | Qt::Key_F6), nullptr, false, always,
            neighbourPane<-1> },
        { Cmd::MirrorView, s(QT_TR_NOOP("鏡像表示(&M)")),
            s(QT_TR_NOOP("画面を左右反転して鏡に映したように表示\n鏡像表示")), {}, nullptr, true,
            [](Ws ws, Ctx) { return on(true, ws.m_bMirrorView); },
            [](CommandEnv& e) {
                Workspace& ws = e.workspace();
                ws.m_bMirrorView = !ws.m_bMirrorView;
                Profile::writeInt(QStringLiteral("BRACKET"), QStringLiteral("MirrorView"),
                    ws.m_bMirrorView ? 1 : 0);
                // Each shown pane takes the mirror into its geometry as it is scaled.
                e.scaleChanged();
            } },
        { Cmd::Undo, s(QT_TR_NOOP("元に戻す(&U)")), s(QT_TR_NOOP("直前の変更を元に戻す\n元に戻す")),
            QKeySequence(Qt::CTRL | Qt::Key_Z), "undo", false, historyStep<false>,
            takeHistoryStep<false> },
        { Cmd::Redo, s(QT_TR_NOOP("やり直し(&R)")),
            s(QT_TR_NOOP("元に戻した変更をやり直す\nやり直し")), QKeySequence(Qt::CTRL | Qt::Key_Y),
            "redo", false, historyStep<true>, takeHistoryStep<true> },
    };
    return table;
}

QString CommandRow::menuText() const { return CommandTable::tr(text.toUtf8().constData()); }

QString CommandRow::statusTip() const
{
    return CommandTable::tr(prompt.toUtf8().constData()).section('\n', 0, 0);
}

QString CommandRow::toolTip() const
{
    return CommandTable::tr(prompt.toUtf8().constData()).section('\n', 1, 1);
}

const CommandRow* CommandTable::find(int id)
{
    for (const CommandRow& row : rows())
        if (row.id == id)
            return &row;
    return nullptr;
}

void CommandTable::execute(int id, CommandEnv& env)
{
    const CommandRow* row = find(id);
    if (!row)
        return;
    if (!row->step) {
        row->handler(env);
        return;
    }
    ConsultationHistory& history = env.workspace().m_history;
    history.begin();
    row->handler(env);
    history.end(*row->step);
}

CommandState CommandTable::evaluate(int id, const Workspace& ws, const CommandContext& context)
{
    const CommandRow* row = find(id);
    return row ? row->rule(ws, context) : CommandState();
}
