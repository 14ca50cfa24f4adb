// The main window: owns the one Workspace and the splitter with the four pane
// views, builds the menus, tool bars and status bar from the command table, runs
// the single update pass over them and carries out the workspace-wide commands.
#pragma once

#include "core/commands/commandrules.h"
#include "core/workspace/workspace.h"

#include <QHash>
#include <QMainWindow>

class QAction;
class QLabel;
class QMenu;
class QToolBar;
class QToolButton;
class CKestrinView;
class QSplitterWnd;
class QBarList;
class QBrackListDiag;

class CMainFrame : public QMainWindow {
    Q_OBJECT

public:
    explicit CMainFrame(QWidget* parent = nullptr);
    ~CMainFrame() override;

    Workspace& workspace() { return m_ws; }
    const Workspace& workspace() const { return m_ws; }

    QSplitterWnd* splitter() const { return m_wndSplitter; }
    // The view created at (row, col), whether shown or not.
    CKestrinView* pane(int row, int col) const;
    // The panes the splitter shows, row by row.
    QVector<CKestrinView*> shownPanes() const;
    CKestrinView* activePane() const;
    void setActivePane(CKestrinView* view);

    int activeSlot() const;
    void invalidatePanes();
    void applyZoom();
    void resetScrollSizes();
    void setPaneCount(int n);
    // Width and height available to the panes.
    QSize GetPaneArea() const;
    // Every pane's initial update after a photograph was opened.
    void initialUpdatePanes();

    void showClipBar();
    void hideClipBar();
    QToolBar* clipBar() const { return m_wndClipBar; }
    QToolBar* toolBar() const { return m_wndToolBar; }
    QBarList* bracketBar() const { return m_wndBarList; }
    QBrackListDiag* bracketList() const { return m_wndBrackList; }

    // A row of the bracket list released at the global point (x, y): the pane
    // under it becomes active and takes the picture.
    int onThumbDrop(
        int row, const QString& path, int x, int y, int width, int height, int sideFlag);
    // A double click in the bracket list: paste into, or replace the picture of,
    // the active pane's bracket.
    void onThumbDoubleClick(int row);

    QAction* action(int id) const { return m_actions.value(id); }
    // Offers `id` to the active pane, then to the frame, then to the application.
    void dispatch(int id);
    // Evaluates every command's enable and check rule and applies it.
    void updateActions();
    CommandContext commandContext() const;

signals:
    // A command neither the active pane nor the frame handles.
    void applicationCommand(int id);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createPanes();
    void createActions();
    void createMenus();
    void createToolBars();
    void createStatusBar();
    void createBracketBar();
    void recalcLayout();
    bool onCommand(int id);
    void showZoomMenu();
    void moveWorkSlot(bool forward);
    void runBrightnessDialog();
    void runColorBalanceDialog();
    // A cancelled adjustment dialog: the selected bracket drops its preview.
    void revertAdjustment(int slot);
    void activateNeighbourPane(int step);
    void saveBarState();
    void restoreBarState();

    Workspace m_ws;
    // The host's marker whose existence enables registering a picture.
    QString m_patientIdFile;
    QBarList* m_wndBarList = nullptr;
    QBrackListDiag* m_wndBrackList = nullptr;
    QSplitterWnd* m_wndSplitter = nullptr;
    CKestrinView* m_panes[4] = {};
    QToolBar* m_wndToolBar = nullptr;
    QToolBar* m_wndClipBar = nullptr;
    QMenu* m_zoomMenu = nullptr;
    QHash<int, QAction*> m_actions;
    QVector<QLabel*> m_lockIndicators;
};
