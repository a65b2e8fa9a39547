#include "UUkrTextEvl.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace zelm {

namespace {

// The text is counted as a stream of bytes rather than word by word: every rule looks only at a
// letter and the one or two bytes after it, and inside a word these are the bytes of the text. At
// a word's end the text goes on with a separator (or the hyphen the splitter drops) where the word
// has its end, and neither is ever ж, з, о or a softening letter, so both readings agree. Letters
// outside the Ukrainian alphabet form words but make no sound.
constexpr int DumpBin = UkrSoundCount;

constexpr std::array<std::uint8_t, 256> MakeSofteningFlags() {
    std::array<std::uint8_t, 256> flags{};
    for (int b = 0; b < 256; ++b) flags[std::size_t(b)] = UkrSofteningLetters.Has(UkrFoldCase(std::uint8_t(b))) ? 1 : 0;
    return flags;
}
constexpr bool IsSpecial(unsigned char letter) {
    return letter == UkrDe || letter == UkrShcha || letter == UkrSoftSign || letter == UkrYi;
}
constexpr std::array<std::uint8_t, 256> MakeSpecialFlags() {
    std::array<std::uint8_t, 256> flags{};
    for (int b = 0; b < 256; ++b) flags[std::size_t(b)] = IsSpecial(UkrFoldCase(std::uint8_t(b))) ? 1 : 0;
    return flags;
}
// Bin of byte b with a softening successor (index 2b + 1) or without (2b): the sound's code for a
// vowel or paired consonant, the dump bin for anything soundless.
constexpr std::array<std::uint8_t, 512> MakeSimpleBins() {
    std::array<std::uint8_t, 512> bins{};
    for (int b = 0; b < 256; ++b)
        for (int soft = 0; soft < 2; ++soft) {
            const unsigned char letter = UkrFoldCase(std::uint8_t(b));
            int code = UkrLetterCode(letter, soft ? LetterContext::Soft : LetterContext::Plain);
            if (code < 0 || !UkrSoundingLetters.Has(letter)) code = DumpBin;
            bins[std::size_t(2 * b + soft)] = std::uint8_t(code);
        }
    return bins;
}

constexpr auto Softening = MakeSofteningFlags();
constexpr auto Special = MakeSpecialFlags();
constexpr auto SimpleBins = MakeSimpleBins();

using TBins = std::array<std::uint64_t, UkrSoundCount + 1>;

// Counts the sounds that start at positions from..to-1; bytes[i + 1] and bytes[i + 2] must be
// readable for each of them. Returns the position after the last byte used, which is past `to`
// when a two-letter sound ends there.
std::size_t ScanBytes(const unsigned char* p, std::size_t i, std::size_t to, TBins& h) {
    while (i < to) {
        const unsigned char b = p[i];
        if (!Special[b]) {
            ++h[SimpleBins[2u * b + Softening[p[i + 1]]]];
            ++i;
            continue;
        }
        const unsigned char letter = UkrFoldCase(b), next = UkrFoldCase(p[i + 1]);
        if (letter == UkrDe) {
            if (next == UkrZhe) {
                ++h[19];
                i += 2;
            } else if (next == UkrZe) {
                ++h[Softening[p[i + 2]] ? 21 : 20];
                i += 2;
            } else {
                ++h[Softening[p[i + 1]] ? 18 : 17];
                ++i;
            }
        } else if (letter == UkrShcha) {
            ++h[49];
            ++h[16];
            ++i;
        } else if (letter == UkrSoftSign) {
            if (next == UkrO) {
                ++h[8];
                i += 2;
            } else {
                ++i;
            }
        } else { // ї: й and the и sound; a text word never holds a stress mark
            ++h[26];
            ++h[2];
            ++i;
        }
    }
    return i;
}

// Vowels whose counts make up each colour class of a text.
constexpr std::array<std::array<int, 5>, ColourClassCount> ColourVowels = {{
    {0, 4, 6, 8, -1}, {3, 8, -1, -1, -1}, {0, 1, 3, 6, 7}, {2, -1, -1, -1, -1}, {5, 9, -1, -1, -1},
    {2, 5, 9, -1, -1},
}};

} // namespace

void TUkrTextEvaluator::UkrResetTextCounts() {
    UkrTextSoundCounts.fill(0);
    TailLength_ = 0;
}

void TUkrTextEvaluator::UkrCountTextChunk(std::string_view chunk) {
    const auto* p = reinterpret_cast<const unsigned char*>(chunk.data());
    const std::size_t n = chunk.size();
    if (n == 0) return;
    TBins h{};
    std::size_t start = 0;
    if (TailLength_ > 0) {
        // Count the held bytes with the first bytes of this chunk as their successors.
        unsigned char joined[16];
        const std::size_t taken = std::min<std::size_t>(n, 4);
        std::memcpy(joined, Tail_.data(), TailLength_);
        std::memcpy(joined + TailLength_, p, taken);
        const std::size_t length = TailLength_ + taken;
        const std::size_t stop = length >= 2 ? std::min(TailLength_, length - 2) : 0;
        const std::size_t at = ScanBytes(joined, 0, stop, h);
        if (at < TailLength_) { // the chunk was too short to see far enough: hold on
            TailLength_ = length - at;
            std::memmove(Tail_.data(), joined + at, TailLength_);
            for (int c = 0; c < UkrSoundCount; ++c) UkrTextSoundCounts[std::size_t(c)] += std::int64_t(h[std::size_t(c)]);
            return;
        }
        start = at - TailLength_;
        TailLength_ = 0;
    }
    std::size_t at = start;
    if (n >= 2 && start < n - 2) at = ScanBytes(p, start, n - 2, h);
    if (at < n) {
        TailLength_ = n - at;
        std::memcpy(Tail_.data(), p + at, TailLength_);
    }
    for (int c = 0; c < UkrSoundCount; ++c) UkrTextSoundCounts[std::size_t(c)] += std::int64_t(h[std::size_t(c)]);
}

void TUkrTextEvaluator::UkrFinishText() {
    if (TailLength_ == 0) return;
    unsigned char padded[16] = {};
    std::memcpy(padded, Tail_.data(), TailLength_);
    TBins h{};
    ScanBytes(padded, 0, TailLength_, h);
    TailLength_ = 0;
    for (int c = 0; c < UkrSoundCount; ++c) UkrTextSoundCounts[std::size_t(c)] += std::int64_t(h[std::size_t(c)]);
}

bool TUkrTextEvaluator::UkrCountTextWords(std::string_view text) {
    const bool escape = EscapePending(EscapeProbe);
    TailLength_ = 0;
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
