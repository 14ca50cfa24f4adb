#include "smilepainter.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <QRandomGenerator>

#include <cmath>
#include <utility>

namespace {

constexpr int photoWidth = 2000;
constexpr int photoHeight = 1300;
constexpr int oversample = 2;
constexpr double centreX = 1000.0;

QPointF mirrored(const QPointF& p) { return QPointF(2 * centreX - p.x(), p.y()); }

// Fills `shape` with a soft-edged version of `brush` by stacking slightly grown
// copies with falling opacity: a cheap blur for shadows and highlights.
void softFill(
    QPainter& p, const QPainterPath& shape, const QColor& colour, double spread, int steps)
{
    p.save();
    p.setPen(Qt::NoPen);
    for (int i = steps; i >= 1; --i) {
        QColor c = colour;
        c.setAlphaF(colour.alphaF() / steps);
        QPainterPathStroker stroker;
        stroker.setWidth(2 * spread * i / steps);
        stroker.setJoinStyle(Qt::RoundJoin);
        p.setBrush(c);
        p.drawPath(shape.united(stroker.createStroke(shape)));
    }
    p.restore();
}

} // namespace

QImage SmilePainter::paint()
{
    QImage big(photoWidth * oversample, photoHeight * oversample, QImage::Format_RGB32);
    {
        QPainter p(&big);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(oversample, oversample);

        paintSkin(p);

        p.save();
        p.setClipPath(mouthOpening());
        paintMouthInterior(p);
        const QVector<Tooth> lower = lowerTeeth();
        for (const Tooth& tooth : lower)
            paintTooth(p, tooth);
        const QVector<Tooth> upper = upperTeeth();
        paintGums(p, upper);
        // Back teeth first: the front crowns overlap their neighbours' edges.
        QVector<Tooth> order = upper;
        std::sort(order.begin(), order.end(),
            [](const Tooth& a, const Tooth& b) { return a.depth > b.depth; });
        for (const Tooth& tooth : order)
            paintTooth(p, tooth);
        paintInnerShadows(p);
        p.restore();

        paintLips(p);
    }
    QImage photo
        = big.scaled(photoWidth, photoHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    addGrain(photo);
    return photo;
}

QVector<SmilePainter::Tooth> SmilePainter::upperTeeth()
{
    // Visible crown widths from the midline outward: the arch turns away from
    // the camera, so the back teeth look ever narrower.
    struct Row {
        double width, cervical, incisal, depth;
        int kind;
    };
    const Row row[] = {
        { 178, 470, 742, 0.00, 0 },
        { 138, 492, 716, 0.10, 0 },
        { 118, 470, 724, 0.25, 1 },
        { 92, 482, 702, 0.45, 2 },
        { 74, 492, 690, 0.62, 2 },
        { 60, 502, 678, 0.80, 2 },
        { 44, 512, 668, 0.95, 2 },
    };
    QVector<Tooth> teeth;
    for (int side : { -1, 1 }) {
        double inner = centreX;
        for (const Row& r : row) {
            const double outer = inner + side * r.width;
            Tooth t { qMin(inner, outer), qMax(inner, outer), r.cervical, r.incisal, r.depth,
                r.kind, true };
            teeth.append(t);
            inner = outer;
        }
    }
    return teeth;
}

QVector<SmilePainter::Tooth> SmilePainter::lowerTeeth()
{
    struct Row {
        double width, incisal, depth;
        int kind;
    };
    const Row row[] = {
        { 88, 716, 0.30, 0 },
        { 96, 712, 0.36, 0 },
        { 104, 700, 0.46, 1 },
        { 88, 690, 0.62, 2 },
        { 74, 682, 0.78, 2 },
        { 60, 674, 0.92, 2 },
    };
    QVector<Tooth> teeth;
    for (int side : { -1, 1 }) {
        double inner = centreX;
        for (const Row& r : row) {
            const double outer = inner + side * r.width;
            // Lower crowns are seen from their tip down; the root end is hidden
            // by the lower lip, so `cervical` lies well below it.
            Tooth t { qMin(inner, outer), qMax(inner, outer), 940, r.incisal, r.depth, r.kind,
                false };
            teeth.append(t);
            inner = outer;
        }
    }
    return teeth;
}

QPainterPath SmilePainter::mouthOpening()
{
    // Smiling pulls the corners up and back; the opening ends in soft points.
    const QPointF left(330, 622);
    QPainterPath path(left);
    // Upper boundary: the free edge of the upper lip, with a small tubercle dip.
    path.cubicTo(QPointF(420, 528), QPointF(720, 448), QPointF(920, 447));
    path.quadTo(QPointF(1000, 460), QPointF(1080, 447));
    path.cubicTo(mirrored(QPointF(720, 448)), mirrored(QPointF(420, 528)), mirrored(left));
    // Lower boundary: the upper edge of the lower lip.
    path.cubicTo(mirrored(QPointF(440, 722)), mirrored(QPointF(760, 802)), QPointF(centreX, 802));
    path.cubicTo(QPointF(760, 802), QPointF(440, 722), left);
    path.closeSubpath();
    return path;
}

QPainterPath SmilePainter::lipsOutline()
{
    const QPointF left(292, 618);
    QPainterPath path(left);
    // Vermilion border of the upper lip with its Cupid's bow.
    path.cubicTo(QPointF(380, 500), QPointF(640, 392), QPointF(880, 356));
    path.quadTo(QPointF(950, 348), QPointF(centreX, 374));
    path.quadTo(mirrored(QPointF(950, 348)), mirrored(QPointF(880, 356)));
    path.cubicTo(mirrored(QPointF(640, 392)), mirrored(QPointF(380, 500)), mirrored(left));
    // Lower lip, fuller and rounder; the corners are blunt where both lips meet.
    path.cubicTo(mirrored(QPointF(300, 700)), mirrored(QPointF(560, 960)), QPointF(centreX, 962));
    path.cubicTo(QPointF(560, 960), QPointF(300, 700), left);
    path.closeSubpath();
    return path;
}

QPainterPath SmilePainter::toothOutline(const Tooth& t)
{
    const double w = t.right - t.left;
    const double xc = (t.left + t.right) / 2;
    QPainterPath path;
    if (t.upper) {
        const double h = t.incisal - t.cervical;
        // The gum line is an arch over each crown; its highest point sits a
        // little towards the back of the mouth.
        const double zenith = xc + (xc < centreX ? -0.08 : 0.08) * w;
        const double neck = t.cervical + h * 0.24;
        const double contact = t.cervical + h * 0.45;
        const double corner = t.kind == 0 ? 0.10 * w : 0.22 * w;
        path.moveTo(t.left + 0.13 * w, neck);
        path.cubicTo(QPointF(t.left + 0.14 * w, t.cervical + 0.02 * h),
            QPointF(zenith - 0.25 * w, t.cervical), QPointF(zenith, t.cervical));
        path.cubicTo(QPointF(zenith + 0.25 * w, t.cervical),
            QPointF(t.right - 0.14 * w, t.cervical + 0.02 * h), QPointF(t.right - 0.13 * w, neck));
        path.cubicTo(QPointF(t.right - 0.05 * w, neck + 0.04 * h),
            QPointF(t.right, contact - 0.12 * h), QPointF(t.right, contact));
        path.lineTo(t.right - 0.01 * w, t.incisal - corner);
        if (t.kind == 1) {
            // Canine: the edge rises from a pointed cusp to both sides.
            path.quadTo(QPointF(t.right - 0.05 * w, t.incisal - 0.05 * h),
                QPointF(xc + 0.02 * w, t.incisal));
            path.quadTo(QPointF(t.left + 0.05 * w, t.incisal - 0.05 * h),
                QPointF(t.left + 0.01 * w, t.incisal - corner));
        } else if (t.kind == 2) {
            path.quadTo(QPointF(t.right - 0.05 * w, t.incisal - 0.03 * h), QPointF(xc, t.incisal));
            path.quadTo(QPointF(t.left + 0.05 * w, t.incisal - 0.03 * h),
                QPointF(t.left + 0.01 * w, t.incisal - corner));
        } else {
            path.quadTo(QPointF(t.right - 0.02 * w, t.incisal),
                QPointF(t.right - corner * 1.6, t.incisal + 0.004 * h));
            path.quadTo(QPointF(xc, t.incisal + 0.012 * h),
                QPointF(t.left + corner * 1.6, t.incisal + 0.004 * h));
            path.quadTo(QPointF(t.left + 0.02 * w, t.incisal),
                QPointF(t.left + 0.01 * w, t.incisal - corner));
        }
        path.lineTo(t.left, contact);
        path.cubicTo(QPointF(t.left, contact - 0.12 * h),
            QPointF(t.left + 0.05 * w, neck + 0.04 * h), QPointF(t.left + 0.13 * w, neck));
    } else {
        const double corner = t.kind == 0 ? 0.12 * w : 0.25 * w;
        path.moveTo(t.left + 0.06 * w, t.cervical);
        path.lineTo(t.left, t.incisal + 70);
        path.lineTo(t.left + 0.01 * w, t.incisal + corner);
        if (t.kind == 0) {
            path.quadTo(
                QPointF(t.left + 0.02 * w, t.incisal), QPointF(t.left + corner * 1.5, t.incisal));
            path.lineTo(t.right - corner * 1.5, t.incisal);
            path.quadTo(QPointF(t.right - 0.02 * w, t.incisal),
                QPointF(t.right - 0.01 * w, t.incisal + corner));
        } else {
            path.quadTo(QPointF(t.left + 0.05 * w, t.incisal + 0.02 * w),
                QPointF((t.left + t.right) / 2, t.incisal - (t.kind == 1 ? 6 : 0)));
            path.quadTo(QPointF(t.right - 0.05 * w, t.incisal + 0.02 * w),
                QPointF(t.right - 0.01 * w, t.incisal + corner));
        }
        path.lineTo(t.right, t.incisal + 70);
        path.lineTo(t.right - 0.06 * w, t.cervical);
        path.closeSubpath();
    }
    return path;
}

void SmilePainter::paintSkin(QPainter& p)
{
    QRadialGradient skin(QPointF(centreX, 560), 1250);
    skin.setColorAt(0.0, QColor(232, 184, 158));
    skin.setColorAt(0.55, QColor(218, 164, 137));
    skin.setColorAt(1.0, QColor(176, 122, 98));
    p.fillRect(QRectF(0, 0, photoWidth, photoHeight), skin);

    // Skin is never one flat colour: broad blotches and fine pores, both as
    // smoothly enlarged noise laid over the base tone.
    QRandomGenerator random(3);
    for (const auto& [cells, strength] : { std::pair<int, double>(40, 0.55), { 400, 0.35 } }) {
        QImage noise(cells, cells * photoHeight / photoWidth, QImage::Format_RGB32);
        for (int y = 0; y < noise.height(); ++y)
            for (int x = 0; x < noise.width(); ++x) {
                const int v = 128 + int(random.bounded(61)) - 30;
                noise.setPixel(x, y, qRgb(v, v, v));
            }
        p.save();
        p.setCompositionMode(QPainter::CompositionMode_SoftLight);
        p.setOpacity(strength);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(QRectF(0, 0, photoWidth, photoHeight), noise);
        p.restore();
    }

    // Philtrum: two soft ridges and the groove between them above the lip.
    p.save();
    p.setPen(Qt::NoPen);
    for (int side : { -1, 1 }) {
        QPainterPath ridge;
        ridge.moveTo(centreX + side * 48, 60);
        ridge.cubicTo(QPointF(centreX + side * 52, 170), QPointF(centreX + side * 64, 270),
            QPointF(centreX + side * 92, 350));
        QPainterPathStroker stroker;
        stroker.setWidth(30);
        stroker.setCapStyle(Qt::RoundCap);
        softFill(p, stroker.createStroke(ridge), QColor(250, 214, 190, 70), 30, 8);
    }
    QPainterPath groove;
    groove.addEllipse(QPointF(centreX, 230), 26, 150);
    softFill(p, groove, QColor(170, 110, 90, 35), 30, 8);
    // Shade under the nose at the top edge.
    QPainterPath nose;
    nose.addEllipse(QPointF(centreX, -40), 420, 90);
    softFill(p, nose, QColor(120, 70, 55, 90), 90, 10);

    // Nasolabial folds and the shade under the lower lip.
    for (int side : { -1, 1 }) {
        QPainterPath fold;
        fold.moveTo(centreX + side * 520, 0);
        fold.cubicTo(QPointF(centreX + side * 720, 180), QPointF(centreX + side * 830, 420),
            QPointF(centreX + side * 800, 760));
        QPainterPathStroker stroker;
        stroker.setWidth(26);
        stroker.setCapStyle(Qt::RoundCap);
        softFill(p, stroker.createStroke(fold), QColor(140, 82, 64, 90), 40, 10);
        QPainterPath cheek;
        cheek.addEllipse(QPointF(centreX + side * 950, 360), 260, 330);
        softFill(p, cheek, QColor(246, 196, 170, 50), 120, 10);
    }
    QPainterPath chin;
    chin.moveTo(700, 1010);
    chin.cubicTo(QPointF(850, 985), QPointF(1150, 985), QPointF(1300, 1010));
    QPainterPathStroker chinStroke;
    chinStroke.setWidth(30);
    chinStroke.setCapStyle(Qt::RoundCap);
    softFill(p, chinStroke.createStroke(chin), QColor(130, 76, 60, 45), 80, 12);
    QPainterPath chinLight;
    chinLight.addEllipse(QPointF(centreX, 1230), 300, 90);
    softFill(p, chinLight, QColor(245, 200, 176, 60), 80, 8);
    p.restore();
}

void SmilePainter::paintMouthInterior(QPainter& p)
{
    QRadialGradient dark(QPointF(centreX, 700), 700);
    dark.setColorAt(0.0, QColor(78, 22, 26));
    dark.setColorAt(0.5, QColor(48, 12, 16));
    dark.setColorAt(1.0, QColor(18, 4, 6));
    p.fillRect(QRectF(250, 400, 1500, 500), dark);
    // A hint of the tongue behind the lower teeth.
    QPainterPath tongue;
    tongue.addEllipse(QPointF(centreX, 860), 420, 130);
    softFill(p, tongue, QColor(150, 58, 64, 110), 60, 10);
}

void SmilePainter::paintGums(QPainter& p, const QVector<Tooth>& teeth)
{
    // The gum runs from behind the upper lip down into the papillae between the
    // crowns; the crowns painted after it cover all but the scallops.
    QPainterPath gum;
    gum.moveTo(300, 400);
    gum.lineTo(1700, 400);
    gum.lineTo(1700, 560);
    QVector<Tooth> byX = teeth;
    std::sort(
        byX.begin(), byX.end(), [](const Tooth& a, const Tooth& b) { return a.left > b.left; });
    for (const Tooth& t : byX) {
        const double h = t.incisal - t.cervical;
        gum.lineTo(t.right, t.cervical + h * 0.36);
        gum.lineTo(t.left, t.cervical + h * 0.36);
    }
    gum.lineTo(300, 560);
    gum.closeSubpath();

    QLinearGradient tissue(0, 400, 0, 600);
    tissue.setColorAt(0.0, QColor(178, 70, 82));
    tissue.setColorAt(0.45, QColor(214, 112, 118));
    tissue.setColorAt(1.0, QColor(226, 136, 134));
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(tissue);
    p.drawPath(gum);
    // Attached gingiva is paler and stippled; fine light specks suggest that.
    QRandomGenerator random(17);
    for (int i = 0; i < 2200; ++i) {
        const QPointF at(300 + random.bounded(1400.0), 440 + random.bounded(130.0));
        if (!gum.contains(at))
            continue;
        p.setBrush(random.bounded(2) ? QColor(240, 170, 168, 40) : QColor(150, 60, 70, 30));
        p.drawEllipse(at, 1.6, 1.6);
    }
    p.restore();
}

void SmilePainter::paintTooth(QPainter& p, const Tooth& t)
{
    const QPainterPath outline = toothOutline(t);
    const QRectF box = outline.boundingRect();
    const double w = t.right - t.left;
    const double top = t.upper ? t.cervical : t.incisal;
    const double bottom = t.upper ? t.incisal : t.incisal + 200;

    p.save();
    p.setPen(Qt::NoPen);
    p.setClipPath(outline, Qt::IntersectClip);

    // Enamel: warmer and more yellow at the neck, grey-blue and translucent at
    // the biting edge.
    QLinearGradient enamel(0, top, 0, bottom);
    if (t.upper) {
        enamel.setColorAt(0.0, QColor(222, 196, 150));
        enamel.setColorAt(0.25, QColor(238, 225, 196));
        enamel.setColorAt(0.6, QColor(246, 241, 228));
        enamel.setColorAt(0.88, QColor(232, 234, 230));
        enamel.setColorAt(1.0, QColor(196, 204, 210));
    } else {
        enamel.setColorAt(0.0, QColor(200, 206, 210));
        enamel.setColorAt(0.12, QColor(228, 226, 214));
        enamel.setColorAt(0.6, QColor(226, 210, 176));
        enamel.setColorAt(1.0, QColor(200, 170, 130));
    }
    p.fillRect(box, enamel);
    // Canines and premolars are a shade more yellow than the incisors.
    if (t.kind != 0)
        p.fillRect(box, QColor(190, 140, 60, t.kind == 1 ? 40 : 25));

    // Roundness: each crown curves away from the camera towards its neighbours.
    QLinearGradient round(t.left, 0, t.right, 0);
    round.setColorAt(0.0, QColor(96, 62, 42, 150));
    round.setColorAt(0.16, QColor(120, 84, 60, 40));
    round.setColorAt(0.32, QColor(0, 0, 0, 0));
    round.setColorAt(0.70, QColor(0, 0, 0, 0));
    round.setColorAt(0.86, QColor(120, 84, 60, 40));
    round.setColorAt(1.0, QColor(96, 62, 42, 150));
    p.fillRect(box, round);

    if (t.upper) {
        // Translucent incisal band with a thin bright rim (the "halo").
        QLinearGradient edge(0, t.incisal - 0.22 * (t.incisal - t.cervical), 0, t.incisal);
        edge.setColorAt(0.0, QColor(150, 165, 185, 0));
        edge.setColorAt(0.6, QColor(140, 155, 178, 60));
        edge.setColorAt(0.92, QColor(120, 136, 165, 120));
        edge.setColorAt(1.0, QColor(120, 135, 160, 60));
        p.fillRect(box, edge);
        QPainterPathStroker rim;
        rim.setWidth(3);
        p.setBrush(QColor(255, 255, 255, 110));
        QPainterPath edgeBand;
        edgeBand.addRect(QRectF(
            box.left(), t.incisal - 0.12 * (t.incisal - t.cervical), box.width(), box.height()));
        p.drawPath(rim.createStroke(outline).intersected(edgeBand));
    }

    // Specular highlights: a soft vertical sheen and a small sharp glint.
    const double frontness = 1.0 - t.depth;
    if (frontness > 0.2) {
        const double h = bottom - top;
        const QPointF sheenAt(t.left + w * (t.left < centreX ? 0.40 : 0.60),
            t.upper ? top + h * 0.45 : t.incisal + 45);
        QRadialGradient sheen(sheenAt, 1.0);
        sheen.setColorAt(0.0, QColor(255, 255, 255, int(150 * frontness)));
        sheen.setColorAt(0.5, QColor(255, 255, 255, int(60 * frontness)));
        sheen.setColorAt(1.0, QColor(255, 255, 255, 0));
        p.save();
        p.translate(sheenAt);
        p.scale(w * 0.22, (t.upper ? h : 80.0) * 0.32);
        p.translate(-sheenAt);
        p.fillRect(QRectF(sheenAt - QPointF(1, 1), QSizeF(2, 2)), sheen);
        p.restore();
        p.setBrush(QColor(255, 255, 255, int(140 * frontness)));
        p.drawEllipse(QPointF(sheenAt.x() - w * 0.05, sheenAt.y() - h * 0.08), w * 0.035, h * 0.06);
    }

    // Developmental lobes: faint lighter bands down the face of the incisors.
    if (t.upper && t.kind == 0) {
        for (double f : { 0.28, 0.72 }) {
            QPainterPath lobe;
            lobe.addEllipse(QPointF(t.left + f * w, (t.cervical + t.incisal) / 2 + 10), w * 0.1,
                (t.incisal - t.cervical) * 0.32);
            softFill(p, lobe, QColor(255, 255, 250, 22), w * 0.06, 5);
        }
    }

    // The further back, the deeper in the shade of the cheeks.
    p.fillRect(box, QColor(40, 16, 12, int(235 * std::pow(t.depth, 1.3))));
    p.restore();

    // A dark rim where crowns meet keeps neighbours apart.
    p.save();
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(110, 70, 50, 50 + int(90 * t.depth)), 1.0));
    p.drawPath(outline);
    if (t.upper) {
        // Marginal gingiva: a light, slightly swollen rim hugging each neck.
        QPainterPath neckBand;
        neckBand.addRect(
            QRectF(t.left - 2, t.cervical - 4, w + 4, (t.incisal - t.cervical) * 0.26));
        QPainterPathStroker rim;
        rim.setWidth(5);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(236, 150, 150, int(150 * (1.0 - t.depth))));
        p.drawPath(rim.createStroke(outline).intersected(neckBand));
    }
    p.restore();
}

