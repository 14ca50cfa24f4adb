// What a change to the gallery came to: done, or why not, with the message the
// user is to see. A failed change has left the catalogue and the pictures as
// they were.
#pragma once

#include <QString>

class GalleryChange {
public:
    enum Status {
        Done,
        Unwritable, // the folder or the catalogue cannot be written (rights, space)
        Busy, // another workstation held the lock for too long
        Changed, // the entry was changed or removed by someone else meanwhile
        UnreadablePicture, // the picture to add cannot be decoded
        UnwritableText, // a text holds characters the catalogue's encoding lacks
    };

    static GalleryChange Succeeded(const QString& picturePath = QString());
    static GalleryChange Failed(Status status, const QString& message);

    bool ok() const { return m_status == Done; }
    Status status() const { return m_status; }
    // Japanese, naming the gallery folder or the file concerned; empty when done.
    QString message() const { return m_message; }
    // The full path of the picture an add wrote; empty otherwise.
    QString picturePath() const { return m_picturePath; }

private:
    Status m_status = Done;
    QString m_message;
    QString m_picturePath;
};
