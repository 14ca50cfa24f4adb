#include "core/gallery/tiptiming.h"

TipTiming::Step TipTiming::Tick(int& tipTicks, bool paneIsActive)
{
    if (!paneIsActive) {
        tipTicks = 0;
        return Step::Cancel;
    }
    if (tipTicks < TicksBeforeShow) {
        ++tipTicks;
        return Step::Wait;
    }
    tipTicks = 0;
    return Step::Show;
}
