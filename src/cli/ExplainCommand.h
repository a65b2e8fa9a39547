// The explain command: every value of a word or a text taken apart into the terms of its sounds.
#pragma once

#include "CliOptions.h"
#include "Evaluation.h"
#include "Output.h"

#include <string>

namespace zelm {

// Explains each word of the options, or the text of --text; the exit status.
int RunExplain(const TCliOptions& options, TOutput& output);

// The JSON line of an explanation: the `word`/`text` object, then its terms and clamped scales.
void AppendExplanationJson(std::string& out, const TEvaluation& e, const TExplanation& x);

} // namespace zelm
