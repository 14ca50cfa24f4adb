#include "ui/frame/cmainframe.h"

#include "core/commands/commandids.h"
#include "core/commands/commandlayout.h"
#include "core/commands/commandtable.h"
#include "core/host/hostdialogs.h"
#include "core/host/hosttools.h"
#include "core/host/photocatalog.h"
#include "core/host/profile.h"
#include "core/text/strings.h"
#include "core/workspace/bracketactions.h"
#include "core/workspace/workspacecommands.h"
#include "ui/bars/qbarlist.h"
#include "ui/bars/qbracklistdiag.h"
#include "ui/dialogs/caboutdlg.h"
#include "ui/dialogs/photochooserdialog.h"
#include "ui/dialogs/qdialogbrightness.h"
#include "ui/dialogs/qdialogcolorbalance.h"
#include "ui/frame/consultationcommands.h"
#include "ui/frame/gallerycommands.h"
#include "ui/frame/layoutreport.h"
#include "ui/frame/lockkeystate.h"
#include "ui/frame/paneoutput.h"
#include "ui/frame/qsplitterwnd.h"
#include "ui/panes/ckestrinview.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDockWidget>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

namespace {
// Bumped whenever the set of bars changes, so an old arrangement is not applied.
constexpr int BarStateVersion = 1;
const QString BarStateGroup = QStringLiteral("BarState");
const QString StatusBarKey = QStringLiteral("StatusBar");
} // namespace

CMainFrame::CMainFrame(QWidget* parent)
    : QMainWindow(parent)
    , m_patientIdFile(HostDialogs::tempFolder() + QStringLiteral("PatientID.TMP"))
{
    // The window takes the application's icon: no second decode of it here.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        resize(screen->availableGeometry().size() * 4 / 5);
    createPanes();
    createActions();
    createToolBars();
    for (const MenuItem& menu : CommandLayout::menuBar())
        createMenu(menuBar()->addMenu(menu.shownTitle()), menu.items);
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
    m_ws.m_bMirrorView
        = Profile::getInt(QStringLiteral("BRACKET"), QStringLiteral("MirrorView"), 0) != 0;
    hideClipBar();
    updateActions();
    // Tool-bar buttons follow state changes made outside any command too.
    auto* idle = new QTimer(this);
    connect(idle, &QTimer::timeout, this, &CMainFrame::updateActions);
    connect(idle, &QTimer::timeout, this, &CMainFrame::updateLockIndicators);
    if (LayoutReport::enabled())
        connect(idle, &QTimer::timeout, this, [this] { LayoutReport::write(*this); });
    idle->start(250);
}

CMainFrame::~CMainFrame() = default;

void CMainFrame::createPanes()
{
    m_wndSplitter = new QSplitterWnd(this);
    setCentralWidget(m_wndSplitter);
    for (int i = 0; i < PaneLayout::GridPanes; ++i) {
        m_panes[i] = new CKestrinView(i, m_wndSplitter);
        m_wndSplitter->CreateView(i / 2, i % 2, m_panes[i]);
        m_panes[i]->resetTip();
        connect(m_panes[i], &CKestrinView::activated, this, &CMainFrame::setActivePane);
    }
    const QSize area = GetPaneArea();
    for (int i = 0; i < 2; ++i) {
        m_wndSplitter->SetColumnInfo(i, std::max(area.width() / 2, 0));
        m_wndSplitter->SetRowInfo(i, std::max(area.height() / 2, 0));
    }
    showLayout();
    connect(m_wndSplitter, &QSplitterWnd::resized, this, &CMainFrame::recalcLayout);
    m_ws.m_bPanesCreated = true;
}

QVector<CKestrinView*> CMainFrame::shownPanes() const
{
    QVector<CKestrinView*> panes;
    for (int index : m_ws.m_layout.shownPanes())
        panes.append(m_panes[index]);
    return panes;
}

CKestrinView* CMainFrame::activePane() const { return m_panes[m_ws.m_layout.activePane()]; }

void CMainFrame::setActivePane(CKestrinView* view)
{
    if (!view || !m_ws.m_layout.setActivePane(view->paneIndex()))
        return;
    m_wndSplitter->SetActivePane(view);
    focusFollowsActivePane(focusInPanes());
    updateActions();
}

bool CMainFrame::focusInPanes() const
{
    const QWidget* focus = QApplication::focusWidget();
    if (!focus)
        return true;
    for (const CKestrinView* view : m_panes)
        if (view && (view == focus || view->isAncestorOf(focus)))
            return true;
    return false;
}

