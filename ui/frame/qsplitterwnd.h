// The 2 x 2 arrangement of the pane views: rows and columns can be hidden and shown
// again without destroying their views, the bars between panes resize them live
// while dragged, and the pane it is told is active is framed in yellow when more
// than one shows. Which panes show and which is active is the workspace's choice.
#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

#include <array>

class QSplitterWnd : public QWidget {
    Q_OBJECT

public:
    static constexpr int MaxRows = 2;
    static constexpr int MaxCols = 2;
    // Width of a bar between panes and of the frame drawn round each pane, in pixels.
    static constexpr int BarWidth = 6;
    static constexpr int BorderWidth = 2;

    explicit QSplitterWnd(QWidget* parent = nullptr);

    // Places `pane` at the row and column it is created for; the splitter takes
    // ownership as its parent.
    void CreateView(int row, int col, QWidget* pane);

    // The pane at logical position (row, col) among the shown rows and columns,
    // followed by the hidden ones.
    QWidget* GetPane(int row, int col) const;
    // The pane created at (rowId, colId), shown or not.
    QWidget* paneById(int rowId, int colId) const { return m_panes[rowId * MaxCols + colId]; }

    void HideColumn(int id);
    void HideRow(int id);
    void ShowColumn(int id);
    void ShowRow(int id);

    int rowCount() const { return m_listShownRows.size(); }
    int columnCount() const { return m_listShownCols.size(); }

    // Current size of the shown column or row at a logical position; the last
    // shown one takes whatever space remains.
    void SetColumnInfo(int col, int size);
    void SetRowInfo(int row, int size);
    int columnSize(int col) const { return m_colSize[col]; }
    int rowSize(int row) const { return m_rowSize[row]; }
    void RecalcLayout();

    QWidget* GetActivePane() const { return m_activePane; }
    // The pane to frame; it also takes the focus back after a bar is dragged.
    void SetActivePane(QWidget* pane);

signals:
    // Emitted before the panes are laid out anew for a new size, so the owner can
    // set the sizes it wants first.
    void resized();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    enum Hit { HitNone = 0, HitColumnBar = 1, HitRowBar = 2, HitBoth = 3 };
    int hitTest(QPoint p) const;
    void updateCursor(int hit);
    void renumberPanes();
    QRect paneRect(int row, int col) const;
    void trackTo(QPoint p);

    std::array<QWidget*, MaxRows * MaxCols> m_panes {};
    // Sizes by logical position among the shown rows/columns, and the size each
    // hidden row/column had when it was hidden, by id.
    std::array<int, MaxCols> m_colSize {};
    std::array<int, MaxRows> m_rowSize {};
    std::array<int, MaxCols> m_savedColInfo {};
    std::array<int, MaxRows> m_savedRowInfo {};
    QList<int> m_listShownCols, m_listHiddenCols;
    QList<int> m_listShownRows, m_listHiddenRows;
    QPointer<QWidget> m_activePane;
    int m_tracking = HitNone;
    QPoint m_trackOffset;
    QPoint m_ptLastTrack { -10000, -10000 };
};
