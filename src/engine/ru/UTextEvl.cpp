#include "UTextEvl.h"

#include <cmath>
#include <cstdlib>

namespace zelm {

namespace {

// Counting works on byte pairs: a byte of a text word makes its sound from itself and from
// whether the byte after it is a softening letter. Words are runs of bytes 192..255 and every
// softening letter is such a byte, so the successor in the text decides exactly as the successor
// in the word would (a hyphen, a separator or the end of the text never softens). Each byte is
// put in a bin, letter * 2 + softening successor; non-letters go to the two spare bins.
constexpr int LetterBins = 64;
constexpr int BinCount = LetterBins + 2;

constexpr std::array<std::uint8_t, 256> MakeByteBins() {
    std::array<std::uint8_t, 256> bins{};
    for (int b = 0; b < 256; ++b) bins[std::size_t(b)] = b >= 192 ? std::uint8_t(((b - 192) & 31) * 2) : LetterBins;
    return bins;
}
constexpr std::array<std::uint8_t, 256> MakeSofteningFlags() {
    std::array<std::uint8_t, 256> flags{};
    for (int b = 192; b < 256; ++b) {
        const auto lower = static_cast<unsigned char>(b <= 223 ? b + 32 : b);
        flags[std::size_t(b)] = InLetterSet(SofteningLetters, lower) ? 1 : 0;
    }
    return flags;
}
// Rating column of each letter bin, or -1 for ъ, ь and the spare bins.
constexpr std::array<std::int8_t, BinCount> MakeBinColumns() {
    std::array<std::int8_t, BinCount> columns{};
    for (int bin = 0; bin < BinCount; ++bin) {
        columns[std::size_t(bin)] = -1;
        if (bin >= LetterBins) continue;
        const auto letter = static_cast<unsigned char>(224 + bin / 2);
        if (!InLetterSet(SoundingLetters, letter)) continue;
        const bool soft = (bin & 1) != 0 && InLetterSet(PairedConsonants, letter);
        const SoundCode code = SoundOfLetter(letter, soft ? LetterContext::Soft : LetterContext::Plain);
        columns[std::size_t(bin)] = static_cast<std::int8_t>(code);
    }
    return columns;
}

constexpr auto ByteBins = MakeByteBins();
constexpr auto SofteningFlags = MakeSofteningFlags();
constexpr auto BinColumns = MakeBinColumns();

// Columns of each colour class.
constexpr std::array<std::array<int, 2>, ColourClassCount> ColourColumns = {{
    {0, 29}, {14, -1}, {5, 27}, {8, 9}, {19, 28}, {26, -1},
}};

} // namespace

void TTextEvaluator::ResetTextCounts() {
    TextSoundCounts.fill(0);
    TextProfile.fill(0);
    HasHeld_ = false;
}

// Counts bytes[0..count) with `after` as the successor of the last one.
void TTextEvaluator::CountBytes(const unsigned char* bytes, std::size_t count, unsigned char after) {
    // Four histograms break the store-to-load chains of repeated letters; 32-bit bins are safe
    // because blocks stay below 2^30 bytes.
    constexpr std::size_t Block = std::size_t(1) << 30;
    while (count > 0) {
        const std::size_t n = count < Block ? count : Block;
        const unsigned char next = n < count ? bytes[n] : after;
        std::uint32_t h[4][BinCount] = {};
        std::size_t i = 0;
        if (n >= 5) {
            for (; i + 4 < n; i += 4) {
                ++h[0][ByteBins[bytes[i]] | SofteningFlags[bytes[i + 1]]];
                ++h[1][ByteBins[bytes[i + 1]] | SofteningFlags[bytes[i + 2]]];
                ++h[2][ByteBins[bytes[i + 2]] | SofteningFlags[bytes[i + 3]]];
                ++h[3][ByteBins[bytes[i + 3]] | SofteningFlags[bytes[i + 4]]];
            }
        }
        for (; i + 1 < n; ++i) ++h[0][ByteBins[bytes[i]] | SofteningFlags[bytes[i + 1]]];
        ++h[0][ByteBins[bytes[n - 1]] | SofteningFlags[next]];
        for (int bin = 0; bin < LetterBins; ++bin) {
            const int column = BinColumns[std::size_t(bin)];
            if (column >= 0)
                TextSoundCounts[std::size_t(column)] +=
                    std::int64_t(h[0][bin]) + h[1][bin] + h[2][bin] + h[3][bin];
        }
        bytes += n;
        count -= n;
    }
}

void TTextEvaluator::CountTextChunk(std::string_view chunk) {
    if (chunk.empty()) return;
    const auto* bytes = reinterpret_cast<const unsigned char*>(chunk.data());
    if (HasHeld_) CountBytes(&Held_, 1, bytes[0]);
    CountBytes(bytes, chunk.size() - 1, bytes[chunk.size() - 1]);
    Held_ = bytes[chunk.size() - 1];
    HasHeld_ = true;
}

void TTextEvaluator::FinishText() {
    if (HasHeld_) CountBytes(&Held_, 1, 0);
    HasHeld_ = false;
}

bool TTextEvaluator::CountTextWords(std::string_view text) {
    const bool escape = EscapePending(EscapeProbe);
    HasHeld_ = false;
    CountTextChunk(text);
    FinishText();
    return escape;
}

void TTextEvaluator::CountWordSounds(std::string_view word) {
    TranscribeTextWord(word, WordSounds_);
    for (const SoundCode code : WordSounds_) ++TextSoundCounts[code];
}

std::int64_t TTextEvaluator::TextSoundTotal() const {
    std::int64_t total = 0;
    for (const auto count : TextSoundCounts) total += count;
    return total;
}

float TTextEvaluator::SoundZScore(int column, std::int64_t count, std::int64_t total) {
    if (total == 0) return 0;
    const double p = static_cast<float>(FrequencyByColumn[std::size_t(column)]);
    const double n = static_cast<double>(total);
    return static_cast<float>((static_cast<double>(count) - n * p) / std::sqrt(n * p * (1 - p)));
}

void TTextEvaluator::ComputeTextZScores() {
    const std::int64_t total = TextSoundTotal();
    for (int c = 0; c < RatingColumnCount; ++c)
        TextZScores[std::size_t(c)] = SoundZScore(c, TextSoundCounts[std::size_t(c)], total);
}

void TTextEvaluator::EvaluateTextZhuravlev() {
    ComputeTextZScores();
    for (int k = 1; k <= ScaleCount; ++k) {
        float v = 0;
        for (int c = 0; c < RatingColumnCount; ++c) {
            const float z = TextZScores[std::size_t(c)];
            if (std::fabs(z) > 1) v = static_cast<float>(v + TextRating(k, c) * z);
        }
        TextProfile[std::size_t(k - 1)] = v;
    }
}

void TTextEvaluator::EvaluateTextLevitsky() {
    const std::int64_t total = TextSoundTotal();
    const double n = static_cast<double>(total);
    for (int k = 1; k <= ScaleCount; ++k) {
        float v = 0;
        for (int c = 0; c < RatingColumnCount; ++c)
            v = static_cast<float>(
                v + TextRating(k, c) * (static_cast<double>(TextSoundCounts[std::size_t(c)]) -
                                        n * FrequencyByColumn[std::size_t(c)]));
        v = static_cast<float>(v * 100.0);
        if (total > 0) v = static_cast<float>(v / n);
        TextProfile[std::size_t(k - 1)] = v;
    }
}

void TTextEvaluator::EvaluateText(TEvalScheme scheme) {
    if (scheme == TEvalScheme::esLevitsky) EvaluateTextLevitsky();
    else EvaluateTextZhuravlev();
}

float TTextEvaluator::TextProfileMaxAbs() const {
    float m = 0;
    for (const float v : TextProfile)
        if (std::fabs(v) > m) m = std::fabs(v);
    return m > 0 ? m : 1.0f;
}

TTextColour TextColourZ(const TTextEvaluator& text, int colourClass) {
    const auto& columns = ColourColumns.at(std::size_t(colourClass - 1));
    double k = 0, p = 0;
    for (const int c : columns) {
        if (c < 0) continue;
        k += static_cast<double>(text.TextSoundCounts[std::size_t(c)]);
        p += FrequencyByColumn[std::size_t(c)];
    }
    const std::int64_t total = text.TextSoundTotal();
    const std::uint32_t colour = ColourClassColours[std::size_t(colourClass - 1)];
    if (total == 0) return {0, colour};
    const double n = static_cast<double>(total);
    return {(k - n * p) / std::sqrt(n * p * (1 - p)), colour};
}

} // namespace zelm