void CMainFrame::focusFollowsActivePane(bool paneHadFocus)
{
    // A focus elsewhere (the list's filter, a dialog) is the user's and stays.
    if (paneHadFocus && !activePane()->hasFocus())
        activePane()->setFocus(Qt::OtherFocusReason);
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
    const int count = m_ws.m_layout.paneCount();
    if (!m_ws.m_bLayoutReady || count == 1)
        return;
    // Equal halves after every resize: the bar between them takes its own width.
    const QSize area = GetPaneArea();
    const int halfW = std::max((area.width() - QSplitterWnd::BarWidth) / 2, 0);
    const int halfH = std::max((area.height() - QSplitterWnd::BarWidth) / 2, 0);
    m_wndSplitter->SetColumnInfo(0, halfW);
    m_wndSplitter->SetColumnInfo(1, halfW);
    if (count == 4) {
        m_wndSplitter->SetRowInfo(0, halfH);
        m_wndSplitter->SetRowInfo(1, halfH);
    }
    m_wndSplitter->RecalcLayout();
}

void CMainFrame::showLayout()
{
    // Asked before hiding panes, which passes their focus on to another widget.
    const bool paneHadFocus = focusInPanes();
    const int count = m_ws.m_layout.paneCount();
    if (count == 1) {
        m_wndSplitter->HideRow(1);
        m_wndSplitter->HideColumn(1);
    } else {
        m_wndSplitter->ShowColumn(1);
        if (count == 4)
            m_wndSplitter->ShowRow(1);
        else
            m_wndSplitter->HideRow(1);
    }
    m_wndSplitter->SetActivePane(activePane());
    focusFollowsActivePane(paneHadFocus);
}

void CMainFrame::layoutChanged(bool rescale)
{
    showLayout();
    recalcLayout();
    if (rescale)
        applyZoom();
    // A pane that now shows another slot must not keep the old slot's tip.
    for (CKestrinView* view : m_panes)
        view->resetTip();
    invalidatePanes();
}

void CMainFrame::scaleChanged()
{
    applyZoom();
    invalidatePanes();
}

bool CMainFrame::ask(int textId)
{
    return QMessageBox::question(this, Res::text(Res::IdsInformation), Res::text(textId),
               QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        == QMessageBox::Yes;
}

void CMainFrame::showStatusHint(const QString& text)
{
    // Long enough to read twice; the idle text returns when it expires.
    statusBar()->showMessage(text, 10000);
}

void CMainFrame::focusActivePane()
{
    m_wndSplitter->SetActivePane(activePane());
    activePane()->setFocus(Qt::TabFocusReason);
}

bool CMainFrame::isBarVisible(Bar bar) const
{
    switch (bar) {
    case Bar::Clip:
        return m_wndClipBar && m_wndClipBar->isVisible();
    case Bar::BracketList:
        return m_wndBarList && m_wndBarList->isVisible();
    case Bar::ToolBar:
        return m_wndToolBar && m_wndToolBar->isVisible();
    case Bar::StatusBar:
        return statusBar()->isVisible();
    }
    return false;
}

void CMainFrame::setBarVisible(Bar bar, bool visible)
{
    switch (bar) {
    case Bar::Clip:
        if (!m_wndClipBar)
            return;
        if (visible) {
            m_wndClipBar->show();
            m_wndClipBar->raise();
        } else if (m_wndClipBar->isVisible()) {
            m_wndClipBar->hide();
        }
        return;
    case Bar::BracketList:
        m_wndBarList->setVisible(visible);
        return;
    case Bar::ToolBar:
        m_wndToolBar->setVisible(visible);
        return;
    case Bar::StatusBar:
        statusBar()->setVisible(visible);
        return;
    }
}

void CMainFrame::run(Task task)
{
    switch (task) {
    case Task::SaveAs:
        PaneOutput::saveAs(this);
        break;
    case Task::SaveConsultation:
        ConsultationCommands::save(this);
        break;
    case Task::OpenConsultation:
        ConsultationCommands::open(this);
        break;
    case Task::Register:
        PaneOutput::registerComposite(this);
        break;
    case Task::Print:
        PaneOutput::print(this, true);
        break;
    case Task::PrintDirect:
        PaneOutput::print(this, false);
        break;
    case Task::PrintPreview:
        PaneOutput::printPreview(this);
        break;
    case Task::PrinterSetup:
        PaneOutput::printerSetup(this);
        break;
    case Task::Brightness:
        runBrightnessDialog();
        break;
    case Task::ColorBalance:
        runColorBalanceDialog();
        break;
    case Task::GalleryAdd:
        GalleryCommands::Add(this, m_wndBrackList);
        break;
    case Task::GalleryEdit:
        GalleryCommands::Edit(this, m_wndBrackList);
        break;
    case Task::GalleryDelete:
        GalleryCommands::Delete(this, m_wndBrackList);
        break;
    case Task::OpenPhoto:
        choosePhoto();
        break;
    case Task::About: {
        CAboutDlg about(this);
        about.exec();
        break;
    }
    case Task::Quit:
        close();
        break;
    }
}

void CMainFrame::createActions()
{
    for (const CommandRow& row : CommandTable::rows()) {
        auto* action = new QAction(row.menuText(), this);
        action->setObjectName(QString::number(row.id));
        action->setStatusTip(row.statusTip());
        action->setToolTip(row.toolTip().isEmpty() ? row.statusTip() : row.toolTip());
        action->setShortcut(row.shortcut);
        if (row.icon)
            action->setIcon(QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(row.icon))));
        action->setIconVisibleInMenu(false);
        action->setCheckable(row.checkable);
        const int id = row.id;
        connect(action, &QAction::triggered, this, [this, id] { dispatch(id); });
        m_actions.insert(id, action);
        if (!row.shortcut.isEmpty())
            addAction(action); // shortcuts work while menus are closed
    }
    for (const auto& [id, key] : CommandLayout::moreShortcuts()) {
        QAction* action = m_actions.value(id);
        action->setShortcuts(action->shortcuts() << key);
    }
}

