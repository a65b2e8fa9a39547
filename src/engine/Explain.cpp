#include "Explain.h"

#include "ru/UTextEvl.h"
#include "ru/UWordEvl.h"
#include "uk/UUkrTextEvl.h"
#include "uk/UUkrWordEvl.h"

#include <cmath>

namespace zelm {

namespace {

// Zhuravlev's word terms: rating × weight / sum of weights, with the evaluator's own weights.
template <class Weight, class Rating>
TExplanation ZhuravlevWordTerms(std::span<const SoundCode> sounds, double peak, int scales, Weight weight,
                                Rating rating) {
    TExplanation explanation;
    if (!(peak > 0) || sounds.empty()) return explanation;
    double weights = 0;
    for (std::size_t i = 0; i < sounds.size(); ++i) {
        TExplainTerm term;
        term.Code = sounds[i];
        term.Position = int(i);
        term.Weight = weight(sounds[i], i == 0, peak);
        weights = weights + term.Weight;
        explanation.Terms.push_back(std::move(term));
    }
    for (TExplainTerm& term : explanation.Terms) {
        term.Contributions.resize(std::size_t(scales));
        for (int k = 1; k <= scales; ++k)
            term.Contributions[std::size_t(k - 1)] = rating(k, SoundCode(term.Code)) * term.Weight / weights;
    }
    return explanation;
}

// Levitsky's word terms over the codes the evaluation visits: each adds rating × (count −
// expected) / N to the term of the count it reads; the clamp marked where the sum leaves ±1.
template <class Fold, class Rating>
TExplanation LevitskyWordTerms(std::span<const double> counts, std::span<const double> frequencies,
                               std::int64_t total, int codes, int scales, Fold fold, Rating rating) {
    TExplanation explanation;
    if (total <= 0) return explanation;
    const double n = static_cast<double>(total);
    std::vector<int> termOf(counts.size(), -1);
    for (int c = 0; c < codes; ++c) {
        const std::size_t f = fold(SoundCode(c));
        if (!(counts[f] > 0)) continue;
        if (termOf[f] < 0) {
            termOf[f] = int(explanation.Terms.size());
            TExplainTerm term;
            term.Code = int(f);
            term.Count = counts[f];
            term.Expected = n * frequencies[f];
            term.Contributions.assign(std::size_t(scales), 0.0);
            explanation.Terms.push_back(std::move(term));
        }
        TExplainTerm& term = explanation.Terms[std::size_t(termOf[f])];
        const double deviation = counts[f] - n * frequencies[f];
        for (int k = 1; k <= scales; ++k)
            term.Contributions[std::size_t(k - 1)] += rating(k, SoundCode(c)) * deviation / n;
    }
    for (int k = 1; k <= scales; ++k) {
        double sum = 0;
        for (int c = 0; c < codes; ++c) {
            const std::size_t f = fold(SoundCode(c));
            if (counts[f] > 0) sum = sum + rating(k, SoundCode(c)) * (counts[f] - n * frequencies[f]);
        }
        sum = sum / n;
        if (sum > 1 || sum < -1) explanation.Clamped.push_back(k);
    }
    return explanation;
}

// A text's terms, one per unit, from the counts the evaluation read.
template <class Rating, class ZScore>
TExplanation TextTerms(std::span<const std::int64_t> counts, std::span<const double> frequencies, int scales,
                       TEvalScheme scheme, Rating rating, ZScore zScore) {
    TExplanation explanation;
    std::int64_t total = 0;
    for (const std::int64_t count : counts) total += count;
    const double n = static_cast<double>(total);
    for (std::size_t c = 0; c < counts.size(); ++c) {
        TExplainTerm term;
        term.Code = int(c);
        term.Count = static_cast<double>(counts[c]);
        term.Expected = n * frequencies[c];
        term.Z = zScore(int(c), counts[c], total);
        term.Contributions.assign(std::size_t(scales), 0.0);
        for (int k = 1; k <= scales; ++k) {
            double& contribution = term.Contributions[std::size_t(k - 1)];
            if (scheme == TEvalScheme::esZhuravlev) {
                const float z = static_cast<float>(term.Z);
                if (std::fabs(z) > 1) contribution = rating(k, int(c)) * z;
            } else if (total > 0) {
                contribution = 100.0 * rating(k, int(c)) * (term.Count - term.Expected) / n;
            }
        }
        explanation.Terms.push_back(std::move(term));
    }
    return explanation;
}

} // namespace

double TExplanation::Sum(int scale) const {
    double sum = 0;
    for (const TExplainTerm& term : Terms) sum += term.Contributions.at(std::size_t(scale - 1));
    return sum;
}

TExplanation ExplainWord(const TWordEvaluator& word, TEvalScheme scheme) {
    if (scheme == TEvalScheme::esZhuravlev)
        return ZhuravlevWordTerms(word.WordSounds, word.WordMaxFrequency, ScaleCount, TWordEvaluator::ZhuravlevWeight,
                                  WordRating);
    return LevitskyWordTerms(
        word.WordSoundCounts, FrequencyByCode, word.WordSoundTotal, SoundCodeCount, ScaleCount,
        [](SoundCode c) { return std::size_t(c); }, WordRating);
}

TExplanation ExplainWord(const TUkrWordEvaluator& word, TEvalScheme scheme) {
    if (scheme == TEvalScheme::esZhuravlev)
        return ZhuravlevWordTerms(word.UkrWordSounds, word.UkrWordMaxFrequency, UkrScaleCount,
                                  TUkrWordEvaluator::UkrZhuravlevWeight, UkrWordRating);
    return LevitskyWordTerms(
        word.UkrWordSoundCounts, UkrFrequencyByCode, word.UkrWordSoundTotal, UkrSoundCodeCount, UkrScaleCount,
        [](SoundCode c) { return std::size_t(UkrFoldStress(c)); }, UkrWordRating);
}

TExplanation ExplainText(const TTextEvaluator& text, TEvalScheme scheme) {
    return TextTerms(text.TextSoundCounts, FrequencyByColumn, ScaleCount, scheme, TextRating,
                     TTextEvaluator::SoundZScore);
}

TExplanation ExplainText(const TUkrTextEvaluator& text, TEvalScheme scheme) {
    return TextTerms(text.UkrTextTotals, UkrFrequencyByCode, UkrScaleCount, scheme, UkrTextRating,
                     TUkrTextEvaluator::UkrSoundZScore);
}

} // namespace zelm
