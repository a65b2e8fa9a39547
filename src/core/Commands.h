// The commands of zelm-cli that need no Qt, as one call: the program and the web page run them alike.
#pragma once

#include "CliOptions.h"
#include "Output.h"

#include <string>

namespace zelm {

// Runs a command that needs no Qt (word, text, batch, rank, sounds, explain, help, version) and
// returns its exit status; what it prints goes to `output`, its complaints to standard error.
int RunCommand(const TCliOptions& options, TOutput& output);

} // namespace zelm
