// Bracket tips: the tip text and its lines, the tick rule that shows a tip after
// about 800 ms of rest, and the tip window's size and painting.
#include "ui/bars/qtips.h"
#include "core/gallery/tiptext.h"
#include "core/gallery/tiptiming.h"
#include "testutils.h"

#include <QtTest>

class TestTips : public QObject {
    Q_OBJECT

private slots:
    void format();
    void lines_data();
    void lines();
    void ticks();
    void createTip();
    void sizesToText();
    void paints();
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
    QTest::newRow("three with closing separator") << "a|b|c|" << QStringList { "a", "b", "c" };
    QTest::newRow("no closing separator drops the last") << "a|b|c" << QStringList { "a", "b" };
    QTest::newRow("no separator, no line") << "abc" << QStringList {};
    QTest::newRow("empty parts skipped") << "a||c|" << QStringList { "a", "c" };
    QTest::newRow("empty") << "" << QStringList {};
    QTest::newRow("only separators") << "|||" << QStringList {};
}

void TestTips::lines()
{
    QFETCH(QString, text);
    QFETCH(QStringList, expected);
    QCOMPARE(TipText::Lines(text), expected);
}

void TestTips::ticks()
{
    int tipTicks = 0;
    QCOMPARE(TipTiming::Tick(tipTicks, true), TipTiming::Step::Wait);
    QCOMPARE(TipTiming::Tick(tipTicks, true), TipTiming::Step::Wait);
    QCOMPARE(TipTiming::Tick(tipTicks, true), TipTiming::Step::Wait);
    QCOMPARE(tipTicks, 3);
    // Fourth tick: 4 × 200 ms after the rest began.
    QCOMPARE(TipTiming::Tick(tipTicks, true), TipTiming::Step::Show);
    QCOMPARE(tipTicks, 0);
    QCOMPARE(TipTiming::TimerId, 1);
    QCOMPARE(TipTiming::IntervalMs * (TipTiming::TicksBeforeShow + 1), 800);

    tipTicks = 2;
    QCOMPARE(TipTiming::Tick(tipTicks, false), TipTiming::Step::Cancel);
    QCOMPARE(tipTicks, 0);
}

void TestTips::createTip()
{
    QWidget pane;
    QTips tip;
    tip.SetTip("x|", 5, 5);
    tip.CreateTip(&pane);
    QCOMPARE(tip.parentWidget(), &pane);
    QCOMPARE(tip.geometry(), QRect(0, 0, 10, 10));
    QVERIFY(tip.isHidden());
    QVERIFY(tip.Text().isEmpty());
    QCOMPARE(tip.windowTitle(), QStringLiteral("TIPS"));
    QVERIFY(tip.testAttribute(Qt::WA_TransparentForMouseEvents));
    tip.setParent(nullptr);
}

void TestTips::sizesToText()
{
    QWidget pane;
    auto* tip = new QTips(&pane);
    tip->CreateTip(&pane);
    const QString text = QStringLiteral("ﾌﾞﾗｹｯﾄ : A|素材 : much longer material text|ﾜｲﾔｰ :  W|");
    tip->SetTip(text, 40, 30);
    QCOMPARE(tip->Text(), text);
    QCOMPARE(tip->Position(), QPoint(40, 30));
    const QFontMetrics metrics(tip->font());
    const int widest
        = metrics.horizontalAdvance(QStringLiteral("素材 : much longer material text"));
    const int height = 3 * (metrics.height() + 3);
    QCOMPARE(tip->geometry(), QRect(39, 29, widest + 28, height + 2));

    tip->ClearTip();
    QVERIFY(tip->Text().isEmpty());
    QCOMPARE(tip->Position(), QPoint());
    QCOMPARE(tip->geometry(), QRect(39, 29, widest + 28, height + 2));
}

void TestTips::paints()
{
    QWidget pane;
    pane.resize(400, 200);
    auto* tip = new QTips(&pane);
    tip->CreateTip(&pane);
    tip->SetTip(QStringLiteral("ﾌﾞﾗｹｯﾄ : メタル スタンダード|素材 : ステンレス|ﾜｲﾔｰ :  NiTi .014|"),
        30, 20);
    tip->show();
    const QImage image = tip->grab().toImage();
    QCOMPARE(image.pixelColor(0, 0), QColor(Qt::black));
    QCOMPARE(image.pixelColor(5, 5), QColor(Qt::white));
    QCOMPARE(image.pixelColor(16, 5), QColor(Qt::black));
    QCOMPARE(image.pixelColor(image.width() - 3, image.height() - 3), QTips::Fill());
    // Some text is drawn in the coloured part.
    bool dark = false;
    for (int x = 20; x < image.width() - 2 && !dark; ++x)
        for (int y = 2; y < image.height() - 2 && !dark; ++y)
            dark = qGray(image.pixel(x, y)) < 80;
    QVERIFY(dark);
    const QString out = QString::fromLocal8Bit(qgetenv("KESTRIN_RENDER_DIR"));
    if (!out.isEmpty())
        image.save(out + "/tip.png");

    // Without text nothing is painted over the parent.
    tip->ClearTip();
    pane.setAutoFillBackground(true);
    QPalette palette = pane.palette();
    palette.setColor(QPalette::Window, Qt::green);
    pane.setPalette(palette);
    QCOMPARE(pane.grab().toImage().pixelColor(tip->geometry().center()), QColor(Qt::green));
}

QTEST_MAIN(TestTips)
#include "tst_tips.moc"
