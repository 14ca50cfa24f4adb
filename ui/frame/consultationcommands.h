// The consultation commands of the File menu: save the consultation to a
// ".kestrin" file, open a saved one, and offer a saved one back when its
// photograph is opened again.
#pragma once

#include <QString>

class CMainFrame;

class ConsultationCommands {
public:
    // "<photograph stem>.kestrin" in the current patient's folder of the photo
    // store; empty when the host names no patient. The folder is not created.
    static QString storePath(const QString& photoPath);

    // Asks where to save, the patient's folder first, and writes the file.
    static bool save(CMainFrame* frame);
    // Writes the frame's consultation to `path`; reports a failure to the user.
    static bool saveTo(CMainFrame* frame, const QString& path);
    // Opens `path`, or asks for a file when it is empty. A photograph that is gone
    // is asked for; one whose bytes changed opens with a warning. On any failure
    // the user is told why and the frame's consultation stays as it was.
    static bool open(CMainFrame* frame, const QString& path = {});
    // After a photograph was opened: when the patient's folder holds a
    // consultation made on it, asks whether to resume it.
    static void offerResume(CMainFrame* frame);
};
