// Russian text evaluation: the text splitter and sound counts, z-scores, both algorithms, the
// profile normaliser, and the sound-colour measure of a text.
#pragma once

#include "../ByteTriples.h"
#include "UEmData.h"
#include "Utils.h"

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace zelm {

// The counts of one text and the evaluations made from them. A text is fed whole
// (CountTextWords) or in chunks (CountTextChunk ... FinishText) with identical counts; a text word
// is a run of bytes 192..255 with inner hyphens, of any length.
class TTextEvaluator {
public:
    // Occurrences of each rating column over all words of the text.
    std::array<std::int64_t, RatingColumnCount> TextSoundCounts{};
    std::array<float, RatingColumnCount> TextZScores{};
    // Value of scale k at index k - 1.
    std::array<float, ScaleCount> TextProfile{};
    // Asked once at the start of CountTextWords; see EscapePending.
    TEscapeProbe EscapeProbe;

    // Starts a new text: counts and profile to 0.
    void ResetTextCounts();
    // Adds the sounds of every word of a whole text. Returns whether an Esc press was waiting
    // when it started; the scan itself always runs to the end.
    bool CountTextWords(std::string_view text);
    // Adds the next piece of a text fed in pieces; FinishText ends the text's last word.
    void CountTextChunk(std::string_view chunk);
    void FinishText();
    // Adds the sounds of one word.
    void CountWordSounds(std::string_view word);

    // N, the number of sounds counted.
    std::int64_t TextSoundTotal() const;

    static float SoundZScore(int column, std::int64_t count, std::int64_t total);
    void ComputeTextZScores();
    void EvaluateTextZhuravlev();
    void EvaluateTextLevitsky();
    void EvaluateText(TEvalScheme scheme);
    // Largest absolute profile value, or 1 when every value is 0.
    float TextProfileMaxAbs() const;

    // Number of keys the byte stream is counted by.
    static constexpr std::size_t KeyCount = 66;
    using TTextKeys = TTripleKeys<KeyCount, false>;

private:
    void AddKeyCounts(const std::array<std::uint64_t, KeyCount>& totals);
    TTripleStream<TTextKeys> Stream_{StreamKeys()};
    static const TTextKeys& StreamKeys();
    std::vector<SoundCode> WordSounds_;
};

// z-score of one colour class 1..6 over the counted text, and the class colour.
struct TTextColour {
    double Z;
    std::uint32_t Colour;
};
TTextColour TextColourZ(const TTextEvaluator& text, int colourClass);

} // namespace zelm
