// Registers the composite as a new photograph of the current patient: the host
// names the file, the caller writes it, and the host's marker tells it so.
#pragma once

#include <QString>

#include <functional>

class PhotoRegistration {
public:
    // Asks HostDialogs::addImage for a path, has `save` write the composite there,
    // then creates "ImgADD.TMP" in the host's temporary folder and copies the file
    // to the host's second path when it gave one. When the save fails the
    // registration is taken back and nothing else happens. Returns the path
    // written, or an empty string.
    static QString registerComposite(const std::function<bool(const QString& path)>& save);
};
