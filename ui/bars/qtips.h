// The bracket tip: a small child window of a pane that shows the gallery texts of
// the bracket under the resting mouse, one line per "|"-separated part, and
// sizes itself to them. Positions are in the parent pane's client pixels.
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

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_text;
    QPoint m_position;
};
