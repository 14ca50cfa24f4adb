#include "core/simulation/qcoloradjust.h"

#include <QtTest>

#include <QRandomGenerator>

#include <cmath>

class TestQColorAdjust : public QObject {
    Q_OBJECT

private slots:
    void brightnessContrast_data();
    void brightnessContrast();
    void allBytes_data();
    void allBytes();
    void colorBalance();
    void vectorPathMatchesPortable_data();
    void vectorPathMatchesPortable();
};

void TestQColorAdjust::brightnessContrast_data()
{
    QTest::addColumn<int>("byte");
    QTest::addColumn<int>("contrast");
    QTest::addColumn<int>("brightness");
    QTest::addColumn<int>("expected");
    auto row = [](const char* name, int byte, int contrast, int brightness, int expected) {
        QTest::newRow(name) << byte << contrast << brightness << expected;
    };
    row("contrast 0 gives 128", 17, 0, 100, 128);
    row("brightness 0 gives 0", 250, 100, 0, 0);
    row("0, contrast 150: t = -64, clamped", 0, 150, 100, 0);
    row("200, brightness 150: u = 300, clamped", 200, 100, 150, 255);
    row("127, contrast 101: -129 / 128 truncates to -1", 127, 101, 100, 127);
    row("129, contrast 101", 129, 101, 100, 129);
    row("27, contrast 101: -101.8 truncates to -101", 27, 101, 100, 27);
    row("0, contrast 101: t = -1, clamped", 0, 101, 100, 0);
    row("100, contrast 50", 100, 50, 100, 114);
    row("0, contrast 33: fc 42", 0, 33, 100, 86);
    row("255, contrast 200: t = 382", 255, 200, 100, 255);
    row("100, brightness 199: fb 254", 100, 100, 199, 198);
    row("101, brightness 50", 101, 100, 50, 50);
    row("contrast first, then brightness", 60, 150, 150, 39);
}

void TestQColorAdjust::brightnessContrast()
{
    QFETCH(int, byte);
    QFETCH(int, contrast);
    QFETCH(int, brightness);
    QFETCH(int, expected);
    QCOMPARE(int(QColorAdjust::brightnessContrastTable(contrast, brightness)[byte]), expected);
}

void TestQColorAdjust::allBytes_data()
{
    QTest::addColumn<int>("contrast");
    QTest::addColumn<int>("brightness");
    for (int contrast : { 0, 1, 37, 99, 100, 101, 150, 199, 200 })
        for (int brightness : { 0, 3, 63, 100, 120, 177, 200 })
            QTest::addRow("c%d b%d", contrast, brightness) << contrast << brightness;
}

// Against the rule written with real division and explicit truncation, over a whole
// picture so that alpha and the channel order are covered too.
void TestQColorAdjust::allBytes()
{
    QFETCH(int, contrast);
    QFETCH(int, brightness);
    const double fc = std::trunc(contrast * 128.0 / 100.0);
    const double fb = std::trunc(brightness * 128.0 / 100.0);
    auto rule = [&](int c) {
        const double t = qBound(0.0, std::trunc((c - 128) * fc / 128.0) + 128.0, 255.0);
        return int(qMin(255.0, std::trunc(t * fb / 128.0)));
    };
    QImage src(256, 1, QImage::Format_ARGB32);
    for (int c = 0; c < 256; ++c)
        src.setPixel(c, 0, qRgba(c, 255 - c, (c * 7) & 0xFF, c ^ 0x5A));
    QImage dst(src.size(), QImage::Format_ARGB32);
    const auto table = QColorAdjust::brightnessContrastTable(contrast, brightness);
    QColorAdjust::apply(src, dst, table, table, table);
    for (int c = 0; c < 256; ++c) {
        const QRgb p = dst.pixel(c, 0);
        QCOMPARE(qRed(p), rule(c));
        QCOMPARE(qGreen(p), rule(255 - c));
        QCOMPARE(qBlue(p), rule((c * 7) & 0xFF));
        QCOMPARE(qAlpha(p), c ^ 0x5A);
    }
}

