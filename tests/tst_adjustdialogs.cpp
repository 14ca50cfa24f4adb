#include "core/simulation/adjustmentvalues.h"
#include "ui/dialogs/qdialogbrightness.h"
#include "ui/dialogs/qdialogcolorbalance.h"

#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QtTest>

#include <memory>
#include <vector>

namespace {

// Records what a dialog delivered, and whether the test's own code after the
// slider movement had already run by then.
struct BrightnessLog {
    std::vector<std::pair<int, int>> calls; // contrast, brightness
    std::vector<bool> afterHandler;
    bool handlerReturned = false;

    QDialogBrightness::PreviewFunction function()
    {
        return [this](int contrast, int brightness) {
            calls.emplace_back(contrast, brightness);
            afterHandler.push_back(handlerReturned);
        };
    }
};

struct ColorLog {
    std::vector<quint32> calls;
    std::vector<bool> afterHandler;
    bool handlerReturned = false;

    QDialogColorBalance::PreviewFunction function()
    {
        return [this](quint32 packed) {
            calls.push_back(packed);
            afterHandler.push_back(handlerReturned);
        };
    }
};

template <typename T> T* child(const QWidget& dialog, const char* id)
{
    return dialog.findChild<T*>(QLatin1String(id));
}

QStringList labelTexts(const QWidget& dialog)
{
    QStringList texts;
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        texts << label->text();
    return texts;
}

// The widgets the Tab key visits, in order.
QList<QWidget*> tabOrder(QWidget& dialog)
{
    QList<QWidget*> order;
    for (QWidget* w = dialog.nextInFocusChain(); w != &dialog; w = w->nextInFocusChain())
        if (w->focusPolicy() & Qt::TabFocus)
            order << w;
    return order;
}

} // namespace

class TestAdjustDialogs : public QObject {
    Q_OBJECT

private slots:
    void packColor_data();
    void packColor();
    void offsetText_data();
    void offsetText();

    void brightnessControls();
    void colorControls();
    void brightnessValueBoxes_data();
    void brightnessValueBoxes();
    void colorValueBoxes_data();
    void colorValueBoxes();
    void pageSteps();

    void brightnessPreviewQueued();
    void colorPreviewQueued();
    void brightnessPreviewBox();
    void colorPreviewBox();
    void noPreviewWithoutWindow();
    void noPreviewAfterWindowGone();
    void noPreviewAfterDialogEnded();

    void brightnessOk();
    void brightnessOkWithoutMove();
    void brightnessCancel();
    void colorOk();
    void colorEscape();
    void setPreviewWindowClearsMoved();
    void execRoundTrip();

    void grabs();
};

void TestAdjustDialogs::packColor_data()
{
    QTest::addColumn<int>("red");
    QTest::addColumn<int>("green");
    QTest::addColumn<int>("blue");
    QTest::addColumn<quint32>("packed");
    QTest::newRow("neutral") << 128 << 128 << 128 << quint32(0x808080);
    QTest::newRow("black") << 0 << 0 << 0 << quint32(0);
    QTest::newRow("white") << 255 << 255 << 255 << quint32(0xFFFFFF);
    QTest::newRow("red in the low byte") << 1 << 0 << 0 << quint32(0x000001);
    QTest::newRow("green in the middle byte") << 0 << 2 << 0 << quint32(0x000200);
    QTest::newRow("blue in the third byte") << 0 << 0 << 3 << quint32(0x030000);
    QTest::newRow("mixed") << 200 << 17 << 90 << quint32(200 + 17 * 256 + 90 * 65536);
}

void TestAdjustDialogs::packColor()
{
    QFETCH(int, red);
    QFETCH(int, green);
    QFETCH(int, blue);
    QFETCH(quint32, packed);
    QCOMPARE(AdjustmentValues::packColor(red, green, blue), packed);
    QCOMPARE(AdjustmentValues::NeutralColor, quint32(0x808080));
}

