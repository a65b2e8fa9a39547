// Ukrainian text evaluation: the text splitter and sound counts, z-scores, both algorithms, the
// profile normaliser, and the colour z-scores of a text.
#pragma once

#include "../ByteTriples.h"
#include "../ru/Utils.h"
#include "UEmUkrData.h"

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace zelm {

// The counts of one Ukrainian text and the evaluations made from them. A text is fed whole
// (UkrCountTextWords) or in chunks (UkrCountTextChunk ... UkrFinishText) with identical counts.
// Words are runs of letters (Cyrillic, Ukrainian and Latin) and apostrophes, with hyphens and
// underscores inside; one trailing hyphen is dropped.
class TUkrTextEvaluator {
public:
    // Occurrences of each sound 0..49 (64-bit: no overflow whatever the text's size).
    std::array<std::int64_t, UkrSoundCount> UkrTextSoundCounts{};
    // Working copy of the counts made by each evaluation.
    std::array<std::int64_t, UkrSoundCount> UkrTextTotals{};
    std::array<float, UkrSoundCount> UkrTextZScores{};
    std::array<float, UkrScaleCount> UkrTextProfile{};
    // The bar scale kept after each evaluation by EvaluateText.
    double UkrTextProfileScale = 1;
    TEscapeProbe EscapeProbe;

    void UkrResetTextCounts();
    // Counts a whole text; returns whether an Esc press was waiting when it started.
    bool UkrCountTextWords(std::string_view text);
    void UkrCountTextChunk(std::string_view chunk);
    void UkrFinishText();
    void UkrCountWordSounds(std::string_view word);

    std::int64_t UkrTextSoundTotal() const;

    static float UkrSoundZScore(int code, std::int64_t count, std::int64_t total);
    void UkrComputeTextZScores();
    void UkrEvaluateTextZhuravlev();
    void UkrEvaluateTextLevitsky();
    // Runs the chosen evaluation and keeps UkrTextProfileMaxAbs as UkrTextProfileScale.
    void UkrEvaluateText(TEvalScheme scheme);
    float UkrTextProfileMaxAbs() const;

    // z-score of colour class 1..6 over the counted text, and the class colour.
    struct TColour {
        double Z;
        std::uint32_t Colour;
    };
    TColour UkrTextColourZ(int colourClass) const;

    // Number of keys the byte stream is counted by.
    static constexpr std::size_t KeyCount = 33 * 12;

private:
    void CopyTotals();
    void AddKeyCounts(const std::array<std::uint64_t, KeyCount>& totals);
    static const TTripleKeys<KeyCount>& StreamKeys();
    TTripleStream<TTripleKeys<KeyCount>> Stream_{StreamKeys()};
    std::vector<SoundCode> WordSounds_;
};

} // namespace zelm
