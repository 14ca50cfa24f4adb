#include "ui/frame/cmainframe.h"

#include "core/host/profile.h"
#include "ui/bars/qbarlist.h"
#include "core/commands/commandids.h"
#include "core/commands/commandtable.h"
#include "ui/frame/layoutreport.h"
#include "ui/frame/qsplitterwnd.h"
#include "core/workspace/workspacecommands.h"
#include "ui/frame/gallerycommands.h"
#include "ui/bars/qbracklistdiag.h"
#include "core/host/hostdialogs.h"
#include "core/host/hosttools.h"
#include "ui/dialogs/qdialogbrightness.h"
#include "ui/dialogs/qdialogcolorbalance.h"
#include "core/text/strings.h"
#include "ui/resources/toolicons.h"
#include "core/workspace/bracketactions.h"
#include "ui/panes/ckestrinview.h"

#include <QAction>
#include <QCloseEvent>
#include <QDockWidget>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

namespace {
// Bumped whenever the set of bars changes, so an old arrangement is not applied.
constexpr int BarStateVersion = 1;
const QString BarStateGroup = QStringLiteral("BarState");
} // namespace

CMainFrame::CMainFrame(QWidget* parent)
    : QMainWindow(parent)
    , m_patientIdFile(HostDialogs::tempFolder() + QStringLiteral("PatientID.TMP"))
{
    setWindowIcon(QIcon(QStringLiteral(":/icons/kestrin.png")));
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        resize(screen->availableGeometry().size() * 4 / 5);
    createPanes();
    createActions();
    createToolBars();
    createMenus();
    createStatusBar();
    createBracketBar();
    restoreBarState();
    m_wndBrackList->ReloadGallery();
    m_wndBrackList->SetNotifyWindow(this);
    m_wndBrackList->SetDropHandlerEx([this](int row, const QString& path, Qt::KeyboardModifiers,
                                         int x, int y, int width, int height, int sideFlag) {
        return onThumbDrop(row, path, x, y, width, height, sideFlag);
    });
    connect(
        m_wndBrackList, &QBrackListDiag::thumbDoubleClicked, this, &CMainFrame::onThumbDoubleClick);
    m_ws.m_bLayoutReady = true;
    hideClipBar();
    updateActions();
    // Tool-bar buttons follow state changes made outside any command too.
    auto* idle = new QTimer(this);
    connect(idle, &QTimer::timeout, this, &CMainFrame::updateActions);
    if (LayoutReport::enabled())
        connect(idle, &QTimer::timeout, this, [this] { LayoutReport::write(*this); });
    idle->start(250);
}

CMainFrame::~CMainFrame() = default;

void CMainFrame::createPanes()
{
    m_wndSplitter = new QSplitterWnd(this);
    setCentralWidget(m_wndSplitter);
    for (int i = 0; i < 4; ++i) {
        m_panes[i] = new CKestrinView(m_wndSplitter);
        m_wndSplitter->CreateView(i / 2, i % 2, m_panes[i]);
        m_panes[i]->slotNumber = i;
        m_panes[i]->setWorkingPane(i != 0);
        connect(m_panes[i], &CKestrinView::activated, this, &CMainFrame::setActivePane);
    }
    const QSize area = GetPaneArea();
    for (int i = 0; i < 2; ++i) {
        m_wndSplitter->SetColumnInfo(i, std::max(area.width() / 2, 0));
        m_wndSplitter->SetRowInfo(i, std::max(area.height() / 2, 0));
    }
    m_wndSplitter->SetActivePane(m_panes[0]);
    m_ws.m_nWorkSlot = 1;
    m_ws.m_nPaneCount = 4;
    m_wndSplitter->HideRow(1);
    m_wndSplitter->HideColumn(1);
    m_ws.m_nPaneCount = 1;
    m_panes[0]->slotNumber = m_ws.m_nWorkSlot;
    m_panes[0]->setWorkingPane(true);
    connect(m_wndSplitter, &QSplitterWnd::resized, this, &CMainFrame::recalcLayout);
    connect(m_wndSplitter, &QSplitterWnd::activePaneChanged, this, [this] { updateActions(); });
    m_ws.m_bPanesCreated = true;
}