void TestAdjustDialogs::offsetText_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("neutral");
    QTest::addColumn<QString>("text");
    QTest::newRow("percent lowest") << 0 << 100 << "-100";
    QTest::newRow("percent neutral") << 100 << 100 << "0";
    QTest::newRow("percent highest") << 200 << 100 << "100";
    QTest::newRow("percent 115, no plus sign") << 115 << 100 << "15";
    QTest::newRow("channel lowest") << 0 << 128 << "-128";
    QTest::newRow("channel highest") << 255 << 128 << "127";
}

void TestAdjustDialogs::offsetText()
{
    QFETCH(int, position);
    QFETCH(int, neutral);
    QFETCH(QString, text);
    QCOMPARE(AdjustmentValues::offsetText(position, neutral), text);
}

void TestAdjustDialogs::brightnessControls()
{
    QDialogBrightness dialog;
    QCOMPARE(dialog.objectName(), QStringLiteral("6013"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("明度・ｺﾝﾄﾗｽﾄ"));
    QCOMPARE(dialog.findChild<QGroupBox*>()->title(), QStringLiteral("設定"));
    QCOMPARE(labelTexts(dialog), QStringList({ "明度 :", "ｺﾝﾄﾗｽﾄ :" }));

    for (const char* id : { "6024", "6028" }) {
        auto* slider = child<QSlider>(dialog, id);
        QVERIFY2(slider, id);
        QCOMPARE(slider->orientation(), Qt::Horizontal);
        QCOMPARE(slider->tickPosition(), QSlider::NoTicks);
        QCOMPARE(slider->minimum(), 0);
        QCOMPARE(slider->maximum(), 200);
        QCOMPARE(slider->value(), 100);
    }
    for (const char* id : { "6029", "6030" }) {
        auto* box = child<QLineEdit>(dialog, id);
        QVERIFY2(box, id);
        QVERIFY(box->isReadOnly());
        QVERIFY(box->alignment() & Qt::AlignRight);
        QCOMPARE(box->text(), QStringLiteral("0"));
    }
    auto* preview = child<QCheckBox>(dialog, "6027");
    QVERIFY(preview);
    QCOMPARE(preview->text(), QStringLiteral("ﾌﾟﾚﾋﾞｭｰ"));
    QVERIFY(preview->isChecked());
    auto* ok = child<QPushButton>(dialog, "1");
    auto* cancel = child<QPushButton>(dialog, "2");
    QVERIFY(ok && cancel);
    QCOMPARE(ok->text(), QStringLiteral("OK"));
    QVERIFY(ok->isDefault());
    QCOMPARE(cancel->text(), QStringLiteral("ｷｬﾝｾﾙ"));

    // The value fields are only filled in by OK.
    QCOMPARE(dialog.Brightness(), 0);
    QCOMPARE(dialog.Contrast(), 0);
    QVERIFY(!dialog.Changed());

    // Keyboard order follows the table: brightness row, contrast row, preview, OK, Cancel.
    const QList<QWidget*> order = { child<QSlider>(dialog, "6024"),
        child<QLineEdit>(dialog, "6029"), child<QSlider>(dialog, "6028"),
        child<QLineEdit>(dialog, "6030"), preview, ok, cancel };
    QCOMPARE(tabOrder(dialog), order);
}

void TestAdjustDialogs::colorControls()
{
    QDialogColorBalance dialog;
    QCOMPARE(dialog.objectName(), QStringLiteral("6011"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("ｶﾗｰﾊﾞﾗﾝｽ"));
    QCOMPARE(dialog.findChild<QGroupBox*>()->title(), QStringLiteral("ｶﾗｰﾊﾞﾗﾝｽ"));
    QCOMPARE(labelTexts(dialog), QStringList({ "赤 :", "緑 :", "青 :" }));

    for (const char* id : { "6024", "6025", "6026" }) {
        auto* slider = child<QSlider>(dialog, id);
        QVERIFY2(slider, id);
        QCOMPARE(slider->tickPosition(), QSlider::NoTicks);
        QCOMPARE(slider->minimum(), 0);
        QCOMPARE(slider->maximum(), 255);
        QCOMPARE(slider->value(), 128);
    }
    for (const char* id : { "6029", "6030", "6031" }) {
        auto* box = child<QLineEdit>(dialog, id);
        QVERIFY2(box, id);
        QVERIFY(box->isReadOnly());
        QVERIFY(box->alignment() & Qt::AlignRight);
        QCOMPARE(box->text(), QStringLiteral("0"));
    }
    QVERIFY(child<QCheckBox>(dialog, "6027")->isChecked());
    QCOMPARE(child<QCheckBox>(dialog, "6027")->text(), QStringLiteral("ﾌﾟﾚﾋﾞｭｰ"));
    QVERIFY(child<QPushButton>(dialog, "1")->isDefault());
    QCOMPARE(child<QPushButton>(dialog, "2")->text(), QStringLiteral("ｷｬﾝｾﾙ"));
    QCOMPARE(dialog.Red(), 0);
    QCOMPARE(dialog.PackedColor(), quint32(0));
    QVERIFY(!dialog.Changed());
}

void TestAdjustDialogs::brightnessValueBoxes_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("text");
    QTest::newRow("lowest") << 0 << "-100";
    QTest::newRow("neutral") << 100 << "0";
    QTest::newRow("up one") << 101 << "1";
    QTest::newRow("highest") << 200 << "100";
}

void TestAdjustDialogs::brightnessValueBoxes()
{
    QFETCH(int, position);
    QFETCH(QString, text);
    QDialogBrightness dialog;
    child<QSlider>(dialog, "6024")->setValue(position);
    QCOMPARE(child<QLineEdit>(dialog, "6029")->text(), text);
    QCOMPARE(child<QLineEdit>(dialog, "6030")->text(), QStringLiteral("0"));
    child<QSlider>(dialog, "6028")->setValue(position);
    QCOMPARE(child<QLineEdit>(dialog, "6030")->text(), text);
}

void TestAdjustDialogs::colorValueBoxes_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("text");
    QTest::newRow("lowest") << 0 << "-128";
    QTest::newRow("neutral") << 128 << "0";
    QTest::newRow("highest") << 255 << "127";
}

