#include "core/output/stamppainter.h"

#include "core/host/profile.h"

#include <QCoreApplication>
#include <QFont>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

namespace {
// Legible on a screen-sized composite, yet a small part of a large photograph.
constexpr int MinTextPixels = 12;
constexpr int PhotoHeightPerTextPixel = 32;
} // namespace

bool StampPainter::enabled()
{
    return Profile::getInt(QStringLiteral("BRACKET"), QStringLiteral("SimulationStamp"), 1) != 0;
}

StampPainter::StampPainter(QSize photoSize, const QDate& date, bool on)
{
    if (!on || photoSize.isEmpty())
        return;
    const QString text = QCoreApplication::translate("StampPainter", "シミュレーション ")
        + date.toString(QStringLiteral("yyyy/MM/dd"));
    // A named family rather than the platform's default font, and no hinting: a
    // composite exported without a display must match one saved on screen.
    QFont font(QStringLiteral("Noto Sans CJK JP"));
    font.setStyleHint(QFont::SansSerif);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setPixelSize(std::max(MinTextPixels, photoSize.height() / PhotoHeightPerTextPixel));
    font.setBold(true);
    const QFontMetrics metrics(font);
    const int pad = font.pixelSize() / 3;
    const QSize size(metrics.horizontalAdvance(text) + 2 * pad, metrics.height() + 2 * pad);
    const int margin = font.pixelSize() / 2;
    if (size.width() + 2 * margin > photoSize.width()
        || size.height() + 2 * margin > photoSize.height())
        return;

    m_label = QImage(size, QImage::Format_ARGB32_Premultiplied);
    if (m_label.isNull())
        return;
    m_label.fill(0);
    QPainter painter(&m_label);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    // White on a half-dark plate reads on bright teeth and on dark lips alike.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 150));
    painter.drawRoundedRect(QRectF(m_label.rect()), pad, pad);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(m_label.rect(), Qt::AlignCenter, text);
    painter.end();
    m_position = QPoint(margin, photoSize.height() - margin - size.height());
}

void StampPainter::paint(QPainter* painter, bool working) const
{
    if (!painter || !working || isNull())
        return;
    painter->drawImage(m_position, m_label);
}
