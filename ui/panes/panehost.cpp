#include "ui/panes/panehost.h"

// Anchors the interface's type information in one object file.
PaneHost::~PaneHost() = default;
