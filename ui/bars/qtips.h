// The bracket tip: a small child window of a pane that shows the gallery texts of
// the bracket under the resting mouse, one line per "|"-separated part, and
// sizes itself to them. Positions are in the parent pane's client pixels. It
// never shows while the pointer is outside its pane or a modal dialog is open,
// whenever its pane's timer asks.
#pragma once

#include <QPoint>
#include <QString>
#include <QWidget>

class QTips : public QWidget {
    Q_OBJECT

public:
    explicit QTips(QWidget* parent = nullptr);

    // (Re)creates the tip as a hidden 10 × 10 child of `parentView` at (0, 0),
    // with no text.
    void CreateTip(QWidget* parentView);
    // Stores the text and the top-left position and sizes the window to fit.
    void SetTip(const QString& text, int x, int y);
    // Text empty, position (0, 0); size and visibility stay.
    void ClearTip();

    QString Text() const { return m_text; }
    QPoint Position() const { return m_position; }

    // The window rectangle for the current text and position: the widest line
    // plus 26 pixels wide, the sum of line height + 3 over the lines tall, and
    // one pixel of border round it.
    QRect FittedGeometry() const;

    static QColor Fill() { return QColor(166, 202, 240); }

    // Showing is refused while the pointer is outside the pane or a modal
    // dialog is open; hiding always works.
    void setVisible(bool visible) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    // Hides the tip when the pointer leaves the pane or a modal dialog blocks
    // the pane's window.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void watch(QWidget* parentView);

    bool m_pointerInside = true; // the text is set on a move inside the pane
    QString m_text;
    QPoint m_position;
};
