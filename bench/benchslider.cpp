// The "slider" case: one movement of an adjustment slider with preview on, from
// the posted value to the pane showing the adjusted 1500 x 1500 bracket.
#include "bench/benchutil.h"
#include "ui/frame/cmainframe.h"
#include "core/commands/commandids.h"
#include "ui/panes/ckestrinview.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>

int benchSlider()
{
    QTemporaryDir dir;
    qputenv("MOLVEX_INI", (dir.path() + "/bench.ini").toLocal8Bit());
    QDir(dir.path()).mkpath("gallery");
    QFile(dir.path() + "/gallery/bracket.csv").open(QIODevice::WriteOnly);
    QSettings(dir.path() + "/bench.ini", QSettings::IniFormat)
        .setValue("DB_DIR/GALLERY", dir.path() + "/gallery/");

    // A picture whose canvas (its diagonal) is 1500 pixels square.
    QImage picture(1060, 1060, QImage::Format_ARGB32);
    picture.fill(QColor(170, 170, 180, 220));
    picture.save(dir.path() + "/big.png");

    CMainFrame frame;
    Workspace& ws = frame.workspace();
    QImage photo(4000, 2600, QImage::Format_RGB32);
    photo.fill(QColor(200, 150, 130));
    ws.m_pPhoto = std::make_unique<QImage>(photo);
    ws.resetForNewPhoto();
    frame.initialUpdatePanes();
    frame.resize(1600, 1000);
    frame.show();
    QApplication::processEvents();
    for (QPoint p : { QPoint(500, 500), QPoint(3500, 500), QPoint(3500, 2100), QPoint(500, 2100) })
        ws.m_clip.AddPoint(p.x(), p.y());
    ws.m_clip.BuildClosedCurve();
    ws.m_bClipClosed = true;
    QBracket bracket;
    bracket.Init(0, 0, dir.path() + "/big.png", 2000, 1300, QString(), true);
    ws.m_slot[1].arBrackets.push_back(bracket);
    ws.m_slot[1].nSelected = 0;
    ws.m_slot[1].arBrackets[0].SetSelected(true);
    CKestrinView* view = frame.activePane();
    view->viewport()->repaint();

    int value = 100;
    auto slide = [&] {
        return bench::medianMs(31, [&] {
            value = value >= 190 ? 20 : value + 7;
            QMetaObject::invokeMethod(
                &frame, [view, value] { view->UpdateBrightness(100, value, false); },
                Qt::QueuedConnection);
            QApplication::processEvents();
        });
    };
    const double slider = slide();
    qputenv("KESTRIN_NO_VBMI", "1");
    const double sliderWithoutVbmi = slide();
    qunsetenv("KESTRIN_NO_VBMI");
    const int side = ws.m_slot[1].arBrackets[0].m_pImage.width();
    bench::figure("canvas_side", side, "px");
    bench::figure("slider_ms", slider, "ms (goal 4)");
    bench::figure("slider_ms_without_vbmi", sliderWithoutVbmi, "ms (goal 4)");
    bench::ratio(std::max(slider, sliderWithoutVbmi) / 4.0);
    return 0;
}