CKestrinView* CMainFrame::pane(int row, int col) const { return m_panes[row * 2 + col]; }

QVector<CKestrinView*> CMainFrame::shownPanes() const
{
    QVector<CKestrinView*> panes;
    for (int r = 0; r < m_wndSplitter->rowCount(); ++r)
        for (int c = 0; c < m_wndSplitter->columnCount(); ++c)
            panes.append(static_cast<CKestrinView*>(m_wndSplitter->GetPane(r, c)));
    return panes;
}

CKestrinView* CMainFrame::activePane() const
{
    return static_cast<CKestrinView*>(m_wndSplitter->GetActivePane());
}

void CMainFrame::setActivePane(CKestrinView* view) { m_wndSplitter->SetActivePane(view); }

int CMainFrame::activeSlot() const
{
    const CKestrinView* view = activePane();
    return view ? view->slotNumber : 0;
}

void CMainFrame::invalidatePanes()
{
    for (CKestrinView* view : shownPanes())
        view->viewport()->update();
}

void CMainFrame::applyZoom()
{
    if (!m_ws.hasPhoto())
        return;
    for (CKestrinView* view : shownPanes())
        view->setScale(m_ws.m_dZoom, m_ws.photoWidth(), m_ws.photoHeight(), m_ws.m_bFitSize);
}

void CMainFrame::resetScrollSizes()
{
    if (!m_ws.hasPhoto())
        return;
    for (CKestrinView* view : shownPanes())
        view->setScrollSizes(m_ws.photoWidth(), m_ws.photoHeight());
}

void CMainFrame::initialUpdatePanes()
{
    for (CKestrinView* view : m_panes)
        view->OnInitialUpdate();
}

QSize CMainFrame::GetPaneArea() const
{
    // The splitter is exactly what the dock and tool bars leave of the window.
    return m_wndSplitter ? m_wndSplitter->size() : QSize();
}

void CMainFrame::recalcLayout()
{
    if (!m_ws.m_bLayoutReady || m_ws.m_nPaneCount == 1)
        return;
    // Equal halves after every resize: the bar between them takes its own width.
    const QSize area = GetPaneArea();
    const int halfW = std::max((area.width() - QSplitterWnd::BarWidth) / 2, 0);
    const int halfH = std::max((area.height() - QSplitterWnd::BarWidth) / 2, 0);
    m_wndSplitter->SetColumnInfo(0, halfW);
    m_wndSplitter->SetColumnInfo(1, halfW);
    if (m_ws.m_nPaneCount == 4) {
        m_wndSplitter->SetRowInfo(0, halfH);
        m_wndSplitter->SetRowInfo(1, halfH);
    }
    m_wndSplitter->RecalcLayout();
}

void CMainFrame::setPaneCount(int n)
{
    const int old = m_ws.m_nPaneCount;
    if (n == 1) {
        if (old == 4) {
            m_wndSplitter->HideRow(1);
            m_wndSplitter->HideColumn(1);
        } else if (old == 2) {
            m_wndSplitter->HideColumn(1);
        }
        m_ws.m_nPaneCount = 1;
        m_ws.m_nWorkSlot = 1;
        CKestrinView* view = pane(0, 0);
        view->setWorkingPane(true);
        view->slotNumber = m_ws.m_nWorkSlot;
        applyZoom();
        setActivePane(view);
    } else if (n == 2) {
        if (old == 4)
            m_wndSplitter->HideRow(1);
        if (old == 1)
            m_wndSplitter->ShowColumn(1);
        m_ws.m_nPaneCount = 2;
        m_ws.m_nWorkSlot = 1;
        recalcLayout();
        pane(0, 0)->setWorkingPane(false);
        pane(0, 0)->slotNumber = 0;
        pane(0, 1)->setWorkingPane(true);
        pane(0, 1)->slotNumber = m_ws.m_nWorkSlot;
        if (old != 2)
            applyZoom();
        setActivePane(pane(0, 1));
    } else if (n == 4) {
        if (old == 1)
            m_wndSplitter->ShowColumn(1);
        if (old == 1 || old == 2)
            m_wndSplitter->ShowRow(1);
        m_ws.m_nPaneCount = 4;
        recalcLayout();
        for (int i = 0; i < 4; ++i) {
            m_panes[i]->setWorkingPane(i != 0);
            m_panes[i]->slotNumber = i;
        }
        if (old != 4)
            applyZoom();
        setActivePane(pane(0, 1));
    }
    invalidatePanes();
}

