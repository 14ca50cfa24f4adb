// The one table of commands: id, menu text, status prompt and tool tip, shortcut.
// Menus, tool bars and the update pass are all built from it.
#pragma once

#include <QKeySequence>
#include <QString>
#include <QVector>

struct CommandRow {
    int id;
    QString text; // menu text with its mnemonic
    QString prompt; // "status text\ntool tip"; either part may be missing
    QKeySequence shortcut;

    QString statusTip() const { return prompt.section('\n', 0, 0); }
    QString toolTip() const { return prompt.section('\n', 1, 1); }
};

class CommandTable {
public:
    static const QVector<CommandRow>& rows();
    // The row for `id`, or null for an id the table does not have.
    static const CommandRow* find(int id);
};
