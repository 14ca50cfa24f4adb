// The one table of commands: for each id its menu text, status prompt and tool
// tip, shortcut, tool-bar icon, whether it is checkable, its enable/check rule,
// its handler and the undo step it makes. Actions, menus, tool bars, the update
// pass and the undo history come from it.
#pragma once

#include "core/workspace/consultationstep.h"

#include <QCoreApplication>
#include <QKeySequence>
#include <QString>
#include <QVector>

#include <optional>

class CommandEnv;
class Workspace;

// What the rules need to know beyond the workspace: facts about the windows.
struct CommandContext {
    bool listHasSelection = false; // the bracket list has a selected row
    bool bracketBarVisible = true; // the bracket list's docking bar is on screen
    bool patientFileExists = false; // the host named a current patient
    bool statusBarVisible = true;
    // Why the photo database cannot be reached; empty when it can.
    QString photoDatabaseProblem;
};

struct CommandState {
    bool enabled = true;
    bool checked = false;
    QString toolTip; // replaces the row's while set: why the command is off
    QString text; // replaces the row's menu text while set: what the command would do
};

using CommandRule = CommandState (*)(const Workspace& ws, const CommandContext& context);
// Runs the command; callers refresh every action's state afterwards.
using CommandHandler = void (*)(CommandEnv& env);

struct CommandRow {
    int id;
    QString text; // menu text with its mnemonic, untranslated
    QString prompt; // "status text\ntool tip"; either part may be missing; untranslated
    QKeySequence shortcut;
    const char* icon; // base name of an SVG in the icon resources; null for none
    bool checkable;
    CommandRule rule;
    CommandHandler handler;
    // The undo step the command makes, however many dialogs, questions and
    // previews it takes; none for commands that change no consultation state
    // (zoom, bars, files).
    std::optional<ConsultationStep::Kind> step = std::nullopt;

    // In the language the application speaks now.
    QString menuText() const;
    QString statusTip() const;
    QString toolTip() const;
};

class CommandTable {
    Q_DECLARE_TR_FUNCTIONS(CommandTable)

public:
    static const QVector<CommandRow>& rows();
    // The row for `id`, or null for an id the table does not have.
    static const CommandRow* find(int id);
    // Runs command `id`'s handler, recording what it changed as the row's undo
    // step; an unknown id does nothing.
    static void execute(int id, CommandEnv& env);
    // The state of `id`'s action; enabled and unchecked for an unknown id.
    static CommandState evaluate(int id, const Workspace& ws, const CommandContext& context);
};
