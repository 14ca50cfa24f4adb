// The labelled boxes of a gallery entry that the add and edit dialogs share:
// bracket, material, wire, vendor and memo texts and the inner/outer choice, with
// the rules both apply to them: no commas, the first three never empty, and only
// characters the catalogue can hold.
#pragma once

#include <QGroupBox>

class GalleryEntry;
class QComboBox;
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
    QLineEdit* VendorBox() const { return m_boxes[3]; }
    QLineEdit* MemoBox() const { return m_boxes[4]; }
    QComboBox* SideBox() const { return m_side; }

    // Height of the group in dialog units; the dialogs place their buttons below.
    static int Height();

    void SetTexts(const QString& bracket, const QString& material, const QString& wire);
    void Texts(QString& bracket, QString& material, QString& wire) const;
    // Vendor, memo and side ("inner" or "outer"; anything else shows as outer).
    void SetDetails(const QString& vendor, const QString& memo, const QString& side);
    void Details(QString& vendor, QString& memo, QString& side) const;

    // True when the catalogue can hold every character of the five texts.
    // Otherwise names the characters it cannot hold and focuses their box.
    bool CheckWritable(const QString& catalogueFile);

    // True when all three boxes hold text. Otherwise tells the user so
    // ("未設定のパラメータが存在します。") and puts the focus into the first
    // empty box in the order bracket, material, wire.
    bool CheckFilled();

private:
    // A comma would split the catalogue line, which has no quoting; every comma
    // typed or pasted becomes a period at once.
    void replaceCommas(QLineEdit* box);

    static constexpr int BoxCount = 5;
    QLineEdit* m_boxes[BoxCount];
    QComboBox* m_side;
};
