// Writes where the frame's panes, list rows and buttons are on the screen, as
// JSON, to the file named by $KESTRIN_LAYOUT_FILE. Scripts that drive the real
// program with synthetic input (the end-to-end test) read it instead of guessing
// pixel positions from fonts and window sizes.
#pragma once

class CMainFrame;

class LayoutReport {
public:
    // True when $KESTRIN_LAYOUT_FILE is set.
    static bool enabled();
    // Replaces the file, by a rename, when the layout changed since the last call.
    static void write(const CMainFrame& frame);
};
