#include "core/gallery/gallerychange.h"

GalleryChange GalleryChange::Succeeded(const QString& picturePath)
{
    GalleryChange change;
    change.m_picturePath = picturePath;
    return change;
}

GalleryChange GalleryChange::Failed(Status status, const QString& message)
{
    GalleryChange change;
    change.m_status = status;
    change.m_message = message;
    return change;
}
