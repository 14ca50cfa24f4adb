#include "view/ckestrinview.h"

#include "frame/cmainframe.h"
#include "frame/workspace.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

CKestrinView::CKestrinView(QWidget *parent)
    : QAbstractScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Every pixel is painted each time; nothing needs erasing first.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setMouseTracking(true);
}

CMainFrame *CKestrinView::frame() const
{
    return qobject_cast<CMainFrame *>(window());
}

Workspace *CKestrinView::workspace() const
{
    CMainFrame *f = frame();
    return f ? &f->workspace() : nullptr;
}

void CKestrinView::readScrollPositions()
{
    m_geometry.scroll.posX = horizontalScrollBar()->value();
    m_geometry.scroll.posY = verticalScrollBar()->value();
}

void CKestrinView::applyScroll()
{
    const PaneGeometry::Scroll &s = m_geometry.scroll;
    m_applyingScroll = true;
    const int clientW = viewport()->width(), clientH = viewport()->height();
    QScrollBar *h = horizontalScrollBar();
    QScrollBar *v = verticalScrollBar();
    h->setRange(0, qMax(0, s.totalCx - clientW));
    v->setRange(0, qMax(0, s.totalCy - clientH));
    // A page is the visible part; a line a tenth of the default page (a tenth of
    // the total), as scroll views have always stepped.
    h->setPageStep(qMax(1, clientW));
    v->setPageStep(qMax(1, clientH));
    h->setSingleStep(qMax(1, s.totalCx / 100));
    v->setSingleStep(qMax(1, s.totalCy / 100));
    h->setValue(s.posX);
    v->setValue(s.posY);
    m_applyingScroll = false;
    viewport()->update();
}

void CKestrinView::setScrollSizes(int totalCx, int totalCy)
{
    m_geometry.scroll.totalCx = totalCx;
    m_geometry.scroll.totalCy = totalCy;
    readScrollPositions();
    applyScroll();
}

void CKestrinView::updateScrollSizes(int photoW, int photoH, double zoom)
{
    readScrollPositions();
    m_geometry.updateScrollSizes(photoW, photoH, zoom, viewport()->width(), viewport()->height());
    setHorizontalScrollBarPolicy(m_geometry.scroll.hBarShown ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(m_geometry.scroll.vBarShown ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    applyScroll();
}

void CKestrinView::setScale(double zoom, int photoW, int photoH, bool fit)
{
    if (!fit) {
        m_geometry.viewScale = zoom;
        updateScrollSizes(photoW, photoH, zoom);
        return;
    }
    readScrollPositions();
    m_geometry.setScale(zoom, photoW, photoH, true, viewport()->width(), viewport()->height());
    applyScroll();
}

QPoint CKestrinView::clientToPhoto(int x, int y) const
{
    PaneGeometry g = m_geometry;
    g.scroll.posX = horizontalScrollBar()->value();
    g.scroll.posY = verticalScrollBar()->value();
    return g.clientToPhoto(x, y);
}

void CKestrinView::OnInitialUpdate()
{
    m_geometry.scroll = PaneGeometry::Scroll();
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setScrollSizes(100, 100);
    lastClientCx = lastClientCy = 0;
}

void CKestrinView::setWorkingPane(bool working)
{
    workingPane = working;
}

void CKestrinView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    OnSize(viewport()->width(), viewport()->height());
}

void CKestrinView::OnSize(int cx, int cy)
{
    const Workspace *ws = workspace();
    if (!ws || !ws->m_bPanesCreated || !ws->hasPhoto())
        return;
    if (ws->m_bFitSize) {
        if (lastClientCx == cx && lastClientCy == cy && lastFitMode == ws->m_bFitSize)
            return;
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        // Hiding a bar may have resized the viewport again (and re-entered here).
        cx = viewport()->width();
        cy = viewport()->height();
        setScale(ws->m_dZoom, ws->photoWidth(), ws->photoHeight(), ws->m_bFitSize);
        lastClientCx = cx;
        lastClientCy = cy;
        lastFitMode = ws->m_bFitSize;
    } else {
        updateScrollSizes(ws->photoWidth(), ws->photoHeight(), ws->m_dZoom);
    }
}

void CKestrinView::scrollContentsBy(int, int)
{
    if (!m_applyingScroll)
        readScrollPositions();
    viewport()->update();
}

void CKestrinView::focusInEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusInEvent(event);
    emit activated(this);
}

void CKestrinView::mousePressEvent(QMouseEvent *event)
{
    setFocus(Qt::MouseFocusReason);
    QAbstractScrollArea::mousePressEvent(event);
}

void CKestrinView::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    // Outside the photograph every pane shows the shadow colour.
    painter.fillRect(event->rect(), palette().color(QPalette::Dark));
    CMainFrame *f = frame();
    Workspace *ws = workspace();
    if (!f || !ws || !ws->hasPhoto())
        return;
    painter.setClipRect(event->rect());
    // Drawing coordinates are relative to the scrolled origin.
    painter.translate(-horizontalScrollBar()->value(), -verticalScrollBar()->value());
    if (!ws->m_bFirstPaintDone) {
        // The very first paint of the process, in whichever pane comes first, lays
        // middle grey over the photograph's unscaled rectangle before the scale.
        painter.fillRect(QRect(0, 0, ws->photoWidth(), ws->photoHeight()), QColor(0x80, 0x80, 0x80));
        ws->m_bFirstPaintDone = true;
    }
    painter.scale(m_geometry.viewScale, m_geometry.viewScale);
    paintPhotograph(painter, *ws);
    if (!ws->m_bClipEditing)
        f->hideClipBar();
}

void CKestrinView::paintPhotograph(QPainter &painter, const Workspace &ws)
{
    // Fast, unsmoothed scaling: the pane repaints on every mouse move of a drag.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(QRect(m_geometry.offsetX, m_geometry.offsetY, ws.photoWidth(), ws.photoHeight()),
                      *ws.m_pPhoto);
}
