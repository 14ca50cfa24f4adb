// The modal colour-balance dialog for the selected bracket: red, green and blue
// sliders with read-only value boxes, and live previews sent to the frame.
#pragma once

#include <QDialog>
#include <QPointer>

#include <functional>

class QCheckBox;
class QLineEdit;
class QSlider;

class QDialogColorBalance : public QDialog {
    Q_OBJECT

public:
    // Identity of the preview notification; the frame's side uses the same number.
    enum PreviewMessage { WM_PREVIEW_COLORBALANCE = 2126 };
    // Receives the packed colour: red in bits 0 to 7, green 8 to 15, blue 16 to 23,
    // each 0 to 255 with 128 leaving the channel as it is.
    using PreviewFunction = std::function<void(quint32 packed)>;

    explicit QDialogColorBalance(QWidget* parent = nullptr);

    // Previews are queued on window's event queue (the frame) and delivered through
    // preview after the slider handler has returned, only while the dialog is shown
    // and window exists. Clears the moved flag; call before exec().
    void SetPreviewWindow(QObject* window, PreviewFunction preview);

    // Slider positions (0 to 255) read when OK is pressed; 0 until then.
    int Red() const { return m_nRed; }
    int Green() const { return m_nGreen; }
    int Blue() const { return m_nBlue; }
    // The three positions read at OK in the preview layout.
    quint32 PackedColor() const;
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
    quint32 sliderColor() const;
    void postPreview(quint32 packed);

    QSlider* m_redSlider;
    QSlider* m_greenSlider;
    QSlider* m_blueSlider;
    QLineEdit* m_redBox;
    QLineEdit* m_greenBox;
    QLineEdit* m_blueBox;
    QCheckBox* m_previewCheck;

    bool m_bPreview = false;
    int m_nRed = 0;
    int m_nGreen = 0;
    int m_nBlue = 0;
    QPointer<QObject> m_hNotify;
    PreviewFunction m_preview;
    bool m_bChanged = false;
};
