// Why an evaluation gives its values: each scale's value taken apart into the terms of its sounds.
// Every evaluation is a sum of per-sound terms; an explanation lists them, worked out from the
// evaluator's own state (its transcription, counts and z-scores) with the same tables and weights,
// so that for every scale the contributions add up to the value before any clamp.
#pragma once

#include "EngineTypes.h"

#include <vector>

namespace zelm {

class TWordEvaluator;
class TTextEvaluator;
class TUkrWordEvaluator;
class TUkrTextEvaluator;

struct TExplainTerm {
    // The unit: a word's sound code (Russian 0..53, Ukrainian 0..59; Levitsky: the code its
    // count is kept under), a Russian text's rating column 0..44, a Ukrainian text's sound 0..49.
    int Code = 0;
    int Position = -1;      // Zhuravlev words: the sound's place in the word, from 0
    double Weight = 0;      // Zhuravlev words: rarity times the first-position or stress factor
    double Count = 0;       // Levitsky words: the weighted count; texts: the occurrences
    double Expected = 0;    // Levitsky words and texts: N times the sound's frequency
    double Z = 0;           // texts: the z-score the evaluation uses (single precision)
    std::vector<double> Contributions; // one per scale, scale k at index k - 1
};

struct TExplanation {
    std::vector<TExplainTerm> Terms;
    std::vector<int> Clamped; // Levitsky words: the scales (from 1) whose value the ±1 clamp cut
    // Per scale, the sum of the contributions (the value before the clamp).
    double Sum(int scale) const;
};

// Each of these explains the evaluator's last evaluation by `scheme` (the one it was made by):
// - words by Zhuravlev: one term per sound, rating × weight / sum of weights;
// - words by Levitsky: one term per sound counted, rating × (count − expected) / N (a Ukrainian
//   vowel twice, as the evaluation visits its stressed code too);
// - texts by Zhuravlev: one term per unit, rating × z when |z| > 1, else 0;
// - texts by Levitsky: one term per unit, 100 × rating × (count − expected) / N.
TExplanation ExplainWord(const TWordEvaluator& word, TEvalScheme scheme);
TExplanation ExplainWord(const TUkrWordEvaluator& word, TEvalScheme scheme);
TExplanation ExplainText(const TTextEvaluator& text, TEvalScheme scheme);
TExplanation ExplainText(const TUkrTextEvaluator& text, TEvalScheme scheme);

} // namespace zelm
