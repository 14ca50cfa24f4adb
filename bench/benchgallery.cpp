// The "gallery" case: a 2000-entry gallery shown in the bracket list, the
// preview of a selected row, and typing into the filter box. Nothing may decode
// every picture at load, and no keystroke may hold up the next frame.
#include "bench/benchutil.h"
#include "core/gallery/gallerycatalogue.h"
#include "ui/bars/qbracklistdiag.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QTemporaryDir>

#include <algorithm>

int benchGallery()
{
    QTemporaryDir dir;
    const QString folder = dir.path() + '/';
    QImage picture(600, 400, QImage::Format_ARGB32);
    picture.fill(Qt::transparent);
    {
        QPainter p(&picture);
        p.setBrush(QColor(190, 190, 200));
        for (int i = 0; i < 8; ++i)
            p.drawRoundedRect(QRect(20 + i * 72, 160, 56, 80), 8, 8);
    }
    picture.save(folder + "bracket0001.png");
    QFile csv(folder + "bracket.csv");
    csv.open(QIODevice::WriteOnly);
    for (int i = 1; i <= 2000; ++i) {
        const QString name = QStringLiteral("bracket%1.png").arg(i, 4, 10, QLatin1Char('0'));
        if (i > 1)
            QFile::copy(folder + "bracket0001.png", folder + name);
        csv.write(QStringLiteral("%1,Bracket %2,Material %3,Wire %4,Vendor%5,Memo%5,%6\r\n")
                      .arg(name)
                      .arg(i)
                      .arg(i % 7)
                      .arg(i % 5)
                      .arg(i, 4, 10, QLatin1Char('0'))
                      .arg(i % 9 == 0 ? "inner" : "outer")
                      .toUtf8());
    }
    csv.close();

    const int runs = 9;
    const double lines = bench::medianMs(runs, [&] {
        QFile f(folder + "bracket.csv");
        f.open(QIODevice::ReadOnly);
        int count = 0;
        while (!f.atEnd())
            count += !f.readLine().isEmpty();
        Q_ASSERT(count == 2000);
    });
    const double parse = bench::medianMs(runs, [&] {
        QVector<GalleryEntry> entries;
        GalleryCatalogue::LoadCatalogue(folder, folder + "bracket.csv", entries);
    });
    bench::figure("catalogue_ms", parse, "ms (reading and checking the catalogue alone)");
    QBrackListDiag list;
    list.resize(240, 520);
    list.show();
    const double load = bench::medianMs(runs, [&] {
        list.LoadCatalogue(folder, folder + "bracket.csv");
        QApplication::processEvents();
    });
    int row = 0;
    const double preview = bench::medianMs(runs * 3, [&] {
        list.List()->selectRow(row += 37);
        QApplication::processEvents();
    });
    // Typed one key at a time, then taken back; the worst key counts, since a
    // single slow one is what the user feels.
    const QString typed = QStringLiteral("material 3");
    std::vector<double> keys;
    for (int n = 1; n <= typed.size(); ++n)
        keys.push_back(bench::elapsedMs([&] {
            list.FilterBox()->setText(typed.left(n));
            QApplication::processEvents();
        }));
    for (int n = typed.size() - 1; n >= 0; --n)
        keys.push_back(bench::elapsedMs([&] {
            list.FilterBox()->setText(typed.left(n));
            QApplication::processEvents();
        }));
    const double worstKey = *std::max_element(keys.begin(), keys.end());
    bench::figure("rows", list.List()->model()->rowCount(), "rows");
    bench::figure("read_lines_ms", lines, "ms (baseline: reading the 2000 lines)");
    bench::figure("list_ms", load, "ms (goal 150)");
    bench::figure("preview_ms", preview, "ms (goal 30)");
    bench::figure("filter_key_ms", worstKey, "ms (slowest filter keystroke, goal 16)");
    bench::ratio(load / lines);
    return 0;
}
