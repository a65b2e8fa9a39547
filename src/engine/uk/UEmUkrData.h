// Ukrainian letter rules, sound inventory and reference tables.
#pragma once

#include "../Cp1251.h"
#include "../EngineTypes.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace zelm {

// Sound codes 0..9 are the vowels, 10..49 the consonants (a soft consonant one above its hard
// twin), 50..59 the stressed vowels; 60 closes a sound string.
inline constexpr int UkrSoundCount = 50;
inline constexpr int UkrSoundCodeCount = 60;
inline constexpr SoundCode UkrSoundStringEnd = 60;
inline constexpr int UkrScaleCount = 7;
inline constexpr int UkrScaleNameCapacity = 12;

// A set of letters among the bytes 0xA8..0xFF.
struct TUkrLetterSet {
    std::array<std::uint64_t, 4> Bits{};
    constexpr bool Has(unsigned char letter) const {
        return letter >= 0xA8 && ((Bits[letter >> 6] >> (letter & 63)) & 1) != 0;
    }
    constexpr int Size() const {
        int n = 0;
        for (int b = 0; b < 256; ++b) n += Has(static_cast<unsigned char>(b)) ? 1 : 0;
        return n;
    }
};

constexpr TUkrLetterSet UkrLetterSetOf(std::string_view cp1251) {
    TUkrLetterSet set;
    for (const char c : cp1251) {
        const auto b = static_cast<unsigned char>(c);
        set.Bits[b >> 6] |= std::uint64_t{1} << (b & 63);
    }
    return set;
}

inline constexpr TUkrLetterSet UkrSoundingLetters =
    UkrLetterSetOf(Cp1251Name<40>("абвгдеєжзиіїйклмнопрстуфхцчшщьюя").View());
inline constexpr TUkrLetterSet UkrSofteningLetters = UkrLetterSetOf(Cp1251Name<8>("ієьюя").View());
inline constexpr TUkrLetterSet UkrPairedConsonants =
    UkrLetterSetOf(Cp1251Name<24>("бвгжзйклмнпрстфхцчш").View());
inline constexpr TUkrLetterSet UkrVowelLetters = UkrLetterSetOf(Cp1251Name<16>("аеиіїоуюяє").View());

// The Windows-1251 byte of a one-letter UTF-8 literal.
consteval unsigned char UkrL(std::string_view utf8) {
    return static_cast<unsigned char>(Cp1251Name<1>(utf8).Bytes[0]);
}

// The letters that the transcription rules single out.
inline constexpr unsigned char UkrDe = UkrL("д");
inline constexpr unsigned char UkrZhe = UkrL("ж");
inline constexpr unsigned char UkrZe = UkrL("з");
inline constexpr unsigned char UkrShcha = UkrL("щ");
inline constexpr unsigned char UkrSoftSign = UkrL("ь");
inline constexpr unsigned char UkrO = UkrL("о");
inline constexpr unsigned char UkrYi = UkrL("ї");

// Codes of the vowels and paired consonants.
struct TUkrLetterSounds {
    unsigned char Letter;
    SoundCode Plain, Marked; // Marked: the stressed vowel, or the soft consonant
};

inline constexpr std::array<TUkrLetterSounds, 28> UkrLetterSounds = {{
    {UkrL("а"), 0, 50},  {UkrL("е"), 1, 51},
    {UkrL("и"), 2, 52},  {UkrL("і"), 3, 53},
    {UkrL("о"), 4, 54},  {UkrL("у"), 5, 55},
    {UkrL("я"), 6, 56},  {UkrL("є"), 7, 57},
    {UkrL("ю"), 9, 59},  {UkrL("б"), 10, 11},
    {UkrL("в"), 12, 13}, {UkrL("г"), 14, 15},
    {UkrL("ж"), 22, 23}, {UkrL("з"), 24, 25},
    {UkrL("к"), 27, 28}, {UkrL("л"), 29, 30},
    {UkrL("м"), 31, 32}, {UkrL("н"), 33, 34},
    {UkrL("п"), 35, 36}, {UkrL("р"), 37, 38},
    {UkrL("с"), 39, 40}, {UkrL("т"), 41, 42},
    {UkrL("ф"), 43, 44}, {UkrL("х"), 45, 46},
    {UkrL("ц"), 47, 48}, {UkrL("й"), 26, 26},
    {UkrL("ч"), 16, 16}, {UkrL("ш"), 49, 49},
}};

