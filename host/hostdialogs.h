// The host's dialog library: the private temporary folder in which the host and
// Kestrin exchange marker files ("PatientID.TMP", "ImgADD.TMP").
#pragma once

#include <QString>

class HostDialogs
{
public:
    // $MOLVEX_TEMP when set, else a per-user folder with mode 0700 under the runtime
    // (or cache) folder. Always ends with "/", so a file name is appended directly.
    // Never a world-writable shared folder: fixed marker names there would invite
    // symlink attacks.
    static QString tempFolder();
};