void CMainFrame::moveWorkSlot(bool forward)
{
    if (!(forward ? WorkspaceCommands::nextWorkSlot(m_ws)
                  : WorkspaceCommands::previousWorkSlot(m_ws)))
        return;
    if (m_ws.m_nPaneCount == 1) {
        pane(0, 0)->setWorkingPane(true);
        pane(0, 0)->slotNumber = m_ws.m_nWorkSlot;
    } else if (m_ws.m_nPaneCount == 2) {
        pane(0, 1)->setWorkingPane(true);
        pane(0, 0)->setWorkingPane(false);
        pane(0, 0)->slotNumber = 0;
        pane(0, 1)->slotNumber = m_ws.m_nWorkSlot;
        setActivePane(pane(0, 1));
    }
    invalidatePanes();
}

void CMainFrame::activateNeighbourPane(int step)
{
    const QVector<CKestrinView*> panes = shownPanes();
    if (panes.isEmpty())
        return;
    const int index = std::max(0, int(panes.indexOf(activePane())));
    CKestrinView* next = panes.at((index + step + panes.size()) % panes.size());
    setActivePane(next);
    next->setFocus(Qt::TabFocusReason);
}

void CMainFrame::showClipBar()
{
    m_wndClipBar->show();
    m_wndClipBar->raise();
}

void CMainFrame::hideClipBar()
{
    if (m_wndClipBar && m_wndClipBar->isVisible())
        m_wndClipBar->hide();
}

void CMainFrame::createActions()
{
    for (const CommandRow& row : CommandTable::rows()) {
        auto* action = new QAction(row.text, this);
        action->setObjectName(QString::number(row.id));
        action->setStatusTip(row.statusTip());
        action->setToolTip(row.toolTip().isEmpty() ? row.statusTip() : row.toolTip());
        action->setShortcut(row.shortcut);
        action->setIcon(ToolIcons::icon(row.id));
        action->setIconVisibleInMenu(false);
        const int id = row.id;
        connect(action, &QAction::triggered, this, [this, id] { dispatch(id); });
        m_actions.insert(id, action);
        if (!row.shortcut.isEmpty())
            addAction(action); // shortcuts work while menus are closed
    }
    for (int id : { Cmd::FitSize, Cmd::Panes1, Cmd::Panes2, Cmd::Panes4, Cmd::ModeScale,
             Cmd::ModeMove, Cmd::ModeRotate, Cmd::ShowInfo, Cmd::ClipDefine, Cmd::BracketView,
             Cmd::BracketTool, Cmd::ViewStatusBar })
        m_actions.value(id)->setCheckable(true);
}

