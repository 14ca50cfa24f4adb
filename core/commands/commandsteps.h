// Which commands change the consultation and under which undo step's name. The
// frame runs every command through run(), so each of those commands is one step
// however many dialogs, questions and previews it takes.
#pragma once

#include "core/workspace/consultationstep.h"

#include <optional>

class CommandEnv;

class CommandSteps {
public:
    // Nothing for commands that change no consultation state (zoom, bars, files).
    static std::optional<ConsultationStep::Kind> stepOf(int id);
    // Runs command `id`'s handler, recording what it changed as one step; an
    // unknown id does nothing.
    static void run(int id, CommandEnv& env);
};
