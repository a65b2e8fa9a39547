// The verbal comment of the Ukrainian result windows.
#pragma once

#include "UEmUkrData.h"

#include <array>
#include <span>
#include <string>
#include <string_view>

namespace zelm {

// Significance threshold of the Ukrainian word window, in its percent units.
inline constexpr double UkrWordThreshold = 25;

// Raises а..я, і, ї, є and ґ to upper case in place; everything else stays.
void UkrUpperCase(std::span<char> text);

// The comment on a word from UkrWordProfile (scaled by 100 against UkrWordThreshold), with the
// word box text upper-cased; and on a text from UkrTextProfile. Windows-1251 text.
std::string UkrainianWordComment(std::string_view wordBoxText, const std::array<double, UkrScaleCount>& profile);
std::string UkrainianTextComment(const std::array<float, UkrScaleCount>& profile);
// What follows the word in the comment on a word with this profile, in UTF-8.
void AppendUkrainianWordCommentTailUtf8(std::string& line, const std::array<double, UkrScaleCount>& profile);

} // namespace zelm
