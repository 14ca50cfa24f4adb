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

class TestAdjustDialogs : public QObject {
    Q_OBJECT

private slots:
    void brightness_data()
    {
        QTest::addColumn<bool>("ok");
        for (const bool ok : { true, false })
            QTest::newRow(ok ? "ok commits" : "cancel leaves unread") << ok;
    }

    void brightness()
    {
        QFETCH(bool, ok);
        auto frame = std::make_unique<QObject>();
        QList<int> calls; // contrast, brightness of each preview in turn
        QDialogBrightness dialog;
        dialog.SetPreviewWindow(frame.get(), [&](int c, int b) { calls << c << b; });
        dialog.show();
        auto* brightness = dialog.findChild<QSlider*>("6024");
        auto* contrast = dialog.findChild<QSlider*>("6028");
        QVERIFY(brightness && contrast && !dialog.Changed());
        brightness->setValue(150);
        contrast->setValue(37);
        dialog.findChild<QCheckBox*>("6027")->click(); // preview off: neutral shown
        dialog.findChild<QCheckBox*>("6027")->click();
        QVERIFY(calls.empty() && dialog.Changed()); // queued, not sent from inside the handlers
        QTRY_COMPARE(calls, QList<int>({ 100, 150, 37, 150, 100, 100, 37, 150 }));
        QTest::mouseClick(dialog.findChild<QPushButton*>(ok ? "1" : "2"), Qt::LeftButton);
        QCOMPARE(QList<int>({ dialog.Contrast(), dialog.Brightness(), dialog.Preview() }),
            ok ? QList<int>({ 37, 150, 1 }) : QList<int>({ 0, 0, 0 }));
        // Once the dialog has ended, or its window is gone, nothing more is sent.
        brightness->setValue(20);
        dialog.show();
        frame.reset();
        contrast->setValue(21);
        QVERIFY(!QTest::qWaitFor([&] { return calls.size() > 8; }, 20));
    }

    void colorBalance()
    {
        QList<quint32> calls;
        QDialogColorBalance dialog;
        // The dialog stands in for the frame: any live window will do.
        dialog.SetPreviewWindow(&dialog, [&](quint32 packed) { calls << packed; });
        dialog.show();
        dialog.findChild<QSlider*>("6024")->setValue(255);
        dialog.findChild<QSlider*>("6025")->setValue(1);
        dialog.findChild<QSlider*>("6026")->setValue(77);
        QTRY_COMPARE(calls.size(), 3);
        dialog.accept(); // red in the low byte
        QVERIFY(calls.back() == 255 + 1 * 256 + 77 * 65536 && dialog.PackedColor() == calls.back());
    }
};

QTEST_MAIN(TestAdjustDialogs)
#include "tst_adjustdialogs.moc"
