// Paints the sample patient photograph: a close-up of a smile with lips, gums and
// a shaded row of upper and lower teeth, like a frontal clinical photograph.
#pragma once

#include <QImage>
#include <QPainterPath>
#include <QPointF>
#include <QVector>

class QPainter;

class SmilePainter {
public:
    // The photograph at 2000 x 1300 pixels, opaque RGB. All geometry below is in
    // these pixels; painting happens at twice the size and is scaled down for
    // smooth edges.
    static QImage paint();

private:
    struct Tooth {
        double left; // crown edges, photograph pixels
        double right;
        double cervical; // y of the gum line at the crown's highest point
        double incisal; // y of the biting edge (cusp tip for canines)
        double depth; // 0 front … 1 far back, darkens and dulls the crown
        int kind; // 0 incisor, 1 canine, 2 premolar or molar
        bool upper;
    };

    static QVector<Tooth> upperTeeth();
    static QVector<Tooth> lowerTeeth();
    static QPainterPath mouthOpening();
    static QPainterPath lipsOutline();
    static QPainterPath toothOutline(const Tooth& tooth);

    static void paintSkin(QPainter& p);
    static void paintMouthInterior(QPainter& p);
    static void paintGums(QPainter& p, const QVector<Tooth>& teeth);
    static void paintTooth(QPainter& p, const Tooth& tooth);
    static void paintInnerShadows(QPainter& p);
    static void paintLips(QPainter& p);
    static void addGrain(QImage& image);
};
