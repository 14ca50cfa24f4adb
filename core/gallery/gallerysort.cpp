#include "core/gallery/gallerysort.h"

#include <QStringEncoder>

#include <algorithm>
#include <numeric>

bool GallerySort::Click(int column)
{
    if (column < 0 || column >= ColumnCount)
        return false;
    const bool ascending = m_ascendingNext[column];
    m_ascendingNext[column] = !ascending;
    m_lastColumn = column;
    return ascending;
}

void GallerySort::Clear()
{
    m_ascendingNext.fill(false);
    m_lastColumn = -1;
}

GallerySort::HeaderImage GallerySort::ImageFor(int column) const
{
    if (column != m_lastColumn || column < 0)
        return ImageNone;
    // The flag is already inverted: set now means the last sort was descending.
    return m_ascendingNext[column] ? ImageDown : ImageUp;
}

bool GallerySort::Current(int& column, bool& ascending) const
{
    if (m_lastColumn < 0)
        return false;
    column = m_lastColumn;
    // The flag is already inverted for the next click.
    ascending = !m_ascendingNext[m_lastColumn];
    return true;
}

QString GallerySort::ColumnText(const GalleryEntry& entry, int column)
{
    switch (column) {
    case 0:
        return entry.bracketName;
    case 1:
        return entry.material;
    case 2:
        return entry.wire;
    case 3:
        return entry.vendor;
    case 4:
        return entry.memo;
    default:
        return QString();
    }
}

QByteArray GallerySort::SortKey(const QString& text)
{
    QStringEncoder cp932("CP932", QStringEncoder::Flag::Stateless);
    if (cp932.isValid()) {
        QByteArray bytes = cp932.encode(text);
        if (!cp932.hasError())
            return bytes;
    }
    return text.toUtf8();
}

QVector<int> GallerySort::Order(const QVector<GalleryEntry>& entries, int column, bool ascending)
{
    // Keys are built once: encoding inside the comparison would repeat it
    // n log n times.
    QVector<QByteArray> keys;
    keys.reserve(entries.size());
    for (const GalleryEntry& entry : entries)
        keys.append(SortKey(ColumnText(entry, column)));

    QVector<int> order(entries.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
        [&](int a, int b) { return ascending ? keys[a] < keys[b] : keys[b] < keys[a]; });
    return order;
}
