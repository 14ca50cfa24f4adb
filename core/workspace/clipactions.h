// What the pane does to the shared clip outline while clip editing is on: mouse
// presses, drags and releases in photograph pixels, and the clip point commands.
#pragma once

#include <QPoint>

class Workspace;

class ClipActions {
public:
    static void press(Workspace& ws, QPoint photo, double zoom = 1.0);
    static void move(Workspace& ws, QPoint photo);
    static void release(Workspace& ws, QPoint photo, double zoom = 1.0);

    // Empties the outline and starts a new definition at once; brackets stay.
    static void deleteClip(Workspace& ws);
    // Removes the last outline point; leaving a single entry starts over.
    static void deleteLastPoint(Workspace& ws);
    static void duplicatePickedPoint(Workspace& ws);
    // Removes the picked point; with two outline points or fewer starts over.
    static void deletePickedPoint(Workspace& ws);
    // Closes the outline being defined (three or more points). False when no
    // definition is in progress: then nothing changes and nothing is repainted.
    static bool closeCurve(Workspace& ws);
    // Ends editing, closing an open outline first. False when editing was off;
    // true means the clip tool bar goes away.
    static bool ok(Workspace& ws);
};
