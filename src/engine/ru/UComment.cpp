#include "UComment.h"

#include "Utils.h"

namespace zelm {

namespace {

consteval auto T(std::string_view utf8) { return Cp1251Name<80>(utf8); }

constexpr auto WordPrefix = T("Слово ");
constexpr auto WordPlain = T(" не обладает выраженными фоносемантическими характеристиками");
constexpr auto WordMarked = T(" производит впечатление чего-то");
constexpr auto TextPlain = T("Данный текст не обладает выраженными фоносемантическими характеристиками");
constexpr auto TextMarked = T("Данный текст производит впечатление ");

// The genitives of the significant scales in scale order, each after its separator: two blanks
// before the first, a comma and two blanks before every later one. Empty when none is significant.
std::string Impressions(std::span<const double> values, double threshold, TGenitiveLookup leftGenitive,
                        TGenitiveLookup rightGenitive) {
    std::string impressions;
    for (std::size_t k = 0; k < values.size(); ++k) {
        const double v = values[k];
        std::string_view genitive;
        if (v > threshold) genitive = leftGenitive(int(k + 1));
        else if (v < -threshold) genitive = rightGenitive(int(k + 1));
        else continue;
        impressions += impressions.empty() ? "  " : ",  ";
        impressions += genitive;
    }
    return impressions;
}

} // namespace

std::string WordComment(std::string_view wordBoxText, std::span<const double> values, double threshold,
                        TGenitiveLookup leftGenitive, TGenitiveLookup rightGenitive,
                        void (*upperCase)(std::string&)) {
    std::string word(wordBoxText);
    upperCase(word);
    const std::string impressions = Impressions(values, threshold, leftGenitive, rightGenitive);
    std::string line(WordPrefix.View());
    line += word;
    line += impressions.empty() ? WordPlain.View() : WordMarked.View();
    return line + impressions;
}

std::string TextComment(std::span<const double> values, double threshold, TGenitiveLookup leftGenitive,
                        TGenitiveLookup rightGenitive) {
    const std::string impressions = Impressions(values, threshold, leftGenitive, rightGenitive);
    if (impressions.empty()) return std::string(TextPlain.View());
    return std::string(TextMarked.View()) + impressions;
}

std::string RussianWordComment(std::string_view wordBoxText, const std::array<double, ScaleCount>& profile) {
    return WordComment(wordBoxText, profile, WordThreshold, ScaleLeftGenitive, ScaleRightGenitive,
                       UpperCaseCyrillic);
}

std::string RussianTextComment(const std::array<float, ScaleCount>& profile) {
    std::array<double, ScaleCount> values{};
    for (std::size_t k = 0; k < values.size(); ++k) values[k] = profile[k];
    return TextComment(values, TextThreshold, ScaleLeftGenitive, ScaleRightGenitive);
}

} // namespace zelm