// The code of a vowel or paired consonant in a context, or -1 for a letter without one.
constexpr int UkrLetterCode(unsigned char letter, LetterContext context) {
    for (const auto& entry : UkrLetterSounds) {
        if (entry.Letter != letter) continue;
        const bool vowel = entry.Plain < 10;
        const bool marked = vowel ? context == LetterContext::Stressed : context == LetterContext::Soft;
        return marked ? entry.Marked : entry.Plain;
    }
    return -1;
}

// Raised by UkrSoundOfLetter for a letter that has no sound of its own.
class EPhoneType : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A byte lower-cased as the Ukrainian rules read letters: А..Я, Є, Ї and І; not Ґ.
constexpr unsigned char UkrFoldCase(unsigned char byte) {
    if (byte >= 0xC0 && byte <= 0xDF) return static_cast<unsigned char>(byte + 32);
    if (byte == 0xAA || byte == 0xAF) return static_cast<unsigned char>(byte + 16);
    if (byte == 0xB2) return 0xB3;
    return byte;
}
// The byte at the 1-based position, lower-cased; 0 past the end.
unsigned char UkrLetterAt(std::string_view word, std::size_t position);

// The sound of a vowel or paired consonant in a context; EPhoneType ("Phone type: <letter>
// undefined!") for any other letter.
SoundCode UkrSoundOfLetter(unsigned char letter, LetterContext context);

// Stressed vowel codes 50..59 fold onto 0..9; every other code is returned unchanged.
constexpr SoundCode UkrFoldStress(SoundCode code) {
    return code >= 50 && code <= 59 ? static_cast<SoundCode>(code - 50) : code;
}

// Transcribes a single word, honouring stress marks, into `sounds` (cleared first; the end mark is
// not stored). Returns the word's largest UkrFrequencyByCode value, 0 for no sounds.
double UkrTranscribeWord(std::string_view word, std::vector<SoundCode>& sounds);
// Transcribes a word of a text: ordinary vowels unstressed, ьо always code 8.
void UkrTranscribeTextWord(std::string_view word, std::vector<SoundCode>& sounds);

// Ratings of the 50 sounds on the 7 scales.
extern const std::array<std::array<std::int16_t, UkrSoundCount>, UkrScaleCount> UkrSoundRatings;
// Expected frequency of each sound 0..49.
extern const std::array<double, UkrSoundCount> UkrFrequencyByCode;
// Weight of each colour class 1..6 in each vowel 0..9.
extern const std::array<std::array<std::uint8_t, ColourClassCount>, 10> UkrVowelColourTable;

// The ratings divided as the evaluations read them, worked out when the program is compiled: per
// sound code 0..59 (stressed vowels folded) divided by 200 (words), per sound divided by 100 (texts).
extern const std::array<std::array<double, UkrSoundCodeCount>, UkrScaleCount> UkrWordRatings;
extern const std::array<std::array<double, UkrSoundCount>, UkrScaleCount> UkrTextRatings;

// Rating of sound code 0..59 (folded) on scale 1..7, divided by 200.
inline double UkrWordRating(int scale, SoundCode code) { return UkrWordRatings[std::size_t(scale - 1)][code]; }
// Rating of sound code 0..49 on scale 1..7, divided by 100.
inline double UkrTextRating(int scale, int code) {
    return UkrTextRatings[std::size_t(scale - 1)][std::size_t(code)];
}
// Colour weight of a sound code 0..59 (folded) in colour class 1..6; 0 for consonants.
int UkrVowelColourWeight(SoundCode code, int colourClass);

std::string_view UkrScaleLeftName(int scale);
std::string_view UkrScaleRightName(int scale);
std::string_view UkrScaleLeftGenitive(int scale);
std::string_view UkrScaleRightGenitive(int scale);

} // namespace zelm
