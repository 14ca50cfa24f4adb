// QColorAdjust: both pixel rules on all 256 values of every channel, and the
// vector path against the portable loop.
#include "core/simulation/qcoloradjust.h"

#include <QRandomGenerator>
#include <QtTest>

#include <cmath>

class TestQColorAdjust : public QObject {
    Q_OBJECT

private slots:
    void rules_data()
    {
        QTest::addColumn<int>("kind"); // 0 brightness/contrast, 1 colour balance, 2 random tables
        QTest::addColumn<int>("a");
        QTest::addColumn<int>("b");
        for (int contrast : { 0, 1, 37, 99, 100, 101, 150, 199, 200 })
            for (int brightness : { 0, 3, 63, 100, 120, 177, 200 })
                QTest::addRow("c%d b%d", contrast, brightness) << 0 << contrast << brightness;
        for (int packed : { 0x808080, 0x000000, 0xFFFFFF, 0x4D008A, 0x7F01FF })
            QTest::addRow("balance %06x", packed) << 1 << packed << 0;
        for (int seed : { 1, 2 })
            QTest::addRow("random tables %d", seed) << 2 << seed << 0;
    }

    // The rules written with real division and explicit truncation, over a picture
    // whose first row holds every byte in every channel and whose width leaves a
    // partial vector block; alpha is never touched.
    void rules()
    {
        QFETCH(int, kind);
        QFETCH(int, a);
        QFETCH(int, b);
        std::array<QColorAdjust::Table, 3> tables; // blue, green, red
        std::function<int(int, int)> rule; // channel (0 blue, 1 green, 2 red), byte
        if (kind == 0) {
            tables.fill(QColorAdjust::brightnessContrastTable(a, b));
            const double fc = std::trunc(a * 128.0 / 100.0), fb = std::trunc(b * 128.0 / 100.0);
            rule = [=](int, int c) {
                const double t = qBound(0.0, std::trunc((c - 128) * fc / 128.0) + 128.0, 255.0);
                return int(qMin(255.0, std::trunc(t * fb / 128.0)));
            };
        } else if (kind == 1) {
            tables = QColorAdjust::colorBalanceTables(quint32(a));
            rule = [=](int channel, int c) {
                return qBound(0, c + int((quint32(a) >> (8 * (2 - channel))) & 0xFF) - 128, 255);
            };
        } else {
            QRandomGenerator rng(a); // unrelated entries show a lane reading the wrong table
            for (auto& table : tables)
                for (uchar& entry : table)
                    entry = uchar(rng.bounded(256));
            rule = [&](int channel, int c) { return int(tables[size_t(channel)][size_t(c)]); };
        }
        QImage src(1003, 263, QImage::Format_ARGB32); // large enough to be split over cores
        QRandomGenerator rng(99);
        for (int y = 0; y < src.height(); ++y)
            rng.fillRange(reinterpret_cast<quint32*>(src.scanLine(y)), src.width());
        for (int c = 0; c < 256; ++c)
            src.setPixel(c, 0, qRgba(c, 255 - c, (c * 7) & 0xFF, c ^ 0x5A));
        QImage portable(src.size(), QImage::Format_ARGB32);
        QColorAdjust::applyPortable(src, portable, tables[0], tables[1], tables[2]);
        for (int c = 0; c < 256; ++c) {
            const QRgb p = portable.pixel(c, 0);
            QCOMPARE(qRed(p), rule(2, c));
            QCOMPARE(qGreen(p), rule(1, 255 - c));
            QCOMPARE(qBlue(p), rule(0, (c * 7) & 0xFF));
            QCOMPARE(qAlpha(p), c ^ 0x5A);
        }
        // Every path this processor can take, byte for byte against the portable loop:
        // as it is, and as a processor without VBMI.
        for (const char* noVbmi : { "0", "1" }) {
            qputenv("KESTRIN_NO_VBMI", noVbmi);
            QImage out(src.size(), QImage::Format_ARGB32);
            QColorAdjust::apply(src, out, tables[0], tables[1], tables[2]);
            QVERIFY2(out == portable, QColorAdjust::pathName());
            QImage same = src.copy(); // in place, as a commit over its own picture does
            QColorAdjust::apply(same, same, tables[0], tables[1], tables[2]);
            QVERIFY2(same == portable, QColorAdjust::pathName());
            const QImage narrowSrc = src.copy(0, 0, 31, 3); // narrower than one vector block
            QImage narrow(narrowSrc.size(), QImage::Format_ARGB32);
            QColorAdjust::apply(narrowSrc, narrow, tables[0], tables[1], tables[2]);
            QVERIFY2(narrow == portable.copy(0, 0, 31, 3), QColorAdjust::pathName());
            // Rows with padding after them are split by rows, not as one long row.
            const QImage strided(src.constBits(), 1001, 263, src.bytesPerLine(), QImage::Format_ARGB32);
            QImage rows(strided.size(), QImage::Format_ARGB32);
            QColorAdjust::apply(strided, rows, tables[0], tables[1], tables[2]);
            QVERIFY2(rows == portable.copy(0, 0, 1001, 263), QColorAdjust::pathName());
        }
        qunsetenv("KESTRIN_NO_VBMI");
    }
};

QTEST_GUILESS_MAIN(TestQColorAdjust)
#include "tst_qcoloradjust.moc"
