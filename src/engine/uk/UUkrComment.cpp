#include "UUkrComment.h"

#include "../ru/UComment.h"

namespace zelm {

void UkrUpperCase(std::span<char> text) {
    for (char& c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0xE0) c = static_cast<char>(b - 32);
        else if (b == 0xB3) c = static_cast<char>(0xB2);                 // і
        else if (b == 0xBA || b == 0xBF) c = static_cast<char>(b - 16); // є ї
        else if (b == 0xB4) c = static_cast<char>(0xA5);                 // ґ
    }
}

namespace {
std::array<double, UkrScaleCount> Percent(const std::array<double, UkrScaleCount>& profile) {
    std::array<double, UkrScaleCount> percent{};
    for (std::size_t k = 0; k < percent.size(); ++k) percent[k] = profile[k] * 100;
    return percent;
}

std::string_view LeftImpressionUtf8(int k) {
    static const auto names = Utf8Impressions(UkrScaleCount, UkrScaleLeftGenitive);
    return names[std::size_t(k - 1)];
}
std::string_view RightImpressionUtf8(int k) {
    static const auto names = Utf8Impressions(UkrScaleCount, UkrScaleRightGenitive);
    return names[std::size_t(k - 1)];
}
} // namespace

std::string UkrainianWordComment(std::string_view wordBoxText, const std::array<double, UkrScaleCount>& profile) {
    return WordComment(wordBoxText, Percent(profile), UkrWordThreshold, UkrScaleLeftGenitive, UkrScaleRightGenitive,
                       UkrUpperCase);
}

void AppendUkrainianWordCommentTailUtf8(std::string& line, const std::array<double, UkrScaleCount>& profile) {
    static const TCommentTexts texts = WordCommentUtf8Texts(LeftImpressionUtf8, RightImpressionUtf8);
    AppendWordCommentTail(line, Percent(profile), UkrWordThreshold, texts);
}

std::string UkrainianTextComment(const std::array<float, UkrScaleCount>& profile) {
    std::array<double, UkrScaleCount> values{};
    for (std::size_t k = 0; k < values.size(); ++k) values[k] = profile[k];
    return TextComment(values, TextThreshold, UkrScaleLeftGenitive, UkrScaleRightGenitive);
}

} // namespace zelm
