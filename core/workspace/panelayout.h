// Which of the four grid panes show, which workspace slot each shows and which
// pane is active. The widgets only show what this says; saving and printing read
// the shown slots from here.
#pragma once

#include <QVector>

#include <array>

// Grid panes are numbered row by row: 0 top-left, 1 top-right, 2 bottom-left,
// 3 bottom-right. Slot 0 is the unaltered reference and is never a working slot.
class PaneLayout {
public:
    static constexpr int GridPanes = 4;

    int paneCount() const { return m_paneCount; }
    // 1, 2 or 4 panes; any other count is refused (false). One or two panes go
    // back to working slot 1; four panes show every slot in its own pane.
    bool setPaneCount(int count);

    // The slot grid pane `pane` shows; 0 for an index outside the grid.
    int slotOf(int pane) const;
    // A working pane takes clips and brackets: any pane not showing slot 0.
    bool isWorking(int pane) const { return slotOf(pane) != 0; }
    bool isShown(int pane) const;
    // The shown grid panes row by row, and the rows and columns they form.
    QVector<int> shownPanes() const;
    int rows() const { return m_paneCount == 4 ? 2 : 1; }
    int cols() const { return m_paneCount == 1 ? 1 : 2; }
    // The slots of the shown panes, row by row.
    QVector<int> shownSlots() const;

    int activePane() const { return m_active; }
    int activeSlot() const { return slotOf(m_active); }
    // False (and no change) for a pane that is not shown.
    bool setActivePane(int pane);
    // Activates the shown pane `step` places after the active one, wrapping.
    void activateNeighbour(int step);

    // The slot that one pane, or the working pane beside the reference, shows.
    int workSlot() const { return m_workSlot; }
    // Moves the working slot within 1..3; false at either end. With one or two
    // panes the working pane follows (and becomes active); four panes show every
    // slot anyway.
    bool nextWorkSlot() { return moveWorkSlot(1); }
    bool previousWorkSlot() { return moveWorkSlot(-1); }

private:
    bool moveWorkSlot(int step);
    void showWorkSlot();

    int m_paneCount = 1;
    int m_workSlot = 1;
    int m_active = 0;
    std::array<int, GridPanes> m_slots { 1, 1, 2, 3 };
};
