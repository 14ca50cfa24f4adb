// The "paint" case: one repaint of four panes showing a 24-megapixel photograph
// with three large brackets in each working pane, and one frame of a bracket
// dragged in one pane against a copy of the four panes' pixels; then the same
// figures from a second run of this program at device-pixel ratio 2.
#include "bench/benchutil.h"
#include "ui/frame/cmainframe.h"
#include "core/workspace/workspace.h"
#include "ui/panes/ckestrinview.h"
#include "core/workspace/bracketactions.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QProcessEnvironment>
#include <QScrollBar>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

QImage photograph()
{
    QImage img(6000, 4000, QImage::Format_RGB32);
    QPainter p(&img);
    QLinearGradient g(0, 0, 6000, 4000);
    g.setColorAt(0, QColor(220, 170, 150));
    g.setColorAt(1, QColor(150, 90, 80));
    p.fillRect(img.rect(), g);
    p.setBrush(QColor(245, 240, 225));
    for (int i = 0; i < 14; ++i)
        p.drawRoundedRect(QRect(900 + i * 300, 1600, 260, 700), 60, 60);
    return img;
}

QString bracketPicture(const QString& dir)
{
    QImage img(1000, 1000, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(180, 180, 190, 230));
    for (int i = 0; i < 8; ++i)
        p.drawRoundedRect(QRectF(40 + i * 120, 420, 90, 160), 12, 12);
    p.setPen(QPen(QColor(90, 90, 100), 14));
    p.drawLine(20, 500, 980, 500);
    p.end();
    const QString path = dir + "/bracket.png";
    img.save(path);
    return path;
}

double repaintAllMs(CMainFrame& frame, int runs)
{
    const QVector<CKestrinView*> panes = frame.shownPanes();
    for (CKestrinView* pane : panes)
        pane->viewport()->repaint(); // caches
    return bench::medianMs(runs, [&] {
        for (CKestrinView* pane : panes)
            pane->viewport()->repaint();
    });
}

