// One undoable change to the consultation: the state before and after it and the
// Japanese name the Edit menu shows for it. Undo and redo put the workspace back
// to one of the two states; the caller repaints.
#pragma once

#include "core/workspace/consultationsnapshot.h"

#include <QString>
#include <QUndoCommand>

class Workspace;

class ConsultationStep : public QUndoCommand {
public:
    enum Kind {
        Paste,
        Replace,
        Move,
        Scale,
        Rotate,
        Delete,
        Brightness,
        ColorBalance,
        ClipAddPoint,
        ClipMovePoint,
        ClipDeletePoint,
        ClipDuplicatePoint,
        ClipDelete,
        ClipClose,
        ClipDone,
        NewClip,
        PaneCount,
    };
    // The step's name as the user reads it; every name lives here.
    static QString name(Kind kind);

    // A step taken already: the first redo, which QUndoStack::push asks for, leaves
    // the workspace as it is. `mergeKey` >= 0 lets a following step of the same
    // kind and key fold into this one (the nudges of one bracket).
    ConsultationStep(Workspace& ws, Kind kind, ConsultationSnapshot before,
        ConsultationSnapshot after, int mergeKey = -1);

    void undo() override;
    void redo() override;
    int id() const override;
    bool mergeWith(const QUndoCommand* other) override;

    Kind kind() const { return m_kind; }
    const ConsultationSnapshot& before() const { return m_before; }
    const ConsultationSnapshot& after() const { return m_after; }

private:
    Workspace& m_ws;
    Kind m_kind;
    ConsultationSnapshot m_before;
    ConsultationSnapshot m_after;
    int m_mergeKey;
    bool m_taken = true; // the workspace already shows m_after
};