void CMainFrame::createMenus()
{
    auto add = [this](QMenu* menu, std::initializer_list<int> ids) {
        for (int id : ids) {
            if (id == 0)
                menu->addSeparator();
            else
                menu->addAction(action(id));
        }
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::updateActions);
    };
    QMenu* file = menuBar()->addMenu(QStringLiteral("ﾌｧｲﾙ(&F)"));
    add(file, { Cmd::FileSaveAs, 0, Cmd::RegisterPhoto, 0 });
    QMenu* gallery = file->addMenu(QStringLiteral("ブラケット"));
    add(gallery, { Cmd::GalleryAdd, Cmd::GalleryEdit, Cmd::GalleryDelete });
    add(file, { 0, Cmd::FilePrint, Cmd::FilePrintPreview, Cmd::FilePrintSetup, 0, Cmd::AppExit });
    // The menu shows the accelerator the way the menu text always has.
    action(Cmd::FilePrint)->setText(QStringLiteral("印刷(&P)...\tCtrl+P"));

    QMenu* work = menuBar()->addMenu(QStringLiteral("作業領域(&W)"));
    add(work, { Cmd::FitSize });
    QMenu* count = work->addMenu(QStringLiteral("画像数(&A)"));
    add(count, { Cmd::Panes1, Cmd::Panes2, Cmd::Panes4 });
    add(work, { Cmd::PrevImage, Cmd::NextImage });

    add(menuBar()->addMenu(QStringLiteral("ｸﾘｯﾌﾟ(&C)")),
        { Cmd::ClipDefine, Cmd::ClipOk, Cmd::ClipClose, Cmd::ClipDeleteLastPoint,
            Cmd::ClipDuplicatePoint, Cmd::ClipDeletePoint, Cmd::ClipDelete });
    add(menuBar()->addMenu(QStringLiteral("ﾌﾞﾗｹｯﾄ(&B)")),
        { Cmd::ModeScale, Cmd::ModeMove, Cmd::ModeRotate, Cmd::BracketDelete, 0, Cmd::Brightness,
            Cmd::ColorBalance, 0, Cmd::ShowInfo });
    add(menuBar()->addMenu(QStringLiteral("表示(&V)")),
        { Cmd::ViewStatusBar, Cmd::BracketView, Cmd::BracketTool });
    add(menuBar()->addMenu(QStringLiteral("ﾍﾙﾌﾟ(&H)")), { Cmd::AppAbout });
}

void CMainFrame::createToolBars()
{
    m_wndToolBar = new QToolBar(QStringLiteral("Kestrin"), this);
    m_wndToolBar->setObjectName(QStringLiteral("ToolBar-59392"));
    m_wndToolBar->setIconSize(QSize(23, 23));
    m_wndToolBar->setAllowedAreas(Qt::TopToolBarArea | Qt::RightToolBarArea);
    m_zoomMenu = new QMenu(this);
    for (int id : { Cmd::Zoom25, Cmd::Zoom50, Cmd::Zoom75, Cmd::Zoom100, Cmd::Zoom200, Cmd::Zoom300,
             Cmd::Zoom400 })
        m_zoomMenu->addAction(action(id));
    for (int id : std::initializer_list<int> { Cmd::FileSaveAs, 0, Cmd::FilePrint, 0, Cmd::ZoomOut,
             Cmd::ZoomIn, Cmd::FitSize, 0, Cmd::Panes1, Cmd::Panes2, Cmd::Panes4, Cmd::PrevImage,
             Cmd::NextImage, 0, Cmd::ClipDefine, 0, Cmd::ModeScale, Cmd::ModeMove, Cmd::ModeRotate,
             Cmd::Brightness, Cmd::ColorBalance, Cmd::BracketDelete, 0, Cmd::ShowInfo, 0,
             Cmd::AppAbout }) {
        if (id == 0) {
            m_wndToolBar->addSeparator();
        } else if (id == Cmd::ZoomIn) {
            // Zoom in with the presets behind its arrow.
            auto* button = new QToolButton(m_wndToolBar);
            button->setDefaultAction(action(id));
            button->setMenu(m_zoomMenu);
            button->setPopupMode(QToolButton::MenuButtonPopup);
            button->setObjectName(QStringLiteral("6032"));
            m_wndToolBar->addWidget(button);
        } else {
            m_wndToolBar->addAction(action(id));
        }
    }
    addToolBar(Qt::TopToolBarArea, m_wndToolBar);

    // The clip tool bar only ever floats, as a small tool window of its own.
    m_wndClipBar = new QToolBar(Res::text(Res::IdsClipToolTitle), this);
    m_wndClipBar->setObjectName(QStringLiteral("ToolBar-Clip"));
    m_wndClipBar->setWindowTitle(Res::text(Res::IdsClipToolTitle));
    m_wndClipBar->setIconSize(QSize(23, 23));
    m_wndClipBar->setMovable(false);
    m_wndClipBar->setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::CustomizeWindowHint);
    for (int id : { Cmd::ClipOk, Cmd::ClipClose, Cmd::ClipDeleteLastPoint, Cmd::ClipDuplicatePoint,
             Cmd::ClipDeletePoint, Cmd::ClipDelete })
        m_wndClipBar->addAction(action(id));
    m_wndClipBar->adjustSize();
    int x = Profile::getInt(QStringLiteral("BarState-Bar2"), QStringLiteral("XPos"), -1);
    const int y = Profile::getInt(QStringLiteral("BarState-Bar2"), QStringLiteral("YPos"), 200);
    if (x == -1)
        x = 200;
    m_wndClipBar->move(x, y);
}

