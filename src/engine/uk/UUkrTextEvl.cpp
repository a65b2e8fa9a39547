#include "UUkrTextEvl.h"

#include <cmath>

namespace zelm {

namespace {

// The text is counted as a stream of bytes rather than word by word. Every rule looks at a letter
// and the letter after it, and the letters a rule swallows (ж and з after д, о after ь) are never
// д or ь themselves, so each byte's sounds follow from the byte before it, itself and the byte
// after it: д before ж or з is silent and the ж or з after д makes дж, дз or дзʹ (soft when the
// letter after the з softens); о after ь makes ьо. Inside a word the neighbours in the text are
// the neighbours in the word; at a word's end the text goes on with a separator (or the hyphen the
// splitter drops) where the word has its end, and neither is ever ж, з, о or a softening letter,
// so both readings agree. Letters outside the Ukrainian alphabet form words but make no sound.
//
// Key = letter class * 12 + before (0 other, 1 д, 2 ь) * 4 + after (0 other, 1 softening,
// 2 ж or з, 3 о); letter classes 0..31 are the sounding letters, 32 everything else.
constexpr std::size_t KeyCount = TUkrTextEvaluator::KeyCount;
constexpr int OtherClass = 32;
static_assert(KeyCount == (OtherClass + 1) * 12);

constexpr auto SoundingLetterOrder = Cp1251Name<32>("абвгдеєжзиіїйклмнопрстуфхцчшщьюя");
constexpr std::string_view SoundingOrder = SoundingLetterOrder.View();

constexpr int LetterClass(unsigned char byte) {
    const unsigned char letter = UkrFoldCase(byte);
    for (std::size_t i = 0; i < SoundingOrder.size(); ++i)
        if (static_cast<unsigned char>(SoundingOrder[i]) == letter) return int(i);
    return OtherClass;
}

constexpr TTripleKeys<KeyCount> MakeKeys() {
    TTripleKeys<KeyCount> keys;
    for (int b = 0; b < 256; ++b) {
        const auto byte = static_cast<unsigned char>(b);
        const unsigned char letter = UkrFoldCase(byte);
        keys.Self[std::size_t(b)] = std::uint16_t(LetterClass(byte) * 12);
        keys.Prev[std::size_t(b)] = letter == UkrDe ? 4 : letter == UkrSoftSign ? 8 : 0;
        keys.Next[std::size_t(b)] = UkrSofteningLetters.Has(letter)            ? 1
                                    : letter == UkrZhe || letter == UkrZe ? 2
                                    : letter == UkrO                       ? 3
                                                                           : 0;
    }
    return keys;
}

// The keys with their pair table, made on first use: stored, the table would add 128 KiB to the
// program and to the web page.
TTripleKeys<KeyCount> KeysWithPairs() {
    TTripleKeys<KeyCount> keys = MakeKeys();
    keys.MakePairs();
    return keys;
}

// The sounds (at most two) of each key; 255 marks no sound.
constexpr std::array<std::array<std::uint8_t, 2>, KeyCount> MakeKeySounds() {
    std::array<std::array<std::uint8_t, 2>, KeyCount> sounds{};
    for (std::size_t key = 0; key < KeyCount; ++key) {
        const int letterClass = int(key / 12), before = int(key / 4 % 3), after = int(key % 4);
        std::array<std::uint8_t, 2> s = {255, 255};
        if (letterClass != OtherClass) {
            const auto letter = static_cast<unsigned char>(SoundingOrder[std::size_t(letterClass)]);
            const bool soft = after == 1;
            if (letter == UkrSoftSign) {
            } else if (letter == UkrDe) {
                if (after != 2) s[0] = soft ? 18 : 17;
            } else if (letter == UkrZhe && before == 1) {
                s[0] = 19;
            } else if (letter == UkrZe && before == 1) {
                s[0] = soft ? 21 : 20;
            } else if (letter == UkrO && before == 2) {
                s[0] = 8;
            } else if (letter == UkrShcha) {
                s = {49, 16};
            } else if (letter == UkrYi) { // a text word never holds a stress mark
                s = {26, 2};
            } else {
                s[0] = std::uint8_t(UkrLetterCode(letter, soft ? LetterContext::Soft : LetterContext::Plain));
            }
        }
        sounds[key] = s;
    }
    return sounds;
}

constexpr auto KeySounds = MakeKeySounds();

// Vowels whose counts make up each colour class of a text.
constexpr std::array<std::array<int, 5>, ColourClassCount> ColourVowels = {{
    {0, 4, 6, 8, -1}, {3, 8, -1, -1, -1}, {0, 1, 3, 6, 7}, {2, -1, -1, -1, -1}, {5, 9, -1, -1, -1},
    {2, 5, 9, -1, -1},
}};

} // namespace

const TTripleKeys<TUkrTextEvaluator::KeyCount>& TUkrTextEvaluator::StreamKeys() {
    static const TTripleKeys<KeyCount> keys = KeysWithPairs();
    return keys;
}

void TUkrTextEvaluator::UkrResetTextCounts() {
    UkrTextSoundCounts.fill(0);
    Stream_.Reset();
}

void TUkrTextEvaluator::UkrCountTextChunk(std::string_view chunk) {
    std::array<std::uint64_t, KeyCount> totals{};
    Stream_.Feed(chunk, totals);
    AddKeyCounts(totals);
}

void TUkrTextEvaluator::UkrFinishText() {
    std::array<std::uint64_t, KeyCount> totals{};
    Stream_.Finish(totals);
    AddKeyCounts(totals);
}

void TUkrTextEvaluator::AddKeyCounts(const std::array<std::uint64_t, KeyCount>& totals) {
    for (std::size_t key = 0; key < KeyCount; ++key)
        for (const std::uint8_t sound : KeySounds[key])
            if (sound != 255) UkrTextSoundCounts[sound] += std::int64_t(totals[key]);
}

bool TUkrTextEvaluator::UkrCountTextWords(std::string_view text) {
    const bool escape = EscapePending(EscapeProbe);
    Stream_.Reset();
    UkrCountTextChunk(text);
    UkrFinishText();
    return escape;
}

void TUkrTextEvaluator::UkrCountWordSounds(std::string_view word) {
    UkrTranscribeTextWord(word, WordSounds_);
    for (const SoundCode code : WordSounds_) ++UkrTextSoundCounts[code];
}

std::int64_t TUkrTextEvaluator::UkrTextSoundTotal() const {
    std::int64_t total = 0;
    for (const auto count : UkrTextSoundCounts) total += count;
    return total;
}

float TUkrTextEvaluator::UkrSoundZScore(int code, std::int64_t count, std::int64_t total) {
    const double p = static_cast<float>(UkrFrequencyByCode[std::size_t(code)]);
    if (total == 0) return 0;
    const double n = static_cast<double>(total);
    return static_cast<float>((static_cast<double>(count) - n * p) / std::sqrt(n * p * (1 - p)));
}

void TUkrTextEvaluator::CopyTotals() { UkrTextTotals = UkrTextSoundCounts; }

void TUkrTextEvaluator::UkrComputeTextZScores() {
    std::int64_t total = 0;
    for (const auto t : UkrTextTotals) total += t;
    for (int c = 0; c < UkrSoundCount; ++c)
        UkrTextZScores[std::size_t(c)] = UkrSoundZScore(c, UkrTextTotals[std::size_t(c)], total);
}

void TUkrTextEvaluator::UkrEvaluateTextZhuravlev() {
    UkrTextProfile.fill(0);
    CopyTotals();
    UkrComputeTextZScores();
    for (int s = 1; s <= UkrScaleCount; ++s) {
        float v = 0;
        for (int c = 0; c < UkrSoundCount; ++c) {
            const float z = UkrTextZScores[std::size_t(c)];
            if (std::fabs(z) > 1.0f) v = static_cast<float>(v + UkrTextRating(s, c) * z);
        }
        UkrTextProfile[std::size_t(s - 1)] = v;
    }
}

void TUkrTextEvaluator::UkrEvaluateTextLevitsky() {
    UkrTextProfile.fill(0);
    CopyTotals();
    std::int64_t total = 0;
    for (const auto t : UkrTextTotals) total += t;
    const double n = static_cast<double>(total);
    for (int s = 1; s <= UkrScaleCount; ++s) {
        float r = 0;
        for (int c = 0; c < UkrSoundCount; ++c)
            r = static_cast<float>(r + UkrTextRating(s, c) * (static_cast<double>(UkrTextTotals[std::size_t(c)]) -
                                                             n * UkrFrequencyByCode[std::size_t(c)]));
        r = static_cast<float>(r * 100.0);
        if (total > 0) r = static_cast<float>(r / n);
        UkrTextProfile[std::size_t(s - 1)] = r;
    }
}

void TUkrTextEvaluator::UkrEvaluateText(TEvalScheme scheme) {
    if (scheme == TEvalScheme::esLevitsky) UkrEvaluateTextLevitsky();
    else UkrEvaluateTextZhuravlev();
    UkrTextProfileScale = UkrTextProfileMaxAbs();
}

float TUkrTextEvaluator::UkrTextProfileMaxAbs() const {
    float m = 0;
    for (const float v : UkrTextProfile)
        if (std::fabs(v) > m) m = std::fabs(v);
    return m > 0 ? m : 1.0f;
}

TUkrTextEvaluator::TColour TUkrTextEvaluator::UkrTextColourZ(int colourClass) const {
    const auto k = std::size_t(colourClass - 1);
    double p = 0, n = 0;
    for (const int vowel : ColourVowels.at(k)) {
        if (vowel < 0) continue;
        p += UkrFrequencyByCode[std::size_t(vowel)];
        n += static_cast<double>(UkrTextSoundCounts[std::size_t(vowel)]);
    }
    const std::int64_t total = UkrTextSoundTotal();
    if (total == 0) return {0.0, ColourClassColours[k]};
    const double t = static_cast<double>(total);
    return {(n - t * p) / std::sqrt(t * p * (1 - p)), ColourClassColours[k]};
}

} // namespace zelm
