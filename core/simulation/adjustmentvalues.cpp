#include "core/simulation/adjustmentvalues.h"

QString AdjustmentValues::offsetText(int position, int neutral)
{
    return QString::number(position - neutral);
}
