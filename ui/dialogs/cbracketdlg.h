// The add-bracket dialog: shows the chosen picture fitted in a frame, lets the
// user cut a rectangle out of it with the mouse, takes the entry's texts and
// side, and on OK writes the picture into the gallery and appends its line. A
// failure is shown and the dialog stays open; nothing is half written.
#pragma once

#include "core/gallery/trimmingstate.h"
#include "core/host/imagekit.h"

#include <QDialog>

class BracketTextGroup;
class QPushButton;

class CBracketDlg : public QDialog {
    Q_OBJECT

public:
    explicit CBracketDlg(QWidget* parent = nullptr);

    // The picture file to add; set by the caller before the dialog is shown.
    QString m_strImagePath;

    // Writes the picture and appends its line, or says why not and stays open.
    void accept() override;

    const ImageKit& SourceImage() const { return m_imgSource; }
    const ImageKit& TrimmedImage() const { return m_imgTrimmed; }
    const TrimmingState& Trimming() const { return m_trim; }
    // The picture frame in client pixels.
    QRect FrameRect() const;
    BracketTextGroup* Texts() const { return m_texts; }
    QPushButton* TrimmingButton() const { return m_trimButton; }
    // The gallery file that OK wrote the picture to; empty until then.
    QString WrittenPicture() const { return m_strWritten; }

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void OnInitDialog();
    void OnTrimmingClicked(bool checked);
    void paintRubberBand(QPainter& painter) const;

    QWidget* m_frame;
    QPushButton* m_trimButton;
    BracketTextGroup* m_texts;

    ImageKit m_imgSource;
    ImageKit m_imgTrimmed;
    TrimmingState m_trim;
    bool m_bInitialised = false;
    QString m_strWritten;
};