void TestAdjustDialogs::colorValueBoxes()
{
    QFETCH(int, position);
    QFETCH(QString, text);
    const std::pair<const char*, const char*> rows[]
        = { { "6024", "6029" }, { "6025", "6030" }, { "6026", "6031" } };
    for (const auto& [sliderId, boxId] : rows) {
        QDialogColorBalance dialog;
        child<QSlider>(dialog, sliderId)->setValue(position);
        for (const auto& [otherSlider, otherBox] : rows)
            QCOMPARE(child<QLineEdit>(dialog, otherBox)->text(),
                otherSlider == sliderId ? text : QStringLiteral("0"));
    }
}

void TestAdjustDialogs::pageSteps()
{
    QDialogBrightness brightness;
    for (const char* id : { "6024", "6028" })
        QCOMPARE(child<QSlider>(brightness, id)->pageStep(), 15);
    QDialogColorBalance color;
    for (const char* id : { "6024", "6025", "6026" })
        QCOMPARE(child<QSlider>(color, id)->pageStep(), 51);

    // A page key moves the value and updates its box like a drag does.
    auto* slider = child<QSlider>(brightness, "6024");
    QTest::keyClick(slider, Qt::Key_PageUp);
    QCOMPARE(slider->value(), 115);
    QCOMPARE(child<QLineEdit>(brightness, "6029")->text(), QStringLiteral("15"));
    QVERIFY(brightness.Changed());
}

void TestAdjustDialogs::brightnessPreviewQueued()
{
    QObject frame;
    BrightnessLog log;
    QDialogBrightness dialog;
    dialog.SetPreviewWindow(&frame, log.function());
    dialog.show();

    child<QSlider>(dialog, "6024")->setValue(150); // brightness
    log.handlerReturned = true;
    QVERIFY(log.calls.empty());
    QTRY_COMPARE(log.calls.size(), size_t(1));
    QCOMPARE(log.calls[0], std::make_pair(100, 150));
    QVERIFY(log.afterHandler[0]);
    QVERIFY(dialog.Changed());

    log.handlerReturned = false;
    child<QSlider>(dialog, "6028")->setValue(30); // contrast
    child<QSlider>(dialog, "6028")->setValue(40);
    log.handlerReturned = true;
    QCOMPARE(log.calls.size(), size_t(1));
    QTRY_COMPARE(log.calls.size(), size_t(3));
    // Each preview carries the positions of its own movement, in order.
    QCOMPARE(log.calls[1], std::make_pair(30, 150));
    QCOMPARE(log.calls[2], std::make_pair(40, 150));
    QVERIFY(log.afterHandler[1] && log.afterHandler[2]);
}

