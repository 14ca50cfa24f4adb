// "kestrin --export FILE.kestrin OUT.jpg|OUT.pdf": renders a saved consultation
// as the saved composite or the printed page, with no window and no display, for
// the host program and scripts.
#pragma once

#include <QString>

class HeadlessExport {
public:
    // Whether the command line (program name first) asks for an export.
    static bool requested(int argc, char** argv);
    // The whole run, application object included; the process's exit code: 0 on
    // success, else non-zero with the reason on standard error.
    static int run(int argc, char** argv);

    // Renders the consultation into `out`: the printed page as PDF when `out`
    // ends in ".pdf" (any case), else the composite as JPEG, named as a save
    // names it. Empty on success, else what went wrong; *warning is set when the
    // photograph changed since the consultation was saved.
    static QString exportConsultation(
        const QString& consultation, const QString& out, QString* warning = nullptr);
};
