#include "ui/bars/qthumbheader.h"

#include <QPainter>
#include <QPolygonF>
#include <QStyleOptionHeader>

namespace {

QPixmap triangle(bool pointsDown)
{
    QPixmap pixmap(QThumbHeader::ImageWidth, QThumbHeader::ImageHeight);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QColor(96, 96, 96));
    painter.setBrush(QColor(128, 128, 128));
    const QPolygonF shape = pointsDown
        ? QPolygonF({ QPointF(3.5, 4.5), QPointF(12.5, 4.5), QPointF(8, 10.5) })
        : QPolygonF({ QPointF(3.5, 10.5), QPointF(12.5, 10.5), QPointF(8, 4.5) });
    painter.drawPolygon(shape);
    return pixmap;
}

} // namespace

QThumbHeader::QThumbHeader(QWidget* parent)
    : QHeaderView(Qt::Horizontal, parent)
    , m_images(ImageList())
{
}

QVector<QPixmap> QThumbHeader::ImageList()
{
    QPixmap empty(ImageWidth, ImageHeight);
    empty.fill(Qt::transparent);
    return { triangle(true), triangle(false), empty };
}

void QThumbHeader::SetSectionImage(int section, int image)
{
    if (section < 0)
        return;
    if (section >= m_sectionImages.size())
        m_sectionImages.resize(section + 1, ImageEmpty);
    m_sectionImages[section] = image;
    viewport()->update();
}

int QThumbHeader::SectionImage(int section) const
{
    return m_sectionImages.value(section, ImageEmpty);
}

void QThumbHeader::ClearSectionImages()
{
    m_sectionImages.fill(ImageEmpty);
    viewport()->update();
}

void QThumbHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const
{
    const int image = SectionImage(logicalIndex);
    if (image != ImageDown && image != ImageUp) {
        QHeaderView::paintSection(painter, rect, logicalIndex);
        return;
    }
    // The label is narrowed so that a long text is elided before the arrow
    // instead of running under it.
    QStyleOptionHeader option;
    initStyleOptionForIndex(&option, logicalIndex);
    option.rect = rect;
    painter->save();
    style()->drawControl(QStyle::CE_HeaderSection, &option, painter, this);
    QStyleOptionHeader label = option;
    label.rect = style()->subElementRect(QStyle::SE_HeaderLabel, &option, this);
    label.rect.setRight(label.rect.right() - ImageWidth - 2);
    style()->drawControl(QStyle::CE_HeaderLabel, &label, painter, this);
    const QPixmap& pixmap = m_images.at(image);
    const QPoint at(rect.right() - ImageWidth - 2, rect.center().y() - ImageHeight / 2);
    painter->drawPixmap(at, pixmap);
    painter->restore();
}

QSize QThumbHeader::sectionSizeFromContents(int logicalIndex) const
{
    ensurePolished();
    QStyleOptionHeader option;
    initStyleOption(&option);
    option.section = logicalIndex;
    option.text = model() ? model()->headerData(logicalIndex, orientation()).toString() : QString();
    QSize size = style()->sizeFromContents(QStyle::CT_HeaderSection, &option, QSize(), this);
    // Room for the sort arrow after the label, as paintSection draws it.
    if (SectionImage(logicalIndex) != ImageEmpty)
        size.rwidth() += ImageWidth + 2;
    return size;
}
