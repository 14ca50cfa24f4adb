#include "ui/panes/ckestrinview.h"

#include "ui/panes/panehost.h"
#include "core/commands/commandlayout.h"
#include "core/workspace/workspace.h"
#include "core/workspace/workspacecommands.h"
#include "ui/bars/qbracklistdiag.h"
#include "ui/bars/qtips.h"
#include "core/gallery/tiptiming.h"
#include "core/text/strings.h"
#include "core/workspace/bracketactions.h"
#include "core/workspace/clipactions.h"

#include <QDragEnterEvent>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScopeGuard>
#include <QScrollBar>
#include <QTimerEvent>
#include <QWheelEvent>

#include <cmath>
#include <cstdio>
#include <type_traits>

CKestrinView::CKestrinView(int paneIndex, QWidget* parent)
    : QAbstractScrollArea(parent)
    , m_paneIndex(paneIndex)
{
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Every pixel is painted each time; nothing needs erasing first.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setMouseTracking(true);
    setAcceptDrops(true);
}

namespace {
// Rows dragged from the bracket list carry this format; the list itself tells the
// frame where it was released, so the pane only shows that it takes the drop.
bool isBracketRow(const QMimeData* mime)
{
    return mime && mime->hasFormat(QStringLiteral("application/x-kestrin-bracket-row"));
}

// The cursor of clip editing; its hot spot is the lasso's tail end.
const QCursor& lassoCursor()
{
    static const QCursor cursor(QPixmap(QStringLiteral(":/icons/lasso-cursor.svg")), 10, 21);
    return cursor;
}
} // namespace

void CKestrinView::dragEnterEvent(QDragEnterEvent* event)
{
    if (isBracketRow(event->mimeData()))
        event->acceptProposedAction();
}

void CKestrinView::dragMoveEvent(QDragMoveEvent* event)
{
    if (isBracketRow(event->mimeData()))
        event->acceptProposedAction();
}

void CKestrinView::dropEvent(QDropEvent* event)
{
    if (isBracketRow(event->mimeData()))
        event->acceptProposedAction();
}

int CKestrinView::photoArrowKey(int key) const
{
    // An arrow moves the bracket the way it points on screen, which in a mirrored
    // pane is the other way across the photograph.
    if (!m_geometry.mirrored)
        return key;
    return key == Qt::Key_Left ? Qt::Key_Right : key == Qt::Key_Right ? Qt::Key_Left : key;
}

PaneHost* CKestrinView::frame() const { return dynamic_cast<PaneHost*>(window()); }

Workspace* CKestrinView::workspace() const
{
    PaneHost* f = frame();
    return f ? &f->workspace() : nullptr;
}

int CKestrinView::slot() const
{
    const Workspace* ws = workspace();
    return ws ? ws->m_layout.slotOf(m_paneIndex) : 0;
}

bool CKestrinView::isWorking() const
{
    const Workspace* ws = workspace();
    return ws && ws->m_layout.isWorking(m_paneIndex);
}

void CKestrinView::readScrollPositions()
{
    m_geometry.scroll.posX = horizontalScrollBar()->value();
    m_geometry.scroll.posY = verticalScrollBar()->value();
}

void CKestrinView::applyScroll()
{
    const PaneGeometry::Scroll& s = m_geometry.scroll;
    m_applyingScroll = true;
    const int clientW = viewport()->width(), clientH = viewport()->height();
    QScrollBar* h = horizontalScrollBar();
    QScrollBar* v = verticalScrollBar();
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
    readScrollPositions(); // the bars may have clamped what the geometry asked for
    viewport()->update();
}

void CKestrinView::setScrollSizes(int totalCx, int totalCy)
{
    m_geometry.scroll.totalCx = totalCx;
    m_geometry.scroll.totalCy = totalCy;
    readScrollPositions();
    applyScroll();
}

