#include "core/gallery/tiptext.h"

#include "core/text/strings.h"

QString TipText::Format(const GalleryEntry& entry)
{
    // The three-argument arg() substitutes in one pass, so a "%2" inside a
    // bracket name stays as typed.
    return Res::text(Res::IdsTipFormat).arg(entry.bracketName, entry.material, entry.wire);
}

QStringList TipText::Lines(const QString& text)
{
    const QChar separator(QLatin1Char('|'));
    const int separators = int(text.count(separator));
    QStringList kept;
    for (const QString& part : text.split(separator))
        if (!part.isEmpty())
            kept.append(part);
    while (kept.size() > separators)
        kept.removeLast();
    return kept;
}