void TestQColorAdjust::colorBalance()
{
    const auto tables = QColorAdjust::colorBalanceTables(138 + 0 * 256 + 200 * 65536);
    QImage image(2, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, qRgba(10, 100, 250, 77));
    image.setPixel(1, 0, qRgba(250, 200, 0, 0));
    QImage out(image.size(), QImage::Format_ARGB32);
    QColorAdjust::apply(image, out, tables[0], tables[1], tables[2]);
    // Red + 10, green - 128, blue + 72, each clamped; alpha untouched.
    QCOMPARE(out.pixel(0, 0), qRgba(20, 0, 255, 77));
    QCOMPARE(out.pixel(1, 0), qRgba(255, 72, 72, 0));
    const auto neutral = QColorAdjust::colorBalanceTables(0x808080);
    for (int c = 0; c < 256; ++c)
        QVERIFY(neutral[0][c] == c && neutral[1][c] == c && neutral[2][c] == c);
}

void TestQColorAdjust::vectorPathMatchesPortable_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("a");
    QTest::addColumn<int>("b");
    for (int contrast : { 0, 37, 100, 101, 150, 200 })
        for (int brightness : { 0, 63, 100, 177, 200 })
            QTest::addRow("brightness c%d b%d", contrast, brightness)
                << 0 << contrast << brightness;
    for (int packed : { 0x808080, 0x000000, 0xFFFFFF, 0x60A0B0, 0x01FF7F })
        QTest::addRow("balance %06x", packed) << 1 << packed << 0;
    for (int seed : { 1, 2, 3 })
        QTest::addRow("random tables %d", seed) << 2 << seed << 0;
}

// apply() may take a vector path; whatever it takes must give the portable loop's bytes,
// for every byte value in every channel, over rows whose width leaves a partial block.
void TestQColorAdjust::vectorPathMatchesPortable()
{
    QFETCH(int, kind);
    QFETCH(int, a);
    QFETCH(int, b);
    if (!QColorAdjust::hasVectorPath())
        QSKIP("apply() has no vector path on this processor");
    std::array<QColorAdjust::Table, 3> tables;
    if (kind == 0) {
        tables.fill(QColorAdjust::brightnessContrastTable(a, b));
    } else if (kind == 1) {
        tables = QColorAdjust::colorBalanceTables(quint32(a));
    } else {
        // Unrelated entries, so that a lane reading the wrong table or half shows.
        QRandomGenerator rng(a);
        for (auto& table : tables)
            for (uchar& entry : table)
                entry = uchar(rng.bounded(256));
    }

    QImage src(1003, 40, QImage::Format_ARGB32);
    for (int c = 0; c < 256; ++c)
        src.setPixel(c, 0, qRgba(255 - c, (c * 37 + 11) & 0xFF, c, c ^ 0xA5));
    QRandomGenerator rng(99);
    for (int y = 0; y < src.height(); ++y) {
        auto* line = reinterpret_cast<quint32*>(src.scanLine(y));
        rng.fillRange(line + (y == 0 ? 256 : 0), src.width() - (y == 0 ? 256 : 0));
    }

    QImage expected(src.size(), QImage::Format_ARGB32);
    QColorAdjust::applyPortable(src, expected, tables[0], tables[1], tables[2]);
    QImage actual(src.size(), QImage::Format_ARGB32);
    QColorAdjust::apply(src, actual, tables[0], tables[1], tables[2]);
    QCOMPARE(actual, expected);
    // In place, as a commit over its own picture would.
    QImage same = src.copy();
    QColorAdjust::apply(same, same, tables[0], tables[1], tables[2]);
    QCOMPARE(same, expected);
    // Narrower than one vector block: only the tail loop runs.
    const QImage narrowSrc = src.copy(0, 0, 15, 3);
    QImage narrow(narrowSrc.size(), QImage::Format_ARGB32);
    QColorAdjust::apply(narrowSrc, narrow, tables[0], tables[1], tables[2]);
    QCOMPARE(narrow, expected.copy(0, 0, 15, 3));
}

QTEST_GUILESS_MAIN(TestQColorAdjust)
#include "tst_qcoloradjust.moc"
