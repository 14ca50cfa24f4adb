// Registers the composite as a new photograph of the current patient, all or
// nothing: the picture is written and synced under a freshly reserved name in the
// patient's folder, then its record is added, then the host's marker tells it so.
// A failure at any step takes back what was done and says what failed and where.
// Names come from an exclusive create, so workstations sharing the store and a
// database server never pick the same one.
#pragma once

#include "core/host/securefile.h"

#include <QString>

#include <functional>

class PhotoRegistration {
public:
    enum Outcome {
        Registered,
        NoPatient, // no "PatientID.TMP", or an untrusted temporary folder
        StoreFailed, // the patient's folder or a name in it could not be made
        SaveFailed, // the picture could not be written
        DatabaseFailed, // the photo database refused the record
        MarkerFailed, // "ImgADD.TMP" could not be written
        Cancelled, // the user chose not to register the same picture again
    };
    struct Result {
        Outcome outcome = Cancelled;
        SecureFile::Error kind = SecureFile::NoError;
        QString path; // the registered picture; empty unless Registered
        QString patientId;
        // Japanese, for the user: the failure, or the status-bar confirmation.
        QString message;
        bool ok() const { return outcome == Registered; }
    };

    // `save` writes the composite to the path it is given (a JPEG path). When the
    // picture written is the same, byte for byte, as the last one registered for
    // this patient, confirmRepeat is asked first; false abandons the registration.
    static Result registerPicture(const std::function<bool(const QString& path)>& save,
        const std::function<bool()>& confirmRepeat = {});
    // registerPicture without asking; the path registered, or an empty string.
    static QString registerComposite(const std::function<bool(const QString& path)>& save);

    // The message for a failure of `kind` at `where` (a file or folder).
    static QString failureText(SecureFile::Error kind, const QString& where);
};
