// The sounds command: the sound statistics behind a text's evaluation.
#pragma once

#include "CliOptions.h"
#include "Output.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zelm {

// One counted unit of a text: a rating column (Russian) or a sound code (Ukrainian).
struct TSoundRow {
    std::string Label;   // the letter, "ʹ" after a soft consonant (UTF-8)
    std::int64_t Count = 0;
    double Share = 0;    // Count / total
    float Norm = 0;      // the reference frequency the z-score uses
    float Z = 0;         // the z-score as the text evaluation computes it
};

// The rows of a counted text, in the order of the units.
std::vector<TSoundRow> RussianSoundRows(const std::vector<std::int64_t>& counts, std::int64_t total);
std::vector<TSoundRow> UkrainianSoundRows(const std::vector<std::int64_t>& counts, std::int64_t total);

// The name of a sound as `sounds` prints it: a Russian rating column or a Ukrainian sound code
// (0..49), or with `word`, a word's sound code (a stressed vowel with the acute accent).
std::string SoundLabel(TLanguage language, bool word, int code);

// Reads each file (or standard input) as one text and writes its rows; the exit status.
int RunSounds(const TCliOptions& options, TOutput& output);

} // namespace zelm
