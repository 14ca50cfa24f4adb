// Opens a patient photograph for the workspace: decodes it safely, puts it on a
// white background, looks up its orientation in the photo records and turns it.
#pragma once

#include <QImage>
#include <QString>

class Workspace;

class PhotoLoader {
public:
    // Pictures beyond this many pixels are refused as if undecodable; 100-megapixel
    // photographs must load, and a bound keeps a lying header from taking the memory.
    static constexpr qint64 MaxPixels = 160LL * 1000 * 1000;

    // Decodes a JPEG, PNG or BMP (recognised by its first bytes, whatever the
    // extension) into RGB32 with transparency composited over white. Returns a
    // null image for a missing, damaged, unsupported or oversized file.
    static QImage decode(const QString& path);

    // Orientation flag byte of the photograph's record; 0 when the database is
    // missing or damaged or holds no record for it.
    static unsigned char lookUpFlags(const QString& path);

    // Turns and mirrors in place by the record's flags: the flip group (0x10, 0x20)
    // first, then at most one turn (0x01 over 0x02 over 0x04).
    static void orient(QImage& photo, unsigned char flags);

    // The whole opening: replaces the workspace's photograph (null when it cannot be
    // decoded) and resets the simulation. Succeeds even without a picture.
    static bool open(Workspace& workspace, const QString& path);
};