void TestAdjustDialogs::colorPreviewQueued()
{
    QObject frame;
    ColorLog log;
    QDialogColorBalance dialog;
    dialog.SetPreviewWindow(&frame, log.function());
    dialog.show();

    child<QSlider>(dialog, "6024")->setValue(0);
    child<QSlider>(dialog, "6025")->setValue(255);
    child<QSlider>(dialog, "6026")->setValue(10);
    log.handlerReturned = true;
    QVERIFY(log.calls.empty());
    QTRY_COMPARE(log.calls.size(), size_t(3));
    QCOMPARE(log.calls[0], quint32(0x808000));
    QCOMPARE(log.calls[1], quint32(0x80FF00));
    QCOMPARE(log.calls[2], quint32(0x0AFF00));
    QVERIFY(log.afterHandler[0] && log.afterHandler[2]);
}

void TestAdjustDialogs::brightnessPreviewBox()
{
    QObject frame;
    BrightnessLog log;
    QDialogBrightness dialog;
    dialog.SetPreviewWindow(&frame, log.function());
    dialog.show();
    auto* preview = child<QCheckBox>(dialog, "6027");
    auto* brightness = child<QSlider>(dialog, "6024");
    auto* contrast = child<QSlider>(dialog, "6028");

    brightness->setValue(120);
    QTRY_COMPARE(log.calls.size(), size_t(1));

    // Clearing the box sends the neutral values once.
    QTest::mouseClick(preview, Qt::LeftButton);
    QVERIFY(!preview->isChecked());
    QTRY_COMPARE(log.calls.size(), size_t(2));
    QCOMPARE(log.calls[1], std::make_pair(100, 100));

    // With the box clear, movements update the boxes and the moved flag only.
    contrast->setValue(60);
    QCOMPARE(child<QLineEdit>(dialog, "6030")->text(), QStringLiteral("-40"));
    QTest::qWait(20);
    QCOMPARE(log.calls.size(), size_t(2));

    // Ticking it again sends the current positions.
    QTest::mouseClick(preview, Qt::LeftButton);
    QVERIFY(preview->isChecked());
    QTRY_COMPARE(log.calls.size(), size_t(3));
    QCOMPARE(log.calls[2], std::make_pair(60, 120));

    // The box alone is no slider movement.
    dialog.SetPreviewWindow(&frame, log.function());
    QTest::mouseClick(preview, Qt::LeftButton);
    QTest::mouseClick(preview, Qt::LeftButton);
    QVERIFY(!dialog.Changed());
}

void TestAdjustDialogs::colorPreviewBox()
{
    QObject frame;
    ColorLog log;
    QDialogColorBalance dialog;
    dialog.SetPreviewWindow(&frame, log.function());
    dialog.show();
    auto* preview = child<QCheckBox>(dialog, "6027");

    QTest::mouseClick(preview, Qt::LeftButton);
    QTRY_COMPARE(log.calls.size(), size_t(1));
    QCOMPARE(log.calls[0], quint32(0x808080));

    child<QSlider>(dialog, "6026")->setValue(200);
    QCOMPARE(child<QLineEdit>(dialog, "6031")->text(), QStringLiteral("72"));
    QTest::qWait(20);
    QCOMPARE(log.calls.size(), size_t(1));

    QTest::mouseClick(preview, Qt::LeftButton);
    QTRY_COMPARE(log.calls.size(), size_t(2));
    QCOMPARE(log.calls[1], AdjustmentValues::packColor(128, 128, 200));
}

void TestAdjustDialogs::noPreviewWithoutWindow()
{
    QDialogBrightness brightness;
    brightness.show();
    child<QSlider>(brightness, "6024")->setValue(10);
    QTest::mouseClick(child<QCheckBox>(brightness, "6027"), Qt::LeftButton);
    QVERIFY(brightness.Changed());

    QDialogColorBalance color;
    color.show();
    child<QSlider>(color, "6025")->setValue(10);
    QVERIFY(color.Changed());
    QTest::qWait(20); // nothing to deliver, and nothing may crash
}

