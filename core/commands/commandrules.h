// The enable and check rule of every command, derived from the workspace and a
// few facts about the windows. The frame's update pass is the only caller that
// applies them to actions.
#pragma once

class Workspace;

// What the rules need to know beyond the workspace.
struct CommandContext {
    int activeSlot = 0;
    bool listHasSelection = false; // the bracket list has a selected row
    bool bracketBarVisible = true; // the bracket list's docking bar is on screen
    bool patientFileExists = false; // the host named a current patient
    bool statusBarVisible = true;
};

struct CommandState {
    bool enabled = false;
    bool checked = false;
    bool known = false; // false for ids without a rule: leave such actions alone
};

class CommandRules {
public:
    static CommandState evaluate(int id, const Workspace& ws, const CommandContext& context);
};
