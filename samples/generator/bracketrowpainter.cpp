#include "bracketrowpainter.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>

namespace {

constexpr int pictureWidth = 1280;
constexpr int pictureHeight = 220;
constexpr double centreX = pictureWidth / 2.0;
constexpr double centreY = pictureHeight / 2.0;

// Tooth centres of the sample smile, from the midline outward, in photograph
// pixels; brackets sit on the ten front teeth.
constexpr double toothOffsets[] = { 89, 247, 375, 480, 563 };
constexpr double bracketWidths[] = { 74, 60, 54, 46, 41 };
constexpr double bracketHeights[] = { 66, 60, 62, 54, 50 };

struct Palette {
    QColor light, mid, dark, deep; // lit face to shadowed flank
    int alpha; // body opacity: ceramics let the tooth show through
};

Palette palette(BracketRowPainter::Finish finish)
{
    switch (finish) {
    case BracketRowPainter::Finish::Ceramic:
        return { QColor(252, 249, 242), QColor(236, 228, 212), QColor(206, 196, 178),
            QColor(160, 150, 134), 215 };
    case BracketRowPainter::Finish::Sapphire:
        return { QColor(255, 255, 255), QColor(226, 234, 240), QColor(190, 202, 212),
            QColor(130, 142, 156), 120 };
    case BracketRowPainter::Finish::Gold:
        return { QColor(255, 240, 170), QColor(226, 180, 70), QColor(168, 118, 32),
            QColor(110, 72, 14), 255 };
    case BracketRowPainter::Finish::Steel:
        break;
    }
    return { QColor(250, 251, 253), QColor(188, 194, 202), QColor(118, 125, 135),
        QColor(70, 75, 84), 255 };
}

QColor withAlpha(QColor c, int alpha)
{
    c.setAlpha(alpha);
    return c;
}

// Brushed-metal (or glazed ceramic) look: light from the upper left, a bright
// band across the face and a dark lower flank.
QLinearGradient faceGradient(const Palette& pal, const QRectF& r)
{
    QLinearGradient g(r.topLeft(), r.bottomRight());
    g.setColorAt(0.0, withAlpha(pal.light, pal.alpha));
    g.setColorAt(0.35, withAlpha(pal.mid, pal.alpha));
    g.setColorAt(0.55, withAlpha(pal.light, pal.alpha));
    g.setColorAt(0.8, withAlpha(pal.dark, pal.alpha));
    g.setColorAt(1.0, withAlpha(pal.deep, pal.alpha));
    return g;
}

void roundedBox(
    QPainter& p, const QRectF& r, double radius, const QBrush& brush, const QColor& edge)
{
    p.setBrush(brush);
    p.setPen(QPen(edge, 1.0));
    p.drawRoundedRect(r, radius, radius);
}

} // namespace

QImage BracketRowPainter::paint(const Style& style)
{
    QImage image(pictureWidth, pictureHeight, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        const QVector<Placement> row = placements(style);
        for (const Placement& at : row)
            paintShadow(p, style, at);
        for (const Placement& at : row)
            paintBody(p, style, at);
        // The wire lies in the slots, over the bodies but under ties and clips.
        paintWire(p, style);
        for (int i = 0; i < row.size(); ++i)
            paintOverlay(p, style, row[i], i);
    }
    return image.convertToFormat(QImage::Format_ARGB32);
}

double BracketRowPainter::wireY(double x)
{
    // A gentle smile arc: lowest at the midline, rising towards the premolars.
    const double u = (x - centreX) / toothOffsets[4];
    return centreY + 12 - 30 * u * u;
}

QVector<BracketRowPainter::Placement> BracketRowPainter::placements(const Style& style)
{
    QVector<Placement> row;
    for (int side : { -1, 1 })
        for (int tooth = 4; tooth >= 0; --tooth) {
            const int i = tooth;
            const double x = centreX + side * toothOffsets[i];
            const double slope = -60 * (x - centreX) / (toothOffsets[4] * toothOffsets[4]);
            Placement at;
            at.centre = QPointF(x, wireY(x));
            at.width = bracketWidths[i] * style.scale;
            at.height = bracketHeights[i] * style.scale;
            at.angle = std::atan(slope) * 180 / M_PI;
            at.tooth = i;
            at.side = side;
            row.append(at);
        }
    // Left to right across the picture.
    std::sort(row.begin(), row.end(),
        [](const Placement& a, const Placement& b) { return a.centre.x() < b.centre.x(); });
    return row;
}

