// The document: opens the photograph or saved consultation named on the command
// line into the frame's workspace, showing a quick preview of a photograph at
// once and the full picture when its decode finishes. It keeps no simulation
// data of its own.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <future>
#include <memory>

class CMainFrame;
class ProgressivePhoto;

class CKestrinDoc : public QObject {
    Q_OBJECT

public:
    explicit CKestrinDoc(CMainFrame* frame, QObject* parent = nullptr);

    // Loads and orients the photograph, resets the simulation, sets the frame title
    // and gives the panes their initial update. Succeeds even when the file holds
    // no loadable picture: the workspace is then empty. A saved consultation
    // (".kestrin") opens with its photograph; it fails when it cannot be opened.
    // A photograph with a consultation in the patient's folder offers to resume it.
    // `started`, from startOpening(path), is the photograph's decode already under
    // way; without it the photograph is decoded here.
    bool OnOpenDocument(const QString& path,
        std::future<std::unique_ptr<ProgressivePhoto>> started = {});
    // Starts decoding the photograph at `path` on another thread, before the window
    // exists, for panes of at most the primary screen's size. Invalid for a saved
    // consultation or when no thread can be had.
    static std::future<std::unique_ptr<ProgressivePhoto>> startOpening(const QString& path);

    QString pathName() const { return m_pathName; }

private:
    // Takes over the full picture once decoded and repaints the panes with it.
    void checkFullPhoto();

    CMainFrame* m_frame;
    QTimer m_fullPhotoPoll;
    QString m_pathName;
};
