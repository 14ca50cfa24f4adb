// The "シミュレーション" label ("Simulation" in English, as the patient reads the
// printout in the practice's language) with the date that saved and printed composites carry
// in each working pane's corner, so that a composite seen outside the
// consultation cannot be taken for a treatment result.
#pragma once

#include <QDate>
#include <QImage>
#include <QPoint>
#include <QSize>

class QPainter;

// The label is drawn once into a small picture and then copied at whole pixels,
// so every band of a composite, on any thread, gets exactly the same pixels.
class StampPainter {
public:
    // [BRACKET] SimulationStamp in the INI: on unless it is 0.
    static bool enabled();

    // The label for a pane showing a photograph of photoSize, dated `date`. With
    // `on` false, or a photograph too small to hold it, nothing is drawn.
    StampPainter(QSize photoSize, const QDate& date, bool on = enabled());

    bool isNull() const { return m_label.isNull(); }
    // Top-left of the label in photograph pixels: the bottom-left corner of the
    // pane, a small margin in.
    QPoint position() const { return m_position; }
    const QImage& label() const { return m_label; }

    // Draws the label onto one pane. The painter's transform maps photograph
    // pixels of the pane, origin at its top-left, to the device; `working` is
    // false for the reference pane, which never carries the label.
    void paint(QPainter* painter, bool working) const;

private:
    QImage m_label; // Format_ARGB32_Premultiplied; null when nothing is drawn
    QPoint m_position;
};
