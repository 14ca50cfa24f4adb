// The document: opens the photograph or saved consultation named on the command
// line into the frame's workspace, showing a quick preview of a photograph at
// once and the full picture when its decode finishes. It keeps no simulation
// data of its own.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

class CMainFrame;

class CKestrinDoc : public QObject {
    Q_OBJECT

public:
    explicit CKestrinDoc(CMainFrame* frame, QObject* parent = nullptr);

    // Loads and orients the photograph, resets the simulation, sets the frame title
    // and gives the panes their initial update. Succeeds even when the file holds
    // no loadable picture: the workspace is then empty. A saved consultation
    // (".kestrin") opens with its photograph; it fails when it cannot be opened.
    // A photograph with a consultation in the patient's folder offers to resume it.
    bool OnOpenDocument(const QString& path);

    QString pathName() const { return m_pathName; }

private:
    // Takes over the full picture once decoded and repaints the panes with it.
    void checkFullPhoto();

    CMainFrame* m_frame;
    QTimer m_fullPhotoPoll;
    QString m_pathName;
};
