// What a pane does to the brackets of its slot outside clip editing: pasting a
// gallery picture, hovering, pressing, dragging and releasing, the tip target and
// the colour adjustments. Positions are photograph pixels.
#pragma once

#include <QPoint>
#include <QString>
#include <Qt>

#include <optional>

class Workspace;

class BracketActions {
public:
    enum class PasteResult {
        NoPhoto, // nothing happens
        NoClip, // refused: define the clip region first
        Created, // a new bracket in the empty slot
        Replaced, // the slot's first bracket took the picture
        PictureMissing, // the picture could not be loaded; nothing added
    };

    // Pastes into a working pane's slot. A definition with two or more outline
    // points is closed first (and stays closed even when the paste then fails);
    // `closedNow` tells the caller to repaint every pane. A new bracket is centred on
    // the clip region's bounding box at its canvas size.
    static PasteResult paste(Workspace& ws, int slot, int listIndex, const QString& picturePath,
        QPoint photo, const QString& name, int sideFlag, bool* closedNow);

    // A pointer move without clip editing. Returns the cursor the bracket asks for,
    // if any. Also updates hover and selection decorations. `zoom` is the pane's
    // scale, which sets the handle's hit size.
    static std::optional<Qt::CursorShape> move(
        Workspace& ws, int slot, QPoint photo, bool ctrl, bool leftDown, double zoom);
    // A left press: the hovered bracket becomes the selection, the drag operation
    // is chosen and the drag starts here. Returns true when the pane should
    // capture the mouse.
    static bool press(Workspace& ws, int slot, QPoint photo, double zoom);
    // A release inside the pane ends the drag.
    static void releaseInside(Workspace& ws, int slot);
    // A release outside the pane: `removeAll` empties the slot (and resets its own
    // operation mode); otherwise the dragged bracket goes back to the clip's middle.
    static void releaseOutside(Workspace& ws, int slot, bool removeAll);

    // A key on the selected bracket: an arrow moves it one photograph pixel (ten
    // with Shift), `[` and `]` turn it one degree anticlockwise and clockwise.
    // False (nothing changes) for other keys, without a selection or while the
    // clip outline is being edited.
    static bool key(Workspace& ws, int slot, int key, bool shift);

    // Index of the topmost bracket whose picture (not its surround) lies under the
    // pointer, or -1.
    static int tipTarget(const Workspace& ws, int slot, QPoint photo);

    // Brightness/contrast (0..200, 100 unchanged) and packed colour balance (red,
    // green, blue bytes, 128 unchanged) on the selected bracket, previewed or
    // committed. False without a valid selection.
    static bool adjustBrightness(
        Workspace& ws, int slot, int contrast, int brightness, bool commit);
    static bool adjustColorBalance(Workspace& ws, int slot, quint32 packed, bool commit);
    // Drops an uncommitted preview from the selected bracket (a dialog was cancelled).
    static void revertPreview(Workspace& ws, int slot);

    // A closed outline of fewer than three points, as a paste closes it: it
    // encloses nothing, so every bracket stays hidden.
    static bool clipEnclosesNothing(const Workspace& ws);

    // The middle of the clip outline's bounding box, halved toward zero.
    static QPoint clipCentre(const Workspace& ws);
};
