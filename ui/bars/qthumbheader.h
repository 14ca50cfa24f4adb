// Column header of the bracket list: draws a sort arrow image at the right end of
// a section, after its text, as the list's sorting sets it.
#pragma once

#include <QHeaderView>
#include <QPixmap>
#include <QVector>

class QThumbHeader : public QHeaderView {
    Q_OBJECT

public:
    // Image indices, in the order of the header image list.
    enum Image { ImageDown = 0, ImageUp = 1, ImageEmpty = 2 };
    static constexpr int ImageWidth = 16;
    static constexpr int ImageHeight = 15;

    explicit QThumbHeader(QWidget* parent = nullptr);

    // Shows image `image` (an Image value) on `section`; ImageEmpty shows none.
    void SetSectionImage(int section, int image);
    int SectionImage(int section) const;
    void ClearSectionImages();

    // The header image list: down triangle, up triangle, empty; 16 × 15 pixels
    // with a transparent ground.
    static QVector<QPixmap> ImageList();

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    // Measured in the header's own font. Qt measures every section in bold, for
    // highlighted sections, which this header never draws; the bold face of the
    // Japanese font would be opened at start-up for that alone.
    QSize sectionSizeFromContents(int logicalIndex) const override;

private:
    QVector<QPixmap> m_images;
    QVector<int> m_sectionImages;
};