void CMainFrame::createBracketBar()
{
    m_wndBarList = new QBarList(Res::text(Res::IdsBracketListTitle), this);
    m_wndBarList->setAllowedAreas(Qt::LeftDockWidgetArea);
    m_wndBrackList = new QBrackListDiag(m_wndBarList);
    m_wndBarList->setWidget(m_wndBrackList);
    addDockWidget(Qt::LeftDockWidgetArea, m_wndBarList);
}

int CMainFrame::onThumbDrop(
    int row, const QString& path, int x, int y, int width, int height, int sideFlag)
{
    for (CKestrinView* view : shownPanes()) {
        if (QRect(view->mapToGlobal(QPoint(0, 0)), view->size()).contains(x, y)) {
            setActivePane(view);
            view->pasteBracket(row, path, 0, x, y, width, height, sideFlag);
            break;
        }
    }
    return 0;
}

void CMainFrame::onThumbDoubleClick(int)
{
    CKestrinView* view = activePane();
    if (!view)
        return;
    const int s = activeSlot();
    PaneSlot& slot = m_ws.m_slot[size_t(s)];
    const QString path = m_wndBrackList->SelectedPicturePath();
    const int n = int(slot.arBrackets.size());
    const int index = m_wndBrackList->SelectedIndex();
    if (n == 0) {
        view->pasteBracket(index, path, 0, 0, 0, 0, 0, m_wndBrackList->SelectedSideFlag());
        return;
    }
    int target;
    if (n == 1) {
        slot.nSelected = 0;
        target = 0;
    } else {
        // With several brackets and none selected, the first double click only
        // selects the topmost one; the next replaces its picture.
        target = slot.nSelected == -1 ? n - 1 : slot.nSelected;
    }
    if (slot.nSelected >= 0 && target < n) {
        QBracket& bracket = slot.arBrackets[size_t(target)];
        if (bracket.ReplaceImage(path)) {
            bracket.SetOutputAndName(m_wndBrackList->SelectedSideFlag() != 0, QString());
            bracket.SetListItem(index);
            bracket.SetName(m_wndBrackList->BracketNameAt(index));
        }
    }
    slot.nSelected = target;
    invalidatePanes();
    updateActions();
}

void CMainFrame::runBrightnessDialog()
{
    const int s = activeSlot();
    QDialogBrightness dialog(this);
    // Previews arrive queued while the dialog runs, like posted messages.
    dialog.SetPreviewWindow(this, [this](int contrast, int brightness) {
        if (CKestrinView* view = activePane())
            view->UpdateBrightness(contrast, brightness, false);
    });
    if (dialog.exec() == QDialog::Accepted) {
        if (dialog.Changed() && activePane())
            activePane()->UpdateBrightness(dialog.Contrast(), dialog.Brightness(), true);
    } else {
        revertAdjustment(s);
    }
}

