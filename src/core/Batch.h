// The batch command: every line of a word list evaluated as a word, on all processors.
#pragma once

#include "CliOptions.h"
#include "Output.h"

#include <span>
#include <vector>

namespace zelm {

// Evaluates the word list named by the options (or standard input) and writes one result per
// non-empty line, in the order of the lines. Returns the exit status.
int RunBatch(const TCliOptions& options, TOutput& output);

// Scores every word of the list against the wanted poles and writes them best first (ties in
// the order of the list); with --top N only the N best, holding no more than N of them.
int RunRank(const TCliOptions& options, TOutput& output);

// The score of a profile against wanted poles: the mean of the poles' values, a right pole's
// negated, in double.
double ScoreOf(std::span<const double> profile, const std::vector<TWantedPole>& poles);

} // namespace zelm
