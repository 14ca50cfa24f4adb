#include "view/ckestrinview.h"

#include "frame/cmainframe.h"
#include "frame/commandids.h"
#include "frame/commandrules.h"
#include "frame/commandtable.h"
#include "frame/workspace.h"
#include "res/toolicons.h"
#include "view/clipactions.h"

#include <QMenu>
#include <QMouseEvent>
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
    if (!m_clipMenu)
        buildClipMenu();
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
    CMainFrame *f = frame();
    Workspace *ws = workspace();
    if (!f || !ws)
        return;
    if (event->button() != Qt::LeftButton || !workingPane || !ws->hasPhoto())
        return;
    const QPoint p = clientToPhoto(event->position().toPoint().x(), event->position().toPoint().y());
    if (ws->m_bClipEditing) {
        ClipActions::press(*ws, p);
        f->invalidatePanes();
    }
}

void CKestrinView::mouseMoveEvent(QMouseEvent *event)
{
    Workspace *ws = workspace();
    CMainFrame *f = frame();
    if (!f || !ws || !workingPane || !ws->hasPhoto())
        return;
    if (ws->m_bClipEditing) {
        viewport()->setCursor(ToolIcons::lassoCursor());
        const QPoint p = clientToPhoto(event->position().toPoint().x(), event->position().toPoint().y());
        ClipActions::move(*ws, p);
        f->invalidatePanes();
        return;
    }
    viewport()->setCursor(Qt::ArrowCursor);
}

void CKestrinView::mouseReleaseEvent(QMouseEvent *event)
{
    Workspace *ws = workspace();
    CMainFrame *f = frame();
    if (!f || !ws)
        return;
    if (event->button() == Qt::RightButton) {
        if (ws->hasPhoto() && workingPane && ws->m_bClipEditing)
            showClipMenu(event->globalPosition().toPoint());
        return;
    }
    if (event->button() != Qt::LeftButton || !workingPane || !ws->hasPhoto())
        return;
    if (ws->m_bClipEditing) {
        ClipActions::release(*ws, clientToPhoto(event->position().toPoint().x(), event->position().toPoint().y()));
        f->updateActions();
    }
}

void CKestrinView::buildClipMenu()
{
    m_clipMenu = new QMenu(this);
    for (int id : std::initializer_list<int> { Cmd::MenuClipOk, Cmd::MenuClipClose, Cmd::MenuClipDeleteLastPoint, Cmd::ClipDuplicatePoint,
                    Cmd::ClipDeletePoint, 0, Cmd::MenuClipDelete }) {
        if (id == 0) {
            m_clipMenu->addSeparator();
            continue;
        }
        const CommandRow *row = CommandTable::find(id);
        QAction *action = m_clipMenu->addAction(row ? row->text : QString());
        action->setObjectName(QString::number(id));
        connect(action, &QAction::triggered, this, [this, id] {
            onCommand(id);
            if (CMainFrame *f = frame())
                f->updateActions();
        });
    }
    // The items' owner is the pane, so the pane runs their update rules itself.
    connect(m_clipMenu, &QMenu::aboutToShow, this, &CKestrinView::updateClipMenu);
}

void CKestrinView::updateClipMenu()
{
    CMainFrame *f = frame();
    if (!f || !m_clipMenu)
        return;
    const CommandContext context = f->commandContext();
    for (QAction *action : m_clipMenu->actions()) {
        if (action->isSeparator())
            continue;
        action->setEnabled(CommandRules::evaluate(action->objectName().toInt(), f->workspace(), context).enabled);
    }
}

void CKestrinView::showClipMenu(QPoint globalPos)
{
    if (!m_clipMenu)
        buildClipMenu();
    m_clipMenu->popup(globalPos);
}

