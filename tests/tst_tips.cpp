// Bracket tips: the tip text and its lines, the tick rule that shows a tip after
// about 800 ms of rest, and the tip window's size and painting.
#include "core/gallery/tiptext.h"
#include "core/gallery/tiptiming.h"
#include "testutils.h"
#include "ui/bars/qtips.h"

class TestTips : public QObject {
    Q_OBJECT

private slots:
    void format();
    void lines_data();
    void lines();
    void ticks_data();
    void ticks();
    void sizesAndPaints();
};

void TestTips::format()
{
    GalleryEntry entry;
    entry.bracketName = QStringLiteral("メタル %2");
    entry.material = QStringLiteral("ステンレス");
    entry.wire = QStringLiteral("NiTi .014");
    QCOMPARE(TipText::Format(entry),
        QStringLiteral("ﾌﾞﾗｹｯﾄ : メタル %2|素材 : ステンレス|ﾜｲﾔｰ :  NiTi .014|"));
}

void TestTips::lines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("closing separator") << "a|b|c|" << QStringList { "a", "b", "c" };
    QTest::newRow("no closing separator drops the last") << "a|b|c" << QStringList { "a", "b" };
    QTest::newRow("no separator, no line") << "abc" << QStringList {};
    QTest::newRow("empty parts skipped") << "a||c|" << QStringList { "a", "c" };
    QTest::newRow("only separators") << "|||" << QStringList {};
}

void TestTips::lines()
{
    QFETCH(QString, text);
    QFETCH(QStringList, expected);
    QCOMPARE(TipText::Lines(text), expected);
}

void TestTips::ticks_data()
{
    QTest::addColumn<QVector<bool>>("active"); // the pane's state at each tick
    QTest::addColumn<QVector<int>>("steps");
    QTest::addColumn<int>("counter");
    const int W = int(TipTiming::Step::Wait), S = int(TipTiming::Step::Show),
              C = int(TipTiming::Step::Cancel);
    QTest::newRow("shows on the fourth tick")
        << QVector<bool>(5, true) << QVector<int> { W, W, W, S, W } << 1;
    QTest::newRow("leaving the pane starts again")
        << QVector<bool> { true, true, false, true } << QVector<int> { W, W, C, W } << 1;
    QTest::newRow("waiting three") << QVector<bool>(3, true) << QVector<int> { W, W, W } << 3;
}

void TestTips::ticks()
{
    QFETCH(QVector<bool>, active);
    QFETCH(QVector<int>, steps);
    QFETCH(int, counter);
    int tipTicks = 0;
    QVector<int> seen;
    for (bool paneIsActive : active)
        seen << int(TipTiming::Tick(tipTicks, paneIsActive));
    QCOMPARE(seen, steps);
    QCOMPARE(tipTicks, counter);
}

void TestTips::sizesAndPaints()
{
    QWidget pane;
    pane.resize(400, 200);
    pane.setAutoFillBackground(true);
    QPalette palette = pane.palette();
    palette.setColor(QPalette::Window, Qt::green);
    pane.setPalette(palette);
    auto* tip = new QTips(&pane);
    tip->CreateTip(&pane);
    tip->SetTip(QStringLiteral("ﾌﾞﾗｹｯﾄ : A|素材 : much longer material text|ﾜｲﾔｰ :  W|"), 41, 29);
    const QFontMetrics metrics(tip->font());
    const int widest
        = metrics.horizontalAdvance(QStringLiteral("素材 : much longer material text"));
    QCOMPARE(tip->geometry(), QRect(40, 28, widest + 28, 3 * (metrics.height() + 3) + 2));
    tip->show();
    const QImage image = tip->grab().toImage();
    QCOMPARE(image.pixelColor(0, 0), QColor(Qt::black));
    QCOMPARE(image.pixelColor(image.width() - 3, image.height() - 3), QTips::Fill());
    bool dark = false; // some text is drawn in the coloured part
    for (int x = 20; x < image.width() - 2 && !dark; ++x)
        for (int y = 2; y < image.height() - 2 && !dark; ++y)
            dark = qGray(image.pixel(x, y)) < 80;
    QVERIFY(dark);
    if (!testutils::renderDir().isEmpty())
        image.save(testutils::renderDir() + "/tip.png");

    // Without text nothing is painted over the pane, though the size stays.
    const QRect shown = tip->geometry();
    tip->ClearTip();
    QCOMPARE(tip->geometry(), shown);
    QCOMPARE(pane.grab().toImage().pixelColor(shown.center()), QColor(Qt::green));
}

QTEST_MAIN(TestTips)
#include "tst_tips.moc"
