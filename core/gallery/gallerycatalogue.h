// The gallery folder and its catalogue file bracket.csv: where they are, how a
// line splits into fields, and reading, rewriting and appending the catalogue.
#pragma once

#include "core/gallery/galleryentry.h"

#include <QString>
#include <QStringList>
#include <QVector>

class QFile;
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

    // Rewrites the catalogue from `entries`, in their order, seven fields a line,
    // UTF-8 with CR LF. The old file is replaced only once the new one is fully
    // on disk, so a failure (full disk, unwritable folder) leaves it as it was
    // and returns false; what an interrupted rewrite left in the folder is
    // removed. The file keeps its mode. No entries give a zero-byte file.
    static bool SaveCatalogue(const QString& catalogueFile, const QVector<GalleryEntry>& entries);

    // The first "bracket%04d.png" (n = 1, 2, …) for which nothing exists in
    // `folder`; numbers freed by a deleted entry are reused only once its picture
    // file is gone.
    static QString NextPictureName(const QString& folder);

    // Counts the lines of `catalogue` (open for reading and writing): every line
    // feed ends one, an unterminated last line counts too. Such a last line gets
    // its line end written, so that a following append starts a line of its own.
    // Returns -1 when reading or that write fails.
    static int CountLinesAndTerminate(QFile& catalogue);

    // Adds a line for a new picture at the end of an existing catalogue:
    // "name,bracket,material,wire,VendorNNNN,MemoNNNN,outer" where NNNN is the
    // number of lines before the append. Returns the full path the new picture is
    // to be written to, or an empty string when nothing was appended (catalogue
    // missing or not writable). A failed write leaves the file as it was.
    static QString AppendEntry(const QString& folder, const QString& catalogueFile,
        const QString& bracketName, const QString& material, const QString& wire);

    // One catalogue line's bytes as text: UTF-8 when the bytes are valid UTF-8,
    // else the Japanese Windows code page (CP932) that older catalogues use.
    static QString DecodeLine(const QByteArray& bytes);
};