void SmilePainter::paintInnerShadows(QPainter& p)
{
    p.save();
    p.setPen(Qt::NoPen);
    // The buccal corridors: the cheeks shade the back of the mouth.
    for (int side : { -1, 1 }) {
        QLinearGradient corridor(centreX + side * 700, 0, centreX + side * 380, 0);
        corridor.setColorAt(0.0, QColor(10, 2, 2, 240));
        corridor.setColorAt(0.45, QColor(20, 4, 4, 110));
        corridor.setColorAt(1.0, QColor(20, 4, 4, 0));
        p.fillRect(QRectF(side < 0 ? 250 : 1000, 380, 750, 560), corridor);
    }
    // The upper lip casts a soft shade onto the gums and crown necks.
    QPainterPath upperEdge;
    upperEdge.moveTo(330, 622);
    upperEdge.cubicTo(QPointF(420, 528), QPointF(720, 448), QPointF(920, 447));
    upperEdge.quadTo(QPointF(1000, 460), QPointF(1080, 447));
    upperEdge.cubicTo(mirrored(QPointF(720, 448)), mirrored(QPointF(420, 528)), QPointF(1670, 622));
    for (int i = 0; i < 24; ++i) {
        p.setPen(QPen(QColor(60, 14, 16, 14), 3.0));
        p.drawPath(upperEdge.translated(0, i * 1.5));
    }
    // And the lower lip a little onto the lower teeth.
    QPainterPath lowerEdge;
    lowerEdge.moveTo(330, 622);
    lowerEdge.cubicTo(QPointF(440, 722), QPointF(760, 802), QPointF(centreX, 802));
    lowerEdge.cubicTo(mirrored(QPointF(760, 802)), mirrored(QPointF(440, 722)), QPointF(1670, 622));
    for (int i = 0; i < 14; ++i) {
        p.setPen(QPen(QColor(60, 14, 16, 16), 3.0));
        p.drawPath(lowerEdge.translated(0, -i * 1.5));
    }
    p.restore();
}

