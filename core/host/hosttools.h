// Where the practice's shared INI file lives, and whether a file exists: the two
// things Kestrin asks of the host's tool library.
#pragma once

#include <QString>

class HostTools {
public:
    // Full path of the shared INI file: $MOLVEX_INI when set, else
    // ~/.config/Molvex/Molvex.ini. The folder is created if missing. The argument
    // selects the host product's INI; 0 is the shared one and the only one we use.
    static QString iniFileName(int which);

    // True when a regular file exists at `path` itself: directories, FIFOs and
    // links (even to a file) do not count.
    static bool fileExists(const QString& path);
};
