// Russian letter rules, sound inventory and reference tables.
#pragma once

#include "../Cp1251.h"
#include "../EngineTypes.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace zelm {

// Sound codes 0..29 are the sounds of the letters (vowels unstressed, consonants hard), 30..44 the
// soft paired consonants, 45..53 the stressed vowels; 54 closes a sound string.
inline constexpr int SoundCodeCount = 54;
inline constexpr SoundCode SoundStringEnd = 54;
inline constexpr int RatingColumnCount = 45;
inline constexpr int ScaleCount = 24;
inline constexpr int ScaleNameCapacity = 15;

// A set of lower-case Cyrillic letters: bit b - 192 stands for byte b.
using TLetterSet = std::uint64_t;

constexpr TLetterSet LetterSetOf(std::string_view cp1251) {
    TLetterSet set = 0;
    for (const char c : cp1251) set |= TLetterSet{1} << (static_cast<unsigned char>(c) - 192);
    return set;
}

// Membership test; bytes below 192 belong to no set.
constexpr bool InLetterSet(TLetterSet set, unsigned char letter) {
    return letter >= 192 && ((set >> (letter - 192)) & 1) != 0;
}

inline constexpr TLetterSet SoundingLetters =
    LetterSetOf(Cp1251Name<32>("абвгдежзийклмнопрстуфхцчшщыэюя").View());
inline constexpr TLetterSet SofteningLetters = LetterSetOf(Cp1251Name<8>("еиьюя").View());
inline constexpr TLetterSet VowelLetters = LetterSetOf(Cp1251Name<16>("аеиоуыэюя").View());
inline constexpr TLetterSet PairedConsonants = LetterSetOf(Cp1251Name<16>("бвгдзклмнпрстфх").View());

// The byte at the 1-based position, upper-case Cyrillic folded to lower case; 0 past the end.
inline unsigned char LetterAt(std::string_view word, std::size_t position) {
    if (position == 0 || position > word.size()) return 0;
    const auto byte = static_cast<unsigned char>(word[position - 1]);
    return byte >= 192 && byte <= 223 ? static_cast<unsigned char>(byte + 32) : byte;
}

// Sound of each letter а..я (index byte - 224) in the contexts Soft, Stressed, Plain; the end mark for ъ, ь.
inline constexpr std::array<std::array<SoundCode, 3>, 32> LetterSounds = {{
    {0, 45, 0},    {30, 1, 1},    {31, 2, 2},    {32, 3, 3},    // а б в г
    {33, 4, 4},    {5, 46, 5},    {6, 6, 6},     {34, 7, 7},    // д е ж з
    {8, 47, 8},    {9, 9, 9},     {35, 10, 10},  {36, 11, 11},  // и й к л
    {37, 12, 12},  {38, 13, 13},  {14, 48, 14},  {39, 15, 15},  // м н о п
    {40, 16, 16},  {41, 17, 17},  {42, 18, 18},  {19, 49, 19},  // р с т у
    {43, 20, 20},  {44, 21, 21},  {22, 22, 22},  {23, 23, 23},  // ф х ц ч
    {24, 24, 24},  {25, 25, 25},  {54, 54, 54}, {26, 50, 26}, // ш щ ъ ы
    {54, 54, 54}, {27, 51, 27}, {28, 52, 28}, {29, 53, 29},  // ь э ю я
}};

// The sound of one of the 30 sounding letters in a context (the end mark for anything else).
constexpr SoundCode SoundOfLetter(unsigned char letter, LetterContext context) {
    if (letter < 224) return SoundStringEnd;
    return LetterSounds[letter - 224][static_cast<int>(context)];
}

// Transcribes a single word, honouring stress marks, into `sounds` (cleared first; the end mark is
// not stored). Returns the largest FrequencyByCode value among the sounds, 0 for none.
double TranscribeWord(std::string_view word, std::vector<SoundCode>& sounds);

// Transcribes a word of a text: every vowel unstressed.
void TranscribeTextWord(std::string_view word, std::vector<SoundCode>& sounds);

// Rating column 0..44 of a sound code 0..53: a stressed vowel shares its vowel's column.
constexpr int RatingColumn(SoundCode code) {
    constexpr std::array<std::uint8_t, 9> StressedColumns = {0, 5, 8, 14, 19, 26, 27, 28, 29};
    return code >= 45 && code <= 53 ? StressedColumns[code - 45] : code;
}

// Pole names of scale 1..24 as stored (Windows-1251), and their upper-case genitives.
std::string_view ScaleLeftName(int scale);
std::string_view ScaleRightName(int scale);
std::string_view ScaleLeftGenitive(int scale);
std::string_view ScaleRightGenitive(int scale);

// Ratings of sounds on the scales, rows scale 1..24, columns the rating columns 0..44.
extern const std::array<std::array<std::int8_t, RatingColumnCount>, ScaleCount> SoundRatings;

// The ratings divided as the evaluations read them, worked out when the program is compiled: per
// sound code divided by 100 (words), per column divided by 50 (texts).
extern const std::array<std::array<double, SoundCodeCount>, ScaleCount> WordRatings;
extern const std::array<std::array<double, RatingColumnCount>, ScaleCount> TextRatings;
// WordRatings the other way round: per sound code, its ratings on the 24 scales side by side.
extern const std::array<std::array<double, ScaleCount>, SoundCodeCount> WordRatingsByCode;

// Rating of a sound code 0..53 on scale 1..24, divided by 100.
inline double WordRating(int scale, SoundCode code) { return WordRatings[std::size_t(scale - 1)][code]; }
// Rating of column 0..44 on scale 1..24, divided by 50.
inline double TextRating(int scale, int column) {
    return TextRatings[std::size_t(scale - 1)][std::size_t(column)];
}

// Expected sound frequencies: per sound code, and per rating column (a vowel's column holds the sum
// of its unstressed and stressed entries).
extern const std::array<double, SoundCodeCount> FrequencyByCode;
extern const std::array<double, RatingColumnCount> FrequencyByColumn;

} // namespace zelm