void SmilePainter::paintLips(QPainter& p)
{
    QPainterPath lips = lipsOutline();
    lips.addPath(mouthOpening());
    lips.setFillRule(Qt::OddEvenFill);

    p.save();
    p.setPen(Qt::NoPen);
    // A faint lighter line along the vermilion border, then the lips.
    QPainterPathStroker border;
    border.setWidth(10);
    p.setBrush(QColor(240, 196, 176, 120));
    p.drawPath(border.createStroke(lipsOutline()));

    p.setClipPath(lips);
    QLinearGradient colour(0, 340, 0, 965);
    colour.setColorAt(0.0, QColor(178, 90, 92));
    colour.setColorAt(0.16, QColor(160, 66, 74));
    colour.setColorAt(0.26, QColor(132, 48, 58));
    colour.setColorAt(0.62, QColor(176, 74, 82));
    colour.setColorAt(0.8, QColor(198, 100, 104));
    colour.setColorAt(1.0, QColor(170, 82, 86));
    p.fillRect(QRectF(250, 330, 1500, 700), colour);

    // The corners of the mouth sink into shade.
    for (int side : { -1, 1 }) {
        QPainterPath corner;
        corner.addEllipse(QPointF(centreX + side * 680, 622), 60, 50);
        softFill(p, corner, QColor(70, 20, 24, 150), 60, 10);
    }

    // Vertical lip lines, fanning out from the middle of each lip.
    QRandomGenerator random(29);
    for (int i = 0; i < 420; ++i) {
        const double x = 300 + random.bounded(1400.0);
        const bool upperLip = random.bounded(2) == 0;
        const double lean = (x - centreX) / 700.0;
        const double y0 = upperLip ? 360 + random.bounded(50.0) : 812 + random.bounded(40.0);
        const double len = 30 + random.bounded(90.0);
        QPainterPath line(QPointF(x, y0));
        line.quadTo(QPointF(x + lean * 10, y0 + len / 2), QPointF(x + lean * 24, y0 + len));
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(random.bounded(3) ? QColor(110, 36, 46, 28) : QColor(240, 170, 170, 28),
            1.2 + random.bounded(1.2)));
        p.drawPath(line);
    }
    p.setPen(Qt::NoPen);

    // Moist highlights: broad soft sheen on the lower lip, small glints on top.
    QPainterPath shine;
    shine.moveTo(760, 880);
    shine.cubicTo(QPointF(880, 858), QPointF(1120, 858), QPointF(1240, 880));
    shine.cubicTo(QPointF(1120, 900), QPointF(880, 900), QPointF(760, 880));
    softFill(p, shine, QColor(255, 228, 228, 70), 34, 12);
    QPainterPath upperShine;
    upperShine.addEllipse(QPointF(centreX - 160, 394), 100, 10);
    upperShine.addEllipse(QPointF(centreX + 160, 394), 100, 10);
    softFill(p, upperShine, QColor(255, 220, 220, 45), 16, 8);

    // The wet inner rim of the lips is darker where it curls into the mouth.
    QPainterPathStroker rim;
    rim.setWidth(20);
    softFill(p, rim.createStroke(mouthOpening()), QColor(100, 24, 34, 80), 8, 6);
    p.restore();
}

void SmilePainter::addGrain(QImage& image)
{
    // Sensor noise plus a slight vignette, so the picture does not look drawn.
    QRandomGenerator random(7);
    const double cx = image.width() / 2.0, cy = image.height() / 2.0;
    const double reach = std::hypot(cx, cy);
    for (int y = 0; y < image.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const double r = std::hypot(x - cx, y - cy) / reach;
            const double shade = 1.0 - 0.22 * r * r;
            const int n = int(random.bounded(9)) - 4;
            auto channel = [&](int v) { return qBound(0, int(v * shade) + n, 255); };
            line[x]
                = qRgb(channel(qRed(line[x])), channel(qGreen(line[x])), channel(qBlue(line[x])));
        }
    }
}