QPainterPath BracketRowPainter::wirePath(const Style& style)
{
    QPainterPath path;
    const double reach = toothOffsets[4] + 58;
    const int steps = 120;
    for (int i = 0; i <= steps; ++i) {
        const double x = centreX - reach + 2 * reach * i / steps;
        double y = wireY(x);
        if (style.design == Design::Lingual) {
            // The "mushroom" step between canine and premolar of a lingual arch.
            const double d = std::abs(x - centreX);
            const double s = (d - 425) / 14;
            y += 7 / (1 + std::exp(-s));
        }
        if (i == 0)
            path.moveTo(x, y);
        else
            path.lineTo(x, y);
    }
    return path;
}

void BracketRowPainter::paintShadow(QPainter& p, const Style& style, const Placement& at)
{
    p.save();
    p.translate(at.centre + QPointF(2.5, 3.5));
    p.rotate(at.angle);
    p.setPen(Qt::NoPen);
    const double grow = style.design == Design::Lingual ? 1.2 : 1.0;
    for (int i = 5; i >= 1; --i) {
        const double w = at.width * grow + i * 2.2, h = at.height * grow + i * 2.2;
        p.setBrush(QColor(0, 0, 0, 16));
        p.drawRoundedRect(QRectF(-w / 2, -h / 2, w, h), w * 0.22, w * 0.22);
    }
    p.restore();
}

void BracketRowPainter::paintBody(QPainter& p, const Style& style, const Placement& at)
{
    const Palette pal = palette(style.finish);
    const double w = at.width, h = at.height;
    const QColor edge = withAlpha(pal.deep, qMin(255, pal.alpha + 40));

    p.save();
    p.translate(at.centre);
    p.rotate(at.angle);

    if (style.design == Design::Lingual) {
        // Custom pad moulded to the tooth's inner surface, with its mesh.
        const QRectF pad(-0.62 * w, -0.6 * h, 1.24 * w, 1.2 * h);
        QPainterPath padPath;
        padPath.addRoundedRect(pad, 0.4 * w, 0.45 * h);
        p.setPen(QPen(edge, 1.0));
        p.setBrush(withAlpha(pal.dark, 235));
        p.drawPath(padPath);
        p.save();
        p.setClipPath(padPath);
        p.setPen(QPen(withAlpha(pal.deep, 90), 1.0));
        for (double d = -2 * w; d < 2 * w; d += 5) {
            p.drawLine(QPointF(d, -h), QPointF(d + h * 1.4, h));
            p.drawLine(QPointF(d, h), QPointF(d + h * 1.4, -h));
        }
        p.restore();
        // Low body with a single slot opening towards the tongue.
        const QRectF body(-0.36 * w, -0.34 * h, 0.72 * w, 0.68 * h);
        roundedBox(p, body, 0.18 * w, faceGradient(pal, body), edge);
        p.setPen(Qt::NoPen);
        p.setBrush(withAlpha(pal.deep, 230));
        p.drawRect(QRectF(-0.42 * w, -0.09 * h, 0.84 * w, 0.18 * h));
        p.restore();
        return;
    }

    // Base pad, a little wider than the body, seen round its edges.
    const QRectF pad(-0.5 * w, -0.46 * h, w, 0.92 * h);
    QLinearGradient padShade(pad.topLeft(), pad.bottomLeft());
    padShade.setColorAt(0.0, withAlpha(pal.mid, pal.alpha));
    padShade.setColorAt(1.0, withAlpha(pal.dark, pal.alpha));
    roundedBox(p, pad, 0.16 * w, padShade, edge);

    if (style.design == Design::SelfLigating) {
        const QRectF body(-0.44 * w, -0.42 * h, 0.88 * w, 0.84 * h);
        roundedBox(p, body, 0.2 * w, faceGradient(pal, body), edge);
        // Slot ends, visible on both sides of the clip.
        p.setPen(Qt::NoPen);
        p.setBrush(withAlpha(pal.deep, qMin(255, pal.alpha + 30)));
        p.drawRect(QRectF(-0.46 * w, -0.1 * h, 0.92 * w, 0.2 * h));
        p.restore();
        return;
    }

    // Twin: four tie wings round a horizontal slot and a vertical groove.
    const double ww = 0.38 * w, wh = 0.36 * h;
    for (int sx : { -1, 1 })
        for (int sy : { -1, 1 }) {
            const QRectF wing(sx * 0.245 * w - ww / 2, sy * 0.27 * h - wh / 2, ww, wh);
            roundedBox(p, wing, 0.12 * w, faceGradient(pal, wing), edge);
        }
    p.setPen(Qt::NoPen);
    p.setBrush(withAlpha(pal.deep, qMin(255, pal.alpha + 20)));
    p.drawRect(QRectF(-0.46 * w, -0.1 * h, 0.92 * w, 0.2 * h));
    p.setBrush(withAlpha(pal.dark, pal.alpha));
    p.drawRect(QRectF(-0.035 * w, -0.45 * h, 0.07 * w, 0.9 * h));
    if (style.finish == Finish::Ceramic) {
        // Metal slot liner of a ceramic bracket.
        p.setPen(QPen(QColor(150, 156, 164), 1.4));
        p.drawLine(QPointF(-0.44 * w, -0.1 * h), QPointF(0.44 * w, -0.1 * h));
        p.drawLine(QPointF(-0.44 * w, 0.1 * h), QPointF(0.44 * w, 0.1 * h));
    }
    p.restore();
}

