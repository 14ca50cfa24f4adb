// Bracket tips: the tip text and its lines, and the tick rule that shows a tip
// after about 800 ms of rest.
#include "core/gallery/tiptext.h"
#include "core/gallery/tiptiming.h"
#include "testutils.h"

class TestTips : public QObject {
    Q_OBJECT

private slots:
    void format()
    {
        GalleryEntry entry;
        entry.bracketName = QStringLiteral("メタル %2");
        entry.material = QStringLiteral("ステンレス");
        entry.wire = QStringLiteral("NiTi .014");
        QCOMPARE(TipText::Format(entry),
            QStringLiteral("ﾌﾞﾗｹｯﾄ : メタル %2|素材 : ステンレス|ﾜｲﾔｰ :  NiTi .014|"));
    }

    void lines_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("expected");
        // clang-format off
        QTest::newRow("closing separator")        << "a|b|c|" << QStringList { "a", "b", "c" };
        QTest::newRow("no closing one, no last")  << "a|b|c"  << QStringList { "a", "b" };
        QTest::newRow("no separator, no line")    << "abc"    << QStringList {};
        QTest::newRow("empty parts skipped")      << "a||c|"  << QStringList { "a", "c" };
        // clang-format on
    }
    void lines()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, expected);
        QCOMPARE(TipText::Lines(text), expected);
    }

    void ticks_data()
    {
        QTest::addColumn<QString>("active"); // the pane at each tick: 1 active, 0 not
        QTest::addColumn<QString>("steps"); // w wait, s show, c cancel
        QTest::addColumn<int>("counter");
        // clang-format off
        QTest::newRow("shows on the fourth tick")      << "1 1 1 1 1" << "wwwsw" << 1;
        QTest::newRow("leaving the pane starts again") << "1 1 0 1"   << "wwcw"  << 1;
        QTest::newRow("still waiting")                 << "1 1 1"     << "www"   << 3;
        // clang-format on
    }
    void ticks()
    {
        QFETCH(QString, active);
        QFETCH(QString, steps);
        QFETCH(int, counter);
        int tipTicks = 0;
        QString seen;
        for (int paneIsActive : testutils::ints(active))
            seen += "wsc"[int(TipTiming::Tick(tipTicks, paneIsActive != 0))];
        QCOMPARE(seen, steps);
        QCOMPARE(tipTicks, counter);
    }
};

QTEST_MAIN(TestTips)
#include "tst_tips.moc"