void CMainFrame::createMenu(QMenu* menu, const std::vector<MenuItem>& items)
{
    for (const MenuItem& item : items) {
        if (!item.items.empty())
            createMenu(menu->addMenu(item.shownTitle()), item.items);
        else if (item.id == 0)
            menu->addSeparator();
        else
            menu->addAction(action(item.id));
    }
    connect(menu, &QMenu::aboutToShow, this, &CMainFrame::updateActions);
}

void CMainFrame::createToolBars()
{
    m_wndToolBar = new QToolBar(QStringLiteral("Kestrin"), this);
    m_wndToolBar->setObjectName(QStringLiteral("ToolBar-59392"));
    m_wndToolBar->setIconSize(QSize(23, 23));
    m_wndToolBar->setAllowedAreas(Qt::TopToolBarArea | Qt::RightToolBarArea);
    auto* zoomMenu = new QMenu(this);
    for (int id : CommandLayout::zoomMenu())
        zoomMenu->addAction(action(id));
    for (int id : CommandLayout::toolBar()) {
        if (id == 0) {
            m_wndToolBar->addSeparator();
        } else if (id == CommandLayout::ZoomButton) {
            auto* button = new QToolButton(m_wndToolBar);
            button->setDefaultAction(action(id));
            button->setMenu(zoomMenu);
            button->setPopupMode(QToolButton::MenuButtonPopup);
            button->setObjectName(QString::number(id));
            m_wndToolBar->addWidget(button);
        } else {
            m_wndToolBar->addAction(action(id));
        }
    }
    addToolBar(Qt::TopToolBarArea, m_wndToolBar);
    // Closed from the window's own bar menu too: the menu item must follow.
    connect(m_wndToolBar->toggleViewAction(), &QAction::toggled, this,
        [this](bool shown) { m_ws.m_bBracketToolShown = shown; });

    // The clip tool bar only ever floats, as a small tool window of its own.
    m_wndClipBar = new QToolBar(Res::text(Res::IdsClipToolTitle), this);
    m_wndClipBar->setObjectName(QStringLiteral("ToolBar-Clip"));
    m_wndClipBar->setWindowTitle(Res::text(Res::IdsClipToolTitle));
    m_wndClipBar->setIconSize(QSize(23, 23));
    m_wndClipBar->setMovable(false);
    m_wndClipBar->setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::CustomizeWindowHint);
    for (int id : CommandLayout::clipBar())
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
    const QString path = m_wndBrackList->SelectedPicturePath();
    const int index = m_wndBrackList->SelectedIndex();
    const int sideFlag = m_wndBrackList->SelectedSideFlag();
    m_ws.m_history.begin();
    const bool replaced = WorkspaceCommands::replaceOnDoubleClick(
        m_ws, activeSlot(), path, sideFlag != 0, index, m_wndBrackList->BracketNameAt(index));
    m_ws.m_history.end(ConsultationStep::Replace);
    if (!replaced) {
        activePane()->pasteBracket(index, path, 0, 0, 0, 0, 0, sideFlag);
        return;
    }
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
        label->setEnabled(false);
        statusBar()->addPermanentWidget(label);
        m_lockIndicators.append(label);
    }
    m_lockKeys = new LockKeyState(this);
    updateLockIndicators();
}

