#include "ui/bars/qtips.h"

#include "core/gallery/tiptext.h"
#include "ui/bars/qbracklistdiag.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>

namespace {

constexpr int textLeft = 20;
constexpr int textTop = 2;
constexpr int stripeWidth = 16;

} // namespace

QTips::QTips(QWidget* parent)
    : QWidget(parent)
{
    setWindowTitle(tr("TIPS"));
    setObjectName(QStringLiteral("TIPS"));
    setFont(QBrackListDiag::PanelFont());
    // The tip lies under the cursor: mouse moves must still reach the pane so
    // that the next one hides it.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    hide();
    watch(parent);
}

void QTips::watch(QWidget* parentView)
{
    if (!parentView)
        return;
    parentView->installEventFilter(this);
    // A modal dialog blocks the top-level window, not the pane itself.
    if (parentView->window() != parentView)
        parentView->window()->installEventFilter(this);
}

bool QTips::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::Leave:
        if (watched == parentWidget()) {
            m_pointerInside = false;
            hide();
        }
        break;
    case QEvent::Enter:
    case QEvent::MouseMove:
        if (watched == parentWidget())
            m_pointerInside = true;
        break;
    case QEvent::WindowBlocked:
        hide();
        break;
    default:
        break;
    }
    return false;
}

void QTips::setVisible(bool visible)
{
    // The pane's timer only knows that the mouse rested on a bracket; the
    // pointer may have left since, or a dialog opened over the window.
    if (visible && (!m_pointerInside || QApplication::activeModalWidget()))
        return;
    QWidget::setVisible(visible);
}

void QTips::CreateTip(QWidget* parentView)
{
    if (parentWidget() && parentWidget() != parentView) {
        parentWidget()->removeEventFilter(this);
        parentWidget()->window()->removeEventFilter(this);
    }
    setParent(parentView);
    watch(parentView);
    m_text.clear();
    m_position = QPoint();
    setGeometry(0, 0, 10, 10);
    hide();
}

void QTips::SetTip(const QString& text, int x, int y)
{
    m_text = text;
    m_position = QPoint(x, y);
    if (TipText::Lines(m_text).isEmpty())
        move(m_position);
    else
        setGeometry(FittedGeometry());
    update();
}

void QTips::ClearTip()
{
    m_text.clear();
    m_position = QPoint();
}

QRect QTips::FittedGeometry() const
{
    const QFontMetrics metrics(font());
    int widest = 0;
    int height = 0;
    for (const QString& line : TipText::Lines(m_text)) {
        widest = qMax(widest, metrics.horizontalAdvance(line));
        height += metrics.height() + 3;
    }
    return QRect(m_position, QSize(widest + 26, height)).adjusted(-1, -1, 1, 1);
}

void QTips::paintEvent(QPaintEvent*)
{
    if (m_text.isEmpty())
        return;
    QPainter painter(this);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Fill());
    painter.drawRect(rect().adjusted(0, 0, -1, -1));

    const QStringList lines = TipText::Lines(m_text);
    const QFontMetrics metrics(font());
    const int textHeight = int(lines.size()) * (metrics.height() + 3);
    painter.fillRect(QRect(1, 1, stripeWidth, textHeight), Qt::white);
    painter.drawLine(stripeWidth, 1, stripeWidth, textHeight + 1);
    // A line takes its font height + 3 pixels, as in the window height, so the
    // text fills the tip without clipping its last line.
    const int lineStep = metrics.height() + 3;
    for (int i = 0; i < lines.size(); ++i)
        painter.drawText(QPoint(textLeft, textTop + lineStep * i + metrics.ascent()), lines.at(i));
}
