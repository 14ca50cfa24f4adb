#include "ui/frame/qsplitterwnd.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

QSplitterWnd::QSplitterWnd(QWidget* parent)
    : QWidget(parent)
{
    for (int i = 0; i < MaxRows; ++i)
        m_listShownRows.append(i);
    for (int i = 0; i < MaxCols; ++i)
        m_listShownCols.append(i);
    setMouseTracking(true);
}

void QSplitterWnd::CreateView(int row, int col, QWidget* pane)
{
    pane->setParent(this);
    m_panes[row * MaxCols + col] = pane;
    renumberPanes();
}

QWidget* QSplitterWnd::GetPane(int row, int col) const
{
    const QList<int> rows = m_listShownRows + m_listHiddenRows;
    const QList<int> cols = m_listShownCols + m_listHiddenCols;
    if (row < 0 || col < 0 || row >= rows.size() || col >= cols.size())
        return nullptr;
    return paneById(rows.at(row), cols.at(col));
}

void QSplitterWnd::SetActivePane(QWidget* pane)
{
    if (m_activePane == pane)
        return;
    m_activePane = pane;
    update();
}

void QSplitterWnd::HideColumn(int id)
{
    const int index = m_listShownCols.indexOf(id);
    if (index < 0)
        return;
    m_listShownCols.removeAt(index);
    m_listHiddenCols.append(id);
    renumberPanes();
    m_savedColInfo[id] = m_colSize[index];
    for (int i = index; i + 1 < MaxCols; ++i)
        m_colSize[i] = m_colSize[i + 1];
    RecalcLayout();
}

void QSplitterWnd::HideRow(int id)
{
    const int index = m_listShownRows.indexOf(id);
    if (index < 0)
        return;
    m_listShownRows.removeAt(index);
    m_listHiddenRows.append(id);
    renumberPanes();
    m_savedRowInfo[id] = m_rowSize[index];
    for (int i = index; i + 1 < MaxRows; ++i)
        m_rowSize[i] = m_rowSize[i + 1];
    RecalcLayout();
}

void QSplitterWnd::ShowColumn(int id)
{
    if (m_listShownCols.contains(id) || id < 0 || id >= MaxCols)
        return;
    const int index = int(std::count_if(
        m_listShownCols.begin(), m_listShownCols.end(), [id](int c) { return c < id; }));
    m_listShownCols.append(id);
    std::sort(m_listShownCols.begin(), m_listShownCols.end());
    m_listHiddenCols.removeAll(id);
    renumberPanes();
    for (int i = MaxCols - 1; i > index; --i)
        m_colSize[i] = m_colSize[i - 1];
    m_colSize[index] = m_savedColInfo[id];
    RecalcLayout();
}

void QSplitterWnd::ShowRow(int id)
{
    if (m_listShownRows.contains(id) || id < 0 || id >= MaxRows)
        return;
    const int index = int(std::count_if(
        m_listShownRows.begin(), m_listShownRows.end(), [id](int r) { return r < id; }));
    m_listShownRows.append(id);
    std::sort(m_listShownRows.begin(), m_listShownRows.end());
    m_listHiddenRows.removeAll(id);
    renumberPanes();
    for (int i = MaxRows - 1; i > index; --i)
        m_rowSize[i] = m_rowSize[i - 1];
    m_rowSize[index] = m_savedRowInfo[id];
    RecalcLayout();
}

void QSplitterWnd::renumberPanes()
{
    const QList<int> rows = m_listShownRows + m_listHiddenRows;
    const QList<int> cols = m_listShownCols + m_listHiddenCols;
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < cols.size(); ++c) {
            QWidget* pane = paneById(rows.at(r), cols.at(c));
            if (!pane)
                continue;
            // The pane ids a static splitter has always given its panes.
            pane->setProperty("paneId", 59648 + 16 * r + c);
            pane->setVisible(
                m_listShownRows.contains(rows.at(r)) && m_listShownCols.contains(cols.at(c)));
        }
}

void QSplitterWnd::SetColumnInfo(int col, int size)
{
    if (col >= 0 && col < MaxCols)
        m_colSize[col] = std::max(0, size);
}

void QSplitterWnd::SetRowInfo(int row, int size)
{
    if (row >= 0 && row < MaxRows)
        m_rowSize[row] = std::max(0, size);
}

