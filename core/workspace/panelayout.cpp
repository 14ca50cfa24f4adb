#include "core/workspace/panelayout.h"

bool PaneLayout::setPaneCount(int count)
{
    if (count != 1 && count != 2 && count != 4)
        return false;
    m_paneCount = count;
    if (count == 4) {
        // The working slot is kept for when fewer panes show again.
        for (int pane = 0; pane < GridPanes; ++pane)
            m_slots[size_t(pane)] = pane;
        m_active = 1;
        return true;
    }
    m_workSlot = 1;
    showWorkSlot();
    return true;
}

int PaneLayout::slotOf(int pane) const
{
    return pane >= 0 && pane < GridPanes ? m_slots[size_t(pane)] : 0;
}

bool PaneLayout::isShown(int pane) const
{
    switch (m_paneCount) {
    case 1:
        return pane == 0;
    case 2:
        return pane == 0 || pane == 1;
    default:
        return pane >= 0 && pane < GridPanes;
    }
}

QVector<int> PaneLayout::shownPanes() const
{
    QVector<int> panes;
    for (int pane = 0; pane < GridPanes; ++pane)
        if (isShown(pane))
            panes.append(pane);
    return panes;
}

QVector<int> PaneLayout::shownSlots() const
{
    QVector<int> result;
    for (int pane : shownPanes())
        result.append(slotOf(pane));
    return result;
}

bool PaneLayout::setActivePane(int pane)
{
    if (!isShown(pane))
        return false;
    m_active = pane;
    return true;
}

void PaneLayout::activateNeighbour(int step)
{
    const QVector<int> panes = shownPanes();
    const int index = int(panes.indexOf(m_active));
    const int count = int(panes.size());
    m_active = panes.at(((index + step) % count + count) % count);
}

bool PaneLayout::moveWorkSlot(int step)
{
    const int slot = m_workSlot + step;
    if (slot < 1 || slot > 3)
        return false;
    m_workSlot = slot;
    if (m_paneCount != 4)
        showWorkSlot();
    return true;
}

void PaneLayout::showWorkSlot()
{
    // One pane shows the working slot alone; two show the reference beside it.
    if (m_paneCount == 1) {
        m_slots[0] = m_workSlot;
        m_active = 0;
    } else {
        m_slots[0] = 0;
        m_slots[1] = m_workSlot;
        m_active = 1;
    }
}
