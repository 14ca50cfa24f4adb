// Tool-bar button images and the lasso cursor, painted at run time so they stay
// sharp at any device-pixel ratio and need no binary resources.
#pragma once

#include <QCursor>
#include <QIcon>

namespace ToolIcons {

// The button image of command `id`; a null icon for commands without a button.
QIcon icon(int id);

// The 32 x 32 lasso cursor of clip editing, hot spot (10, 21).
QCursor lassoCursor();

} // namespace ToolIcons