QRect QSplitterWnd::paneRect(int row, int col) const
{
    // Columns run left to right with a bar between; the last one takes the rest.
    auto span = [](int index, int count, const int* sizes, int total) {
        int start = 0;
        for (int i = 0; i < index; ++i)
            start += sizes[i] + BarWidth;
        start = std::min(start, total);
        const int size = index == count - 1 ? total - start : std::min(sizes[index], total - start);
        return std::make_pair(start, std::max(0, size));
    };
    const auto [x, w] = span(col, columnCount(), m_colSize.data(), width());
    const auto [y, h] = span(row, rowCount(), m_rowSize.data(), height());
    return QRect(x, y, w, h);
}

void QSplitterWnd::RecalcLayout()
{
    for (int r = 0; r < rowCount(); ++r)
        for (int c = 0; c < columnCount(); ++c)
            if (QWidget* pane = GetPane(r, c))
                pane->setGeometry(
                    paneRect(r, c).adjusted(BorderWidth, BorderWidth, -BorderWidth, -BorderWidth));
    update();
}

void QSplitterWnd::resizeEvent(QResizeEvent*)
{
    emit resized();
    RecalcLayout();
}

void QSplitterWnd::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Button));
    const bool several = rowCount() > 1 || columnCount() > 1;
    for (int r = 0; r < rowCount(); ++r)
        for (int c = 0; c < columnCount(); ++c) {
            const QRect outer = paneRect(r, c);
            const QRect inner = outer.adjusted(1, 1, -1, -1);
            if (several && GetPane(r, c) == m_activePane) {
                painter.setPen(QColor(255, 255, 0));
                painter.drawRect(outer.adjusted(0, 0, -1, -1));
                painter.drawRect(inner.adjusted(0, 0, -1, -1));
                continue;
            }
            // A sunken 3-D frame: shadow top-left, highlight bottom-right.
            for (const QRect& box : { outer, inner }) {
                painter.setPen(palette().color(QPalette::Dark));
                painter.drawLine(box.topLeft(), box.topRight());
                painter.drawLine(box.topLeft(), box.bottomLeft());
                painter.setPen(palette().color(QPalette::Light));
                painter.drawLine(box.bottomLeft(), box.bottomRight());
                painter.drawLine(box.topRight(), box.bottomRight());
            }
        }
}

int QSplitterWnd::hitTest(QPoint p) const
{
    int hit = HitNone;
    if (columnCount() > 1) {
        const int x = paneRect(0, 0).right() + 1;
        if (p.x() >= x && p.x() < x + BarWidth)
            hit |= HitColumnBar;
    }
    if (rowCount() > 1) {
        const int y = paneRect(0, 0).bottom() + 1;
        if (p.y() >= y && p.y() < y + BarWidth)
            hit |= HitRowBar;
    }
    return hit;
}

void QSplitterWnd::updateCursor(int hit)
{
    switch (hit) {
    case HitColumnBar:
        setCursor(Qt::SplitHCursor);
        break;
    case HitRowBar:
        setCursor(Qt::SplitVCursor);
        break;
    case HitBoth:
        setCursor(Qt::SizeAllCursor);
        break;
    default:
        unsetCursor();
        break;
    }
}

void QSplitterWnd::mousePressEvent(QMouseEvent* event)
{
    const int hit = hitTest(event->position().toPoint());
    if (event->button() != Qt::LeftButton || hit == HitNone)
        return;
    m_tracking = hit;
    // Keep the bar where it was grabbed rather than jumping to the pointer.
    m_trackOffset = QPoint(m_colSize[0], m_rowSize[0]) - event->position().toPoint();
    updateCursor(hit);
}

void QSplitterWnd::trackTo(QPoint p)
{
    const QPoint pos = p + m_trackOffset;
    if (m_tracking & HitColumnBar)
        SetColumnInfo(0, std::clamp(pos.x(), 0, std::max(0, width() - BarWidth)));
    if (m_tracking & HitRowBar)
        SetRowInfo(0, std::clamp(pos.y(), 0, std::max(0, height() - BarWidth)));
    if (p != m_ptLastTrack) {
        // Apply at once so the panes follow the pointer, not a tracking line.
        RecalcLayout();
        repaint();
        m_ptLastTrack = p;
    }
}

void QSplitterWnd::mouseMoveEvent(QMouseEvent* event)
{
    if (m_tracking != HitNone) {
        if (!(event->buttons() & Qt::LeftButton)) {
            m_tracking = HitNone;
            return;
        }
        trackTo(event->position().toPoint());
        return;
    }
    updateCursor(hitTest(event->position().toPoint()));
}

void QSplitterWnd::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_tracking == HitNone)
        return;
    QWidget* active = m_activePane;
    trackTo(event->position().toPoint());
    m_tracking = HitNone;
    if (active)
        active->setFocus();
}