bool CKestrinView::onCommand(int id)
{
    CMainFrame *f = frame();
    Workspace *ws = workspace();
    if (!f || !ws)
        return false;
    switch (id) {
    case Cmd::ClipDeleteLastPoint:
    case Cmd::MenuClipDeleteLastPoint:
        ClipActions::deleteLastPoint(*ws);
        break;
    case Cmd::ClipDelete:
    case Cmd::MenuClipDelete:
        ClipActions::deleteClip(*ws);
        break;
    case Cmd::ClipDuplicatePoint:
        ClipActions::duplicatePickedPoint(*ws);
        break;
    case Cmd::ClipDeletePoint:
        ClipActions::deletePickedPoint(*ws);
        break;
    case Cmd::MenuClipClose:
        if (!ClipActions::closeCurve(*ws))
            return true;
        break;
    case Cmd::MenuClipOk:
        if (!ClipActions::ok(*ws))
            return true;
        f->hideClipBar();
        break;
    default:
        return false;
    }
    f->invalidatePanes();
    return true;
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
    // The scroll position shifts the whole view, outside the world transform that
    // each bracket replaces with its own.
    const QRect client = viewport()->rect();
    painter.setViewport(client.translated(-horizontalScrollBar()->value(), -verticalScrollBar()->value()));
    painter.setWindow(client);
    if (!ws->m_bFirstPaintDone) {
        // The very first paint of the process, in whichever pane comes first, lays
        // middle grey over the photograph's unscaled rectangle before the scale.
        painter.fillRect(QRect(0, 0, ws->photoWidth(), ws->photoHeight()), QColor(0x80, 0x80, 0x80));
        ws->m_bFirstPaintDone = true;
    }
    painter.scale(m_geometry.viewScale, m_geometry.viewScale);
    paintPhotograph(painter, *ws);
    // The reference pane shows the photograph alone.
    if (workingPane) {
        if (ws->m_bClipEditing)
            paintClipOutline(painter, *ws);
        // Brackets only ever show inside a closed outline.
        if (ws->m_bClipClosed)
            paintBrackets(painter, *f, *ws);
    }
    if (!ws->m_bClipEditing)
        f->hideClipBar();
}

void CKestrinView::paintClipOutline(QPainter &painter, const Workspace &ws)
{
    const QTransform placement = QTransform::fromTranslate(m_geometry.offsetX, m_geometry.offsetY);
    ws.m_clip.Draw(&painter, placement, ws.m_bClipClosed ? ws.m_nClipPoint : -1);
}

void CKestrinView::paintBrackets(QPainter &painter, CMainFrame &frame, const Workspace &ws)
{
    const PaneSlot &slot = ws.m_slot[size_t(slotNumber)];
    QPainterPath region;
    region.setFillRule(Qt::OddEvenFill);
    region.addRect(QRect(m_geometry.offsetX, m_geometry.offsetY, ws.photoWidth(), ws.photoHeight()));
    const QTransform placement = QTransform::fromTranslate(m_geometry.offsetX, m_geometry.offsetY);
    ws.m_clip.IntersectClip(region, &placement);
    const double scale = m_geometry.viewScale;
    if (slot.nSelected >= 0 && slot.nSelected < int(slot.arBrackets.size())) {
        const QBracket &selected = slot.arBrackets[size_t(slot.nSelected)];
        const QPoint pos = photoToDrawing(selected.GetPos());
        selected.AddMarkersToClip(&painter, region, pos.x(), pos.y(), selected.GetSize().width(),
                                  selected.GetSize().height(), scale);
    }
    painter.setClipPath(region, Qt::ReplaceClip);
    const bool active = frame.activeSlot() == slotNumber;
    for (const QBracket &bracket : slot.arBrackets) {
        const QPoint pos = photoToDrawing(bracket.GetPos());
        bracket.Draw(&painter, pos.x(), pos.y(), bracket.GetSize().width(), bracket.GetSize().height(), scale, active);
    }
}

void CKestrinView::paintPhotograph(QPainter &painter, const Workspace &ws)
{
    // Fast, unsmoothed scaling: the pane repaints on every mouse move of a drag.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(QRect(m_geometry.offsetX, m_geometry.offsetY, ws.photoWidth(), ws.photoHeight()),
                      *ws.m_pPhoto);
}
