#include "core/gallery/galleryfiltermodel.h"

#include "core/gallery/gallerylistmodel.h"

GalleryFilterModel::GalleryFilterModel(QObject* parent)
    : QSortFilterProxyModel(parent)
{
}

void GalleryFilterModel::SetFilterText(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed == m_text)
        return;
    m_text = trimmed;
    // One layout change for the whole list: the incremental filter update
    // removes every non-adjacent row on its own, and with a few thousand rows
    // the view's work for each removal adds up to seconds.
    invalidate();
}

bool GalleryFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex&) const
{
    if (m_text.isEmpty())
        return true;
    const auto* model = qobject_cast<const GalleryListModel*>(sourceModel());
    const GalleryEntry* entry = model ? model->EntryAt(sourceRow) : nullptr;
    if (!entry)
        return false;
    for (const QString* text : { &entry->bracketName, &entry->material, &entry->wire })
        if (text->contains(m_text, Qt::CaseInsensitive))
            return true;
    return false;
}