void CMainFrame::updateLockIndicators()
{
    const LockKeyState::Locks locks = m_lockKeys->read();
    const LockKeyState::Lock order[]
        = { LockKeyState::Caps, LockKeyState::Num, LockKeyState::Scroll };
    for (int i = 0; i < m_lockIndicators.size(); ++i)
        m_lockIndicators[i]->setEnabled(locks.testFlag(order[i]));
}

void CMainFrame::choosePhoto()
{
    bool placed = false;
    for (const PaneSlot& slot : m_ws.m_slot)
        placed = placed || !slot.arBrackets.empty();
    if (placed
        && QMessageBox::question(this, Res::text(Res::IdsAppTitle),
               tr("配置したブラケットは破棄されます。別の写真を開きますか？"),
               QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
            != QMessageBox::Yes)
        return;
    PhotoChooserDialog chooser(this);
    if (chooser.exec() != QDialog::Accepted)
        return;
    emit photoChosen(chooser.chosenPath());
    // A new photograph has no clip yet: one pane, and no clip bar left over.
    hideClipBar();
    setPaneCount(1);
    updateActions();
}

CommandContext CMainFrame::commandContext() const
{
    CommandContext context;
    // Whether the bar is wanted, also while the window itself is not yet shown.
    context.statusBarVisible = !statusBar()->isHidden();
    context.bracketBarVisible = m_wndBarList && m_wndBarList->isVisible();
    context.listHasSelection = m_wndBrackList && m_wndBrackList->SelectedIndex() >= 0;
    context.patientFileExists = HostTools::fileExists(m_patientIdFile);
    context.photoDatabaseProblem = PhotoCatalog::unavailableReason();
    return context;
}

void CMainFrame::updateActions()
{
    const CommandContext context = commandContext();
    for (const CommandRow& row : CommandTable::rows()) {
        QAction* action = m_actions.value(row.id);
        const CommandState state = row.rule(m_ws, context);
        action->setEnabled(state.enabled);
        action->setToolTip(!state.toolTip.isEmpty() ? state.toolTip
                : row.toolTip().isEmpty()           ? row.statusTip()
                                                    : row.toolTip());
        if (row.checkable)
            action->setChecked(state.checked);
        if (!state.text.isEmpty())
            action->setText(state.text);
    }
}

void CMainFrame::dispatch(int id)
{
    // Disabled actions cannot trigger; the handlers still guard direct calls.
    CommandTable::execute(id, *this);
    updateActions();
}

void CMainFrame::restoreBarState()
{
    const Profile::Batch batch;
    const QByteArray state = Profile::getByteArray(BarStateGroup, QStringLiteral("State"));
    const QStringList bars = Profile::getStringList(BarStateGroup, QStringLiteral("Bars"));
    QBarList::GlobalLoadState(this, BarStateGroup);
    statusBar()->setVisible(Profile::getInt(BarStateGroup, StatusBarKey, 1) != 0);
    // A saved arrangement naming a bar this frame does not have is left alone
    // entirely; the next exit overwrites it.
    bool known = !state.isEmpty();
    for (const QString& name : bars)
        known = known && findChild<QWidget*>(name);
    if (known)
        restoreState(state, BarStateVersion);
    // The tool bar's menu item and toggle go by this flag: it must say what the
    // restored arrangement shows, or the first click would hide a hidden bar.
    m_ws.m_bBracketToolShown = !m_wndToolBar->isHidden();
}

void CMainFrame::saveBarState()
{
    const Profile::Batch batch;
    QBarList::GlobalSaveState(this, BarStateGroup);
    QStringList bars;
    for (const QToolBar* bar : findChildren<QToolBar*>())
        if (bar != m_wndClipBar)
            bars << bar->objectName();
    for (const QDockWidget* dock : findChildren<QDockWidget*>())
        bars << dock->objectName();
    Profile::writeByteArray(BarStateGroup, QStringLiteral("State"), saveState(BarStateVersion));
    Profile::writeInt(BarStateGroup, StatusBarKey, statusBar()->isHidden() ? 0 : 1);
    Profile::writeStringList(BarStateGroup, QStringLiteral("Bars"), bars);
    Profile::writeInt(QStringLiteral("BarState-Bar2"), QStringLiteral("XPos"), m_wndClipBar->x());
    Profile::writeInt(QStringLiteral("BarState-Bar2"), QStringLiteral("YPos"), m_wndClipBar->y());
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    {
        // One rewrite of the shared INI for all the keys written at exit.
        const Profile::Batch batch;
        Profile::writeInt(
            QStringLiteral("BRACKET"), QStringLiteral("WINZOOM"), isMaximized() ? 1 : 0);
        saveBarState();
    }
    QMainWindow::closeEvent(event);
}
