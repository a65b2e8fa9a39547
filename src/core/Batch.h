// The batch command: every line of a word list evaluated as a word, on all processors.
#pragma once

#include "CliOptions.h"
#include "Output.h"

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace zelm {

// Evaluates the word list named by the options (or standard input) and writes one result per
// non-empty line, in the order of the lines. Returns the exit status.
int RunBatch(const TCliOptions& options, TOutput& output);

struct TEvaluation;

// Evaluates every word of the list in order on this thread and hands each to `word` instead of
// writing it (for a caller that keeps the values itself), with where the word starts in the bytes
// the list is read as (the file's own; their UTF-8 form for a UTF-16 list), its length there and
// whether it is read as UTF-8.
// The words' comments and colours are left out. Returns the exit status.
int ForEachWord(const TCliOptions& options,
                const std::function<void(const TEvaluation&, std::uint64_t offset, std::size_t length, bool utf8)>& word);

// Scores every word of the list against the wanted poles and writes them best first (ties in
// the order of the list); with --top N only the N best, holding no more than N of them.
int RunRank(const TCliOptions& options, TOutput& output);

// The score of a profile against wanted poles: the mean of the poles' values, a right pole's
// negated, in double.
double ScoreOf(std::span<const double> profile, const std::vector<TWantedPole>& poles);

} // namespace zelm
