// What the frame's commands do to the workspace itself. The frame adds the window
// side (scales, panes, tool bars, repaints) around these.
#pragma once

#include <QString>

class Workspace;

class WorkspaceCommands {
public:
    // Zoom limits: steps of 0.25 between 0.25 and 6.0. Every zoom clears fit mode.
    static void zoomIn(Workspace& ws);
    static void zoomOut(Workspace& ws);
    // A preset zoom (0.25 for 25 %).
    static void setZoom(Workspace& ws, double zoom);

    // Chooses the operation for the next press on the selected bracket, in all
    // slots at once; choosing the mode already in force in `slot` turns it off.
    static void toggleOpMode(Workspace& ws, int slot, int op);

    // Removes the selected bracket of `slot`; false when there was none or a clip
    // is being defined.
    static bool deleteSelected(Workspace& ws, int slot);

    // Starts a clip definition (true) or abandons the one in progress (false).
    // Starting discards every bracket of every slot; the caller switches to one
    // pane and shows the clip tool bar.
    static bool toggleClipDefinition(Workspace& ws);
    // True when toggling now would start a definition and so discard brackets
    // placed in any slot: the user is asked first.
    static bool clipDefinitionDiscardsBrackets(const Workspace& ws);
    // Ends clip editing, closing an open outline of three or more points first;
    // false when editing was not on.
    static bool endClipEditing(Workspace& ws);
    // Closes the outline being defined when it has three or more points; editing
    // stays on. False when no definition is in progress.
    static bool closeClipCurve(Workspace& ws);

    // A double click on a gallery row while `slot` holds brackets: the picture
    // replaces the one of the selected bracket (the only one counts as selected).
    // With several and none selected the click only selects the topmost, so that
    // a stray click never changes a bracket the user did not pick. False when the
    // slot is empty: the caller pastes a new bracket instead.
    static bool replaceOnDoubleClick(Workspace& ws, int slot, const QString& picturePath,
        bool output, int listIndex, const QString& name);
};
