#include "ui/dialogs/brackettextgroup.h"

#include "core/text/strings.h"

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>

namespace {

const QString missingParameter = QStringLiteral("未設定のパラメータが存在します。");

// Box and label places inside the group, in dialog units; both dialogs put the
// group's top-left 51 units left of and 8 units above the first box.
constexpr int groupWidth = 210;
constexpr int groupHeight = 60;
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
    const char* ids[3] = { "1002", "1003", "1004" };
    const QString labels[3]
        = { QStringLiteral("ブラケット"), QStringLiteral("素材"), QStringLiteral("ワイヤー") };
    for (int i = 0; i < 3; ++i) {
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
}

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
    setGeometry(DialogRect(parentWidget(), x, y, groupWidth, groupHeight));
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

bool BracketTextGroup::CheckFilled()
{
    QLineEdit* empty = nullptr;
    for (QLineEdit* box : m_boxes)
        if (!empty && box->text().isEmpty())
            empty = box;
    if (!empty)
        return true;
    QMessageBox::warning(window(), Res::text(Res::IdsAppTitle), missingParameter);
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