void TestAdjustDialogs::noPreviewAfterWindowGone()
{
    auto frame = std::make_unique<QObject>();
    BrightnessLog log;
    QDialogBrightness dialog;
    dialog.SetPreviewWindow(frame.get(), log.function());
    dialog.show();
    child<QSlider>(dialog, "6024")->setValue(10);
    frame.reset();
    QTest::qWait(20);
    QVERIFY(log.calls.empty());
    child<QSlider>(dialog, "6024")->setValue(20);
    QTest::qWait(20);
    QVERIFY(log.calls.empty());
}

void TestAdjustDialogs::noPreviewAfterDialogEnded()
{
    // A preview still queued when the dialog ends must not reach the frame after
    // its commit or revert.
    QObject frame;
    BrightnessLog brightnessLog;
    ColorLog colorLog;
    {
        QDialogBrightness dialog;
        dialog.SetPreviewWindow(&frame, brightnessLog.function());
        dialog.show();
        child<QSlider>(dialog, "6024")->setValue(10);
        dialog.reject();
        QTest::qWait(20);
    }
    {
        auto dialog = std::make_unique<QDialogColorBalance>();
        dialog->SetPreviewWindow(&frame, colorLog.function());
        dialog->show();
        child<QSlider>(*dialog, "6024")->setValue(10);
        dialog->accept();
        dialog.reset();
        QTest::qWait(20);
    }
    QVERIFY(brightnessLog.calls.empty());
    QVERIFY(colorLog.calls.empty());
}