// One run at the screen's device-pixel ratio; figures are named with `prefix` and
// measured against goals multiplied by `goalFactor`. Returns the worst figure over
// its goal.
double paintFigures(const QString& prefix, double goalFactor)
{
    QTemporaryDir dir;
    // A private INI naming an empty gallery: the frame must not stop on a message
    // about a missing one, nor touch the user's settings.
    qputenv("MOLVEX_INI", (dir.path() + "/bench.ini").toLocal8Bit());
    QDir(dir.path()).mkpath("gallery");
    QFile(dir.path() + "/gallery/bracket.csv").open(QIODevice::WriteOnly);
    QSettings(dir.path() + "/bench.ini", QSettings::IniFormat)
        .setValue("DB_DIR/GALLERY", dir.path() + "/gallery/");
    CMainFrame frame;
    Workspace& ws = frame.workspace();
    ws.m_pPhoto = std::make_unique<QImage>(photograph());
    ws.resetForNewPhoto();
    frame.initialUpdatePanes();
    // Four panes of about 900 x 600.
    frame.resize(2100, 1330);
    frame.show();
    QApplication::processEvents();
    frame.setPaneCount(4);
    QApplication::processEvents();
    const QSize paneSize = frame.pane(1, 1)->viewport()->size();

    const QString picture = bracketPicture(dir.path());
    auto placeBrackets = [&] {
        for (int s = 1; s < 4; ++s) {
            for (int i = 0; i < 3; ++i) {
                QBracket bracket;
                bracket.Init(i, 0, picture, 0, 0, QString(), true);
                bracket.CenterAt(2000 + 900 * i, 1900 + 80 * i);
                bracket.m_dAngle = 12.0 * i - 9.0; // turned, as brackets on a smile are
                bracket.UpdateFrames();
                ws.m_slot[size_t(s)].arBrackets.push_back(bracket);
            }
            ws.m_slot[size_t(s)].nSelected = 1;
            ws.m_slot[size_t(s)].arBrackets[1].SetSelected(true);
        }
        ws.m_clip.Clear();
        for (QPoint p : { QPoint(800, 1500), QPoint(3000, 1300), QPoint(5200, 1500),
                 QPoint(5200, 2400), QPoint(3000, 2600), QPoint(800, 2400) })
            ws.m_clip.AddPoint(p.x(), p.y());
        ws.m_clip.BuildClosedCurve();
        ws.m_bClipClosed = true;
    };
    auto clearBrackets = [&] {
        ws.resetSlots();
        ws.m_clip.Clear();
        ws.m_bClipClosed = false;
    };

    const int runs = 25;
    struct Mode {
        QString name;
        bool fit;
        double goal;
    };
    double worst = 0;
    for (const Mode& mode : { Mode { "fit", true, 5.0 }, Mode { "zoom100", false, 8.0 } }) {
        ws.m_bFitSize = mode.fit;
        ws.m_dZoom = 1.0;
        frame.applyZoom();
        if (!mode.fit) {
            // Look at the teeth, as a clinician zoomed in would.
            for (CKestrinView* pane : frame.shownPanes()) {
                pane->horizontalScrollBar()->setValue(2200);
                pane->verticalScrollBar()->setValue(1700);
            }
        }
        clearBrackets();
        const double bare = repaintAllMs(frame, runs);
        placeBrackets();
        const double full = repaintAllMs(frame, runs);
        const double goal = mode.goal * goalFactor;
        bench::figure(prefix + mode.name + "_ms", full, QStringLiteral("ms (goal %1)").arg(goal));
        bench::figure(prefix + mode.name + "_bare_ms", bare, "ms (no brackets, no clip)");
        bench::figure(prefix + mode.name + "_ratio_to_bare", full / bare, "x");
        worst = std::max(worst, full / goal);
    }
    // A drag: the selected bracket of the active pane follows the pointer a few
    // photograph pixels a frame, and only that pane repaints, as the mouse handler
    // asks it to. Fit mode, as a clinician places brackets.
    ws.m_bFitSize = true;
    frame.applyZoom();
    clearBrackets();
    placeBrackets();
    CKestrinView* dragged = frame.activePane();
    const int slot = dragged->slot();
    dragged->viewport()->repaint();
    QPoint pointer = ws.m_slot[size_t(slot)].arBrackets[1].m_rcInner.center();
    BracketActions::move(ws, slot, pointer, false, false, dragged->viewScale()); // the pointer arrives, then presses
    BracketActions::press(ws, slot, pointer, dragged->viewScale());
    const QPoint startPos = ws.m_slot[size_t(slot)].arBrackets[1].GetPos();
    QPoint farthest;
    int step = 0;
    const qreal ratio = dragged->viewport()->devicePixelRatioF();
    qint64 paneBytes = 0;
    for (CKestrinView* pane : frame.shownPanes())
        paneBytes += qint64(std::ceil(pane->viewport()->width() * ratio))
            * qint64(std::ceil(pane->viewport()->height() * ratio)) * 4;
    std::vector<char> from(size_t(paneBytes), 1);
    std::vector<char> to(from.size(), 0);
    std::vector<double> drag, copy, dragRatio;
    for (int i = 0; i < runs * 2; ++i) {
        ++step;
        pointer += QPoint(step % 20 < 10 ? 7 : -7, step % 6 < 3 ? 3 : -3);
        drag.push_back(bench::elapsedMs([&] {
            BracketActions::move(ws, slot, pointer, false, true, dragged->viewScale());
            dragged->viewport()->repaint(dragged->movedBracketsArea());
        }));
        const QPoint moved = ws.m_slot[size_t(slot)].arBrackets[1].GetPos() - startPos;
        farthest = QPoint(std::max(farthest.x(), std::abs(moved.x())), std::max(farthest.y(), std::abs(moved.y())));
        copy.push_back(bench::elapsedMs([&] { std::memcpy(to.data(), from.data(), from.size()); }));
        dragRatio.push_back(drag.back() / copy.back());
    }
    // The same drag repainting the whole pane, for comparison: the mouse handler
    // asks for the changed rectangle alone.
    std::vector<double> fullDrag, fullRatio;
    for (int i = 0; i < runs * 2; ++i) {
        ++step;
        pointer += QPoint(step % 20 < 10 ? 7 : -7, step % 6 < 3 ? 3 : -3);
        fullDrag.push_back(bench::elapsedMs([&] {
            BracketActions::move(ws, slot, pointer, false, true, dragged->viewScale());
            dragged->viewport()->repaint();
        }));
        const double copyMs
            = bench::elapsedMs([&] { std::memcpy(to.data(), from.data(), from.size()); });
        fullRatio.push_back(fullDrag.back() / copyMs);
    }
    bench::figure(prefix + "drag_full_ms", bench::median(fullDrag), "ms (the whole pane repainted)");
    bench::figure(prefix + "drag_full_ratio", bench::median(fullRatio), "x the copy");
    BracketActions::releaseInside(ws, slot);
    // The last drag frame against every layer drawn afresh (the path of the very
    // first paint, whose grey lies only outside the photograph): within the
    // photograph they must be the same pixels.
    dragged->viewport()->repaint();
    // Pixels of the photograph where the last frame and a fresh paint differ.
    const auto differingPixels = [&] {
        const QImage composed = dragged->viewport()->grab().toImage();
        ws.m_bFirstPaintDone = false;
        const QImage direct = dragged->viewport()->grab().toImage();
        QRect photoArea
            = QRectF(QPointF(dragged->offsetX(), dragged->offsetY()) * dragged->viewScale(),
                QSizeF(ws.photoWidth(), ws.photoHeight()) * dragged->viewScale())
                  .toAlignedRect()
                  .adjusted(1, 1, -1, -1);
        if (ws.m_bMirrorView)
            photoArea.moveLeft(dragged->viewport()->width() - 1 - photoArea.right());
        // A device pixel belongs to the client pixel it lies in. Rounding its
        // position instead would count, at ratio 2, the half pixel just outside the
        // photograph's corner (which is rounded to a device pixel), where the two
        // greys differ.
        qint64 differing = 0;
        for (int y = 0; y < composed.height(); ++y)
            for (int x = 0; x < composed.width(); ++x)
                differing += photoArea.contains(QPoint(int(x / ratio), int(y / ratio)))
                    && composed.pixel(x, y) != direct.pixel(x, y);
        return double(differing);
    };
    bench::figure(prefix + "drag_frame_differing", differingPixels(), "pixels (goal 0)");
    // A drag that moved nothing would time nothing.
    bench::figure(prefix + "drag_reach", farthest.x() + farthest.y(), "photograph px");
    const double dragMs = bench::median(drag);
    bench::figure(prefix + "drag_ms", dragMs, "ms");
    bench::figure(prefix + "pane_copy_ms", bench::median(copy), "ms (memcpy of the four panes)");
    const double dragGoal = 1.0 * goalFactor;
    bench::figure(prefix + "drag_ratio", bench::median(dragRatio),
        QStringLiteral("x the copy (goal %1)").arg(dragGoal));
    worst = std::max(worst, bench::median(dragRatio) / dragGoal);
    // The same drag in the mirror view, whose changed areas go through the mirror.
    ws.m_bMirrorView = true;
    frame.applyZoom();
    dragged->viewport()->repaint();
    pointer = ws.m_slot[size_t(slot)].arBrackets[1].m_rcInner.center();
    BracketActions::move(ws, slot, pointer, false, false, dragged->viewScale());
    BracketActions::press(ws, slot, pointer, dragged->viewScale());
    std::vector<double> mirroredRatio;
    for (int i = 0; i < runs * 2; ++i) {
        ++step;
        pointer += QPoint(step % 20 < 10 ? 7 : -7, step % 6 < 3 ? 3 : -3);
        const double ms = bench::elapsedMs([&] {
            BracketActions::move(ws, slot, pointer, false, true, dragged->viewScale());
            dragged->viewport()->repaint(dragged->movedBracketsArea());
        });
        mirroredRatio.push_back(
            ms / bench::elapsedMs([&] { std::memcpy(to.data(), from.data(), from.size()); }));
    }
    BracketActions::releaseInside(ws, slot);
    dragged->viewport()->repaint();
    bench::figure(prefix + "mirrored_drag_frame_differing", differingPixels(), "pixels (goal 0)");
    bench::figure(prefix + "mirrored_drag_ratio", bench::median(mirroredRatio), "x the copy");
    ws.m_bMirrorView = false;
    frame.applyZoom();
    bench::figure(prefix + "device_pixel_ratio", ratio, "");
    bench::figure(prefix + "pane_width", paneSize.width(), "px");
    bench::figure(prefix + "pane_height", paneSize.height(), "px");
    return worst;
}

} // namespace

// Run as "paint-child": the figures alone, for the run at ratio 2.
int benchPaintChild()
{
    bench::figure("worst", paintFigures(QStringLiteral("dpr2_"), 2.0), "x goal");
    return 0;
}

int benchPaint(const QString& program)
{
    double worst = paintFigures(QString(), 1.0);
    // The same figures on a screen at 200 %: four times the device pixels, within
    // twice the goals.
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_SCALE_FACTOR"), QStringLiteral("2"));
    child.setProcessEnvironment(env);
    child.start(program, { QStringLiteral("paint-child") });
    child.waitForFinished(600000);
    for (const QByteArray& line : child.readAllStandardOutput().split('\n')) {
        if (line.startsWith("worst = "))
            worst = std::max(worst, line.mid(8).split(' ').value(0).toDouble());
        else if (!line.isEmpty())
            bench::out() << line << Qt::endl;
    }
    if (child.exitCode() != 0)
        worst = std::max(worst, 1e9);
    bench::ratio(worst);
    return 0;
}
