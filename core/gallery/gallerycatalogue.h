// The gallery folder and its catalogue file bracket.csv: where they are, how a
// line splits into fields, reading the catalogue, and the three changes (add,
// edit, delete) that several workstations may make to one shared folder.
#pragma once

#include "core/gallery/gallerychange.h"
#include "core/gallery/galleryentry.h"
#include "core/host/securefile.h"

#include <QString>
#include <QStringList>
#include <QVector>

class QImage;
class QIODevice;

class GalleryCatalogue {
public:
    // The gallery folder, looked up anew on every call: "DB_DIR"/"GALLERY" of the
    // host's INI file when set, else DefaultFolder() of the executable's folder.
    // Always ends with "/"; a configured value may use "\\" and may omit the
    // final separator.
    static QString GalleryFolder();

    // "DB_DIR"/"GALLERY" exactly as the INI holds it (a Windows machine may have
    // written "D:\\Molvex\\Gallery\\"), for naming it in messages; empty when
    // the default gallery is used.
    static QString ConfiguredFolder();

    // The gallery that comes with the program, for an executable in `programDir`:
    // "Gallery/" beside it (a build tree) when that folder exists, else
    // "../share/kestrin/Gallery/" (an installed copy) when that one exists, else
    // "Gallery/" beside it again.
    static QString DefaultFolder(const QString& programDir);

    // GalleryFolder() + "bracket.csv".
    static QString CatalogueFile();

    // `folder` with "\\" turned into "/" and a trailing "/" added when missing,
    // so that file names can be appended to it. An empty folder stays empty.
    static QString FolderPrefix(const QString& folder);

    // Appends the fields of `line`, cut at every `separator`, to `fields` and
    // returns how many were appended: separators + 1, so an empty line gives one
    // empty field and a trailing separator an empty last field.
    static int SplitFields(const QString& line, QChar separator, QStringList& fields);

    // Replaces `entries` with one entry per catalogue line whose picture file
    // exists, in file order. Returns false, with `entries` empty, when the
    // catalogue cannot be opened (missing, unreadable, not a regular file);
    // the caller then shows its "not found" message.
    static bool LoadCatalogue(
        const QString& folder, const QString& catalogueFile, QVector<GalleryEntry>& entries);

    // The line-by-line part of LoadCatalogue, on any device open for reading.
    static void ReadCatalogue(const QString& folder, QIODevice& in, QVector<GalleryEntry>& entries);

    // The three changes the user can make. Each takes the lock beside the
    // catalogue, reads the file again under it, changes exactly one line (the
    // rest keeps its bytes, order, line ends and encoding), keeps the previous
    // version as "bracket.csv.bak" and replaces the file atomically. On any
    // failure nothing is written and the result says why.
    //
    // Rewrites the line of `before` (found by its picture file and its texts as
    // loaded) with the fields of `after` that differ from it.
    static GalleryChange EditEntry(const QString& folder, const QString& catalogueFile,
        const GalleryEntry& before, const GalleryEntry& after);
    // Removes the line of `entry`, found as for EditEntry.
    static GalleryChange DeleteEntry(
        const QString& folder, const QString& catalogueFile, const GalleryEntry& entry);
    // Writes `picture` as the next free "bracket%04d.png" and appends its line
    // "name,bracket,material,wire,vendor,memo,side"; an empty vendor or memo
    // becomes "VendorNNNN"/"MemoNNNN", NNNN the number of lines before the
    // append. A missing catalogue is created (in CP932). A null picture is
    // refused before anything is written. The result names the new picture.
    static GalleryChange AddEntry(const QString& folder, const QString& catalogueFile,
        const GalleryEntry& texts, const QImage& picture);

    // The characters of `text` that the catalogue's encoding cannot hold (CP932
    // for a catalogue not yet written); empty when all can be written.
    static QString UnwritableCharacters(const QString& catalogueFile, const QString& text);

    // Writes `bytes` as the new catalogue once they are fully on disk, so a
    // failure (full disk, unwritable folder) leaves the old file as it was.
    // Through a link the target is written; the file keeps its mode.
    static bool SaveCatalogue(
        const QString& catalogueFile, const QByteArray& bytes, SecureFile::Error* error = nullptr);

    // The first "bracket%04d.png" (n = 1, 2, …) for which nothing exists in
    // `folder` and that no name in `named` (catalogue field 1, compared without
    // regard to case, as Windows does) takes.
    static QString NextPictureName(const QString& folder, const QStringList& named = {});

    // What is wrong with a gallery, one Japanese line each, in file order: lines
    // whose picture is missing, pictures no line names, pictures that cannot be
    // read, pictures named by more than one line. Empty when all is well.
    static QStringList CheckGallery(const QString& folder, const QString& catalogueFile);

    // One catalogue line's bytes as text: UTF-8 when the bytes are valid UTF-8,
    // else the Japanese Windows code page (CP932) that older catalogues use.
    static QString DecodeLine(const QByteArray& bytes);

    // How long a change waits for another workstation's lock.
    static constexpr int LockTimeoutMs = 5000;
};