void CKestrinView::applyBarPolicies(bool hBar, bool vBar)
{
    const bool outer = m_settingScale;
    m_settingScale = true;
    setHorizontalScrollBarPolicy(hBar ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(vBar ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    m_settingScale = outer;
}

void CKestrinView::settleBars(int photoW, int photoH, double zoom)
{
    // One bar narrows the viewport, which can call for the other: at most twice.
    for (int round = 0; round < 2; ++round) {
        const QSize before = viewport()->size();
        applyBarPolicies(m_geometry.scroll.hBarShown, m_geometry.scroll.vBarShown);
        if (viewport()->size() == before)
            return;
        m_geometry.updateScrollSizes(
            photoW, photoH, zoom, viewport()->width(), viewport()->height());
    }
}

void CKestrinView::followMirror()
{
    const Workspace* ws = workspace();
    m_geometry.mirrored = ws && ws->m_bMirrorView;
    m_geometry.clientW = viewport()->width();
    // The bar's handle then sits over the part of the photograph on screen.
    horizontalScrollBar()->setInvertedAppearance(m_geometry.mirrored);
}

void CKestrinView::updateScrollSizes(int photoW, int photoH, double zoom)
{
    followMirror();
    readScrollPositions();
    m_geometry.updateScrollSizes(photoW, photoH, zoom, viewport()->width(), viewport()->height());
    settleBars(photoW, photoH, zoom);
    applyScroll();
}

void CKestrinView::setScale(double zoom, int photoW, int photoH, bool fit)
{
    followMirror();
    readScrollPositions();
    if (!fit) {
        const int w = viewport()->width(), h = viewport()->height();
        const QPointF anchor = m_zoomAnchor.value_or(QPointF(w / 2.0, h / 2.0));
        m_zoomAnchor.reset();
        m_geometry.zoomAbout(zoom, photoW, photoH, w, h, anchor);
        settleBars(photoW, photoH, zoom);
        applyScroll();
        return;
    }
    // The bars a zoom left go first, so the fit is computed on the whole pane.
    applyBarPolicies(false, false);
    m_geometry.setScale(zoom, photoW, photoH, true, viewport()->width(), viewport()->height());
    lastClientCx = viewport()->width();
    lastClientCy = viewport()->height();
    lastFitMode = true;
    applyScroll();
}

QPoint CKestrinView::clientToPhoto(QPoint client) const { return m_geometry.clientToPhoto(client); }

void CKestrinView::OnInitialUpdate()
{
    m_geometry.scroll = PaneGeometry::Scroll();
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setScrollSizes(100, 100);
    lastClientCx = lastClientCy = 0;
}

void CKestrinView::resetTip()
{
    delete tipWnd;
    tipWnd = new QTips(viewport());
    tipWnd->CreateTip(viewport());
    tipTicks = 0;
}

void CKestrinView::resizeEvent(QResizeEvent* event)
{
    m_photoCache.clear();
    QAbstractScrollArea::resizeEvent(event);
    followMirror();
    OnSize(viewport()->width(), viewport()->height());
}

void CKestrinView::OnSize(int cx, int cy)
{
    const Workspace* ws = workspace();
    if (m_settingScale || !ws || !ws->m_bPanesCreated || !ws->hasPhoto())
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

void CKestrinView::mousePressEvent(QMouseEvent* event)
{
    setFocus(Qt::MouseFocusReason);
    emit activated(this);
    PaneHost* f = frame();
    Workspace* ws = workspace();
    if (!f || !ws)
        return;
    if (event->button() != Qt::LeftButton || !isWorking() || !ws->hasPhoto())
        return;
    const QPoint p
        = clientToPhoto(event->position().toPoint());
    if (ws->m_bClipEditing) {
        beginDragStep(*ws, ConsultationStep::ClipMovePoint);
        ClipActions::press(*ws, p, m_geometry.viewScale);
        f->invalidatePanes();
        f->updateActions(); // a new point can enable closing the outline
        return;
    }
    // Presses select; the mouse follows the drag even outside the pane, where
    // a release asks whether to clear the pane.
    if (BracketActions::press(*ws, slot(), p, m_geometry.viewScale)) {
        const int op = ws->m_slot[size_t(slot())].nDragOp;
        beginDragStep(*ws,
            op == OpScale        ? ConsultationStep::Scale
                : op == OpRotate ? ConsultationStep::Rotate
                                 : ConsultationStep::Move);
    }
    viewport()->update();
    f->updateActions();
}

void CKestrinView::beginDragStep(Workspace& ws, ConsultationStep::Kind step)
{
    // A release that never came (the pane lost the mouse) ends the old step here.
    endDragStep();
    ws.m_history.begin();
    m_dragStep = step;
    m_clipEntriesAtPress = ws.m_clip.GetCount();
}

void CKestrinView::endDragStep()
{
    Workspace* ws = workspace();
    if (!m_dragStep || !ws)
        return;
    ConsultationStep::Kind step = *m_dragStep;
    m_dragStep.reset();
    if (step == ConsultationStep::ClipMovePoint && ws->m_clip.GetCount() > m_clipEntriesAtPress)
        step = ConsultationStep::ClipAddPoint;
    ws->m_history.end(step);
    if (PaneHost* f = frame())
        f->updateActions();
}

void CKestrinView::stopTip()
{
    tipTimer.stop();
    tipTicks = 0;
    if (tipWnd) {
        tipWnd->ClearTip();
        tipWnd->hide();
    }
}

void CKestrinView::mouseMoveEvent(QMouseEvent* event)
{
    stopTip();
    const QPoint client = event->position().toPoint();
    lastMouseX = client.x();
    lastMouseY = client.y();
    Workspace* ws = workspace();
    PaneHost* f = frame();
    if (!f || !ws || !isWorking() || !ws->hasPhoto())
        return;
    if (ws->m_bClipEditing) {
        viewport()->setCursor(lassoCursor());
        // The pane keeps the mouse while a button is down: a point dragged past
        // the edge stays at the edge, where the user can still reach it.
        ClipActions::move(*ws,
            clientToPhoto(PaneGeometry::clampToClient(
                client, viewport()->width(), viewport()->height())));
        f->invalidatePanes();
        return;
    }
    bracketMove(
        client, event->modifiers() & Qt::ControlModifier, event->buttons() & Qt::LeftButton);
}

void CKestrinView::bracketMove(QPoint client, bool ctrl, bool leftDown)
{
    Workspace* ws = workspace();
    PaneHost* f = frame();
    viewport()->setCursor(Qt::ArrowCursor);
    const QPoint p = clientToPhoto(client);
    const PaneSlot& paneSlot = ws->m_slot[size_t(slot())];
    if (ws->m_bShowInfo && !paneSlot.arBrackets.empty()) {
        const int target = BracketActions::tipTarget(*ws, slot(), p);
        if (target >= 0 && tipWnd) {
            // By picture, not by row: sorting, deleting and reloading move rows.
            const QString& picture = paneSlot.arBrackets[size_t(target)].m_strPath;
            QBrackListDiag* list = f->bracketList();
            tipWnd->ClearTip();
            tipWnd->SetTip(list ? list->TipTextFor(picture) : QString(), client.x(), client.y());
            tipTimer.start(TipTiming::IntervalMs, this);
        }
    }
    if (const std::optional<Qt::CursorShape> cursor
        = BracketActions::move(*ws, slot(), p, ctrl, leftDown, m_geometry.viewScale))
        viewport()->setCursor(*cursor);
    // A drag changes only where the moving bracket was and is; repainting the
    // whole pane on every mouse event would cost a full composition per event.
    if (leftDown)
        viewport()->update(movedBracketsArea());
    else
        viewport()->update();
}

void CKestrinView::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != tipTimer.timerId()) {
        QAbstractScrollArea::timerEvent(event);
        return;
    }
    PaneHost* f = frame();
    switch (TipTiming::Tick(tipTicks, f && f->workspace().m_layout.activeSlot() == slot())) {
    case TipTiming::Step::Wait:
        break;
    case TipTiming::Step::Show:
        tipTimer.stop();
        if (tipWnd) {
            tipWnd->show();
            tipWnd->raise();
        }
        break;
    case TipTiming::Step::Cancel:
        tipTimer.stop();
        if (tipWnd)
            tipWnd->hide();
        break;
    }
}

void CKestrinView::keyPressEvent(QKeyEvent* event)
{
    Workspace* ws = workspace();
    PaneHost* f = frame();
    if (!f || !ws || ws->m_bClipDefining) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    PaneSlot& paneSlot = ws->m_slot[size_t(slot())];
    const bool selected = paneSlot.nSelected >= 0 && paneSlot.nSelected < int(paneSlot.arBrackets.size());
    if (event->key() == Qt::Key_Control && selected && isWorking() && !ws->m_bClipEditing) {
        // Show the scale cursor at once, without waiting for the mouse to move.
        bracketMove(viewport()->mapFromGlobal(QCursor::pos()), true, false);
    } else if (event->key() == Qt::Key_Delete && selected) {
        ws->m_history.begin();
        WorkspaceCommands::deleteSelected(*ws, slot());
        ws->m_history.end(ConsultationStep::Delete);
        viewport()->update();
        f->updateActions();
    } else if (isWorking() && selected) {
        const int id = paneSlot.arBrackets[size_t(paneSlot.nSelected)].m_nId;
        const bool turn
            = event->key() == Qt::Key_BracketLeft || event->key() == Qt::Key_BracketRight;
        ws->m_history.begin();
        const bool taken = BracketActions::key(
            *ws, slot(), photoArrowKey(event->key()), event->modifiers() & Qt::ShiftModifier);
        // Key presses on one bracket in a row are one step, however many.
        ws->m_history.end(turn ? ConsultationStep::Rotate : ConsultationStep::Move,
            id * Workspace::SlotCount + slot());
        if (taken) {
            // Taken here, so the arrows do not also scroll the pane.
            viewport()->update();
            f->updateActions();
            event->accept();
            return;
        }
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void CKestrinView::wheelEvent(QWheelEvent* event)
{
    Workspace* ws = workspace();
    PaneHost* f = frame();
    if (!(event->modifiers() & Qt::ControlModifier) || !f || !ws || !ws->hasPhoto()) {
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    // Fine-grained wheels send fractions of a notch; a zoom step needs a whole one.
    m_wheelDelta += event->angleDelta().y();
    const int notches = m_wheelDelta / QWheelEvent::DefaultDeltasPerStep;
    m_wheelDelta -= notches * QWheelEvent::DefaultDeltasPerStep;
    event->accept();
    if (notches == 0)
        return;
    for (int i = 0; i < qAbs(notches); ++i) {
        if (notches > 0)
            WorkspaceCommands::zoomIn(*ws);
        else
            WorkspaceCommands::zoomOut(*ws);
    }
    m_zoomAnchor = event->position();
    f->scaleChanged();
}

bool CKestrinView::pasteBracket(int listIndex, const QString& picturePath, unsigned mouseFlags,
    int screenX, int screenY, int pictureWidth, int pictureHeight, int sideFlag)
{
    Q_UNUSED(mouseFlags);
    Q_UNUSED(pictureWidth);
    Q_UNUSED(pictureHeight);
    PaneHost* f = frame();
    Workspace* ws = workspace();
    if (!f || !ws)
        return true;
    if (!isWorking()) {
        QMessageBox::information(
            this, Res::text(Res::IdsInformation), Res::text(Res::IdsNoPasteOnReference));
        return true;
    }
    window()->update();
    const QPoint client = viewport()->mapFromGlobal(QPoint(screenX, screenY));
    QBrackListDiag* list = f->bracketList();
    const QString name = list ? list->BracketNameAt(listIndex) : QString();
    bool closedNow = false;
    ws->m_history.begin();
    const BracketActions::PasteResult result = BracketActions::paste(*ws, slot(), listIndex,
        picturePath, clientToPhoto(client), name, sideFlag, &closedNow);
    // A refused paste may still have closed the outline.
    ConsultationStep::Kind step = ConsultationStep::ClipClose;
    if (result == BracketActions::PasteResult::Created)
        step = ConsultationStep::Paste;
    else if (result == BracketActions::PasteResult::Replaced)
        step = ConsultationStep::Replace;
    ws->m_history.end(step);
    if (result == BracketActions::PasteResult::NoClip) {
        if (closedNow) {
            f->invalidatePanes();
            f->updateActions();
        }
        QMessageBox::information(
            this, Res::text(Res::IdsInformation), Res::text(Res::IdsDefineClipFirst));
        return true;
    }
    if (result != BracketActions::PasteResult::NoPhoto)
        f->hideClipBar();
    if ((result == BracketActions::PasteResult::Created
            || result == BracketActions::PasteResult::Replaced)
        && BracketActions::clipEnclosesNothing(*ws))
        f->showStatusHint(Res::text(Res::IdsClipEnclosesNothing));
    if (closedNow)
        f->invalidatePanes();
    else
        viewport()->update();
    f->updateActions();
    return true;
}

void CKestrinView::UpdateBrightness(int contrast, int brightness, bool commit)
{
    Workspace* ws = workspace();
    if (ws && BracketActions::adjustBrightness(*ws, slot(), contrast, brightness, commit))
        viewport()->repaint(); // at once, while the dialog's slider still moves
}

void CKestrinView::UpdateColorBalance(quint32 packed, bool commit)
{
    Workspace* ws = workspace();
    if (ws && BracketActions::adjustColorBalance(*ws, slot(), packed, commit))
        viewport()->repaint();
}

void CKestrinView::mouseReleaseEvent(QMouseEvent* event)
{
    Workspace* ws = workspace();
    PaneHost* f = frame();
    if (!f || !ws)
        return;
    // Whatever the release does below, the press's changes become one step.
    const auto endStep = qScopeGuard([this, event] {
        if (event->button() == Qt::LeftButton)
            endDragStep();
    });
    if (event->button() == Qt::RightButton) {
        if (ws->hasPhoto() && isWorking() && ws->m_bClipEditing)
            clipMenu()->popup(event->globalPosition().toPoint());
        return;
    }
    if (event->button() != Qt::LeftButton || !isWorking() || !ws->hasPhoto())
        return;
    if (ws->m_bClipEditing) {
        ClipActions::release(*ws,
            clientToPhoto(PaneGeometry::clampToClient(
                event->position().toPoint(), viewport()->width(), viewport()->height())),
            m_geometry.viewScale);
        f->invalidatePanes(); // the picked point is drawn highlighted
        f->updateActions();
        return;
    }
    const PaneSlot& paneSlot = ws->m_slot[size_t(slot())];
    if (paneSlot.nSelected < 0 || paneSlot.nSelected >= int(paneSlot.arBrackets.size()))
        return;
    if (viewport()->rect().contains(event->position().toPoint())) {
        BracketActions::releaseInside(*ws, slot());
    } else {
        const auto answer = QMessageBox::question(this, Res::text(Res::IdsInformation),
            Res::text(Res::IdsDeleteBracketsHere), QMessageBox::Yes | QMessageBox::No,
            QMessageBox::Yes);
        if (answer == QMessageBox::Yes)
            m_dragStep = ConsultationStep::Delete;
        BracketActions::releaseOutside(*ws, slot(), answer == QMessageBox::Yes);
    }
    viewport()->update();
    f->updateActions();
}

QMenu* CKestrinView::clipMenu()
{
    PaneHost* f = frame();
    if (m_clipMenu || !f)
        return m_clipMenu;
    m_clipMenu = new QMenu(this);
    for (int id : CommandLayout::clipMenu()) {
        if (id == 0)
            m_clipMenu->addSeparator();
        else
            m_clipMenu->addAction(f->action(id));
    }
    connect(m_clipMenu, &QMenu::aboutToShow, this, [f] { f->updateActions(); });
    return m_clipMenu;
}

namespace {
// Appends plain values byte for byte to a cache key.
class KeyWriter {
public:
    explicit KeyWriter(QByteArray& key)
        : m_key(key)
    {
    }
    template <typename T> KeyWriter& operator<<(const T& value)
    {
        static_assert(std::is_trivially_copyable_v<T>);
        m_key.append(reinterpret_cast<const char*>(&value), sizeof value);
        return *this;
    }

private:
    QByteArray& m_key;
};

void writeBracket(KeyWriter& key, const QBracket& bracket, bool active)
{
    key << bracket.GetPos() << bracket.GetSize() << bracket.m_dAngle << bracket.m_pImage.cacheKey()
        << (bracket.m_bSelected && active) << bracket.m_nHitPart;
}
} // namespace

void CKestrinView::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    PaneHost* f = frame();
    Workspace* ws = workspace();
    const QRect exposed = event->rect();
    if (!f || !ws || !ws->hasPhoto()) {
        // Outside the photograph every pane shows the shadow colour.
        painter.fillRect(exposed, palette().color(QPalette::Dark));
        return;
    }
    // The first paint's grey and the outline being edited lie under the photograph
    // and the brackets respectively, so those paints draw every layer afresh.
    if (!ws->m_bFirstPaintDone || ws->m_bClipEditing)
        paintAllLayers(painter, *ws, exposed);
    else
        paintOverBackdrop(painter, *ws, exposed);
    if (!ws->m_bClipEditing)
        f->hideClipBar();
    reportFirstFrame();
}

// The start-up benchmark times the process up to its first painted photograph; it
// asks for this line through the environment.
void CKestrinView::reportFirstFrame()
{
    static bool reported = false;
    if (reported || qEnvironmentVariableIsEmpty("KESTRIN_REPORT_FIRST_FRAME"))
        return;
    reported = true;
    std::fputs("first frame\n", stdout);
    std::fflush(stdout);
}

void CKestrinView::setDrawingView(QPainter& painter) const
{
    // The scroll position and the mirror shift and turn the whole view, outside the
    // world transform that each bracket replaces with its own.
    const QRect client = viewport()->rect();
    QRect view = client.translated(-m_geometry.scroll.posX, -m_geometry.scroll.posY);
    if (m_geometry.mirrored)
        view = QRect(
            client.width() + m_geometry.scroll.posX, view.y(), -client.width(), client.height());
    painter.setViewport(view);
    painter.setWindow(client);
}

void CKestrinView::paintAllLayers(QPainter& painter, Workspace& ws, const QRect& exposed)
{
    painter.setClipRect(exposed);
    painter.fillRect(exposed, palette().color(QPalette::Dark));
    setDrawingView(painter);
    if (!ws.m_bFirstPaintDone) {
        // The very first paint of the process, in whichever pane comes first, lays
        // middle grey over the photograph's unscaled rectangle before the scale.
        painter.fillRect(
            QRect(0, 0, ws.photoWidth(), ws.photoHeight()), QColor(0x80, 0x80, 0x80));
        ws.m_bFirstPaintDone = true;
    }
    painter.scale(m_geometry.viewScale, m_geometry.viewScale);
    paintPhotograph(painter, ws, exposed);
    // The reference pane shows the photograph alone.
    if (!isWorking())
        return;
    if (ws.m_bClipEditing)
        paintClipOutline(painter, ws);
    // Brackets only ever show inside a closed outline.
    if (ws.m_bClipClosed) {
        const BracketLayers layers = bracketLayers(ws, painter);
        painter.setClipPath(layers.clip, Qt::IntersectClip);
        paintBrackets(painter, ws, 0, layers.count);
    }
}

// A drag changes the selected bracket and nothing below it, so the photograph and
// the brackets below are composed once into the backdrop; a frame copies the
// exposed part of it and draws the selected bracket and those above it.
void CKestrinView::paintOverBackdrop(QPainter& painter, Workspace& ws, const QRect& exposed)
{
    const BracketLayers layers
        = isWorking() && ws.m_bClipClosed ? bracketLayers(ws, painter) : BracketLayers();
    const qreal ratio = viewport()->devicePixelRatioF();
    QByteArray key = viewKey(ratio);
    KeyWriter writer(key);
    writer << ws.drawablePhoto().cacheKey() << palette().color(QPalette::Dark).rgba()
           << layers.still;
    if (layers.still > 0) {
        key += m_outlineKey;
        const PaneSlot& paneSlot = ws.m_slot[size_t(slot())];
        const bool active = ws.m_layout.activeSlot() == slot();
        for (int i = 0; i < layers.still; ++i)
            writeBracket(writer, paneSlot.arBrackets[size_t(i)], active);
    }
    if (!m_backdrop.isCurrent(key)) {
        QImage& backdrop = m_backdrop.recompose(key, viewport()->size(), ratio);
        if (backdrop.isNull()) { // no memory for it: every layer straight onto the pane
            paintAllLayers(painter, ws, exposed);
            return;
        }
        QPainter composer(&backdrop);
        const QRect client = viewport()->rect();
        composer.fillRect(client, palette().color(QPalette::Dark));
        setDrawingView(composer);
        composer.scale(m_geometry.viewScale, m_geometry.viewScale);
        paintPhotograph(composer, ws, client);
        if (layers.still > 0) {
            composer.setClipPath(m_outlineRegion);
            paintBrackets(composer, ws, 0, layers.still);
        }
    }
    if (layers.still >= layers.count) {
        copyDevicePixels(painter, m_backdrop.image(), exposed);
        return;
    }
    // The frame is the backdrop with the moving brackets over it. A drag frame puts
    // back the backdrop only where a moving bracket was or now is, and draws there
    // the brackets that reach into it; the pane then gets one copy of the frame.
    QByteArray frameKey = key;
    KeyWriter(frameKey) << layers.count << (ws.m_layout.activeSlot() == slot());
    frameKey += m_outlineKey;
    std::vector<DrawnBracket> live = liveBrackets(ws, layers);
    QRect dirty;
    if (m_frame.isCurrent(frameKey) && live.size() == m_drawnLive.size()) {
        dirty = changedArea(m_drawnLive, live);
    } else if (!m_frame.recompose(frameKey, viewport()->size(), ratio).isNull()) {
        dirty = viewport()->rect();
    } else { // no memory for it: the moving brackets straight onto the pane
        copyDevicePixels(painter, m_backdrop.image(), exposed);
        painter.setClipRect(exposed);
        setDrawingView(painter);
        painter.scale(m_geometry.viewScale, m_geometry.viewScale);
        painter.setClipPath(layers.clip, Qt::IntersectClip);
        paintBrackets(painter, ws, layers.still, layers.count);
        return;
    }
    dirty &= viewport()->rect();
    if (!dirty.isEmpty()) {
        // A clip by the curved outline makes Qt blend every picture span by span,
        // on a pool of threads: more than the rest of a drag frame. When the clip
        // is the outline alone, the brackets are drawn unclipped and what falls
        // outside the outline is put back from the backdrop, pixel for pixel what
        // the (aliased) clip leaves.
        const bool masked = layers.clip == m_outlineRegion && !outlineMask(ratio).isNull();
        {
            // One clip for putting back and drawing, so that both cover the same
            // device pixels at any ratio.
            QPainter composer(&m_frame.image());
            composer.setClipRect(dirty);
            copyDevicePixels(composer, m_backdrop.image(), dirty);
            setDrawingView(composer);
            composer.scale(m_geometry.viewScale, m_geometry.viewScale);
            if (!masked)
                composer.setClipPath(layers.clip, Qt::IntersectClip);
            for (size_t i = 0; i < live.size(); ++i)
                if (live[i].area.intersects(dirty))
                    paintBrackets(composer, ws, layers.still + int(i), layers.still + int(i) + 1);
        }
        if (masked)
            cutToOutline(dirty);
    }
    m_drawnLive = std::move(live);
    copyDevicePixels(painter, m_frame.image(), exposed);
}

QRect CKestrinView::movedBracketsArea() const
{
    const Workspace* ws = workspace();
    if (!ws || !ws->hasPhoto() || m_drawnLive.empty())
        return viewport()->rect();
    const PaneSlot& paneSlot = ws->m_slot[size_t(slot())];
    BracketLayers layers;
    layers.count = int(paneSlot.arBrackets.size());
    layers.still = paneSlot.nSelected;
    if (layers.still < 0 || layers.count - layers.still != int(m_drawnLive.size()))
        return viewport()->rect();
    return changedArea(m_drawnLive, liveBrackets(*ws, layers)) & viewport()->rect();
}

QByteArray CKestrinView::viewKey(qreal ratio) const
{
    QByteArray key;
    KeyWriter(key) << ratio << viewport()->size() << m_geometry.viewScale << m_geometry.offsetX
                   << m_geometry.offsetY << m_geometry.scroll.posX << m_geometry.scroll.posY
                   << m_geometry.mirrored;
    return key;
}

const QImage& CKestrinView::outlineMask(qreal ratio)
{
    const QByteArray key = m_outlineKey + viewKey(ratio);
    if (key == m_outlineMaskKey && !m_outlineMask.isNull())
        return m_outlineMask;
    m_outlineMask = QImage(m_frame.image().size(), QImage::Format_Alpha8);
    m_outlineMaskKey.clear();
    if (m_outlineMask.isNull())
        return m_outlineMask;
    m_outlineMask.setDevicePixelRatio(ratio);
    m_outlineMask.fill(0);
    // Filled as the clip would cut: without antialiasing, in the same view.
    QPainter painter(&m_outlineMask);
    setDrawingView(painter);
    painter.scale(m_geometry.viewScale, m_geometry.viewScale);
    painter.fillPath(m_outlineRegion, Qt::black);
    painter.end();
    m_outlineMaskKey = key;
    return m_outlineMask;
}

void CKestrinView::cutToOutline(const QRect& area)
{
    // Every device pixel the area touches: outside the outline a composed frame
    // shows the backdrop, so putting it back there is right wherever it is done.
    const qreal ratio = m_frame.image().devicePixelRatio();
    const QRect pixels = QRectF(QPointF(area.topLeft()) * ratio, QSizeF(area.size()) * ratio)
                             .toAlignedRect()
        & m_frame.image().rect();
    QImage& frame = m_frame.image();
    const QImage& backdrop = m_backdrop.image();
    for (int y = pixels.top(); y <= pixels.bottom(); ++y) {
        const uchar* inside = m_outlineMask.constScanLine(y);
        auto* shown = reinterpret_cast<QRgb*>(frame.scanLine(y));
        const auto* under = reinterpret_cast<const QRgb*>(backdrop.constScanLine(y));
        for (int x = pixels.left(); x <= pixels.right(); ++x)
            if (!inside[x])
                shown[x] = under[x];
    }
}

QRect CKestrinView::changedArea(
    const std::vector<DrawnBracket>& before, const std::vector<DrawnBracket>& now)
{
    QRect area;
    for (size_t i = 0; i < now.size() && i < before.size(); ++i)
        if (now[i].key != before[i].key)
            area |= now[i].area | before[i].area;
    // A clip edge through a turned shape moves some of the edge pixels the
    // rasteriser fills inside it, so decorations drawn in part would differ from a
    // paint of the whole pane: the area grows to hold every decorated bracket it
    // reaches. Pictures come from a cache aligned to device pixels; a clip only
    // cuts those.
    for (bool grown = !area.isEmpty(); grown;) {
        grown = false;
        for (const DrawnBracket& drawn : now)
            if (drawn.decorated && drawn.area.intersects(area) && !area.contains(drawn.area)) {
                area |= drawn.area;
                grown = true;
            }
    }
    return area;
}

void CKestrinView::copyDevicePixels(QPainter& painter, const QImage& picture, const QRect& area)
{
    const qreal ratio = picture.devicePixelRatio();
    const QRectF source(QPointF(area.topLeft()) * ratio, QSizeF(area.size()) * ratio);
    painter.drawImage(QRectF(area), picture, source);
}

std::vector<CKestrinView::DrawnBracket> CKestrinView::liveBrackets(
    const Workspace& ws, const BracketLayers& layers) const
{
    const PaneSlot& paneSlot = ws.m_slot[size_t(slot())];
    const bool active = ws.m_layout.activeSlot() == slot();
    std::vector<DrawnBracket> live;
    for (int i = layers.still; i < layers.count; ++i) {
        const QBracket& bracket = paneSlot.arBrackets[size_t(i)];
        DrawnBracket drawn;
        KeyWriter writer(drawn.key);
        writeBracket(writer, bracket, active);
        drawn.decorated = bracket.m_bSelected && active;
        // The canvas turns about its centre, so it stays within the circle through
        // its corners; the handle and its decorations may reach beyond, and the
        // decorations keep their screen size (a few pixels) at every zoom.
        const int side = qMax(bracket.GetSize().width(), bracket.GetSize().height());
        const QPointF centre = QPointF(bracket.GetPos()) + QPointF(side, side) / 2;
        const qreal reach = side * 0.7072 + 1;
        const QRectF canvas(centre - QPointF(reach, reach), centre + QPointF(reach, reach));
        const QRectF photo = canvas | QRectF(bracket.m_rcRotate);
        drawn.area = m_geometry.photoToClient(photo).toAlignedRect().adjusted(-10, -10, 10, 10);
        live.push_back(std::move(drawn));
    }
    return live;
}

CKestrinView::BracketLayers CKestrinView::bracketLayers(const Workspace& ws, QPainter& painter)
{
    const PaneSlot& paneSlot = ws.m_slot[size_t(slot())];
    // The outline's region (the photograph's rectangle less what lies outside the
    // outline, in drawing coordinates) changes only with the outline and the pane's
    // offset, never during a drag, and intersecting paths is not cheap.
    QByteArray key;
    KeyWriter writer(key);
    writer << m_geometry.offsetX << m_geometry.offsetY << QSize(ws.photoWidth(), ws.photoHeight())
           << ws.m_clip.GetPath().elementCount();
    for (const QPoint& p : ws.m_clip.GetPoints())
        writer << p;
    if (key != m_outlineKey) {
        QPainterPath region;
        region.setFillRule(Qt::OddEvenFill);
        region.addRect(
            QRect(photoToDrawing(QPoint(0, 0)), QSize(ws.photoWidth(), ws.photoHeight())));
        const QTransform placement = m_geometry.photoToDrawingTransform();
        ws.m_clip.IntersectClip(region, &placement);
        m_outlineRegion = region;
        m_outlineKey = key;
    }
    BracketLayers layers;
    layers.count = int(paneSlot.arBrackets.size());
    layers.clip = m_outlineRegion;
    layers.still = layers.count;
    if (paneSlot.nSelected >= 0 && paneSlot.nSelected < layers.count) {
        const QBracket& selected = paneSlot.arBrackets[size_t(paneSlot.nSelected)];
        const QPoint pos = photoToDrawing(selected.GetPos());
        selected.AddMarkersToClip(&painter, layers.clip, pos.x(), pos.y(),
            selected.GetSize().width(), selected.GetSize().height(), m_geometry.viewScale);
        // The selected bracket's markers, when its handle lies outside the outline,
        // open the clip for every bracket and move with it: then nothing is still.
        layers.still = layers.clip == m_outlineRegion ? paneSlot.nSelected : 0;
    }
    return layers;
}

void CKestrinView::paintClipOutline(QPainter& painter, const Workspace& ws)
{
    ws.m_clip.Draw(&painter, m_geometry.photoToDrawingTransform(), ws.m_bClipClosed ? ws.m_nClipPoint : -1);
}

void CKestrinView::paintBrackets(QPainter& painter, const Workspace& ws, int first, int end)
{
    const PaneSlot& paneSlot = ws.m_slot[size_t(slot())];
    const double scale = m_geometry.viewScale;
    const bool active = ws.m_layout.activeSlot() == slot();
    for (int i = first; i < end; ++i) {
        const QBracket& bracket = paneSlot.arBrackets[size_t(i)];
        const QPoint pos = photoToDrawing(bracket.GetPos());
        bracket.Draw(&painter, pos.x(), pos.y(), bracket.GetSize().width(),
            bracket.GetSize().height(), scale, active);
    }
}

void CKestrinView::paintPhotograph(QPainter& painter, Workspace& ws, const QRect& exposed)
{
    const double scale = m_geometry.viewScale;
    const qreal ratio = painter.device()->devicePixelRatioF();
    // Cache up to a few panes' worth of device pixels; beyond that (high zoom) the
    // pane shows a small part of the picture, drawn straight from the original.
    const qint64 limit = qMax<qint64>(
        qint64(4 * ratio * ratio * viewport()->width() * viewport()->height()), 4LL << 20);
    // While the full picture is decoded the preview stands in for it, scaled to the
    // full picture's drawn size; the geometry is the full picture's throughout.
    const QImage& drawable = ws.drawablePhoto();
    const double drawableScale
        = ws.photoWidth() > 0 ? scale * ws.photoWidth() / drawable.width() : scale;
    const QImage& cached = m_photoCache.scaled(drawable, drawableScale, ratio, limit);
    if (!cached.isNull()) {
        painter.save();
        // The cache is already at the pane's scale in device pixels; its position is
        // rounded to a device pixel so the copy is never resampled.
        // Mirrored, the copy goes through the mirror from where it would be unmirrored.
        const QPointF corner
            = m_geometry.clientMirror().map(m_geometry.photoToClient(QPointF(0, 0)));
        painter.resetTransform();
        painter.setTransform(m_geometry.clientMirror());
        painter.drawImage(QPointF(std::round(corner.x() * ratio) / ratio,
                              std::round(corner.y() * ratio) / ratio),
            cached);
        painter.restore();
        return;
    }
    // Only the source pixels under the exposed area, unsmoothed: the pane repaints
    // on every mouse move of a drag. At such a zoom only the full picture will do.
    const QImage* photo = ws.photo();
    if (!photo)
        return;
    const QRectF source = m_geometry.clientToPhoto(QRectF(exposed))
                              .adjusted(-1, -1, 1, 1)
                              .intersected(QRectF(photo->rect()));
    const QRect sourceRect = source.toAlignedRect().intersected(photo->rect());
    if (sourceRect.isEmpty())
        return;
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(
        QRect(photoToDrawing(sourceRect.topLeft()), sourceRect.size()), *photo, sourceRect);
}
