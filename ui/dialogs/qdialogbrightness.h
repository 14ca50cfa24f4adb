// The modal brightness and contrast dialog for the selected bracket: two sliders
// with read-only value boxes, and live previews sent to the frame while it runs.
#pragma once

#include <QDialog>
#include <QPointer>

#include <functional>

class QCheckBox;
class QLineEdit;
class QSlider;

class QDialogBrightness : public QDialog {
    Q_OBJECT

public:
    // Identity of the preview notification; the frame's side uses the same number.
    enum PreviewMessage { WM_PREVIEW_BRIGHTNESS = 2125 };
    // Receives slider positions, each 0 to 200 with 100 leaving the bracket as it is.
    using PreviewFunction = std::function<void(int contrast, int brightness)>;

    explicit QDialogBrightness(QWidget* parent = nullptr);

    // Previews are queued on window's event queue (the frame) and delivered through
    // preview after the slider handler has returned, only while the dialog is shown
    // and window exists. Clears the moved flag; call before exec().
    void SetPreviewWindow(QObject* window, PreviewFunction preview);

    // Slider positions (0 to 200) read when OK is pressed; 0 until then.
    int Brightness() const { return m_nBrightness; }
    int Contrast() const { return m_nContrast; }
    // The preview box as it was when OK was pressed.
    bool Preview() const { return m_bPreview; }
    // True once a slider was moved after SetPreviewWindow.
    bool Changed() const { return m_bChanged; }

    void accept() override;

private:
    void OnInitDialog();
    void OnHScroll();
    void OnPreview(bool checked);
    void refreshValueBoxes();
    void postPreview(int contrast, int brightness);

    QSlider* m_brightnessSlider;
    QSlider* m_contrastSlider;
    QLineEdit* m_brightnessBox;
    QLineEdit* m_contrastBox;
    QCheckBox* m_previewCheck;

    int m_nBrightness = 0;
    int m_nContrast = 0;
    bool m_bPreview = false;
    QPointer<QObject> m_hNotify;
    PreviewFunction m_preview;
    bool m_bChanged = false;
};
