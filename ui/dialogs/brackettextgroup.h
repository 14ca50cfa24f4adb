// The three labelled text boxes (bracket, material, wire) that the add and edit
// dialogs share, with the rules both apply to them: no commas, none left empty.
#pragma once

#include <QGroupBox>

class QLineEdit;

class BracketTextGroup : public QGroupBox {
    Q_OBJECT

public:
    explicit BracketTextGroup(QWidget* parent);

    // The rectangle (x, y, width, height) given in dialog units of `widget`'s
    // font, in pixels: a quarter of the average letter width across, an eighth
    // of the line height down, so layouts keep their designed proportions.
    static QRect DialogRect(const QWidget* widget, int x, int y, int width, int height);

    // Places the group at (x, y) in its parent's dialog units; its size and
    // its boxes' places are the same in both dialogs.
    void PlaceAt(int x, int y);

    QLineEdit* BracketBox() const { return m_boxes[0]; }
    QLineEdit* MaterialBox() const { return m_boxes[1]; }
    QLineEdit* WireBox() const { return m_boxes[2]; }

    void SetTexts(const QString& bracket, const QString& material, const QString& wire);
    void Texts(QString& bracket, QString& material, QString& wire) const;

    // True when all three boxes hold text. Otherwise tells the user so
    // ("未設定のパラメータが存在します。") and puts the focus into the first
    // empty box in the order bracket, material, wire.
    bool CheckFilled();

private:
    // A comma would split the catalogue line, which has no quoting; every comma
    // typed or pasted becomes a period at once.
    void replaceCommas(QLineEdit* box);

    QLineEdit* m_boxes[3];
};
