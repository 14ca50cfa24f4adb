// The "paint" case: one repaint of four panes showing a 24-megapixel photograph
// with three large brackets in each working pane, as a drag costs on every move.
#include "bench/benchutil.h"
#include "ui/frame/cmainframe.h"
#include "core/workspace/workspace.h"
#include "ui/panes/ckestrinview.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QScrollBar>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>
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

} // namespace

int benchPaint()
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
    for (const Mode& mode : { Mode { "fit", true, 5.0 }, Mode { "zoom100", false, 12.0 } }) {
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
        bench::figure(mode.name + "_ms", full, QStringLiteral("ms (goal %1)").arg(mode.goal));
        bench::figure(mode.name + "_bare_ms", bare, "ms (no brackets, no clip)");
        bench::figure(mode.name + "_ratio_to_bare", full / bare, "x");
        worst = std::max(worst, full / mode.goal);
    }
    bench::figure("pane_width", paneSize.width(), "px");
    bench::figure("pane_height", paneSize.height(), "px");
    bench::ratio(worst);
    return 0;
}
