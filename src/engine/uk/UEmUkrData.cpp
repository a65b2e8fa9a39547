#include "UEmUkrData.h"

#include <string>

namespace zelm {

namespace {

consteval auto N(std::string_view utf8) { return Cp1251Name<UkrScaleNameCapacity>(utf8); }

struct TUkrScaleRecord {
    TCp1251Name<UkrScaleNameCapacity> Left, Right, LeftGenitive, RightGenitive;
};

// Pole names and genitives of the 7 scales, in scale order.
constexpr std::array<TUkrScaleRecord, UkrScaleCount> UkrScales = {{
    {N("Большой"), N("Маленький"), N("БОЛЬШОГО"), N("МАЛЕНЬКОГО")},
    {N("Приятный"), N("Неприятный"), N("ПРИЯТНОГО"), N("НЕПРИЯТНОГО")},
    {N("Быстрый"), N("Медленный"), N("БЫСТРОГО"), N("МЕДЛЕННОГО")},
    {N("Холодный"), N("Теплый"), N("ХОЛОДНОГО"), N("ТЕПЛОГО")},
    {N("Сильный"), N("Слабый"), N("СИЛЬНОГО"), N("СЛАБОГО")},
    {N("Темный"), N("Светлый"), N("ТЕМНОГО"), N("СВЕТЛОГО")},
    {N("Твердый"), N("Мягкий"), N("ТВЕРДОГО"), N("МЯГКОГО")},
}};


} // namespace

constexpr std::array<std::array<std::int16_t, UkrSoundCount>, UkrScaleCount> UkrSoundRatings = {{
    // codes: а е и і о у я є ьо ю, б бʹ в вʹ г гʹ ч д дʹ дж дз дзʹ ж жʹ з зʹ й к кʹ л лʹ м мʹ н нʹ
    //        п пʹ р рʹ с сʹ т тʹ ф фʹ х хʹ ц цʹ ш
    {83, 51, 49, -54, 53, 76, -62, -58, -71, -77, 51, -33, 28, -55, 72, -87, 85, 66, -42, 71, 79, -35, 98, -75, 29, -35, -32, 21, -52, 50, -86, 46, -102, 27, -60, 56, -90, 72, -41, 52, -63, 100, -83, 83, -83, 87, -87, 4, -51, 37}, // scale 1
    {2, -1, -14, 15, 1, -14, -12, -14, -28, 3, -24, 16, -20, 44, -17, -25, -51, -59, 22, -49, -43, -54, -23, -38, 30, -35, 30, 16, -34, 28, 45, 52, 38, 39, 19, -6, 8, -34, 27, 1, 8, -2, 2, -17, -45, -33, -53, -21, 3, -5}, // scale 2
    {44, 50, 58, -6, 55, 55, -13, -45, -49, -32, 86, 27, 59, -28, 20, -17, -20, 77, -29, 12, 49, 28, 10, -20, 93, -31, 13, 97, -27, 3, -29, -8, -27, 83, -27, 31, 3, 96, -35, 14, -21, 7, 4, -8, -9, 19, -21, -55, -25, 84}, // scale 3
    {-48, 76, -18, -98, 100, 73, -93, -99, -110, -114, 67, -95, 50, -108, 88, -112, 78, 77, -122, 103, 71, -75, 87, -104, 74, -99, -39, 61, -104, 57, -121, 65, -120, 68, -112, 66, -127, 83, -84, 73, -107, 86, -122, 74, -108, 66, -117, 62, -118, 70}, // scale 4
    {88, 72, 62, -65, 88, 99, -74, -68, -93, -74, 100, -80, 79, -76, 90, -74, 46, 110, -78, 111, 52, -60, 95, -75, 84, -84, -15, 87, -72, 45, -79, 82, -68, 79, -80, 27, -93, 115, -62, 73, -78, 57, -69, 70, -65, 67, -72, 75, -74, 62}, // scale 5
    {66, 65, 53, -5, 49, 27, -45, -59, -78, -71, 86, -79, 59, -70, 68, -43, 110, 2, -128, 80, 56, -105, 45, -30, 50, -103, -188, 60, -76, 50, -73, 56, -53, 74, -132, 51, -61, 85, -62, 34, -100, 78, -53, 104, -40, 75, -34, 80, -97, 79}, // scale 6
    {99, 86, 88, -83, 97, 96, -112, -94, -96, -118, 122, -125, 98, -119, 99, -114, 81, 128, -112, 110, 80, -118, 91, -91, 91, -130, -36, 91, -121, 73, -109, 72, -108, 87, -145, 97, -99, 105, -126, -126, 84, 101, -99, 86, -100, 75, -98, 84, -125, 64}, // scale 7
}};

constexpr std::array<std::array<double, UkrSoundCodeCount>, UkrScaleCount> UkrWordRatings = [] {
    std::array<std::array<double, UkrSoundCodeCount>, UkrScaleCount> ratings{};
    for (std::size_t s = 0; s < ratings.size(); ++s)
        for (std::size_t c = 0; c < ratings[s].size(); ++c)
            ratings[s][c] = UkrSoundRatings[s][UkrFoldStress(SoundCode(c))] / 200.0;
    return ratings;
}();

constexpr std::array<std::array<double, UkrSoundCount>, UkrScaleCount> UkrTextRatings = [] {
    std::array<std::array<double, UkrSoundCount>, UkrScaleCount> ratings{};
    for (std::size_t s = 0; s < ratings.size(); ++s)
        for (std::size_t c = 0; c < ratings[s].size(); ++c) ratings[s][c] = UkrSoundRatings[s][c] / 100.0;
    return ratings;
}();

const std::array<double, UkrSoundCount> UkrFrequencyByCode = {
    0.0832183, 0.0480774, 0.0723285, 0.0573697, 0.0990229, 0.0334111, 0.0232933, 0.004998,
    0.0017836, 0.0086329, 0.0183444, 0.0017674, 0.0505018, 0.0106043, 0.0188396, 0.0006858,
    0.0185751, 0.0299816, 0.0040022, 0.0005763, 0.0001133, 0.0000103, 0.008267, 0.000495,
    0.0207466, 0.0012067, 0.0228186, 0.0290077, 0.0022449, 0.0264759, 0.0105664, 0.0289492,
    0.0032634, 0.0503473, 0.0118304, 0.0253854, 0.0022248, 0.0367863, 0.0043742, 0.0328451,
    0.0111896, 0.0384768, 0.0102931, 0.0010806, 0.0002671, 0.0123944, 0.0004818, 0.0030622,
    0.0040144, 0.0147673,
};

const std::array<std::array<std::uint8_t, ColourClassCount>, 10> UkrVowelColourTable = {{
    // red, yellow, green, blue, purple, maroon
    {11, 0, 11, 0, 0, 0}, // 0 а
    {0, 0, 15, 0, 0, 0}, // 1 е
    {0, 0, 0, 14, 0, 14}, // 2 и
    {0, 9, 8, 0, 0, 0}, // 3 і
    {12, 15, 0, 0, 0, 0}, // 4 о
    {0, 0, 0, 0, 14, 11}, // 5 у
    {11, 0, 11, 0, 0, 0}, // 6 я
    {0, 0, 15, 0, 0, 0}, // 7 є
    {12, 15, 0, 0, 0, 0}, // 8 ьо
    {0, 0, 0, 0, 14, 11}, // 9 ю
}};

unsigned char UkrLetterAt(std::string_view word, std::size_t position) {
    if (position == 0 || position > word.size()) return 0;
    return UkrFoldCase(static_cast<unsigned char>(word[position - 1]));
}

SoundCode UkrSoundOfLetter(unsigned char letter, LetterContext context) {
    if (const int code = UkrLetterCode(letter, context); code >= 0) return static_cast<SoundCode>(code);
    throw EPhoneType("Phone type: " + std::string(1, static_cast<char>(letter)) + " undefined!");
}

namespace {

template <bool SingleWord> double Transcribe(std::string_view word, std::vector<SoundCode>& sounds) {
    sounds.clear();
    const std::size_t length = word.size();
    sounds.reserve(length); // mostly one sound a letter; a long word grows few copies
    std::size_t i = 0;
    while (i < length) {
        ++i;
        const unsigned char l = UkrLetterAt(word, i);
        if (!UkrSoundingLetters.Has(l)) continue;
        const unsigned char n = UkrLetterAt(word, i + 1);
        if (l == UkrDe && n == UkrZhe) {
            sounds.push_back(19);
            ++i;
        } else if (l == UkrDe && n == UkrZe) {
            sounds.push_back(UkrSofteningLetters.Has(UkrLetterAt(word, i + 2)) ? 21 : 20);
            ++i;
        } else if (l == UkrDe) {
            sounds.push_back(UkrSofteningLetters.Has(n) ? 18 : 17);
        } else if (l == UkrShcha) {
            sounds.push_back(49);
            sounds.push_back(16);
        } else if (l == UkrSoftSign && n == UkrO) {
            sounds.push_back(SingleWord && UkrLetterAt(word, i + 2) == StressMark ? 58 : 8);
            ++i;
        } else if (l == UkrSoftSign) {
            // the soft sign has already softened the consonant before it
        } else if (l == UkrYi) {
            sounds.push_back(26);
            sounds.push_back(n == StressMark ? 52 : 2);
        } else if (UkrPairedConsonants.Has(l)) {
            sounds.push_back(UkrSoundOfLetter(l, UkrSofteningLetters.Has(n) ? LetterContext::Soft : LetterContext::Plain));
        } else {
            const bool stressed = SingleWord && UkrVowelLetters.Has(l) && n == StressMark;
            sounds.push_back(UkrSoundOfLetter(l, stressed ? LetterContext::Stressed : LetterContext::Plain));
        }
    }
    double maximum = 0;
    if constexpr (SingleWord)
        for (const SoundCode code : sounds)
            if (UkrFrequencyByCode[UkrFoldStress(code)] > maximum) maximum = UkrFrequencyByCode[UkrFoldStress(code)];
    return maximum;
}

} // namespace

double UkrTranscribeWord(std::string_view word, std::vector<SoundCode>& sounds) {
    return Transcribe<true>(word, sounds);
}

void UkrTranscribeTextWord(std::string_view word, std::vector<SoundCode>& sounds) {
    Transcribe<false>(word, sounds);
}

int UkrVowelColourWeight(SoundCode code, int colourClass) {
    const SoundCode folded = UkrFoldStress(code);
    if (folded >= 10) return 0;
    return UkrVowelColourTable[folded][std::size_t(colourClass - 1)];
}

std::string_view UkrScaleLeftName(int scale) { return UkrScales.at(std::size_t(scale - 1)).Left.View(); }
std::string_view UkrScaleRightName(int scale) { return UkrScales.at(std::size_t(scale - 1)).Right.View(); }
std::string_view UkrScaleLeftGenitive(int scale) { return UkrScales.at(std::size_t(scale - 1)).LeftGenitive.View(); }
std::string_view UkrScaleRightGenitive(int scale) { return UkrScales.at(std::size_t(scale - 1)).RightGenitive.View(); }

} // namespace zelm
