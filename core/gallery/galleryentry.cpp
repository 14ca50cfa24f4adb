#include "core/gallery/galleryentry.h"

namespace {

QString fieldAt(const QStringList& fields, int index)
{
    return index < fields.size() ? fields.at(index) : QString();
}

// A text that holds a separator or a line break would shift every later field
// of its line, or split the line in two, when the catalogue is read back.
QString keepInOneField(QString text)
{
    text.replace(QLatin1Char(','), QLatin1Char('.'));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

} // namespace

GalleryEntry GalleryEntry::fromFields(const QString& folder, const QStringList& fields)
{
    GalleryEntry entry;
    QString name = fieldAt(fields, 0);
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    entry.picturePath = folder + name;
    entry.bracketName = fieldAt(fields, 1);
    entry.material = fieldAt(fields, 2);
    entry.wire = fieldAt(fields, 3);
    entry.vendor = fieldAt(fields, 4);
    entry.memo = fieldAt(fields, 5);
    entry.side = sideFromField(fieldAt(fields, 6));
    return entry;
}

QString GalleryEntry::catalogueLine() const
{
    const QStringList fields { keepInOneField(pictureName()), keepInOneField(bracketName),
        keepInOneField(material), keepInOneField(wire), keepInOneField(vendor),
        keepInOneField(memo), sideFromField(side) };
    return fields.join(QLatin1Char(','));
}

QString GalleryEntry::pictureName() const
{
    const int cut = qMax(
        picturePath.lastIndexOf(QLatin1Char('/')), picturePath.lastIndexOf(QLatin1Char('\\')));
    return picturePath.mid(cut + 1);
}

QString GalleryEntry::sideFromField(const QString& field)
{
    return field == QLatin1String("inner") ? QStringLiteral("inner") : QStringLiteral("outer");
}

bool operator==(const GalleryEntry& a, const GalleryEntry& b)
{
    return a.picturePath == b.picturePath && a.bracketName == b.bracketName
        && a.material == b.material && a.wire == b.wire && a.vendor == b.vendor && a.memo == b.memo
        && a.side == b.side;
}
