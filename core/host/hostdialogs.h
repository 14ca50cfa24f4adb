// The host's dialog library: the private temporary folder in which the host and
// Kestrin exchange marker files ("PatientID.TMP", "ImgADD.TMP"), and registering a
// picture as a new photograph of the current patient.
#pragma once

#include <QString>

class HostDialogs {
public:
    // Size in bytes of each path buffer that addImage fills, terminating zero included.
    static constexpr int PathBufferSize = 260;

    // $MOLVEX_TEMP when set, else a per-user folder with mode 0700 under the runtime
    // (or cache) folder. Always ends with "/", so a file name is appended directly.
    // Never a world-writable shared folder: fixed marker names there would invite
    // symlink attacks.
    static QString tempFolder();

    // Root of the photo store: $MOLVEX_PHOTOSTORE when set, else
    // ~/.local/share/Molvex/Photos. Each patient's pictures live in a folder named
    // after the patient id.
    static QString photoStore();

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
    // The id in "PatientID.TMP", trimmed; empty when there is none.
    static QString currentPatient();
};
