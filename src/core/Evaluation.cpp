#include "Evaluation.h"

#include "Cp1251.h"
#include "ru/UComment.h"
#include "ru/Utils.h"
#include "uk/UUkrComment.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>

namespace zelm {

namespace {

std::vector<TScaleNames> MakeNames(int count, std::string_view (*left)(int), std::string_view (*right)(int)) {
    std::vector<TScaleNames> names;
    for (int k = 1; k <= count; ++k) names.push_back({Cp1251ToUtf8(left(k)), Cp1251ToUtf8(right(k))});
    return names;
}

// The word window strips and the report blocks show a word's class when its share is above 0;
// a text window shows a class when its z-score is above 0.999, capped at 3.
void SetWordColour(TColourMeasure& colour, int k, double share, std::uint32_t rgb) {
    colour = {k, rgb, share, share > 0, share > 0 ? int(RoundHalfEven(share * 100)) : 0};
}
void SetTextColour(TColourMeasure& colour, int k, double z, std::uint32_t rgb) {
    const bool shown = z > 0.999;
    colour = {k, rgb, z, shown, shown ? int(RoundHalfEven(std::min(z, 3.0) / 3 * 20)) : 0};
}

} // namespace

const std::vector<TScaleNames>& ScaleNamesOf(TLanguage language) {
    static const std::vector<TScaleNames> russian = MakeNames(ScaleCount, ScaleLeftName, ScaleRightName);
    static const std::vector<TScaleNames> ukrainian = MakeNames(UkrScaleCount, UkrScaleLeftName, UkrScaleRightName);
    return language == TLanguage::lgRussian ? russian : ukrainian;
}

double TEvaluation::ChartValue(std::size_t row) const {
    // The Ukrainian word grid holds the values multiplied by 100, as singles.
    if (IsWord && Language == TLanguage::lgUkrainian) return static_cast<float>(Profile[row] * 100);
    return Profile[row];
}

bool TEvaluation::Significant(std::size_t row) const {
    const double v = ChartValue(row);
    if (IsWord && Language == TLanguage::lgRussian) return v >= WordThreshold || v <= -WordThreshold;
    if (IsWord) return std::fabs(v) >= UkrWordThreshold;
    return v >= TextThreshold || v <= -TextThreshold;
}

std::string TEvaluation::ValueText(std::size_t row) const {
    const double v = ChartValue(row);
    char text[64];
    if (IsWord && Language == TLanguage::lgRussian)
        std::snprintf(text, sizeof text, "%s%lld%%", v < 0 ? "-" : "", RoundHalfEven(std::fabs(v) * 100));
    else
        std::snprintf(text, sizeof text, "%5.1f", v);
    return text;
}

// The profile and the colour measures of a word; the bar scale and the language fields too.
void TEvaluator::WordValues(std::string_view word, TEvaluation& out) {
    out.IsWord = true;
    out.Counts.clear();
    out.Total = 0;
    out.SinglePrecision = false;
    out.Comment.clear();
    out.CommentTail.clear();
    out.Sounds.clear();
    if (Language_ == TLanguage::lgRussian) {
        Word_.EvaluateWord(word, Scheme_);
        out.Profile.assign(Word_.WordProfile.begin(), Word_.WordProfile.end());
        out.BarScale = 1;
        if (!WordDetails) return;
        const auto shares = WordColourShares(word);
        for (int k = 1; k <= ColourClassCount; ++k) {
            const auto& share = shares[std::size_t(k - 1)];
            SetWordColour(out.Colours[std::size_t(k - 1)], k, share.Count > 0 ? share.Count / share.Denominator : 0,
                          share.Colour);
        }
    } else {
        UkrWord_.UkrEvaluateWord(word, Scheme_);
        out.Profile.assign(UkrWord_.UkrWordProfile.begin(), UkrWord_.UkrWordProfile.end());
        for (int k = 1; k <= ColourClassCount; ++k) {
            const auto share = UkrWord_.UkrWordColourShare(k);
            SetWordColour(out.Colours[std::size_t(k - 1)], k, share.Share, share.Colour);
        }
    }
}

void TEvaluator::EvaluateWord(std::string_view word, std::string_view input, TEvaluation& out) {
    WordValues(word, out);
    out.Input.assign(input);
    // The comment, in UTF-8: the prefix, the word in capitals, and what its values make of it.
    static const std::string prefix = Cp1251ToUtf8(WordCommentPrefix());
    const bool russian = Language_ == TLanguage::lgRussian;
    Capitals_.assign(word);
    if (russian) UpperCaseCyrillic(Capitals_);
    else UkrUpperCase(Capitals_);
    out.Comment += prefix;
    AppendCp1251AsUtf8(out.Comment, Capitals_);
    if (russian) {
        AppendRussianWordCommentTailUtf8(out.Comment, Word_.WordProfile);
        if (WordDetails) out.Sounds.assign(Word_.WordSounds.begin(), Word_.WordSounds.end());
    } else {
        AppendUkrainianWordCommentTailUtf8(out.Comment, UkrWord_.UkrWordProfile);
        out.Sounds.assign(UkrWord_.UkrWordSounds.begin(), UkrWord_.UkrWordSounds.end());
    }
    FinishCommon(out);
}

void TEvaluator::EvaluateLongWord(std::string_view word, TEvaluation& out) {
    WordValues(word, out);
    out.Input.clear();
    // The comment of the same profile on an empty word is the prefix and the tail.
    const std::string empty = Language_ == TLanguage::lgRussian ? RussianWordComment({}, Word_.WordProfile)
                                                                : UkrainianWordComment({}, UkrWord_.UkrWordProfile);
    out.CommentTail = empty.substr(WordCommentPrefix().size());
    FinishCommon(out);
}

std::span<const double> TEvaluator::WordProfileOf(std::string_view word) {
    if (Language_ == TLanguage::lgRussian) {
        Word_.EvaluateWord(word, Scheme_);
        return Word_.WordProfile;
    }
    UkrWord_.UkrEvaluateWord(word, Scheme_);
    return UkrWord_.UkrWordProfile;
}

std::span<const SoundCode> TEvaluator::LastSounds() const {
    if (Language_ == TLanguage::lgRussian) return Word_.WordSounds;
    return UkrWord_.UkrWordSounds;
}

void TEvaluator::BeginText() {
    Text_.ResetTextCounts();
    UkrText_.UkrResetTextCounts();
}

void TEvaluator::FeedText(std::string_view piece) {
    if (Language_ == TLanguage::lgRussian) Text_.CountTextChunk(piece);
    else UkrText_.UkrCountTextChunk(piece);
}

TExplanation TEvaluator::ExplainLast(bool word) const {
    const bool russian = Language_ == TLanguage::lgRussian;
    if (word) return russian ? ExplainWord(Word_, Scheme_) : ExplainWord(UkrWord_, Scheme_);
    return russian ? ExplainText(Text_, Scheme_) : ExplainText(UkrText_, Scheme_);
}

void TEvaluator::EndText(std::string_view input, TEvaluation& out) {
    if (Language_ == TLanguage::lgRussian) Text_.FinishText();
    else UkrText_.UkrFinishText();
    EvaluateCounted(input, out);
}

std::vector<std::int64_t> TEvaluator::EndTextCounts() {
    if (Language_ == TLanguage::lgRussian) {
        Text_.FinishText();
        return {Text_.TextSoundCounts.begin(), Text_.TextSoundCounts.end()};
    }
    UkrText_.UkrFinishText();
    return {UkrText_.UkrTextSoundCounts.begin(), UkrText_.UkrTextSoundCounts.end()};
}

std::size_t TEvaluator::TextCountSize(TLanguage language) {
    return language == TLanguage::lgRussian ? RatingColumnCount : UkrSoundCount;
}

void TEvaluator::EvaluateTextCounts(std::span<const std::int64_t> counts, std::string_view input, TEvaluation& out) {
    if (counts.size() != TextCountSize(Language_)) throw std::invalid_argument("counts of another language");
    BeginText();
    if (Language_ == TLanguage::lgRussian) std::copy(counts.begin(), counts.end(), Text_.TextSoundCounts.begin());
    else std::copy(counts.begin(), counts.end(), UkrText_.UkrTextSoundCounts.begin());
    EvaluateCounted(input, out);
}

void TEvaluator::EvaluateCounted(std::string_view input, TEvaluation& out) {
    out.IsWord = false;
    out.Input.assign(input);
    out.Sounds.clear();
    out.SinglePrecision = true;
    if (Language_ == TLanguage::lgRussian) {
        Text_.EvaluateText(Scheme_);
        out.Profile.assign(Text_.TextProfile.begin(), Text_.TextProfile.end());
        out.Counts.assign(Text_.TextSoundCounts.begin(), Text_.TextSoundCounts.end());
        out.Total = Text_.TextSoundTotal();
        out.Comment = Cp1251ToUtf8(RussianTextComment(Text_.TextProfile));
        for (int k = 1; k <= ColourClassCount; ++k) {
            const auto colour = TextColourZ(Text_, k);
            SetTextColour(out.Colours[std::size_t(k - 1)], k, colour.Z, colour.Colour);
        }
        out.BarScale = Text_.TextProfileMaxAbs();
    } else {
        UkrText_.UkrEvaluateText(Scheme_);
        out.Profile.assign(UkrText_.UkrTextProfile.begin(), UkrText_.UkrTextProfile.end());
        out.Counts.assign(UkrText_.UkrTextSoundCounts.begin(), UkrText_.UkrTextSoundCounts.end());
        out.Total = UkrText_.UkrTextSoundTotal();
        out.Comment = Cp1251ToUtf8(UkrainianTextComment(UkrText_.UkrTextProfile));
        for (int k = 1; k <= ColourClassCount; ++k) {
            const auto colour = UkrText_.UkrTextColourZ(k);
            SetTextColour(out.Colours[std::size_t(k - 1)], k, colour.Z, colour.Colour);
        }
        out.BarScale = UkrText_.UkrTextProfileScale;
    }
    FinishCommon(out);
}

void TEvaluator::FinishCommon(TEvaluation& out) const {
    out.Language = Language_;
    out.Scheme = Scheme_;
    if (out.IsWord && Language_ == TLanguage::lgUkrainian) {
        // The Ukrainian word grid scales its bars to the largest value, as UpdateMaxAbs does.
        double m = 0;
        for (std::size_t r = 0; r < out.Profile.size(); ++r) m = std::max(m, std::fabs(out.ChartValue(r)));
        out.BarScale = m == 0 ? 1 : m;
    }
}

} // namespace zelm
