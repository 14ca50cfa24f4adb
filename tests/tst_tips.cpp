// Bracket tips: the tip text and its lines, and the tick rule that shows a tip
// after about 800 ms of rest.
#include "core/gallery/tiptext.h"
#include "core/gallery/tiptiming.h"

#include <QtTest>

class TestTips : public QObject {
    Q_OBJECT

private slots:
    void text()
    {
        GalleryEntry entry;
        entry.bracketName = QStringLiteral("メタル %2"); // stays as typed, not substituted
        entry.material = QStringLiteral("ステンレス");
        entry.wire = QStringLiteral("NiTi .014");
        QCOMPARE(TipText::Format(entry),
            QStringLiteral("ﾌﾞﾗｹｯﾄ : メタル %2|素材 : ステンレス|ﾜｲﾔｰ :  NiTi .014|"));
        // A part is a line only when a separator closes it; empty parts are skipped.
        QCOMPARE(TipText::Lines("a|b|c|"), QStringList({ "a", "b", "c" }));
        QCOMPARE(TipText::Lines("a|b|c"), QStringList({ "a", "b" }));
        QCOMPARE(TipText::Lines("abc"), QStringList());
        QCOMPARE(TipText::Lines("a||c|"), QStringList({ "a", "c" }));
    }

    void ticks_data()
    {
        QTest::addColumn<QString>("active"); // the pane at each tick: 1 active, 0 not
        QTest::addColumn<QString>("steps"); // w wait, s show, c cancel; then the count left
        // clang-format off
        QTest::newRow("shows on the fourth tick")      << "11111" << "wwwsw1";
        QTest::newRow("leaving the pane starts again") << "1101"  << "wwcw1";
        // clang-format on
    }
    void ticks()
    {
        QFETCH(QString, active);
        QFETCH(QString, steps);
        int tipTicks = 0;
        QString seen;
        for (const QChar paneIsActive : active)
            seen += "wsc"[int(TipTiming::Tick(tipTicks, paneIsActive == '1'))];
        QCOMPARE(seen + QString::number(tipTicks), steps);
    }
};

QTEST_MAIN(TestTips)
#include "tst_tips.moc"