void TestAdjustDialogs::brightnessOk()
{
    QObject frame;
    BrightnessLog log;
    QDialogBrightness dialog;
    dialog.SetPreviewWindow(&frame, log.function());
    dialog.show();
    // Values are committed whether or not the preview box is ticked.
    QTest::mouseClick(child<QCheckBox>(dialog, "6027"), Qt::LeftButton);
    child<QSlider>(dialog, "6024")->setValue(120);
    child<QSlider>(dialog, "6028")->setValue(75);
    QTest::mouseClick(child<QPushButton>(dialog, "1"), Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(!dialog.isVisible());
    QVERIFY(dialog.Changed());
    QCOMPARE(dialog.Brightness(), 120);
    QCOMPARE(dialog.Contrast(), 75);
    QVERIFY(!dialog.Preview());
}

void TestAdjustDialogs::brightnessOkWithoutMove()
{
    QObject frame;
    BrightnessLog log;
    QDialogBrightness dialog;
    dialog.SetPreviewWindow(&frame, log.function());
    dialog.show();
    QTest::mouseClick(child<QPushButton>(dialog, "1"), Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(!dialog.Changed());
    QCOMPARE(dialog.Brightness(), 100);
    QCOMPARE(dialog.Contrast(), 100);
    QVERIFY(dialog.Preview());
}

void TestAdjustDialogs::brightnessCancel()
{
    QObject frame;
    BrightnessLog log;
    QDialogBrightness dialog;
    dialog.SetPreviewWindow(&frame, log.function());
    dialog.show();
    child<QSlider>(dialog, "6024")->setValue(180);
    QTest::mouseClick(child<QPushButton>(dialog, "2"), Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QVERIFY(!dialog.isVisible());
    // The fields stay unread; the moved flag still tells the truth.
    QCOMPARE(dialog.Brightness(), 0);
    QCOMPARE(dialog.Contrast(), 0);
    QVERIFY(dialog.Changed());
}

void TestAdjustDialogs::colorOk()
{
    QObject frame;
    ColorLog log;
    QDialogColorBalance dialog;
    dialog.SetPreviewWindow(&frame, log.function());
    dialog.show();
    child<QSlider>(dialog, "6024")->setValue(255);
    child<QSlider>(dialog, "6025")->setValue(1);
    child<QSlider>(dialog, "6026")->setValue(64);
    QTest::mouseClick(child<QPushButton>(dialog, "1"), Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(dialog.Changed());
    QCOMPARE(dialog.Red(), 255);
    QCOMPARE(dialog.Green(), 1);
    QCOMPARE(dialog.Blue(), 64);
    QCOMPARE(dialog.PackedColor(), quint32(255 + 1 * 256 + 64 * 65536));
    QVERIFY(dialog.Preview());
}

void TestAdjustDialogs::colorEscape()
{
    QObject frame;
    ColorLog log;
    QDialogColorBalance dialog;
    dialog.SetPreviewWindow(&frame, log.function());
    dialog.show();
    child<QSlider>(dialog, "6025")->setValue(3);
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.PackedColor(), quint32(0));
}

void TestAdjustDialogs::setPreviewWindowClearsMoved()
{
    QObject frame;
    BrightnessLog log;
    QDialogBrightness brightness;
    child<QSlider>(brightness, "6024")->setValue(3);
    QVERIFY(brightness.Changed());
    brightness.SetPreviewWindow(&frame, log.function());
    QVERIFY(!brightness.Changed());

    ColorLog colorLog;
    QDialogColorBalance color;
    child<QSlider>(color, "6024")->setValue(3);
    QVERIFY(color.Changed());
    color.SetPreviewWindow(&frame, colorLog.function());
    QVERIFY(!color.Changed());
}

void TestAdjustDialogs::execRoundTrip()
{
    // The frame's own sequence: previews arrive inside the modal loop, and the
    // results are read after exec() returns.
    QWidget frame;
    BrightnessLog log;
    QDialogBrightness dialog(&frame);
    dialog.SetPreviewWindow(&frame, log.function());
    QTimer::singleShot(0, &dialog, [&dialog] {
        QTest::keyClick(child<QSlider>(dialog, "6028"), Qt::Key_End);
        QTimer::singleShot(0, &dialog,
            [&dialog] { QTest::mouseClick(child<QPushButton>(dialog, "1"), Qt::LeftButton); });
    });
    QCOMPARE(dialog.exec(), int(QDialog::Accepted));
    QCOMPARE(log.calls.size(), size_t(1));
    QCOMPARE(log.calls[0], std::make_pair(200, 100));
    QVERIFY(dialog.Changed());
    QCOMPARE(dialog.Contrast(), 200);
    QCOMPARE(dialog.Brightness(), 100);

    ColorLog colorLog;
    QDialogColorBalance color(&frame);
    color.SetPreviewWindow(&frame, colorLog.function());
    QTimer::singleShot(0, &color, [&color] { color.reject(); });
    QCOMPARE(color.exec(), int(QDialog::Rejected));
    QVERIFY(!color.Changed());
    QVERIFY(colorLog.calls.empty());
}

void TestAdjustDialogs::grabs()
{
    // Every value box must hold its widest text, and the dialog must not be
    // squeezed below its controls. Set KESTRIN_SHOT_DIR to keep the pictures.
    const QString shots = QString::fromLocal8Bit(qgetenv("KESTRIN_SHOT_DIR"));
    std::vector<std::pair<std::unique_ptr<QDialog>, QString>> dialogs;
    dialogs.emplace_back(std::make_unique<QDialogBrightness>(), "brightness");
    dialogs.emplace_back(std::make_unique<QDialogColorBalance>(), "colorbalance");
    for (auto& [dialog, name] : dialogs) {
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        QCOMPARE(dialog->size(), dialog->sizeHint().expandedTo(dialog->minimumSizeHint()));
        for (QSlider* slider : dialog->findChildren<QSlider*>())
            slider->setValue(slider->minimum());
        for (QLineEdit* box : dialog->findChildren<QLineEdit*>()) {
            const int textWidth = box->fontMetrics().horizontalAdvance(box->text());
            QVERIFY2(textWidth < box->width() - 4, qPrintable(box->objectName()));
        }
        const QPixmap picture = dialog->grab();
        QVERIFY(!picture.isNull());
        if (!shots.isEmpty())
            QVERIFY(picture.save(QDir(shots).filePath(name + ".png")));
    }
}

QTEST_MAIN(TestAdjustDialogs)
#include "tst_adjustdialogs.moc"
