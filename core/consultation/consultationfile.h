// A consultation saved to a ".kestrin" file and read back: the photograph it was
// made on, the clip outline, the pane layout and zoom, and every slot's brackets
// with their pictures embedded, so that it reopens as the clinician left it even
// after the gallery changed.
#pragma once

#include "core/gallery/galleryentry.h"
#include "core/workspace/workspace.h"

#include <QByteArray>
#include <QImage>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QVector>

#include <array>
#include <optional>

// The file is a small versioned JSON document in UTF-8. Coordinates are
// photograph pixels of the photograph as turned when the consultation was saved;
// angles degrees, positive clockwise. A file is parsed completely, pictures
// decoded included, before anything is applied, so a bad file never leaves a
// workspace half replaced.
class ConsultationFile {
public:
    static constexpr int Version = 1;
    // Far above any real consultation (a few brackets of a few hundred pixels
    // each); a larger file is refused before it is read.
    static constexpr qint64 MaxFileBytes = 64LL * 1024 * 1024;

    enum Error {
        NoError,
        Unreadable, // missing, a folder, not permitted
        TooLarge,
        Damaged, // not JSON, truncated, or a value of the wrong kind
        WrongVersion,
        BadPicture, // an embedded bracket picture that does not decode
        WriteFailed,
        PhotoUnreadable,
        PhotoMismatch, // the photograph no longer has the saved size
    };
    // What the user is told about `error`, in Japanese; empty for NoError.
    static QString message(Error error);

    enum class PhotoState { Same, Changed, Missing };

    struct Bracket {
        int id = 0;
        QString path; // the gallery picture it was pasted from
        QString name;
        bool output = true;
        // The catalogue texts of the gallery row it came from, when known; used
        // to find the row again for the tips.
        std::optional<GalleryEntry> entry;
        // The square canvas with every committed colour adjustment, Format_ARGB32.
        QImage picture;
        QSize sourceSize;
        QPoint position; // top-left of the displayed canvas
        double scale = 1.0;
        double angle = 0.0;
    };
    struct Slot {
        QVector<Bracket> brackets; // paint order
        int selected = -1;
    };

    // The workspace's consultation; gallery holds the bracket list's rows, which
    // the brackets' list items index.
    static ConsultationFile capture(const Workspace& ws, const QVector<GalleryEntry>& gallery);

    QByteArray toJson() const;
    static std::optional<ConsultationFile> fromJson(const QByteArray& json, Error* error);

    // Writes the file atomically: a failed write leaves what was there.
    Error save(const QString& path) const;
    static std::optional<ConsultationFile> load(const QString& path, Error* error);

    // SHA-256 of the file's bytes; empty when it cannot be read.
    static QByteArray hashFile(const QString& path);
    // Whether the photograph at `path` is the one the consultation was made on.
    PhotoState checkPhoto(const QString& path) const;
    // The photograph at `path` turned as it was when saved; null with *error
    // when it cannot be decoded or its size differs from the saved one.
    QImage readPhoto(const QString& path, Error* error) const;

    // Replaces the workspace's whole consultation: photograph (from readPhoto),
    // clip, layout, zoom and brackets. The brackets find their gallery rows
    // again by their texts; a row that is gone leaves the tip empty.
    void applyTo(Workspace& ws, const QString& photoFile, QImage photo,
        const QVector<GalleryEntry>& gallery) const;

    QString photoPath;
    QByteArray photoHash; // SHA-256, raw bytes
    QSize photoSize;
    int photoFlags = -1; // record flags the photograph was turned by; -1 for its EXIF
    QVector<QPoint> clipPoints; // as QClip::GetPoints, trailing entry included
    bool clipClosed = false;
    int paneCount = 1;
    int workSlot = 1;
    int activePane = 0;
    double zoom = 1.0;
    bool fitSize = true;
    int bracketSerial = 0; // the id the next pasted bracket gets
    std::array<Slot, Workspace::SlotCount> slotStates;
};
