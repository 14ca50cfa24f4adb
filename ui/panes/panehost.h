// What a pane needs from the window around it: the workspace, the bracket list,
// the shared actions and the few window-wide refreshes. The main frame implements
// it, so the panes never depend on the frame's own class.
#pragma once

class QAction;
class QString;
class QBrackListDiag;
class Workspace;

class PaneHost {
public:
    virtual ~PaneHost();
    virtual Workspace& workspace() = 0;
    virtual QBrackListDiag* bracketList() const = 0;
    // The frame's action for a command id, shared by the pane's context menu.
    virtual QAction* action(int id) const = 0;
    // The workspace's zoom or fit mode changed: every shown pane takes the scale.
    virtual void scaleChanged() = 0;
    // Repaints every shown pane (a change in one slot can show in another).
    virtual void invalidatePanes() = 0;
    // The one update pass over every command's enabled and checked state.
    virtual void updateActions() = 0;
    virtual void hideClipBar() = 0;
    // A passing hint in the status bar; the idle text comes back after a while.
    virtual void showStatusHint(const QString& text) = 0;
};
