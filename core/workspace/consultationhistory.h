// The consultation's undo history: every change the user makes becomes one named
// step between a begin() and an end(), compared as whole states, so a drag of many
// pointer moves or a dialog of many previews is one step and a click that changed
// nothing is none. Owned by the workspace; a new photograph clears it.
#pragma once

#include "core/workspace/consultationstep.h"

#include <QString>
#include <QUndoStack>

#include <optional>

class Workspace;

class ConsultationHistory {
public:
    // Oldest steps are forgotten beyond this: each adjusted picture a step keeps
    // may hold a megabyte, and no consultation is taken back this far.
    static constexpr int MaxSteps = 100;

    explicit ConsultationHistory(Workspace& ws);
    ConsultationHistory(const ConsultationHistory&) = delete;
    ConsultationHistory& operator=(const ConsultationHistory&) = delete;

    // A change starts: the state now is what undo returns to. Begins nest; only
    // the outermost pair records.
    void begin();
    // The change is over: when anything differs from the state at the outermost
    // begin(), pushes one step of `kind`. A `mergeKey` >= 0 folds it into the
    // previous step of the same kind and key. Nothing without a begin.
    void end(ConsultationStep::Kind kind, int mergeKey = -1);
    // A change is in progress (a drag, a dialog): undo and redo wait.
    bool busy() const { return m_depth > 0; }

    bool canUndo() const { return !busy() && m_stack.canUndo(); }
    bool canRedo() const { return !busy() && m_stack.canRedo(); }
    // Names of the steps undo and redo would take; empty when there is none.
    QString undoName() const { return m_stack.canUndo() ? m_stack.undoText() : QString(); }
    QString redoName() const { return m_stack.canRedo() ? m_stack.redoText() : QString(); }
    // Put the workspace back one step or forward one; false (and nothing done)
    // when there is none or a change is in progress.
    bool undo();
    bool redo();

    // Forgets every step and any change in progress.
    void clear();
    // Steps kept, and how many of them are done (not undone).
    int count() const { return m_stack.count(); }
    int index() const { return m_stack.index(); }

private:
    Workspace& m_ws;
    QUndoStack m_stack;
    int m_depth = 0;
    std::optional<ConsultationSnapshot> m_before;
};
