#include "core/commands/commandsteps.h"

#include "core/commands/commandenv.h"
#include "core/commands/commandids.h"
#include "core/commands/commandtable.h"
#include "core/workspace/workspace.h"

std::optional<ConsultationStep::Kind> CommandSteps::stepOf(int id)
{
    using K = ConsultationStep;
    switch (id) {
    case Cmd::ClipDefine:
        return K::NewClip;
    case Cmd::ClipOk:
    case Cmd::MenuClipOk:
        return K::ClipDone;
    case Cmd::ClipClose:
    case Cmd::MenuClipClose:
        return K::ClipClose;
    case Cmd::ClipDeleteLastPoint:
    case Cmd::MenuClipDeleteLastPoint:
    case Cmd::ClipDeletePoint:
        return K::ClipDeletePoint;
    case Cmd::ClipDuplicatePoint:
        return K::ClipDuplicatePoint;
    case Cmd::ClipDelete:
    case Cmd::MenuClipDelete:
        return K::ClipDelete;
    case Cmd::Panes1:
    case Cmd::Panes2:
    case Cmd::Panes4:
        return K::PaneCount;
    case Cmd::BracketDelete:
        return K::Delete;
    case Cmd::Brightness:
        return K::Brightness;
    case Cmd::ColorBalance:
        return K::ColorBalance;
    default:
        return std::nullopt;
    }
}

void CommandSteps::run(int id, CommandEnv& env)
{
    const CommandRow* row = CommandTable::find(id);
    if (!row)
        return;
    const std::optional<ConsultationStep::Kind> step = stepOf(id);
    if (!step) {
        row->handler(env);
        return;
    }
    ConsultationHistory& history = env.workspace().m_history;
    history.begin();
    row->handler(env);
    history.end(*step);
}
