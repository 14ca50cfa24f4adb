// One line of the gallery catalogue (bracket.csv) as the bracket list keeps it:
// the picture's full path and the six texts of the line.
#pragma once

#include <QString>
#include <QStringList>

class GalleryEntry {
public:
    // Builds the entry for one split catalogue line. `folder` is the gallery folder
    // with its trailing "/" (see GalleryCatalogue::GalleryFolder); field 1 is
    // appended to it, with any "\\" of a Windows-written line turned into "/".
    // Missing fields stay empty, fields after the seventh are ignored.
    static GalleryEntry fromFields(const QString& folder, const QStringList& fields);

    // The seven fields of this entry's catalogue line, without the line end.
    // Commas and line breaks inside a text become "." and " " so that the line
    // always splits back into the same seven fields.
    QString catalogueLine() const;

    // File name part of picturePath: what field 1 of a rewritten line holds.
    QString pictureName() const;

    bool isInner() const { return side == QLatin1String("inner"); }
    // 0 for an inner (lingual) bracket, 1 for an outer one: the flag that drops
    // and pastes pass on.
    int sideFlag() const { return isInner() ? 0 : 1; }

    // "inner" only for exactly "inner" (case-sensitive); anything else is "outer".
    static QString sideFromField(const QString& field);

    QString picturePath; // full path: gallery folder + field 1
    QString bracketName;
    QString material;
    QString wire;
    QString vendor;
    QString memo;
    QString side; // always "inner" or "outer"
};

bool operator==(const GalleryEntry& a, const GalleryEntry& b);
inline bool operator!=(const GalleryEntry& a, const GalleryEntry& b) { return !(a == b); }
