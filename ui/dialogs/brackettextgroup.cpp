#include "ui/dialogs/brackettextgroup.h"

#include "core/gallery/gallerycatalogue.h"
#include "core/text/strings.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>

namespace {

// Translated where shown, in the language of that moment.
const char* const missingParameter
    = QT_TRANSLATE_NOOP("BracketTextGroup", "未設定のパラメータが存在します。");

// Box and label places inside the group, in dialog units; both dialogs put the
// group's top-left 51 units left of and 8 units above the first box.
constexpr int groupWidth = 210;
constexpr int rows = 6; // five texts and the side
constexpr int boxLeft = 51;
constexpr int boxTop = 8;
constexpr int boxPitch = 16;
constexpr int boxWidth = 150;
constexpr int boxHeight = 14;
constexpr int labelLeft = 9;
constexpr int labelWidth = 40;

} // namespace

BracketTextGroup::BracketTextGroup(QWidget* parent)
    : QGroupBox(parent)
{
    const char* ids[BoxCount] = { "1002", "1003", "1004", "1005", "1006" };
    const QString labels[BoxCount]
        = { tr("ブラケット"), tr("素材"), tr("ワイヤー"), tr("メーカー"), tr("メモ") };
    for (int i = 0; i < BoxCount; ++i) {
        auto* label = new QLabel(labels[i], this);
        label->setGeometry(
            DialogRect(parent, labelLeft, boxTop + i * boxPitch + 2, labelWidth, 10));
        m_boxes[i] = new QLineEdit(this);
        m_boxes[i]->setObjectName(QLatin1String(ids[i]));
        m_boxes[i]->setGeometry(
            DialogRect(parent, boxLeft, boxTop + i * boxPitch, boxWidth, boxHeight));
        label->setBuddy(m_boxes[i]);
        QLineEdit* box = m_boxes[i];
        connect(box, &QLineEdit::textChanged, this, [this, box] { replaceCommas(box); });
    }
    auto* label = new QLabel(tr("向き"), this);
    label->setGeometry(
        DialogRect(parent, labelLeft, boxTop + BoxCount * boxPitch + 2, labelWidth, 10));
    m_side = new QComboBox(this);
    m_side->setObjectName(QStringLiteral("1007"));
    m_side->addItem(tr("外側（唇側）"), QStringLiteral("outer"));
    m_side->addItem(tr("内側（舌側）"), QStringLiteral("inner"));
    m_side->setGeometry(
        DialogRect(parent, boxLeft, boxTop + BoxCount * boxPitch, boxWidth, boxHeight));
    label->setBuddy(m_side);
}

int BracketTextGroup::Height() { return boxTop + rows * boxPitch + 4; }

QRect BracketTextGroup::DialogRect(const QWidget* widget, int x, int y, int width, int height)
{
    const QFontMetrics metrics = widget->fontMetrics();
    const int across = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    const int down = metrics.height();
    auto toX = [across](int units) { return units * across / (52 * 4); };
    auto toY = [down](int units) { return units * down / 8; };
    return QRect(toX(x), toY(y), toX(width), toY(height));
}

void BracketTextGroup::PlaceAt(int x, int y)
{
    setGeometry(DialogRect(parentWidget(), x, y, groupWidth, Height()));
}

void BracketTextGroup::SetTexts(
    const QString& bracket, const QString& material, const QString& wire)
{
    m_boxes[0]->setText(bracket);
    m_boxes[1]->setText(material);
    m_boxes[2]->setText(wire);
}

void BracketTextGroup::Texts(QString& bracket, QString& material, QString& wire) const
{
    bracket = m_boxes[0]->text();
    material = m_boxes[1]->text();
    wire = m_boxes[2]->text();
}

void BracketTextGroup::SetDetails(const QString& vendor, const QString& memo, const QString& side)
{
    m_boxes[3]->setText(vendor);
    m_boxes[4]->setText(memo);
    m_side->setCurrentIndex(side == QLatin1String("inner") ? 1 : 0);
}

void BracketTextGroup::Details(QString& vendor, QString& memo, QString& side) const
{
    vendor = m_boxes[3]->text();
    memo = m_boxes[4]->text();
    side = m_side->currentData().toString();
}

bool BracketTextGroup::CheckWritable(const QString& catalogueFile)
{
    for (QLineEdit* box : m_boxes) {
        const QString characters
            = GalleryCatalogue::UnwritableCharacters(catalogueFile, box->text());
        if (characters.isEmpty())
            continue;
        QMessageBox::warning(window(), Res::text(Res::IdsAppTitle),
            tr("次の文字はbracket.csvに保存できません: %1").arg(characters));
        box->setFocus(Qt::OtherFocusReason);
        return false;
    }
    return true;
}

bool BracketTextGroup::CheckFilled()
{
    QLineEdit* empty = nullptr;
    for (QLineEdit* box : { m_boxes[0], m_boxes[1], m_boxes[2] })
        if (!empty && box->text().isEmpty())
            empty = box;
    if (!empty)
        return true;
    QMessageBox::warning(window(), Res::text(Res::IdsAppTitle), tr(missingParameter));
    empty->setFocus(Qt::OtherFocusReason);
    return false;
}

void BracketTextGroup::replaceCommas(QLineEdit* box)
{
    if (!box->text().contains(QLatin1Char(',')))
        return;
    // Same length, so the cursor can stay where the user is typing.
    const int cursor = box->cursorPosition();
    box->setText(box->text().replace(QLatin1Char(','), QLatin1Char('.')));
    box->setCursorPosition(cursor);
}
