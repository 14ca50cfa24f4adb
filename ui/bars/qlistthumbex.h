// The bracket list's control as the panel uses it: sortable columns with arrow
// images in the header, drags of the selected row and the extended drop report
// that carries the entry's side.
#pragma once

#include "core/gallery/gallerysort.h"
#include "ui/bars/qlistthumb.h"

class QThumbHeader;

class QListThumbEx : public QListThumb {
    Q_OBJECT

public:
    explicit QListThumbEx(QWidget* parent = nullptr);

    // As the base, with 12 × 12 thumbnails, the sort flags cleared and no arrows.
    void InitList() override;

    // Takes the selected row's picture; see QListThumb.
    QPixmap CreateThumbDragImage(
        int row, double scale, int width, int height, QPoint& hotSpot, int hotX, int hotY) override;

    // A click on the header of `column`: sorts descending on the first click,
    // then alternately ascending and descending, and moves the arrow there.
    void SortByColumn(int column);

    QThumbHeader* Header() const { return m_header; }
    const GallerySort& SortState() const { return m_sort; }

protected:
    void DeliverDrop(const QPoint& globalPos, Qt::KeyboardModifiers flags) override;

private:
    QThumbHeader* m_header;
    GallerySort m_sort;
};
