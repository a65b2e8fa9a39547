// The explain command: every value of a word or a text taken apart into the terms of its sounds.
#pragma once

#include "CliOptions.h"
#include "Evaluation.h"
#include "Output.h"

#include <string>

namespace zelm {

// Explains each word of the options, or the text of --text; the exit status.
int RunExplain(const TCliOptions& options, TOutput& output);

} // namespace zelm
