// The slider and value-box widgets that both bracket adjustment dialogs are built
// from, made alike so that the two dialogs look and behave the same.
#pragma once

class QFont;
class QLineEdit;
class QSlider;
class QWidget;

class AdjustmentControls {
public:
    // base with Japanese gothic faces behind it, so that kanji missing from the
    // desktop font take Japanese shapes rather than those of the first fallback.
    static QFont dialogFont(const QFont& base);
    // units horizontal dialog units of widget's font in pixels.
    static int dialogUnitsX(const QWidget* widget, int units);
    // A horizontal slider without tick marks; id becomes its object name.
    static QSlider* slider(const char* id, QWidget* parent);
    // A read-only, right-aligned box for a slider's value text.
    static QLineEdit* valueBox(const char* id, QWidget* parent);
};
