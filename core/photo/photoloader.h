// Opens a patient photograph for the workspace: decodes it on a white background
// and turns it by its record in the photo database, or by its own EXIF orientation
// when the practice has no record of it.
#pragma once

#include <QImage>
#include <QString>

#include <optional>

class PictureReader;
class ProgressivePhoto;
class Workspace;

class PhotoLoader {
public:
    // Orientation flag byte of the photograph's record; nothing when the database
    // is missing or damaged or holds no record for it.
    static std::optional<unsigned char> recordFlags(const QString& path);
    // recordFlags, with 0 for no record.
    static unsigned char lookUpFlags(const QString& path);

    // Turns and mirrors in place by the record's flags: the flip group (0x10, 0x20)
    // first, then at most one turn (0x01 over 0x02 over 0x04).
    static void orient(QImage& photo, unsigned char flags);

    // The photograph decoded on white and turned by the record flags `flags`, or
    // by its own EXIF orientation when flags is -1; null when it cannot be decoded.
    // A divisor of 2, 4 or 8 has a JPEG decoded at that fraction of its size.
    static QImage read(const QString& path, int flags, int divisor = 1);
    // The same from a reader already opened on the file (its header read once).
    static QImage read(PictureReader& reader, int flags, int divisor = 1);

    // The whole opening: replaces the workspace's photograph (none when it cannot be
    // decoded; see PictureReader) and resets the simulation. Succeeds even without a
    // picture.
    static bool open(Workspace& workspace, const QString& path);
    // The same in two steps (see ProgressivePhoto): the workspace at once holds the
    // full size and a preview for panes of at most `shownPixels` device pixels, and
    // takes over the full picture when its decode finishes.
    static bool openProgressive(Workspace& workspace, const QString& path, QSize shownPixels);
    // The same with the photograph at `path` already opened (its decode started).
    static bool openProgressive(Workspace& workspace, const QString& path, ProgressivePhoto& photo);
};