void CMainFrame::runColorBalanceDialog()
{
    const int s = activeSlot();
    QDialogColorBalance dialog(this);
    dialog.SetPreviewWindow(this, [this](quint32 packed) {
        if (CKestrinView* view = activePane())
            view->UpdateColorBalance(packed, false);
    });
    if (dialog.exec() == QDialog::Accepted) {
        if (dialog.Changed() && activePane())
            activePane()->UpdateColorBalance(dialog.PackedColor(), true);
    } else {
        revertAdjustment(s);
    }
}

void CMainFrame::revertAdjustment(int slot)
{
    if (m_ws.m_slot[size_t(slot)].arBrackets.empty())
        return;
    BracketActions::revertPreview(m_ws, slot);
    if (CKestrinView* view = activePane())
        view->viewport()->update();
}

void CMainFrame::createStatusBar()
{
    statusBar()->showMessage(Res::text(Res::IdsIdle));
    connect(statusBar(), &QStatusBar::messageChanged, this, [this](const QString& message) {
        if (message.isEmpty())
            statusBar()->showMessage(Res::text(Res::IdsIdle));
    });
    for (const char* name : { "CAP", "NUM", "SCRL" }) {
        auto* label = new QLabel(QString::fromLatin1(name), this);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("SCRL")) + 8);
        label->setAlignment(Qt::AlignCenter);
        // X11 offers no portable way to read the lock keys here: shown unlit.
        label->setEnabled(false);
        statusBar()->addPermanentWidget(label);
        m_lockIndicators.append(label);
    }
}

CommandContext CMainFrame::commandContext() const
{
    CommandContext context;
    context.activeSlot = activeSlot();
    context.statusBarVisible = statusBar()->isVisible();
    context.bracketBarVisible = m_wndBarList && m_wndBarList->isVisible();
    context.listHasSelection = m_wndBrackList && m_wndBrackList->SelectedIndex() >= 0;
    context.patientFileExists = HostTools::fileExists(m_patientIdFile);
    return context;
}

void CMainFrame::updateActions()
{
    const CommandContext context = commandContext();
    // The bar's close box hides it behind the command's back; follow it.
    m_ws.m_bBracketViewShown = context.bracketBarVisible;
    for (auto it = m_actions.cbegin(); it != m_actions.cend(); ++it) {
        const CommandState state = CommandRules::evaluate(it.key(), m_ws, context);
        if (!state.known)
            continue;
        it.value()->setEnabled(state.enabled);
        if (it.value()->isCheckable())
            it.value()->setChecked(state.checked);
    }
}

void CMainFrame::dispatch(int id)
{
    CKestrinView* view = activePane();
    if ((view && view->onCommand(id)) || onCommand(id)) {
        updateActions();
        return;
    }
    emit applicationCommand(id);
    updateActions();
}

