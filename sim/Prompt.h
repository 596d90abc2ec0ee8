#pragma once

#include "Script.h"

#include <ostream>

// The prompt on a terminal: lines are edited as in a shell (libedit), and the lines typed before, in this
// session and earlier ones ("~/.orvane-sim_history", the last 1000), come back with the arrow keys. As
// runPrompt, a failing command is reported and the session goes on until Ctrl-D.
int runTerminalPrompt(const CommandRunner& run, std::ostream& out, std::ostream& errors);
