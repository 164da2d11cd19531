// One run of the program: banner and menu, the prompts, the stages in their fixed order, the
// summary and the run time.
#pragma once

#include "driver/console.h"

namespace varnok {

// Exit status of a run.
constexpr int EXIT_OK = 0;
constexpr int EXIT_FAILURE_STATUS = 1; // a report or the game file failed us midway

// Runs the whole dialogue on the console; returns the exit status.
int runMainFlow(Console& console);

} // namespace varnok
