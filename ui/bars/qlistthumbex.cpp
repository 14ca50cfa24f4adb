#include "ui/bars/qlistthumbex.h"

#include "ui/bars/qthumbheader.h"

QListThumbEx::QListThumbEx(QWidget* parent)
    : QListThumb(parent)
    , m_header(new QThumbHeader(this))
{
    setHorizontalHeader(m_header);
    m_header->setSectionsClickable(true);
    connect(m_header, &QHeaderView::sectionClicked, this, &QListThumbEx::SortByColumn);
}

void QListThumbEx::InitList()
{
    QListThumb::InitList();
    SetThumbSize(QSize(12, 12));
    m_sort.Clear();
    m_header->ClearSectionImages();
}

QPixmap QListThumbEx::CreateThumbDragImage(
    int row, double scale, int width, int height, QPoint& hotSpot, int hotX, int hotY)
{
    // The selected row, not `row`, names the picture: the load-order path array
    // no longer matches the rows once they are sorted.
    return DragImageFromPath(row, SelectedPicturePath(), scale, width, height, hotSpot, hotX, hotY);
}

void QListThumbEx::SortByColumn(int column)
{
    if (column < 0 || column >= GallerySort::ColumnCount)
        return;
    const bool ascending = m_sort.Click(column);
    Model()->sort(column, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
    for (int section = 0; section < Model()->columnCount(); ++section)
        m_header->SetSectionImage(section, m_sort.ImageFor(section));
}

void QListThumbEx::DeliverDrop(const QPoint& globalPos, Qt::KeyboardModifiers flags)
{
    if (m_dropHandlerEx)
        m_dropHandlerEx(DragRow(), SelectedPicturePath(), flags, globalPos.x(), globalPos.y(),
            DragPictureSize().width(), DragPictureSize().height(), SelectedSideFlag());
}
