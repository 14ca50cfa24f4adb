// Bracket tips: the tip text and its lines, the tick rule that shows a tip after
// about 800 ms of rest, and the window that never shows outside its pane or
// under a modal dialog.
#include "core/gallery/tiptext.h"
#include "core/gallery/tiptiming.h"
#include "testutils.h"
#include "ui/bars/qtips.h"

#include <QDialog>
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
        int tipTicks = 0;
        QString seen;
        for (const QChar paneIsActive : testutils::fetch<QString>("active"))
            seen += "wsc"[int(TipTiming::Tick(tipTicks, paneIsActive == '1'))];
        QTEST(seen + QString::number(tipTicks), "steps");
    }

    void hiddenWhenAway_data()
    {
        QTest::addColumn<bool>("modal"); // else the pointer leaves the pane
        QTest::newRow("pointer left the pane") << false;
        QTest::newRow("modal dialog open") << true;
    }
    void hiddenWhenAway()
    {
        QFETCH(bool, modal);
        QWidget window;
        auto* pane = new QWidget(&window);
        window.resize(200, 150);
        window.show();
        QTips tip;
        tip.CreateTip(pane);
        tip.SetTip("a|b|c|", 5, 7);
        tip.show();
        QVERIFY(tip.isVisible());
        QDialog dialog(&window);
        QEvent leave(QEvent::Leave);
        if (modal) {
            dialog.setModal(true);
            dialog.show();
        } else {
            QApplication::sendEvent(pane, &leave);
        }
        QTRY_VERIFY(!tip.isVisible());
        tip.show(); // the pane's timer, still running, asks again
        QVERIFY(!tip.isVisible());
        if (modal) {
            dialog.hide();
        } else {
            QEvent enter(QEvent::Enter);
            QApplication::sendEvent(pane, &enter);
        }
        tip.show();
        QVERIFY(tip.isVisible());
    }
};

QTEST_MAIN(TestTips)
#include "tst_tips.moc"
