// Operation codes shared by the bracket hit test and a pane's chosen or running
// operation. No other values occur (1010 is deliberately unused).
#pragma once

enum BracketOp : int {
    OpNone = 1000,
    OpMove = 1009,
    OpRotate = 1011,
    OpScale = 1012,
};
