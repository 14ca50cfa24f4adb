// When a pane's bracket tip appears: the pane's 200 ms timer ticks while the
// mouse rests on a bracket, and the tip shows on the fourth tick (about 800 ms).
#pragma once

class TipTiming {
public:
    static constexpr int TimerId = 1;
    static constexpr int IntervalMs = 200;
    // Ticks counted before the one that shows the tip.
    static constexpr int TicksBeforeShow = 3;

    enum class Step {
        Wait, // keep the timer running
        Show, // stop the timer and show the tip
        Cancel, // stop the timer and hide the tip: the pane is no longer active
    };

    // One timer tick of a pane. `tipTicks` is the pane's counter; it is reset
    // whenever the tick ends the wait (Show or Cancel).
    static Step Tick(int& tipTicks, bool paneIsActive);
};
