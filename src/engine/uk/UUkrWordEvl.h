// Ukrainian word evaluation by both algorithms, and the word's colour counts and shares.
#pragma once

#include "UEmUkrData.h"

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace zelm {

// The state of the last Ukrainian word evaluation; every evaluation overwrites all of it.
class TUkrWordEvaluator {
public:
    // Value of scale k at index k - 1 (not multiplied by 100).
    std::array<double, UkrScaleCount> UkrWordProfile{};
    std::vector<SoundCode> UkrWordSounds;
    double UkrWordMaxFrequency = 0;
    // Weighted count per sound 0..49 (a stressed vowel counts at its unstressed code), and the
    // number of sounds (Levitsky).
    std::array<double, UkrSoundCount> UkrWordSoundCounts{};
    std::int64_t UkrWordSoundTotal = 0;
    // Summed colour weights of the word's vowels, colour class k at index k - 1.
    std::array<std::int64_t, ColourClassCount> UkrWordColourCounts{};

    void UkrEvaluateWordZhuravlev(std::string_view word);
    // A word without sounds gives seven zeros.
    void UkrEvaluateWordLevitsky(std::string_view word);
    void UkrEvaluateWord(std::string_view word, TEvalScheme scheme);

    static double UkrZhuravlevWordScale(int scale, std::span<const SoundCode> sounds, double peak);
    // Sums over all sixty codes, so a vowel's term counts twice; clipped to -1..1.
    double UkrLevitskyWordScale(int scale) const;
    // The weight of a sound in Zhuravlev's mean: its rarity against the word's peak frequency,
    // four times in first position, twice for a later stressed vowel.
    static double UkrZhuravlevWeight(SoundCode code, bool first, double peak);

    // Share 0..1 of colour class 1..6 in the last word's vowel colouring, and the class colour.
    struct TShare {
        double Share;
        std::uint32_t Colour;
    };
    TShare UkrWordColourShare(int colourClass) const;

private:
    void RecomputeColourCounts();
    std::vector<SoundCode> Present_; // codes 0..59 whose folded code the word has (Levitsky)
    std::vector<double> Deviations_; // their count minus the expected count
};

} // namespace zelm
