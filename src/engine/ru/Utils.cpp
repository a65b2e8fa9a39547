#include "Utils.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace zelm {

bool HasCyrillic(std::string_view text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 192) return true;
    return false;
}

bool EscapePending(const TEscapeProbe& probe) { return probe ? probe() : false; }

void UpperCaseCyrillic(std::string& text) { UpperCaseCyrillic(std::span<char>(text)); }

void UpperCaseCyrillic(std::span<char> text) {
    for (char& c : text)
        if (static_cast<unsigned char>(c) >= 224) c = static_cast<char>(static_cast<unsigned char>(c) - 32);
}

std::string FormatWithComma(double value, int width, int decimals) {
    char buffer[512];
    const int length = std::snprintf(buffer, sizeof buffer, "%*.*f", width, decimals, value);
    std::string text(buffer, length < 0 ? 0 : std::min<std::size_t>(std::size_t(length), 25));
    if (const auto point = text.find('.'); point != std::string::npos) text[point] = ',';
    return text;
}

long long RoundHalfEven(double value) {
    const double lower = std::floor(value);
    const double fraction = value - lower;
    double result = lower;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(lower, 2.0) != 0.0)) result = lower + 1.0;
    return static_cast<long long>(result);
}

} // namespace zelm
