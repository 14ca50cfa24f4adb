// The main window: owns the one Workspace and the splitter with the four pane
// views, builds the actions, menus and tool bars from the command table and its
// layout, runs the single update pass over them and gives the commands' handlers
// the window side they ask for (scales, panes, bars, dialogs).
#pragma once

#include "core/commands/commandenv.h"
#include "core/commands/commandtable.h"
#include "core/workspace/workspace.h"
#include "ui/panes/panehost.h"

#include <QHash>
#include <QMainWindow>

#include <vector>

class QAction;
class QLabel;
class QMenu;
class QToolBar;
class CKestrinView;
class LockKeyState;
class QSplitterWnd;
class QBarList;
class QBrackListDiag;
struct MenuItem;

class CMainFrame : public QMainWindow, public CommandEnv, public PaneHost {
    Q_OBJECT

public:
    explicit CMainFrame(QWidget* parent = nullptr);
    ~CMainFrame() override;

    Workspace& workspace() override { return m_ws; }
    const Workspace& workspace() const { return m_ws; }

    QSplitterWnd* splitter() const { return m_wndSplitter; }
    // The view created at (row, col) of the grid, whether shown or not.
    CKestrinView* pane(int row, int col) const { return m_panes[row * 2 + col]; }
    // The panes the workspace's layout shows, row by row.
    QVector<CKestrinView*> shownPanes() const;
    CKestrinView* activePane() const;
    // A click or a drop chose `view`; a hidden view is refused.
    void setActivePane(CKestrinView* view);

    int activeSlot() const { return m_ws.m_layout.activeSlot(); }
    void invalidatePanes() override;
    void applyZoom();
    void resetScrollSizes();
    // Width and height available to the panes.
    QSize GetPaneArea() const;
    // Every pane's initial update after a photograph was opened.
    void initialUpdatePanes();

    QToolBar* clipBar() const { return m_wndClipBar; }
    QToolBar* toolBar() const { return m_wndToolBar; }
    QBarList* bracketBar() const { return m_wndBarList; }
    QBrackListDiag* bracketList() const override { return m_wndBrackList; }
    void hideClipBar() override { setBarVisible(Bar::Clip, false); }
    void showStatusHint(const QString& text) override;

    // A row of the bracket list released at the global point (x, y): the pane
    // under it becomes active and takes the picture.
    int onThumbDrop(
        int row, const QString& path, int x, int y, int width, int height, int sideFlag);
    // A double click in the bracket list: paste into, or replace the picture of,
    // the active pane's bracket.
    void onThumbDoubleClick(int row);

    // The photograph the document opened, as given; empty before the first one.
    // The photograph's file, whether it was opened itself or with a consultation.
    QString photoPath() const { return m_ws.m_strPhotoPath; }
    // Offers the start dialog in the window, asking first when placed brackets
    // would be lost; emits photoChosen for the application to open the choice.
    void choosePhoto();

    QAction* action(int id) const override { return m_actions.value(id); }
    // Runs the handler of command `id`, then the update pass.
    void dispatch(int id);
    // Sets every action's enabled and checked state from its rule; nothing else.
    void updateActions() override;
    CommandContext commandContext() const;

    // The command handlers' view of the window.
    void scaleChanged() override;
    void panesChanged() override { invalidatePanes(); }
    void layoutChanged(bool rescale) override;
    void focusActivePane() override;
    bool ask(int textId) override;
    bool isBarVisible(Bar bar) const override;
    void setBarVisible(Bar bar, bool visible) override;
    void run(Task task) override;

signals:
    void photoChosen(const QString& path);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createPanes();
    void createActions();
    void createMenu(QMenu* menu, const std::vector<MenuItem>& items);
    void createToolBars();
    void createStatusBar();
    void createBracketBar();
    void recalcLayout();
    // Shows the rows and columns the layout asks for and frames its active pane.
    void showLayout();
    // Keys act on the pane with the focus, so the focus follows the active pane
    // when it was in a pane (`paneHadFocus`) or nowhere; never the other way.
    void focusFollowsActivePane(bool paneHadFocus);
    bool focusInPanes() const;
    void runBrightnessDialog();
    void runColorBalanceDialog();
    // A cancelled adjustment dialog: the selected bracket drops its preview.
    void revertAdjustment(int slot);
    void saveBarState();
    void restoreBarState();
    // Lights CAP, NUM and SCRL as the keyboard's lock keys are.
    void updateLockIndicators();

    Workspace m_ws;
    // The host's marker whose existence enables registering a picture.
    QString m_patientIdFile;
    QBarList* m_wndBarList = nullptr;
    QBrackListDiag* m_wndBrackList = nullptr;
    QSplitterWnd* m_wndSplitter = nullptr;
    CKestrinView* m_panes[PaneLayout::GridPanes] = {};
    QToolBar* m_wndToolBar = nullptr;
    QToolBar* m_wndClipBar = nullptr;
    QHash<int, QAction*> m_actions;
    QVector<QLabel*> m_lockIndicators;
    LockKeyState* m_lockKeys = nullptr;
};
