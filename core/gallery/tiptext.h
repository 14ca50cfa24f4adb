// The text of a bracket tip: the three gallery texts of an entry in one string,
// lines separated by "|", and the rule by which the tip window splits it.
#pragma once

#include "core/gallery/galleryentry.h"

#include <QString>
#include <QStringList>

class TipText {
public:
    // "ﾌﾞﾗｹｯﾄ : <bracket>|素材 : <material>|ﾜｲﾔｰ :  <wire>|" from the string table.
    static QString Format(const GalleryEntry& entry);

    // The lines a tip draws for `text`: the non-empty parts between and after the
    // "|" separators, but no more lines than there are separators. So the empty
    // part after a closing separator adds nothing, and a text without any
    // separator draws nothing.
    static QStringList Lines(const QString& text);
};
