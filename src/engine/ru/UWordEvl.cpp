#include "UWordEvl.h"

#include <cstdint>

namespace zelm {

namespace {

constexpr bool IsStressedVowel(SoundCode code) { return code >= 45 && code <= 53; }

// Vowel letters of each colour class, and the letters that make up the denominator.
constexpr std::array<TLetterSet, ColourClassCount> ColourLetters = {
    LetterSetOf(Cp1251Name<4>("ая").View()), LetterSetOf(Cp1251Name<4>("о").View()),
    LetterSetOf(Cp1251Name<4>("еэ").View()), LetterSetOf(Cp1251Name<4>("ий").View()),
    LetterSetOf(Cp1251Name<4>("юу").View()), LetterSetOf(Cp1251Name<4>("ы").View()),
};
constexpr TLetterSet ColourVowels = LetterSetOf(Cp1251Name<16>("аеийоуыэюя").View());

} // namespace

double TWordEvaluator::ZhuravlevWeight(SoundCode code, bool first, double maxFrequency) {
    if (first) return maxFrequency / FrequencyByCode[code] * 4;
    const double weight = maxFrequency / FrequencyByCode[code];
    return IsStressedVowel(code) ? weight * 2 : weight;
}

double TWordEvaluator::ZhuravlevWordScale(int scale, std::span<const SoundCode> sounds,
                                          double maxFrequency) {
    if (!(maxFrequency > 0) || sounds.empty()) return 0;
    double weight = ZhuravlevWeight(sounds[0], true, maxFrequency);
    double sum = WordRating(scale, sounds[0]) * weight;
    double weights = weight;
    for (std::size_t i = 1; i < sounds.size(); ++i) {
        weight = ZhuravlevWeight(sounds[i], false, maxFrequency);
        sum = sum + WordRating(scale, sounds[i]) * weight;
        weights = weights + weight;
    }
    return weights == 0 ? 0 : sum / weights;
}

void TWordEvaluator::EvaluateWordZhuravlev(std::string_view word) {
    WordMaxFrequency = TranscribeWord(word, WordSounds);
    const double m = WordMaxFrequency;
    if (!(m > 0) || WordSounds.empty()) {
        WordProfile.fill(0);
        return;
    }
    // A sound's weight depends only on its code and on whether it comes first, not on the scale:
    // work the weights of the codes the word has out once, exactly as ZhuravlevWordScale does, and
    // reuse them for all 24 scales. (A table per code rather than per sound keeps a long word's
    // memory small.)
    static_assert(SoundCodeCount <= 64);
    std::array<double, SoundCodeCount> weightOf;
    std::uint64_t known = 0; // the codes whose weight is in weightOf
    const SoundCode head = WordSounds[0];
    const double first = ZhuravlevWeight(head, true, m);
    double weights = first;
    for (std::size_t i = 1; i < WordSounds.size(); ++i) {
        const SoundCode code = WordSounds[i];
        if ((known >> code & 1) == 0) {
            weightOf[code] = ZhuravlevWeight(code, false, m);
            known |= std::uint64_t(1) << code;
        }
        weights = weights + weightOf[code];
    }
    // Each scale's sum in sound order, as ZhuravlevWordScale adds it; the 24 sums side by side.
    std::array<double, ScaleCount> sums;
    for (std::size_t k = 0; k < sums.size(); ++k) sums[k] = WordRatingsByCode[head][k] * first;
    for (std::size_t i = 1; i < WordSounds.size(); ++i) {
        const auto& row = WordRatingsByCode[WordSounds[i]];
        const double weight = weightOf[WordSounds[i]];
#pragma GCC unroll 24
        for (std::size_t k = 0; k < sums.size(); ++k) sums[k] = sums[k] + row[k] * weight;
    }
    if (weights == 0) {
        WordProfile.fill(0);
        return;
    }
    for (std::size_t k = 0; k < sums.size(); ++k) WordProfile[k] = sums[k] / weights;
}

void TWordEvaluator::EvaluateWordLevitsky(std::string_view word) {
    TranscribeWord(word, WordSounds);
    WordSoundCounts.fill(0);
    if (!WordSounds.empty()) WordSoundCounts[WordSounds[0]] = 1.5;
    for (std::size_t i = 1; i < WordSounds.size(); ++i)
        WordSoundCounts[WordSounds[i]] += IsStressedVowel(WordSounds[i]) ? 2 : 1;
    WordSoundTotal = static_cast<std::int64_t>(WordSounds.size());
    // The sum of LevitskyWordScale over the codes the word has, in the same ascending order,
    // with the expected counts worked out once for all scales.
    Present_.clear();
    for (int c = 0; c < SoundCodeCount; ++c)
        if (WordSoundCounts[std::size_t(c)] > 0) Present_.push_back(SoundCode(c));
    const double n = static_cast<double>(WordSoundTotal);
    Deviations_.resize(Present_.size());
    for (std::size_t i = 0; i < Present_.size(); ++i)
        Deviations_[i] = WordSoundCounts[Present_[i]] - n * FrequencyByCode[Present_[i]];
    for (int k = 1; k <= ScaleCount; ++k) {
        double sum = 0;
        for (std::size_t i = 0; i < Present_.size(); ++i) sum = sum + WordRating(k, Present_[i]) * Deviations_[i];
        if (WordSoundTotal > 0) sum = sum / n;
        WordProfile[std::size_t(k - 1)] = sum > 1 ? 1 : sum < -1 ? -1 : sum;
    }
}

double TWordEvaluator::LevitskyWordScale(int scale) const {
    const double n = static_cast<double>(WordSoundTotal);
    double sum = 0;
    for (int c = 0; c < SoundCodeCount; ++c) {
        const double count = WordSoundCounts[std::size_t(c)];
        if (count > 0)
            sum = sum + WordRating(scale, SoundCode(c)) * (count - n * FrequencyByCode[std::size_t(c)]);
    }
    if (WordSoundTotal > 0) sum = sum / n;
    if (sum > 1) return 1;
    if (sum < -1) return -1;
    return sum;
}

void TWordEvaluator::EvaluateWord(std::string_view word, TEvalScheme scheme) {
    if (scheme == TEvalScheme::esLevitsky) EvaluateWordLevitsky(word);
    else EvaluateWordZhuravlev(word);
}

TWordColourShare WordColourShare(std::string_view word, int colourClass) {
    const TLetterSet letters = ColourLetters.at(std::size_t(colourClass - 1));
    double count = 0, denominator = 0;
    for (std::size_t i = 1; i <= word.size(); ++i) {
        const unsigned char a = LetterAt(word, i);
        if (InLetterSet(letters, a)) count += 1;
        if (InLetterSet(ColourVowels, a)) denominator += 1;
    }
    if (count < 3) denominator = 3;
    return {count, denominator, ColourClassColours[std::size_t(colourClass - 1)]};
}

std::array<TWordColourShare, ColourClassCount> WordColourShares(std::string_view word) {
    std::array<TWordColourShare, ColourClassCount> shares{};
    double denominator = 0;
    for (std::size_t i = 1; i <= word.size(); ++i) {
        const unsigned char a = LetterAt(word, i);
        if (!InLetterSet(ColourVowels, a)) continue; // every class letter is a colour vowel
        denominator += 1;
        for (std::size_t k = 0; k < shares.size(); ++k)
            if (InLetterSet(ColourLetters[k], a)) shares[k].Count += 1;
    }
    for (std::size_t k = 0; k < shares.size(); ++k) {
        shares[k].Denominator = shares[k].Count < 3 ? 3 : denominator;
        shares[k].Colour = ColourClassColours[k];
    }
    return shares;
}

} // namespace zelm
