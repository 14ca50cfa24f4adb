// The main window: owns the one Workspace, the four pane views, the menus, tool
// bars and status bar, and carries out the commands that act on the workspace.
#pragma once

#include "frame/workspace.h"

#include <QHash>
#include <QMainWindow>

class QAction;
class CKestrinView;

class CMainFrame : public QMainWindow
{
    Q_OBJECT

public:
    explicit CMainFrame(QWidget *parent = nullptr);
    ~CMainFrame() override;

    Workspace &workspace() { return m_ws; }
    const Workspace &workspace() const { return m_ws; }

    CKestrinView *pane(int row, int col) const { return m_panes[row * 2 + col]; }
    // The panes the current layout shows, row by row.
    QVector<CKestrinView *> shownPanes() const;
    CKestrinView *activePane() const { return m_activePane; }

    int activeSlot() const;
    void invalidatePanes();
    void applyZoom();
    void resetScrollSizes();
    // Every pane's initial update after a photograph was opened.
    void initialUpdatePanes();
    void hideClipBar();

    QAction *action(int id) const { return m_actions.value(id); }

signals:
    // A command the frame does not handle itself, offered to the application.
    void applicationCommand(int id);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void createPanes();
    void createActions();
    void createMenus();
    void arrangePanes();
    void onCommand(int id);

    Workspace m_ws;
    CKestrinView *m_panes[4] = {};
    CKestrinView *m_activePane = nullptr;
    QHash<int, QAction *> m_actions;
};
