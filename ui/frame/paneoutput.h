// The pane commands that send the composite out of the program: save as JPEG,
// register in the photo database, print, print directly, preview, printer set-up.
#pragma once

#include <QString>
#include <QVector>

class CMainFrame;
class QAbstractPrintDialog;
class QDate;
class QPrinter;
class QWidget;
class Workspace;

// Every function reads the frame's workspace and the panes its layout shows at
// the moment of the call; none keeps state apart from the one printer that the
// set-up, print and preview commands share.
class PaneOutput {
public:
    // A save that runs longer than this shows the busy cursor.
    static constexpr int BusyCursorDelayMs = 500;

    // The slot numbers of the shown panes, row by row, and the grid they form, as
    // the workspace's pane layout says.
    static QVector<int> shownSlots(const CMainFrame* frame, int* rows, int* cols);

    // The name Save As offers: "<patient id>_<yyyyMMdd>.jpg" for a current
    // patient, else the photograph's base name with "_kestrin.jpg".
    static QString suggestedName(
        const QString& patientId, const QString& photoPath, const QDate& day);
    static void saveAs(CMainFrame* frame);
    // Shows the save failure message on failure, unless the caller reports it.
    // `mirrored` turns each pane left to right (the label still reads); the
    // database and the printer always get the true orientation.
    static bool saveComposite(CMainFrame* frame, const QString& path, bool reportFailure = true,
        bool mirrored = false);
    static void registerComposite(CMainFrame* frame);

    static void print(CMainFrame* frame, bool withDialog);
    static void printPreview(CMainFrame* frame);
    // Chooses the printer and its settings for later prints; prints nothing.
    static void printerSetup(QWidget* parent);
    // One page only, whatever the printer could do.
    static void OnPreparePrinting(QAbstractPrintDialog* dialog);
    static void OnPrint(CMainFrame* frame, QPrinter* printer);
    // The page the print command prints: the shown panes laid out on the
    // printer's page, under a header naming the patient (when one is set).
    // False when there is nothing to print or the printer cannot be opened.
    static bool printPage(const Workspace& ws, QPrinter* printer, const QString& patientId);
    // Turns the page to whichever orientation prints the shown panes larger; the
    // print dialog can still change it.
    static void chooseOrientation(const Workspace& ws, QPrinter* printer);

    // The application's printer, created on first use and kept until the
    // application ends.
    static QPrinter* printer();
};
