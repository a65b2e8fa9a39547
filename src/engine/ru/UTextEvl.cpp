#include "UTextEvl.h"

#include <cmath>

namespace zelm {

namespace {

// A byte of a text word makes its sound from itself and from whether the byte after it is a
// softening letter. Words are runs of bytes 192..255 and every softening letter is such a byte, so
// the successor in the text decides exactly as the successor in the word would (a hyphen, a
// separator or the end of the text never softens). Key: letter * 2 + softening successor; bytes
// that are no letters take the two spare keys.
constexpr int LetterKeys = 64;
constexpr std::size_t KeyCount = TTextEvaluator::KeyCount;
static_assert(KeyCount == LetterKeys + 2);

constexpr TTextEvaluator::TTextKeys MakeKeys() {
    TTextEvaluator::TTextKeys keys;
    for (int b = 0; b < 256; ++b) {
        keys.Self[std::size_t(b)] = b >= 192 ? std::uint16_t(((b - 192) & 31) * 2) : LetterKeys;
        const auto lower = static_cast<unsigned char>(b >= 192 && b <= 223 ? b + 32 : b);
        keys.Next[std::size_t(b)] = InLetterSet(SofteningLetters, lower) ? 1 : 0;
    }
    return keys;
}

// The keys with their pair table, made on first use: stored, the table would add 128 KiB to the
// program and to the web page.
TTextEvaluator::TTextKeys KeysWithPairs() {
    TTextEvaluator::TTextKeys keys = MakeKeys();
    keys.MakePairs();
    return keys;
}
// Rating column of each key, or -1 for ъ, ь and the spare keys.
constexpr std::array<std::int8_t, KeyCount> MakeKeyColumns() {
    std::array<std::int8_t, KeyCount> columns{};
    for (std::size_t key = 0; key < KeyCount; ++key) {
        columns[key] = -1;
        if (key >= LetterKeys) continue;
        const auto letter = static_cast<unsigned char>(224 + key / 2);
        if (!InLetterSet(SoundingLetters, letter)) continue;
        const bool soft = (key & 1) != 0 && InLetterSet(PairedConsonants, letter);
        columns[key] = static_cast<std::int8_t>(SoundOfLetter(letter, soft ? LetterContext::Soft : LetterContext::Plain));
    }
    return columns;
}

constexpr auto KeyColumns = MakeKeyColumns();

// Columns of each colour class.
constexpr std::array<std::array<int, 2>, ColourClassCount> ColourColumns = {{
    {0, 29}, {14, -1}, {5, 27}, {8, 9}, {19, 28}, {26, -1},
}};

} // namespace

void TTextEvaluator::ResetTextCounts() {
    TextSoundCounts.fill(0);
    TextProfile.fill(0);
    Stream_.Reset();
}

const TTextEvaluator::TTextKeys& TTextEvaluator::StreamKeys() {
    static const TTextKeys keys = KeysWithPairs();
    return keys;
}

void TTextEvaluator::CountTextChunk(std::string_view chunk) {
    std::array<std::uint64_t, KeyCount> totals{};
    Stream_.Feed(chunk, totals);
    AddKeyCounts(totals);
}

void TTextEvaluator::FinishText() {
    std::array<std::uint64_t, KeyCount> totals{};
    Stream_.Finish(totals);
    AddKeyCounts(totals);
}

void TTextEvaluator::AddKeyCounts(const std::array<std::uint64_t, KeyCount>& totals) {
    for (std::size_t key = 0; key < KeyCount; ++key)
        if (KeyColumns[key] >= 0) TextSoundCounts[std::size_t(KeyColumns[key])] += std::int64_t(totals[key]);
}

bool TTextEvaluator::CountTextWords(std::string_view text) {
    const bool escape = EscapePending(EscapeProbe);
    Stream_.Reset();
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
