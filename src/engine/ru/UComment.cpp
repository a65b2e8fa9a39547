#include "UComment.h"

#include "Utils.h"

#include "Cp1251.h"

#include <bit>
#include <cstdint>
#include <vector>

namespace zelm {

namespace {

consteval auto T(std::string_view utf8) { return Cp1251Name<80>(utf8); }

constexpr auto WordPrefix = T("Слово ");
constexpr auto WordPlain = T(" не обладает выраженными фоносемантическими характеристиками");
constexpr auto WordMarked = T(" производит впечатление чего-то");
constexpr auto TextPlain = T("Данный текст не обладает выраженными фоносемантическими характеристиками");
constexpr auto TextMarked = T("Данный текст производит впечатление ");

// The significant scales (at most 64) as bits, found without a branch a value: whether a value
// is significant is as good as random.
struct TSignificant {
    std::uint64_t Left = 0, Right = 0;
    bool Any() const { return (Left | Right) != 0; }
};
TSignificant SignificantScales(std::span<const double> values, double threshold) {
    TSignificant scales;
    for (std::size_t k = 0; k < values.size(); ++k) {
        scales.Left |= std::uint64_t(values[k] > threshold) << k;
        scales.Right |= std::uint64_t(values[k] < -threshold) << k;
    }
    return scales;
}

// Appends the genitives of the significant scales in scale order, each after its separator: two
// blanks before the first, a comma and two blanks before every later one. `separated`: the
// genitives come with ",  " before them already.
void AppendImpressions(std::string& line, TSignificant scales, TGenitiveLookup leftGenitive,
                       TGenitiveLookup rightGenitive, bool separated) {
    bool first = true;
    for (std::uint64_t each = scales.Left | scales.Right; each != 0; each &= each - 1) {
        const int k = std::countr_zero(each);
        const std::string_view genitive = (scales.Left >> k & 1) != 0 ? leftGenitive(k + 1) : rightGenitive(k + 1);
        if (separated) {
            line += first ? genitive.substr(1) : genitive;
        } else {
            line += first ? std::string_view("  ") : std::string_view(",  ");
            line += genitive;
        }
        first = false;
    }
}

std::string_view LeftImpressionUtf8(int k) {
    static const auto names = Utf8Impressions(ScaleCount, ScaleLeftGenitive);
    return names[std::size_t(k - 1)];
}
std::string_view RightImpressionUtf8(int k) {
    static const auto names = Utf8Impressions(ScaleCount, ScaleRightGenitive);
    return names[std::size_t(k - 1)];
}

} // namespace

std::string_view WordCommentPrefix() { return WordPrefix.View(); }

void AppendWordCommentTail(std::string& line, std::span<const double> values, double threshold,
                           const TCommentTexts& texts) {
    const TSignificant scales = SignificantScales(values, threshold);
    if (!scales.Any()) {
        line += texts.Plain;
        return;
    }
    line += texts.Marked;
    AppendImpressions(line, scales, texts.LeftGenitive, texts.RightGenitive, texts.Separated);
}

std::vector<std::string> Utf8Impressions(int count, TGenitiveLookup name) {
    std::vector<std::string> names;
    for (int k = 1; k <= count; ++k) names.push_back(",  " + Cp1251ToUtf8(name(k)));
    return names;
}

TCommentTexts WordCommentUtf8Texts(TGenitiveLookup leftGenitive, TGenitiveLookup rightGenitive) {
    static const std::string plain = Cp1251ToUtf8(WordPlain.View()), marked = Cp1251ToUtf8(WordMarked.View());
    return {plain, marked, leftGenitive, rightGenitive, true};
}

void AppendWordComment(std::string& line, std::string_view wordBoxText, std::span<const double> values,
                       double threshold, TGenitiveLookup leftGenitive, TGenitiveLookup rightGenitive,
                       TUpperCase upperCase) {
    line += WordPrefix.View();
    const std::size_t word = line.size();
    line += wordBoxText;
    upperCase(std::span<char>(line).subspan(word));
    AppendWordCommentTail(line, values, threshold, {WordPlain.View(), WordMarked.View(), leftGenitive, rightGenitive});
}

std::string WordComment(std::string_view wordBoxText, std::span<const double> values, double threshold,
                        TGenitiveLookup leftGenitive, TGenitiveLookup rightGenitive, TUpperCase upperCase) {
    std::string line;
    AppendWordComment(line, wordBoxText, values, threshold, leftGenitive, rightGenitive, upperCase);
    return line;
}

std::string TextComment(std::span<const double> values, double threshold, TGenitiveLookup leftGenitive,
                        TGenitiveLookup rightGenitive) {
    const TSignificant scales = SignificantScales(values, threshold);
    if (!scales.Any()) return std::string(TextPlain.View());
    std::string line(TextMarked.View());
    AppendImpressions(line, scales, leftGenitive, rightGenitive, false);
    return line;
}

std::string RussianWordComment(std::string_view wordBoxText, const std::array<double, ScaleCount>& profile) {
    std::string line;
    AppendRussianWordComment(line, wordBoxText, profile);
    return line;
}

void AppendRussianWordComment(std::string& line, std::string_view wordBoxText,
                              const std::array<double, ScaleCount>& profile) {
    AppendWordComment(line, wordBoxText, profile, WordThreshold, ScaleLeftGenitive, ScaleRightGenitive,
                      UpperCaseCyrillic);
}

void AppendRussianWordCommentTailUtf8(std::string& line, const std::array<double, ScaleCount>& profile) {
    static const TCommentTexts texts = WordCommentUtf8Texts(LeftImpressionUtf8, RightImpressionUtf8);
    AppendWordCommentTail(line, profile, WordThreshold, texts);
}

std::string RussianTextComment(const std::array<float, ScaleCount>& profile) {
    std::array<double, ScaleCount> values{};
    for (std::size_t k = 0; k < values.size(); ++k) values[k] = profile[k];
    return TextComment(values, TextThreshold, ScaleLeftGenitive, ScaleRightGenitive);
}

} // namespace zelm
