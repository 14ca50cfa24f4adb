// The adjustment dialogs: a moved slider sends one preview per step, after the
// slider's handler, to a window that still exists; OK reads the sliders, cancel
// leaves them unread; the preview box switches between the chosen and neutral.
#include "ui/dialogs/qdialogbrightness.h"
#include "ui/dialogs/qdialogcolorbalance.h"

#include <QCheckBox>
#include <QPushButton>
#include <QSlider>
#include <QtTest>

#include <memory>
#include <vector>

class TestAdjustDialogs : public QObject {
    Q_OBJECT

private slots:
    void brightness_data();
    void brightness();
    void colorBalance();
};

void TestAdjustDialogs::brightness_data()
{
    QTest::addColumn<bool>("ok");
    QTest::newRow("ok commits") << true;
    QTest::newRow("cancel leaves unread") << false;
}

void TestAdjustDialogs::brightness()
{
    QFETCH(bool, ok);
    auto frame = std::make_unique<QObject>();
    std::vector<std::pair<int, int>> calls;
    bool handlerDone = false;
    std::vector<bool> afterHandler;
    QDialogBrightness dialog;
    dialog.SetPreviewWindow(frame.get(), [&](int contrast, int brightness) {
        calls.emplace_back(contrast, brightness);
        afterHandler.push_back(handlerDone);
    });
    dialog.show();
    auto* brightness = dialog.findChild<QSlider*>("6024");
    auto* contrast = dialog.findChild<QSlider*>("6028");
    QVERIFY(brightness && contrast && !dialog.Changed());
    brightness->setValue(150);
    contrast->setValue(37);
    handlerDone = true;
    QVERIFY(calls.empty()); // queued, not sent from inside the slider's handler
    QTRY_COMPARE(calls.size(), size_t(2));
    QCOMPARE(calls[0], std::make_pair(100, 150));
    QCOMPARE(calls[1], std::make_pair(37, 150));
    QVERIFY(afterHandler[0] && afterHandler[1] && dialog.Changed());
    dialog.findChild<QCheckBox*>("6027")->click(); // preview off: neutral shown
    QTRY_COMPARE(calls.size(), size_t(3));
    QCOMPARE(calls[2], std::make_pair(100, 100));
    dialog.findChild<QCheckBox*>("6027")->click();
    QTRY_COMPARE(calls.size(), size_t(4));
    QCOMPARE(calls[3], std::make_pair(37, 150));

    QTest::mouseClick(dialog.findChild<QPushButton*>(ok ? "1" : "2"), Qt::LeftButton);
    QCOMPARE(dialog.result(), int(ok ? QDialog::Accepted : QDialog::Rejected));
    QCOMPARE(dialog.Brightness(), ok ? 150 : 0);
    QCOMPARE(dialog.Contrast(), ok ? 37 : 0);
    QCOMPARE(dialog.Preview(), ok);
    // Once the dialog has ended, or its window is gone, nothing more is sent.
    brightness->setValue(20);
    dialog.show();
    frame.reset();
    contrast->setValue(21);
    QTest::qWait(0);
    QCoreApplication::processEvents();
    QCOMPARE(calls.size(), size_t(4));
}

void TestAdjustDialogs::colorBalance()
{
    QObject frame;
    std::vector<quint32> calls;
    QDialogColorBalance dialog;
    dialog.SetPreviewWindow(&frame, [&](quint32 packed) { calls.push_back(packed); });
    dialog.show();
    dialog.findChild<QSlider*>("6024")->setValue(255);
    dialog.findChild<QSlider*>("6025")->setValue(1);
    dialog.findChild<QSlider*>("6026")->setValue(77);
    QTRY_COMPARE(calls.size(), size_t(3));
    QCOMPARE(calls.back(), quint32(255 + 1 * 256 + 77 * 65536));
    dialog.accept();
    QCOMPARE(dialog.PackedColor(), quint32(255 + 1 * 256 + 77 * 65536));
}

QTEST_MAIN(TestAdjustDialogs)
#include "tst_adjustdialogs.moc"
