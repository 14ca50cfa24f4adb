#include "ui/resources/toolicons.h"

#include "core/commands/commandids.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace ToolIcons {

namespace {

    const QColor Ink(40, 40, 48);
    const QColor Accent(36, 104, 176);

    void magnifier(QPainter& p, bool plus)
    {
        p.setPen(QPen(Ink, 2));
        p.drawEllipse(QRectF(3, 3, 12, 12));
        p.setPen(QPen(Ink, 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(14, 14), QPointF(20, 20));
        p.setPen(QPen(Accent, 2));
        p.drawLine(QPointF(6, 9), QPointF(12, 9));
        if (plus)
            p.drawLine(QPointF(9, 6), QPointF(9, 12));
    }

    void panes(QPainter& p, int count)
    {
        p.setPen(QPen(Ink, 1));
        p.setBrush(QColor(220, 232, 246));
        const QRectF r(3.5, 4.5, 16, 14);
        p.drawRect(r);
        if (count >= 2)
            p.drawLine(QPointF(11.5, 4.5), QPointF(11.5, 18.5));
        if (count == 4)
            p.drawLine(QPointF(3.5, 11.5), QPointF(19.5, 11.5));
    }

    void arrow(QPainter& p, bool right)
    {
        p.setPen(Qt::NoPen);
        p.setBrush(Accent);
        QPolygonF tri;
        if (right)
            tri << QPointF(7, 5) << QPointF(17, 11.5) << QPointF(7, 18);
        else
            tri << QPointF(16, 5) << QPointF(6, 11.5) << QPointF(16, 18);
        p.drawPolygon(tri);
    }

    void lasso(QPainter& p, double scale, QPointF origin)
    {
        p.save();
        p.translate(origin);
        p.scale(scale, scale);
        QPainterPath loop;
        loop.addEllipse(QRectF(4, 3, 15, 9));
        p.setPen(QPen(Ink, 1.6));
        p.setBrush(Qt::NoBrush);
        p.drawPath(loop);
        QPainterPath tail;
        tail.moveTo(7, 11);
        tail.cubicTo(5, 14, 9, 15, 7, 19);
        p.drawPath(tail);
        p.restore();
    }

    void drawGlyph(QPainter& p, int id)
    {
        switch (id) {
        case Cmd::FileSaveAs:
            p.setPen(QPen(Ink, 1));
            p.setBrush(Accent);
            p.drawRect(QRectF(3.5, 3.5, 16, 16));
            p.setBrush(Qt::white);
            p.drawRect(QRectF(6.5, 3.5, 10, 6));
            p.drawRect(QRectF(6.5, 12.5, 10, 7));
            break;
        case Cmd::FilePrint:
            p.setPen(QPen(Ink, 1));
            p.setBrush(Qt::white);
            p.drawRect(QRectF(6.5, 2.5, 10, 7));
            p.setBrush(QColor(180, 180, 190));
            p.drawRect(QRectF(2.5, 8.5, 18, 8));
            p.setBrush(Qt::white);
            p.drawRect(QRectF(6.5, 13.5, 10, 7));
            break;
        case Cmd::ZoomIn:
            magnifier(p, true);
            break;
        case Cmd::ZoomOut:
            magnifier(p, false);
            break;
        case Cmd::FitSize:
            p.setPen(QPen(Ink, 1));
            p.drawRect(QRectF(2.5, 4.5, 18, 14));
            p.setPen(QPen(Accent, 2));
            p.drawLine(QPointF(6, 8), QPointF(9, 11));
            p.drawLine(QPointF(17, 15), QPointF(14, 12));
            p.drawLine(QPointF(6, 8), QPointF(6, 11));
            p.drawLine(QPointF(6, 8), QPointF(9, 8));
            p.drawLine(QPointF(17, 15), QPointF(17, 12));
            p.drawLine(QPointF(17, 15), QPointF(14, 15));
            break;
        case Cmd::Panes1:
            panes(p, 1);
            break;
        case Cmd::Panes2:
            panes(p, 2);
            break;
        case Cmd::Panes4:
            panes(p, 4);
            break;
        case Cmd::PrevImage:
            arrow(p, false);
            break;
        case Cmd::NextImage:
            arrow(p, true);
            break;
        case Cmd::ClipDefine:
            lasso(p, 1.0, QPointF(0, 1));
            break;
        case Cmd::ModeScale:
            p.setPen(QPen(Ink, 1));
            p.drawRect(QRectF(3.5, 9.5, 9, 9));
            p.setPen(QPen(Accent, 2));
            p.drawLine(QPointF(10, 12), QPointF(19, 3));
            p.drawLine(QPointF(19, 3), QPointF(14, 3));
            p.drawLine(QPointF(19, 3), QPointF(19, 8));
            break;
        case Cmd::ModeMove:
            p.setPen(QPen(Accent, 2));
            p.drawLine(QPointF(11.5, 3), QPointF(11.5, 20));
            p.drawLine(QPointF(3, 11.5), QPointF(20, 11.5));
            p.setPen(Qt::NoPen);
            p.setBrush(Accent);
            p.drawPolygon(QPolygonF({ QPointF(11.5, 1), QPointF(8, 5), QPointF(15, 5) }));
            p.drawPolygon(QPolygonF({ QPointF(11.5, 22), QPointF(8, 18), QPointF(15, 18) }));
            p.drawPolygon(QPolygonF({ QPointF(1, 11.5), QPointF(5, 8), QPointF(5, 15) }));
            p.drawPolygon(QPolygonF({ QPointF(22, 11.5), QPointF(18, 8), QPointF(18, 15) }));
            break;
        case Cmd::ModeRotate:
            p.setPen(QPen(Accent, 2));
            p.drawArc(QRectF(4, 4, 15, 15), 30 * 16, 280 * 16);
            p.setPen(Qt::NoPen);
            p.setBrush(Accent);
            p.drawPolygon(QPolygonF({ QPointF(19, 4), QPointF(19, 11), QPointF(13, 8) }));
            break;
        case Cmd::BracketDelete:
            p.setPen(QPen(QColor(200, 40, 40), 3, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(6, 6), QPointF(17, 17));
            p.drawLine(QPointF(17, 6), QPointF(6, 17));
            break;
        case Cmd::Brightness:
            p.setPen(QPen(QColor(220, 160, 0), 1.5));
            p.setBrush(QColor(255, 210, 40));
            p.drawEllipse(QRectF(7, 7, 9, 9));
            for (int i = 0; i < 8; ++i) {
                p.save();
                p.translate(11.5, 11.5);
                p.rotate(45 * i);
                p.drawLine(QPointF(0, 6.5), QPointF(0, 9.5));
                p.restore();
            }
            break;
        case Cmd::ColorBalance:
            p.setPen(Qt::NoPen);
            p.setOpacity(0.75);
            p.setBrush(QColor(230, 40, 40));
            p.drawEllipse(QRectF(3, 3, 11, 11));
            p.setBrush(QColor(40, 180, 60));
            p.drawEllipse(QRectF(9, 3, 11, 11));
            p.setBrush(QColor(40, 80, 230));
            p.drawEllipse(QRectF(6, 9, 11, 11));
            break;
        case Cmd::ShowInfo:
            p.setPen(Qt::NoPen);
            p.setBrush(Accent);
            p.drawEllipse(QRectF(3, 3, 17, 17));
            p.setPen(QPen(Qt::white, 2.5, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(11.5, 10.5), QPointF(11.5, 16));
            p.drawPoint(QPointF(11.5, 7));
            break;
        case Cmd::AppAbout: {
            p.setPen(QPen(Ink, 1));
            p.setBrush(QColor(250, 240, 200));
            p.drawEllipse(QRectF(3, 3, 17, 17));
            QFont f = p.font();
            f.setPixelSize(13);
            f.setBold(true);
            p.setFont(f);
            p.drawText(QRectF(3, 3, 17, 17), Qt::AlignCenter, QStringLiteral("?"));
            break;
        }
        case Cmd::ClipOk:
            p.setPen(QPen(QColor(30, 150, 60), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.drawPolyline(QPolygonF({ QPointF(5, 12), QPointF(10, 17), QPointF(18, 6) }));
            break;
        case Cmd::ClipClose:
            p.setPen(QPen(Ink, 1.6));
            p.drawEllipse(QRectF(3.5, 5.5, 16, 12));
            break;
        case Cmd::ClipDeleteLastPoint:
        case Cmd::ClipDuplicatePoint:
        case Cmd::ClipDeletePoint: {
            p.setPen(QPen(Ink, 1.2));
            p.drawArc(QRectF(2, 5, 18, 16), 20 * 16, 140 * 16);
            p.setBrush(Qt::white);
            p.drawRect(QRectF(9, 4, 5, 5));
            p.setPen(
                QPen(id == Cmd::ClipDuplicatePoint ? QColor(30, 150, 60) : QColor(200, 40, 40), 2));
            p.drawLine(QPointF(13, 16), QPointF(20, 16));
            if (id == Cmd::ClipDuplicatePoint)
                p.drawLine(QPointF(16.5, 12.5), QPointF(16.5, 19.5));
            if (id == Cmd::ClipDeleteLastPoint) {
                p.setPen(QPen(Ink, 1));
                p.drawText(QRectF(2, 12, 10, 10), Qt::AlignCenter, QStringLiteral("n"));
            }
            break;
        }
        case Cmd::ClipDelete:
            lasso(p, 0.9, QPointF(0, 1));
            p.setPen(QPen(QColor(200, 40, 40), 2.5, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(12, 12), QPointF(20, 20));
            p.drawLine(QPointF(20, 12), QPointF(12, 20));
            break;
        default:
            break;
        }
    }

    QPixmap glyph(int id, qreal dpr)
    {
        QPixmap pixmap(QSize(23, 23) * dpr);
        pixmap.setDevicePixelRatio(dpr);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        drawGlyph(p, id);
        return pixmap;
    }

} // namespace

QIcon icon(int id)
{
    switch (id) {
    case Cmd::FileSaveAs:
    case Cmd::FilePrint:
    case Cmd::ZoomIn:
    case Cmd::ZoomOut:
    case Cmd::FitSize:
    case Cmd::Panes1:
    case Cmd::Panes2:
    case Cmd::Panes4:
    case Cmd::PrevImage:
    case Cmd::NextImage:
    case Cmd::ClipDefine:
    case Cmd::ModeScale:
    case Cmd::ModeMove:
    case Cmd::ModeRotate:
    case Cmd::BracketDelete:
    case Cmd::Brightness:
    case Cmd::ColorBalance:
    case Cmd::ShowInfo:
    case Cmd::AppAbout:
    case Cmd::ClipOk:
    case Cmd::ClipClose:
    case Cmd::ClipDeleteLastPoint:
    case Cmd::ClipDuplicatePoint:
    case Cmd::ClipDeletePoint:
    case Cmd::ClipDelete:
        break;
    default:
        return {};
    }
    QIcon result;
    result.addPixmap(glyph(id, 1.0));
    result.addPixmap(glyph(id, 2.0));
    return result;
}

QCursor lassoCursor()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    // A white halo keeps the black lasso visible on dark teeth and lips alike.
    QPainterPath loop;
    loop.addEllipse(QRectF(6, 3, 20, 12));
    QPainterPath tail;
    tail.moveTo(10, 13.5);
    tail.cubicTo(6, 16, 13, 18, 10, 21);
    for (const auto& [colour, width] :
        { std::pair { QColor(Qt::white), 3.5 }, std::pair { QColor(Qt::black), 1.5 } }) {
        p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap));
        p.drawPath(loop);
        p.drawPath(tail);
    }
    p.end();
    return QCursor(pixmap, 10, 21);
}

} // namespace ToolIcons
