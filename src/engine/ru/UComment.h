// The verbal comment of the result windows: the one line that FillComment puts into the memo.
#pragma once

#include "UEmData.h"

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zelm {

// Significance threshold of the Russian word window, grid and report.
inline constexpr double WordThreshold = 0.25;
// Significance threshold of both text windows.
inline constexpr double TextThreshold = 10;

using TGenitiveLookup = std::string_view (*)(int scale);
using TUpperCase = void (*)(std::span<char> text);

// The comment on a word: `wordBoxText` is the word box text as it stands (not trimmed); it is
// upper-cased by `upperCase`. A value v is significant when v > threshold or v < -threshold.
std::string WordComment(std::string_view wordBoxText, std::span<const double> values, double threshold,
                        TGenitiveLookup leftGenitive, TGenitiveLookup rightGenitive, TUpperCase upperCase);
// The same, appended to `line`.
void AppendWordComment(std::string& line, std::string_view wordBoxText, std::span<const double> values,
                       double threshold, TGenitiveLookup leftGenitive, TGenitiveLookup rightGenitive,
                       TUpperCase upperCase);
// The comment on a text.
std::string TextComment(std::span<const double> values, double threshold, TGenitiveLookup leftGenitive,
                        TGenitiveLookup rightGenitive);

// "Слово " (Windows-1251): what a word comment starts with, before the upper-cased word.
std::string_view WordCommentPrefix();

// What follows the word in a word's comment, made of these texts (all in one encoding).
struct TCommentTexts {
    std::string_view Plain, Marked; // the comment's middle without significant values, and with
    TGenitiveLookup LeftGenitive, RightGenitive;
    bool Separated = false; // the genitives come with ",  " before them (as Utf8Impressions makes them)
};
void AppendWordCommentTail(std::string& line, std::span<const double> values, double threshold,
                           const TCommentTexts& texts);
// The word comment's texts in UTF-8, for callers that write UTF-8 (the command line), with
// genitives that give the UTF-8 of Utf8Impressions: each Windows-1251 genitive after ",  ".
TCommentTexts WordCommentUtf8Texts(TGenitiveLookup leftGenitive, TGenitiveLookup rightGenitive);
std::vector<std::string> Utf8Impressions(int count, TGenitiveLookup genitive);

// The Russian variants, from WordProfile and TextProfile as stored. Windows-1251 text.
std::string RussianWordComment(std::string_view wordBoxText, const std::array<double, ScaleCount>& profile);
void AppendRussianWordComment(std::string& line, std::string_view wordBoxText,
                              const std::array<double, ScaleCount>& profile);
std::string RussianTextComment(const std::array<float, ScaleCount>& profile);
// What follows the word in the comment on a word with this profile, in UTF-8.
void AppendRussianWordCommentTailUtf8(std::string& line, const std::array<double, ScaleCount>& profile);

} // namespace zelm
