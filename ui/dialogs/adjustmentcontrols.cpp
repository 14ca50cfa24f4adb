#include "ui/dialogs/adjustmentcontrols.h"

#include <QFont>
#include <QLineEdit>
#include <QSlider>

QFont AdjustmentControls::dialogFont(const QFont& base)
{
    QFont font = base;
    font.setFamilies({ base.family(), QStringLiteral("MS UI Gothic"),
        QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAPGothic") });
    return font;
}

int AdjustmentControls::dialogUnitsX(const QWidget* widget, int units)
{
    // A dialog unit is a quarter of the font's average letter width, so controls keep
    // their designed proportions whatever font the desktop uses.
    const QString alphabet = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    return units * widget->fontMetrics().horizontalAdvance(alphabet) / (52 * 4);
}

QSlider* AdjustmentControls::slider(const char* id, QWidget* parent)
{
    auto* slider = new QSlider(Qt::Horizontal, parent);
    slider->setObjectName(QLatin1String(id));
    slider->setTickPosition(QSlider::NoTicks);
    slider->setMinimumWidth(dialogUnitsX(parent, 110));
    return slider;
}

QLineEdit* AdjustmentControls::valueBox(const char* id, QWidget* parent)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(QLatin1String(id));
    box->setReadOnly(true);
    box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    box->setFixedWidth(dialogUnitsX(parent, 24));
    // Read-only boxes take the dialog's face colour so that they do not invite
    // typing.
    QPalette face = box->palette();
    face.setColor(QPalette::Base, face.color(QPalette::Window));
    box->setPalette(face);
    return box;
}
