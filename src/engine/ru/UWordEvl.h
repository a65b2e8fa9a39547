// Russian word evaluation by both algorithms, and the sound-colour measure of a word.
#pragma once

#include "UEmData.h"

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace zelm {

// The state of the last Russian word evaluation. Every evaluation overwrites it; the result of a
// word never depends on the word evaluated before it.
class TWordEvaluator {
public:
    // Value of scale k at index k - 1; positive leans to the left pole.
    std::array<double, ScaleCount> WordProfile{};
    // The transcription of the last word (without the end mark).
    std::vector<SoundCode> WordSounds;
    // Largest FrequencyByCode value among the word's sounds; 0 for none (Zhuravlev).
    double WordMaxFrequency = 0;
    // Weighted count per sound code, and the number of sounds (Levitsky).
    std::array<double, SoundCodeCount> WordSoundCounts{};
    std::int64_t WordSoundTotal = 0;

    void EvaluateWordZhuravlev(std::string_view word);
    void EvaluateWordLevitsky(std::string_view word);
    void EvaluateWord(std::string_view word, TEvalScheme scheme);

    // Zhuravlev's value of one scale: the mean of the sounds' ratings weighted by their rarity,
    // the first sound four times, later stressed vowels twice.
    static double ZhuravlevWordScale(int scale, std::span<const SoundCode> sounds, double maxFrequency);
    // Levitsky's value of one scale from WordSoundCounts and WordSoundTotal, clamped to -1..1.
    double LevitskyWordScale(int scale) const;
    // The weight of a sound in Zhuravlev's mean: its rarity against the word's most frequent
    // sound, four times in first position, twice for a later stressed vowel.
    static double ZhuravlevWeight(SoundCode code, bool first, double maxFrequency);

private:
    std::vector<SoundCode> Present_;  // codes the word has (Levitsky), ascending
    std::vector<double> Deviations_;  // their count minus the expected count
};

// Class count, denominator and colour of one colour class 1..6 of a word; the measure is
// Count / Denominator.
struct TWordColourShare {
    double Count;
    double Denominator;
    std::uint32_t Colour;
};
TWordColourShare WordColourShare(std::string_view word, int colourClass);
// The six classes at once, in one pass over the word.
std::array<TWordColourShare, ColourClassCount> WordColourShares(std::string_view word);

} // namespace zelm
