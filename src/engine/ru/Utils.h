// Small text utilities shared by the windows, the reports and both engines.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace zelm {

// True when some byte of the Windows-1251 text is 192 or more (a Cyrillic letter А..я).
bool HasCyrillic(std::string_view text);

// The keyboard look for a pending Esc press. The desktop program supplies one that reads its
// keyboard queue; without one nothing is ever pending.
using TEscapeProbe = std::function<bool()>;
bool EscapePending(const TEscapeProbe& probe);

// Raises а..я (bytes 224..255) to А..Я in place; ё, Latin letters and all other bytes stay.
void UpperCaseCyrillic(std::string& text);
void UpperCaseCyrillic(std::span<char> text);

// Fixed-point text of value with `decimals` digits, right-aligned in at least `width`
// characters, at most 25 characters, with the first "." replaced by ",".
std::string FormatWithComma(double value, int width, int decimals);

// Nearest integer, halves to the even neighbour (12.5 gives 12, 13.5 gives 14).
long long RoundHalfEven(double value);

} // namespace zelm
