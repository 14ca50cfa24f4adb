// What a command's handler may ask of the window that runs it. The frame
// implements it; tests can implement it with a recorder.
#pragma once

class Workspace;

class CommandEnv {
public:
    // Work that needs a dialog, a printer or the application.
    enum class Task {
        SaveAs,
        SaveConsultation,
        OpenConsultation,
        Register,
        Print,
        PrintDirect,
        PrintPreview,
        PrinterSetup,
        Brightness,
        ColorBalance,
        GalleryAdd,
        GalleryEdit,
        GalleryDelete,
        About,
        Quit,
        OpenPhoto,
    };
    enum class Bar { Clip, BracketList, ToolBar, StatusBar };

    virtual ~CommandEnv() = default;

    virtual Workspace& workspace() = 0;
    // The zoom or fit mode changed: the shown panes take the new scale.
    virtual void scaleChanged() = 0;
    // Something the shown panes draw changed.
    virtual void panesChanged() = 0;
    // The workspace's pane layout changed; `rescale` when the shown panes must
    // take their scale anew.
    virtual void layoutChanged(bool rescale) = 0;
    // The active pane was chosen from the keyboard: it takes the focus too.
    virtual void focusActivePane() = 0;
    virtual bool isBarVisible(Bar bar) const = 0;
    virtual void setBarVisible(Bar bar, bool visible) = 0;
    virtual void run(Task task) = 0;
    // A Yes/No question with the text of string id `textId`; true for Yes. No is
    // offered first: what is asked about cannot be undone.
    virtual bool ask(int textId) = 0;

    // Shows 1, 2 or 4 panes. A single pane is always scaled anew, as it may just
    // have grown to the whole area; more panes only when the count changes.
    void setPaneCount(int count);
};
