#include "UUkrWordEvl.h"

namespace zelm {

namespace {
constexpr bool IsStressed(SoundCode code) { return code >= 50 && code <= 59; }
double Frequency(SoundCode code) { return UkrFrequencyByCode[UkrFoldStress(code)]; }
} // namespace

double TUkrWordEvaluator::UkrZhuravlevWeight(SoundCode code, bool first, double peak) {
    if (first) return peak / Frequency(code) * 4;
    const double weight = peak / Frequency(code);
    return IsStressed(code) ? weight * 2 : weight;
}

double TUkrWordEvaluator::UkrZhuravlevWordScale(int scale, std::span<const SoundCode> sounds, double peak) {
    if (!(peak > 0) || sounds.empty()) return 0;
    double weight = UkrZhuravlevWeight(sounds[0], true, peak);
    double value = UkrWordRating(scale, sounds[0]) * weight;
    double weights = weight;
    for (std::size_t i = 1; i < sounds.size(); ++i) {
        weight = UkrZhuravlevWeight(sounds[i], false, peak);
        value = value + UkrWordRating(scale, sounds[i]) * weight;
        weights = weights + weight;
    }
    return weights == 0 ? 0 : value / weights;
}

void TUkrWordEvaluator::UkrEvaluateWordZhuravlev(std::string_view word) {
    UkrWordMaxFrequency = UkrTranscribeWord(word, UkrWordSounds);
    for (int s = 1; s <= UkrScaleCount; ++s)
        UkrWordProfile[std::size_t(s - 1)] = UkrZhuravlevWordScale(s, UkrWordSounds, UkrWordMaxFrequency);
    RecomputeColourCounts();
}

void TUkrWordEvaluator::UkrEvaluateWordLevitsky(std::string_view word) {
    UkrWordMaxFrequency = UkrTranscribeWord(word, UkrWordSounds);
    UkrWordSoundTotal = 0;
    UkrWordSoundCounts.fill(0);
    UkrWordProfile.fill(0);
    if (!UkrWordSounds.empty()) {
        UkrWordSoundCounts[UkrFoldStress(UkrWordSounds[0])] = 1.5;
        for (std::size_t i = 1; i < UkrWordSounds.size(); ++i)
            UkrWordSoundCounts[UkrFoldStress(UkrWordSounds[i])] += IsStressed(UkrWordSounds[i]) ? 2.0 : 1.0;
        UkrWordSoundTotal = static_cast<std::int64_t>(UkrWordSounds.size());
        // The sum of UkrLevitskyWordScale over the sixty codes whose folded code the word has,
        // in the same order, with the deviations worked out once for all scales.
        Present_.clear();
        for (int c = 0; c < UkrSoundCodeCount; ++c)
            if (UkrWordSoundCounts[UkrFoldStress(SoundCode(c))] > 0) Present_.push_back(SoundCode(c));
        const double n = static_cast<double>(UkrWordSoundTotal);
        Deviations_.resize(Present_.size());
        for (std::size_t i = 0; i < Present_.size(); ++i) {
            const SoundCode f = UkrFoldStress(Present_[i]);
            Deviations_[i] = UkrWordSoundCounts[f] - n * UkrFrequencyByCode[f];
        }
        for (int s = 1; s <= UkrScaleCount; ++s) {
            double sum = 0;
            for (std::size_t i = 0; i < Present_.size(); ++i)
                sum = sum + UkrWordRating(s, Present_[i]) * Deviations_[i];
            sum = sum / n;
            UkrWordProfile[std::size_t(s - 1)] = sum > 1.0 ? 1.0 : sum < -1.0 ? -1.0 : sum;
        }
    }
    RecomputeColourCounts();
}

void TUkrWordEvaluator::UkrEvaluateWord(std::string_view word, TEvalScheme scheme) {
    if (scheme == TEvalScheme::esLevitsky) UkrEvaluateWordLevitsky(word);
    else UkrEvaluateWordZhuravlev(word);
}

double TUkrWordEvaluator::UkrLevitskyWordScale(int scale) const {
    const double n = static_cast<double>(UkrWordSoundTotal);
    double sum = 0;
    for (int c = 0; c < UkrSoundCodeCount; ++c) {
        const SoundCode f = UkrFoldStress(SoundCode(c));
        const double count = UkrWordSoundCounts[f];
        if (count > 0) sum = sum + UkrWordRating(scale, SoundCode(c)) * (count - n * UkrFrequencyByCode[f]);
    }
    if (UkrWordSoundTotal > 0) sum = sum / n;
    if (sum > 1.0) return 1.0;
    if (sum < -1.0) return -1.0;
    return sum;
}

void TUkrWordEvaluator::RecomputeColourCounts() {
    UkrWordColourCounts.fill(0);
    for (const SoundCode code : UkrWordSounds)
        if (UkrFoldStress(code) < 10)
            for (int k = 1; k <= ColourClassCount; ++k)
                UkrWordColourCounts[std::size_t(k - 1)] += UkrVowelColourWeight(code, k);
}

TUkrWordEvaluator::TShare TUkrWordEvaluator::UkrWordColourShare(int colourClass) const {
    std::int64_t total = 0;
    for (const auto count : UkrWordColourCounts) total += count;
    if (total < 1) total = 1;
    const auto k = std::size_t(colourClass - 1);
    return {static_cast<double>(UkrWordColourCounts.at(k)) / static_cast<double>(total), ColourClassColours[k]};
}

} // namespace zelm
