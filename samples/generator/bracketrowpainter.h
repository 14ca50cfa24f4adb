// Paints one sample gallery picture: a row of orthodontic brackets on an arch
// wire, on a transparent surround, spaced to fit the teeth of the sample smile.
#pragma once

#include <QColor>
#include <QImage>
#include <QPointF>
#include <QVector>

class QPainter;
class QPainterPath;

class BracketRowPainter {
public:
    enum class Design {
        Twin, // four tie wings held by ties or ligatures
        SelfLigating, // a sliding clip closes the slot, no ties
        Lingual, // low-profile brackets on large custom pads, stepped wire
    };
    enum class Finish { Steel, Ceramic, Sapphire, Gold };
    enum class Wire { Steel, WhiteCoated, Gold };
    enum class Tie {
        None,
        Elastic, // coloured elastic rings (colours cycle along the row)
        Ligature, // thin twisted wire rings in the bracket's own metal
    };

    struct Style {
        Design design = Design::Twin;
        Finish finish = Finish::Steel;
        Wire wire = Wire::Steel;
        Tie tie = Tie::None;
        QVector<QColor> tieColours;
        bool canineHooks = false;
        double scale = 1.0; // bracket size relative to a standard twin
        Finish clipFinish = Finish::Steel; // self-ligating clip
    };

    // A 1280 x 220 ARGB32 picture (not premultiplied), transparent where there is
    // no bracket or wire.
    static QImage paint(const Style& style);

private:
    struct Placement {
        QPointF centre; // picture pixels
        double width;
        double height;
        double angle; // degrees, follows the wire
        int tooth; // 0 central incisor … 4 second premolar
        int side; // -1 patient's right (picture left), 1 the other
    };

    static QVector<Placement> placements(const Style& style);
    static double wireY(double x);
    static QPainterPath wirePath(const Style& style);

    static void paintShadow(QPainter& p, const Style& style, const Placement& at);
    static void paintBody(QPainter& p, const Style& style, const Placement& at);
    static void paintWire(QPainter& p, const Style& style);
    static void paintOverlay(QPainter& p, const Style& style, const Placement& at, int index);
};
