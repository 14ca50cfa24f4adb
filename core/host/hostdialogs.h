// The host's dialog library: the private temporary folder in which the host and
// Kestrin exchange marker files ("PatientID.TMP", "ImgADD.TMP"), and registering a
// picture as a new photograph of the current patient.
#pragma once

#include "core/host/securefile.h"

#include <QByteArray>
#include <QString>

#include <sys/types.h>

class HostDialogs {
public:
    // Size in bytes of each path buffer that addImage fills, terminating zero included.
    static constexpr int PathBufferSize = 260;

    // $MOLVEX_TEMP when set, else a per-user folder with mode 0700 under the runtime
    // (or cache) folder; a folder Kestrin makes is made 0700. Always ends with "/",
    // so a file name is appended directly.
    static QString tempFolder();
    // Empty when the temporary folder can be trusted with the markers, else a
    // Japanese message naming it: another user's folder, or one group or others
    // may write, would let them choose the patient or plant links at the names.
    static QString tempFolderProblem();
    // Writes a marker as a new file renamed over the name, so a link planted there
    // is replaced rather than followed; refused (Unsafe) in an untrusted folder.
    static SecureFile::Error writeMarker(const QString& name, const QByteArray& content);
    // Up to maxBytes of a marker, never through a link nor from a FIFO; empty when
    // missing, refused, or the folder is untrusted.
    static QByteArray readMarker(const QString& name, qint64 maxBytes = 1024);

    // Root of the photo store: $MOLVEX_PHOTOSTORE when set, else
    // ~/.local/share/Molvex/Photos. Each patient's pictures live in a folder named
    // after the patient id.
    static QString photoStore();
    // Modes of the composites and patient folders in the store: 0600 and 0700,
    // or with the group bits $MOLVEX_PHOTOSTORE_MODE (octal, "0640" or "0660")
    // names, for a practice whose staff share a group. Others never get access.
    static mode_t photoFileMode();
    static mode_t photoFolderMode();
    // Where the patient's folder in the store is, whether or not it exists.
    static QString patientFolderPath(const QString& patientId);
    // The patient's folder in the store, created with photoFolderMode; empty
    // when it cannot be made.
    static QString patientFolder(const QString& patientId);
    // Reserves a fresh picture name in `folder` by creating it empty and
    // exclusively (anything there, even a dangling link, moves on to the next
    // name) and returns its path; empty, with *error, when none could be made.
    // With lockedFd the reservation stays locked there until the caller closes it.
    static QString reservePicture(
        const QString& folder, SecureFile::Error* error = nullptr, int* lockedFd = nullptr);
    // Removes empty, unlocked, unrecorded reservations in `folder` that a
    // registration killed before its picture was written left behind.
    static int removeAbandonedReservations(const QString& folder);

    // Registers a new photograph for the patient whose id "PatientID.TMP" holds and
    // writes into path1 (UTF-8, zero-terminated) a fresh file path in that patient's
    // folder, which exists and is writable; the caller writes the picture there.
    // path2 is always left empty. Both buffers hold PathBufferSize bytes. owner, title
    // and mode belong to the host's signature and are not used. path1 stays empty,
    // and nothing is registered, when no patient is chosen, the folder or the record
    // cannot be made, or the path does not fit the buffer.
    static void addImage(
        void* owner, const char* title, unsigned char mode, char* path1, char* path2);
    // Takes back the registration of a picture that could not be written at path (as
    // addImage returned it), so that no record points at a missing file.
    static bool cancelImage(const QString& path);
    // The id in "PatientID.TMP", trimmed; empty when there is none or the
    // temporary folder is not trusted.
    static QString currentPatient();
};