bool CMainFrame::onCommand(int id)
{
    // Actions that the update pass disabled cannot reach here; the checks below
    // guard direct calls (keyboard shortcuts of disabled actions never fire).
    if (WorkspaceCommands::zoomPreset(m_ws, id)) {
        applyZoom();
        invalidatePanes();
        return true;
    }
    switch (id) {
    case Cmd::ZoomIn:
    case Cmd::ZoomOut:
        if (id == Cmd::ZoomIn)
            WorkspaceCommands::zoomIn(m_ws);
        else
            WorkspaceCommands::zoomOut(m_ws);
        applyZoom();
        invalidatePanes();
        return true;
    case Cmd::FitSize:
        m_ws.m_bFitSize = !m_ws.m_bFitSize;
        applyZoom();
        invalidatePanes();
        return true;
    case Cmd::Panes1:
        setPaneCount(1);
        return true;
    case Cmd::Panes2:
        setPaneCount(2);
        return true;
    case Cmd::Panes4:
        setPaneCount(4);
        return true;
    case Cmd::NextImage:
    case Cmd::PrevImage:
        moveWorkSlot(id == Cmd::NextImage);
        return true;
    case Cmd::ModeScale:
        WorkspaceCommands::toggleOpMode(m_ws, activeSlot(), OpScale);
        return true;
    case Cmd::ModeMove:
        WorkspaceCommands::toggleOpMode(m_ws, activeSlot(), OpMove);
        return true;
    case Cmd::ModeRotate:
        WorkspaceCommands::toggleOpMode(m_ws, activeSlot(), OpRotate);
        return true;
    case Cmd::BracketDelete:
        if (WorkspaceCommands::deleteSelected(m_ws, activeSlot()))
            invalidatePanes();
        return true;
    case Cmd::Brightness:
        runBrightnessDialog();
        return true;
    case Cmd::ColorBalance:
        runColorBalanceDialog();
        return true;
    case Cmd::ShowInfo:
        m_ws.m_bShowInfo = !m_ws.m_bShowInfo;
        return true;
    case Cmd::ClipDefine:
        if (WorkspaceCommands::toggleClipDefinition(m_ws)) {
            showClipBar();
            setPaneCount(1);
        } else {
            hideClipBar();
        }
        invalidatePanes();
        return true;
    case Cmd::ClipOk:
        if (WorkspaceCommands::endClipEditing(m_ws)) {
            hideClipBar();
            invalidatePanes();
        }
        return true;
    case Cmd::ClipClose:
        if (WorkspaceCommands::closeClipCurve(m_ws))
            invalidatePanes();
        return true;
    case Cmd::GalleryAdd:
        GalleryCommands::Add(this, m_wndBrackList);
        return true;
    case Cmd::GalleryEdit:
        GalleryCommands::Edit(this, m_wndBrackList);
        return true;
    case Cmd::GalleryDelete:
        GalleryCommands::Delete(this, m_wndBrackList);
        return true;
    case Cmd::BracketView:
        m_ws.m_bBracketViewShown = !m_wndBarList->isVisible();
        m_wndBarList->setVisible(m_ws.m_bBracketViewShown);
        return true;
    case Cmd::BracketTool:
        m_ws.m_bBracketToolShown = !m_ws.m_bBracketToolShown;
        m_wndToolBar->setVisible(m_ws.m_bBracketToolShown);
        return true;
    case Cmd::ViewStatusBar:
        statusBar()->setVisible(!statusBar()->isVisible());
        return true;
    case Cmd::NextPane:
        activateNeighbourPane(1);
        return true;
    case Cmd::PrevPane:
        activateNeighbourPane(-1);
        return true;
    case Cmd::AppExit:
        close();
        return true;
    default:
        return false;
    }
}

void CMainFrame::restoreBarState()
{
    const QByteArray state = Profile::getByteArray(BarStateGroup, QStringLiteral("State"));
    const QStringList bars = Profile::getStringList(BarStateGroup, QStringLiteral("Bars"));
    QBarList::GlobalLoadState(this, BarStateGroup);
    if (state.isEmpty())
        return;
    // A saved arrangement naming a bar this frame does not have is left alone
    // entirely; the next exit overwrites it.
    for (const QString& name : bars)
        if (!findChild<QWidget*>(name))
            return;
    restoreState(state, BarStateVersion);
}

void CMainFrame::saveBarState()
{
    QBarList::GlobalSaveState(this, BarStateGroup);
    QStringList bars;
    for (const QToolBar* bar : findChildren<QToolBar*>())
        if (bar != m_wndClipBar)
            bars << bar->objectName();
    for (const QDockWidget* dock : findChildren<QDockWidget*>())
        bars << dock->objectName();
    Profile::writeByteArray(BarStateGroup, QStringLiteral("State"), saveState(BarStateVersion));
    Profile::writeStringList(BarStateGroup, QStringLiteral("Bars"), bars);
    Profile::writeInt(QStringLiteral("BarState-Bar2"), QStringLiteral("XPos"), m_wndClipBar->x());
    Profile::writeInt(QStringLiteral("BarState-Bar2"), QStringLiteral("YPos"), m_wndClipBar->y());
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    Profile::writeInt(QStringLiteral("BRACKET"), QStringLiteral("WINZOOM"), isMaximized() ? 1 : 0);
    saveBarState();
    QMainWindow::closeEvent(event);
}
