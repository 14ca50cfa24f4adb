#include "frame/cmainframe.h"

#include "app/profile.h"
#include "frame/commandids.h"
#include "frame/commandtable.h"
#include "res/strings.h"
#include "view/ckestrinview.h"

#include <QAction>
#include <QCloseEvent>
#include <QGridLayout>
#include <QMenuBar>
#include <QStatusBar>

CMainFrame::CMainFrame(QWidget *parent)
    : QMainWindow(parent)
{
    setWindowIcon(QIcon(QStringLiteral(":/icons/kestrin.png")));
    createPanes();
    createActions();
    createMenus();
    statusBar()->showMessage(Res::text(Res::IdsIdle));
    m_ws.m_bLayoutReady = true;
}

CMainFrame::~CMainFrame() = default;

void CMainFrame::createPanes()
{
    auto *area = new QWidget(this);
    auto *grid = new QGridLayout(area);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(4);
    for (int i = 0; i < 4; ++i) {
        m_panes[i] = new CKestrinView(area);
        grid->addWidget(m_panes[i], i / 2, i % 2);
        connect(m_panes[i], &CKestrinView::activated, this, [this](CKestrinView *view) { m_activePane = view; });
    }
    setCentralWidget(area);
    m_ws.m_nPaneCount = 1;
    m_ws.m_nWorkSlot = 1;
    m_activePane = m_panes[0];
    arrangePanes();
    m_ws.m_bPanesCreated = true;
}

void CMainFrame::arrangePanes()
{
    const int count = m_ws.m_nPaneCount;
    for (int i = 0; i < 4; ++i) {
        CKestrinView *view = m_panes[i];
        const bool shown = count == 4 || (count == 2 && i < 2) || (count == 1 && i == 0);
        view->setVisible(shown);
        if (count == 4)
            view->slotNumber = i;
        else if (count == 2)
            view->slotNumber = i == 0 ? 0 : m_ws.m_nWorkSlot;
        else
            view->slotNumber = m_ws.m_nWorkSlot;
        view->setWorkingPane(view->slotNumber != 0);
    }
}

QVector<CKestrinView *> CMainFrame::shownPanes() const
{
    QVector<CKestrinView *> panes;
    for (CKestrinView *view : m_panes)
        if (!view->isHidden())
            panes.append(view);
    return panes;
}

int CMainFrame::activeSlot() const
{
    return m_activePane ? m_activePane->slotNumber : 0;
}

void CMainFrame::invalidatePanes()
{
    for (CKestrinView *view : shownPanes())
        view->viewport()->update();
}

void CMainFrame::applyZoom()
{
    if (!m_ws.hasPhoto())
        return;
    for (CKestrinView *view : shownPanes())
        view->setScale(m_ws.m_dZoom, m_ws.photoWidth(), m_ws.photoHeight(), m_ws.m_bFitSize);
}

void CMainFrame::resetScrollSizes()
{
    if (!m_ws.hasPhoto())
        return;
    for (CKestrinView *view : shownPanes())
        view->setScrollSizes(m_ws.photoWidth(), m_ws.photoHeight());
}

void CMainFrame::initialUpdatePanes()
{
    for (CKestrinView *view : m_panes)
        view->OnInitialUpdate();
}

void CMainFrame::hideClipBar()
{
    // The clip tool bar arrives with clip editing; until then there is none to hide.
}

void CMainFrame::createActions()
{
    for (const CommandRow &row : CommandTable::rows()) {
        auto *action = new QAction(row.text, this);
        action->setStatusTip(row.statusTip());
        action->setToolTip(row.toolTip().isEmpty() ? row.statusTip() : row.toolTip());
        action->setShortcut(row.shortcut);
        action->setData(row.id);
        const int id = row.id;
        connect(action, &QAction::triggered, this, [this, id] { onCommand(id); });
        m_actions.insert(id, action);
    }
    m_actions.value(Cmd::ViewStatusBar)->setCheckable(true);
    m_actions.value(Cmd::ViewStatusBar)->setChecked(true);
}

void CMainFrame::createMenus()
{
    QMenu *file = menuBar()->addMenu(QStringLiteral("ﾌｧｲﾙ(&F)"));
    file->addAction(action(Cmd::AppExit));
    QMenu *view = menuBar()->addMenu(QStringLiteral("表示(&V)"));
    view->addAction(action(Cmd::ViewStatusBar));
    QMenu *help = menuBar()->addMenu(QStringLiteral("ﾍﾙﾌﾟ(&H)"));
    help->addAction(action(Cmd::AppAbout));
}

void CMainFrame::onCommand(int id)
{
    switch (id) {
    case Cmd::AppExit:
        close();
        break;
    case Cmd::ViewStatusBar:
        statusBar()->setVisible(!statusBar()->isVisible());
        action(id)->setChecked(statusBar()->isVisible());
        break;
    default:
        emit applicationCommand(id);
        break;
    }
}

void CMainFrame::closeEvent(QCloseEvent *event)
{
    Profile::writeInt(QStringLiteral("BRACKET"), QStringLiteral("WINZOOM"), isMaximized() ? 1 : 0);
    QMainWindow::closeEvent(event);
}
