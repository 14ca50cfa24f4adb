// Case "hittest": QBracket::HitTest on a bracket turned 30 degrees, with points on the
// picture, on its transparent corners, on the rotation handle and outside it.
#include "bench/benchutil.h"

#include "core/simulation/qbracket.h"

#include <QElapsedTimer>
#include <QImage>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <functional>
#include <optional>
#include <random>

namespace {

using bench::elapsedMs;
using bench::figure;
using bench::median;
using bench::out;

struct Kind {
    QString name;
    std::vector<QPoint> points;
    std::vector<double> usPerCall;
};

} // namespace

int benchHitTest()
{
    QTemporaryDir dir;
    const QString path = dir.path() + "/bracket.png";
    {
        QImage picture(800, 600, QImage::Format_ARGB32);
        picture.fill(0xFF2040C0);
        picture.save(path, "PNG");
    }
    QBracket bracket;
    if (!bracket.Init(1, 0, path, 700, 700, QString(), true)) {
        out() << "cannot build the test bracket" << Qt::endl;
        return 1;
    }
    bracket.m_dAngle = 30.0;
    bracket.UpdateFrames();
    figure("canvas_side", bracket.m_size.width(), "px");

    // Points are sorted into kinds by what HitTest answers, so that each kind's time is
    // the cost of that branch: on the picture is the one that tests the turned outline.
    std::vector<Kind> kinds = { { "on_picture", {}, {} }, { "transparent_corner", {}, {} },
        { "handle", {}, {} }, { "outside", {}, {} } };
    QRandomGenerator rng(5);
    const QRect area = bracket.m_rcBounds.adjusted(-200, -200, 200, 200);
    const int perKind = 2000;
    auto full = [&](const Kind& k) { return int(k.points.size()) >= perKind; };
    for (int tries = 0; tries < 10000000; ++tries) {
        if (std::all_of(kinds.begin(), kinds.end(), full))
            break;
        QPoint p(
            area.x() + int(rng.bounded(area.width())), area.y() + int(rng.bounded(area.height())));
        // The handle is a 10 x 10 frame; aim a share of the points at it.
        if (tries % 4 == 0)
            p = bracket.m_rcRotate.topLeft()
                + QPoint(int(rng.bounded(bracket.m_rcRotate.width())),
                    int(rng.bounded(bracket.m_rcRotate.height())));
        const BracketOp op = bracket.HitTest(p.x(), p.y(), false);
        int kind = 3;
        if (op == OpRotate)
            kind = 2;
        else if (op == OpMove)
            kind = 0;
        else if (QBracket::frameContains(bracket.m_rcBody, p.x(), p.y()))
            kind = 1;
        if (!full(kinds[kind]))
            kinds[kind].points.push_back(p);
    }
    Kind mixed { "mixed", {}, {} };
    for (const Kind& k : kinds)
        mixed.points.insert(mixed.points.end(), k.points.begin(), k.points.end());
    std::shuffle(mixed.points.begin(), mixed.points.end(), std::mt19937(3));
    kinds.push_back(mixed);
    for (const Kind& k : kinds)
        figure("points_" + k.name, double(k.points.size()), "points");

    const int rounds = 21;
    int sink = 0;
    std::optional<Qt::CursorShape> cursor;
    for (int round = 0; round < rounds; ++round)
        for (Kind& k : kinds) {
            const double ms = elapsedMs([&] {
                for (const QPoint& p : k.points)
                    sink += bracket.HitTest(p.x(), p.y(), round % 2 == 1, &cursor);
            });
            k.usPerCall.push_back(ms * 1000.0 / double(k.points.size()));
        }
    double worst = 0;
    for (const Kind& k : kinds) {
        const double us = median(k.usPerCall);
        figure("hittest_" + k.name, us * 1000.0, "ns per call");
        worst = std::max(worst, us);
    }
    figure("hittest_worst_kind", worst, "us per call (goal 5)");
    figure("checksum", sink, "sum of codes");
    bench::ratio(worst / 5.0);
    return 0;
}
