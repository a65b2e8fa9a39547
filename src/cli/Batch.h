// The batch command: every line of a word list evaluated as a word, on all processors.
#pragma once

#include "CliOptions.h"
#include "Output.h"

namespace zelm {

// Evaluates the word list named by the options (or standard input) and writes one result per
// non-empty line, in the order of the lines. Returns the exit status.
int RunBatch(const TCliOptions& options, TOutput& output);

} // namespace zelm