void BracketRowPainter::paintWire(QPainter& p, const Style& style)
{
    QColor outline(70, 74, 80), body(176, 182, 190), shine(250, 252, 255);
    double width = 6.0;
    if (style.wire == Wire::WhiteCoated) {
        outline = QColor(168, 164, 156);
        body = QColor(236, 233, 226);
        shine = QColor(255, 255, 255);
        width = 6.5;
    } else if (style.wire == Wire::Gold) {
        outline = QColor(120, 80, 20);
        body = QColor(214, 168, 70);
        shine = QColor(255, 238, 170);
    }
    const QPainterPath path = wirePath(style);
    p.save();
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(outline, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
    p.setPen(QPen(body, width - 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
    p.setPen(QPen(withAlpha(shine, 200), 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path.translated(0, -1.2));
    p.restore();
}

void BracketRowPainter::paintOverlay(
    QPainter& p, const Style& style, const Placement& at, int index)
{
    const Palette pal = palette(style.finish);
    const double w = at.width, h = at.height;
    const QColor edge = withAlpha(pal.deep, qMin(255, pal.alpha + 40));

    p.save();
    p.translate(at.centre);
    p.rotate(at.angle);

    if (style.design == Design::SelfLigating) {
        // The clip closing the slot, with its guide groove and opening notch.
        const Palette clip = palette(style.clipFinish);
        const QRectF door(-0.34 * w, -0.3 * h, 0.68 * w, 0.62 * h);
        roundedBox(p, door, 0.1 * w, faceGradient(clip, door), withAlpha(clip.deep, 255));
        p.setPen(QPen(withAlpha(clip.deep, 200), 1.2));
        p.drawLine(QPointF(-0.3 * w, 0.2 * h), QPointF(0.3 * w, 0.2 * h));
        p.setPen(Qt::NoPen);
        p.setBrush(withAlpha(clip.deep, 230));
        p.drawRoundedRect(QRectF(-0.07 * w, -0.27 * h, 0.14 * w, 0.1 * h), 2, 2);
        p.setBrush(QColor(255, 255, 255, 170));
        p.drawEllipse(QPointF(-0.2 * w, -0.16 * h), 0.09 * w, 0.04 * h);
    } else if (style.design == Design::Twin && style.tie != Tie::None) {
        const QRectF outer(-0.53 * w, -0.5 * h, 1.06 * w, h);
        const QRectF inner(-0.29 * w, -0.2 * h, 0.58 * w, 0.4 * h);
        if (style.tie == Tie::Elastic) {
            const QColor c = style.tieColours.isEmpty()
                ? QColor(200, 200, 205, 200)
                : style.tieColours.at(index % style.tieColours.size());
            QPainterPath ring;
            ring.addRoundedRect(outer, 0.36 * w, 0.42 * h);
            ring.addRoundedRect(inner, 0.12 * w, 0.12 * h);
            ring.setFillRule(Qt::OddEvenFill);
            QRadialGradient shade(QPointF(-0.2 * w, -0.25 * h), 0.9 * w);
            shade.setColorAt(0.0, c.lighter(150));
            shade.setColorAt(0.5, c);
            shade.setColorAt(1.0, c.darker(170));
            p.setBrush(shade);
            p.setPen(QPen(withAlpha(c.darker(220), c.alpha()), 1.0));
            p.drawPath(ring);
            p.setPen(QPen(QColor(255, 255, 255, 110), 2.0, Qt::SolidLine, Qt::RoundCap));
            p.drawArc(outer.adjusted(4, 3, -4, -3), 100 * 16, 60 * 16);
        } else {
            const Palette metal
                = palette(style.finish == Finish::Gold ? Finish::Gold : Finish::Steel);
            QRectF loop = outer.adjusted(0.08 * w, 0.12 * h, -0.08 * w, -0.12 * h);
            p.setBrush(Qt::NoBrush);
            p.setPen(QPen(metal.deep, 3.2));
            p.drawRoundedRect(loop, 0.3 * w, 0.35 * h);
            p.setPen(QPen(metal.light, 1.4));
            p.drawRoundedRect(loop, 0.3 * w, 0.35 * h);
            // Twisted ends tucked in below the wire.
            p.setPen(QPen(metal.deep, 2.4, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(0.1 * w, 0.36 * h), QPointF(0.28 * w, 0.52 * h));
        }
        // Wing tips stand proud of the tie.
        const double ww = 0.3 * w, wh = 0.2 * h;
        for (int sx : { -1, 1 })
            for (int sy : { -1, 1 }) {
                const QRectF tip(sx * 0.25 * w - ww / 2, sy * 0.36 * h - wh / 2, ww, wh);
                roundedBox(p, tip, 0.08 * w, faceGradient(pal, tip), edge);
            }
    }

    if (style.canineHooks && at.tooth == 2) {
        // Ball hook off the gingival-distal wing, for elastics.
        const QPointF root(at.side * 0.3 * w, -0.38 * h);
        const QPointF ball(at.side * 0.42 * w, -0.72 * h);
        p.setPen(QPen(pal.deep, 4.0, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(root, ball);
        p.setPen(QPen(pal.mid, 2.0, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(root, ball);
        QRadialGradient knob(ball - QPointF(1.5, 1.5), 5);
        knob.setColorAt(0, pal.light);
        knob.setColorAt(1, pal.dark);
        p.setBrush(knob);
        p.setPen(QPen(pal.deep, 1));
        p.drawEllipse(ball, 4.2, 4.2);
    }

    // Glints: small sharp reflections that make metal read as metal and glass
    // as glass.
    p.setPen(Qt::NoPen);
    const int glint = style.finish == Finish::Ceramic ? 120 : 200;
    p.setBrush(QColor(255, 255, 255, glint));
    p.drawEllipse(QPointF(-0.26 * w, -0.3 * h), 0.07 * w, 0.035 * h);
    if (style.finish == Finish::Sapphire) {
        p.setPen(QPen(QColor(255, 255, 255, 220), 1.2));
        p.drawLine(QPointF(-0.42 * w, -0.38 * h), QPointF(-0.1 * w, -0.42 * h));
        p.drawLine(QPointF(0.1 * w, 0.4 * h), QPointF(0.42 * w, 0.36 * h));
    }
    p.restore();
}
