#include "core/commands/commandenv.h"

#include "core/workspace/workspace.h"

void CommandEnv::setPaneCount(int count)
{
    PaneLayout& layout = workspace().m_layout;
    const int old = layout.paneCount();
    if (layout.setPaneCount(count))
        layoutChanged(count == 1 || count != old);
    else
        panesChanged();
}
