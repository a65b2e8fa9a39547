#include "ru/UEmData.h"
#include "ru/Utils.h"
#include "TestText.h"

#include <gtest/gtest.h>

#include <bit>
#include <numeric>

using namespace zelm;
using zelm::test::Cp;
using zelm::test::Utf;

namespace {

std::vector<int> Sounds(std::string_view utf8, double* maxFrequency = nullptr) {
    std::vector<SoundCode> sounds;
    const double m = TranscribeWord(Cp(utf8), sounds);
    if (maxFrequency) *maxFrequency = m;
    return {sounds.begin(), sounds.end()};
}

std::vector<int> TextSounds(std::string_view utf8) {
    std::vector<SoundCode> sounds;
    TranscribeTextWord(Cp(utf8), sounds);
    return {sounds.begin(), sounds.end()};
}

} // namespace

TEST(RussianTables, LetterSetsHoldTheirLetters) {
    EXPECT_EQ(std::popcount(SoundingLetters), 30);
    EXPECT_EQ(std::popcount(SofteningLetters), 5);
    EXPECT_EQ(std::popcount(VowelLetters), 9);
    EXPECT_EQ(std::popcount(PairedConsonants), 15);
    EXPECT_FALSE(InLetterSet(SoundingLetters, 0xFA)); // ъ
    EXPECT_FALSE(InLetterSet(SoundingLetters, 0xB8)); // ё is no letter
    EXPECT_TRUE(InLetterSet(SofteningLetters, 0xFC));  // ь
    EXPECT_EQ(PairedConsonants & VowelLetters, 0u);
}

TEST(RussianTables, RatingsMatchTheReferenceTable) {
    EXPECT_EQ(SoundRatings[0][0], 75);   // Хороший / Плохой, а
    EXPECT_EQ(SoundRatings[0][44], -65); // хʹ
    EXPECT_EQ(SoundRatings[14][39], -90); // громкий / тихий, пʹ
    EXPECT_EQ(SoundRatings[23][44], -50);
    EXPECT_EQ(SoundRatings[11][16], 85);
    long sum = 0, absolute = 0, weighted = 0;
    for (std::size_t k = 0; k < SoundRatings.size(); ++k)
        for (std::size_t c = 0; c < SoundRatings[k].size(); ++c) {
            const int r = SoundRatings[k][c];
            sum += r;
            absolute += std::abs(r);
            weighted += long(r) * long(k + 1) * long(c + 1);
            EXPECT_EQ(r % 5, 0);
            EXPECT_LE(std::abs(r), 90);
        }
    EXPECT_EQ(sum, -2700);
    EXPECT_EQ(absolute, 32760);
    EXPECT_EQ(weighted, -2848025);
}

TEST(RussianTables, FrequenciesMatchTheReferenceTables) {
    EXPECT_EQ(FrequencyByCode[0], 0.049);
    EXPECT_EQ(FrequencyByCode[14], 0.067);
    EXPECT_EQ(FrequencyByCode[53], 0.011);
    EXPECT_EQ(FrequencyByColumn[0], 0.095);
    EXPECT_EQ(FrequencyByColumn[44], 0.001);
    EXPECT_NEAR(std::accumulate(FrequencyByCode.begin(), FrequencyByCode.end(), 0.0), 0.974, 1e-12);
    EXPECT_NEAR(std::accumulate(FrequencyByColumn.begin(), FrequencyByColumn.end(), 0.0), 0.974, 1e-12);
    // A vowel's column holds its unstressed and stressed frequencies together; others are equal.
    for (int code = 0; code < RatingColumnCount; ++code) {
        double expected = FrequencyByCode[std::size_t(code)];
        for (int stressed = 45; stressed <= 53; ++stressed)
            if (RatingColumn(SoundCode(stressed)) == code) expected += FrequencyByCode[std::size_t(stressed)];
        EXPECT_NEAR(FrequencyByColumn[std::size_t(code)], expected, 1e-15) << "column " << code;
    }
}

TEST(RussianTables, ScaleNamesAndRatingLookups) {
    EXPECT_EQ(Utf(ScaleLeftName(1)), "Хороший");
    EXPECT_EQ(Utf(ScaleRightName(2)), "отталкивающий");
    EXPECT_EQ(Utf(ScaleLeftName(9)), "величественный");
    EXPECT_EQ(Utf(ScaleLeftGenitive(9)), "ВЕЛИЧЕСТВЕННОГО");
    EXPECT_EQ(ScaleLeftGenitive(9).size(), 15u);
    EXPECT_EQ(Utf(ScaleRightGenitive(22)), "ПАССИВННОГО");
    EXPECT_EQ(Utf(ScaleRightName(24)), "печальный");
    std::size_t letters = 0;
    for (int k = 1; k <= ScaleCount; ++k)
        letters += ScaleLeftName(k).size() + ScaleRightName(k).size() + ScaleLeftGenitive(k).size() +
                   ScaleRightGenitive(k).size();
    EXPECT_EQ(letters, 805u);

    EXPECT_EQ(WordRating(1, 45), WordRating(1, 0));
    EXPECT_DOUBLE_EQ(WordRating(1, 45), 0.75);
    EXPECT_DOUBLE_EQ(WordRating(13, 16), 0.85);
    EXPECT_DOUBLE_EQ(TextRating(15, 39), -1.8);
    EXPECT_DOUBLE_EQ(TextRating(15, 14), 1.6);
    EXPECT_EQ(RatingColumn(48), 14);
    EXPECT_EQ(RatingColumn(44), 44);
    EXPECT_EQ(RatingColumn(53), 29);
}

TEST(RussianTables, DividedRatingsEqualTheRatingsDividedAtRunTime) {
    volatile double hundred = 100, fifty = 50; // keep the divisions at run time
    for (int k = 1; k <= ScaleCount; ++k) {
        for (int c = 0; c < SoundCodeCount; ++c)
            ASSERT_EQ(WordRating(k, SoundCode(c)), SoundRatings[std::size_t(k - 1)][std::size_t(RatingColumn(SoundCode(c)))] / hundred);
        for (int c = 0; c < RatingColumnCount; ++c)
            ASSERT_EQ(TextRating(k, c), SoundRatings[std::size_t(k - 1)][std::size_t(c)] / fifty);
    }
}

TEST(RussianTranscription, SofteningAndStressFollowTheNextCharacterOnly) {
    double m = -1;
    EXPECT_EQ(Sounds("кот", &m), (std::vector<int>{10, 14, 18}));
    EXPECT_EQ(m, 0.067);
    EXPECT_EQ(Sounds("мо*ре"), (std::vector<int>{12, 48, 40, 5}));
    EXPECT_EQ(Sounds("день"), (std::vector<int>{33, 5, 38}));
    EXPECT_EQ(Sounds("съел"), (std::vector<int>{17, 5, 11}));
    EXPECT_EQ(Sounds("сел"), (std::vector<int>{41, 5, 11}));
    EXPECT_EQ(Sounds("ЧАЩА"), (std::vector<int>{23, 0, 25, 0}));
    EXPECT_EQ(Sounds("кто-то"), (std::vector<int>{10, 18, 14, 18, 14}));
    EXPECT_EQ(Sounds("*о"), (std::vector<int>{14}));
    EXPECT_EQ(Sounds("ма*ма*"), (std::vector<int>{12, 45, 12, 45}));
    EXPECT_EQ(Sounds("ёж"), (std::vector<int>{6}));
    EXPECT_EQ(Sounds("лёд"), (std::vector<int>{11, 4}));
    EXPECT_EQ(Sounds("ВЕСЬ"), (std::vector<int>{31, 5, 41}));
    EXPECT_EQ(Sounds("н*я"), (std::vector<int>{13, 29})); // a stress mark after a consonant does nothing
    EXPECT_EQ(TextSounds("мо*ре"), (std::vector<int>{12, 14, 40, 5}));
}

TEST(RussianTranscription, WordsWithoutSoundsGiveNothing) {
    for (const char* word : {"", "123", "abc", "ъь", "***", "ё"}) {
        double m = -1;
        EXPECT_TRUE(Sounds(word, &m).empty()) << word;
        EXPECT_EQ(m, 0) << word;
    }
}

TEST(RussianTranscription, LongWordsAreTranscribedWhole) {
    std::string word;
    for (int i = 0; i < 400; ++i) word += "ма";
    EXPECT_EQ(Sounds(word).size(), 800u);
    EXPECT_EQ(LetterAt(Cp("Я"), 1), 0xFF);
    EXPECT_EQ(LetterAt(Cp("Я"), 2), 0);
    EXPECT_EQ(LetterAt(Cp("Я"), 0), 0);
}

TEST(RussianUtils, TextHelpers) {
    EXPECT_FALSE(HasCyrillic("abc"));
    EXPECT_TRUE(HasCyrillic(Cp("abcж")));
    EXPECT_FALSE(HasCyrillic(Cp("ё")));
    EXPECT_FALSE(HasCyrillic(""));

    std::string text = Cp("кот ёж abc");
    UpperCaseCyrillic(text);
    EXPECT_EQ(Utf(text), "КОТ ёЖ abc");

    EXPECT_EQ(FormatWithComma(12.345, 3, 1), "12,3");
    EXPECT_EQ(FormatWithComma(-5, 3, 1), "-5,0");
    EXPECT_EQ(FormatWithComma(2.5, 6, 2), "  2,50");
    EXPECT_EQ(FormatWithComma(1e30, 3, 1).size(), 25u);

    EXPECT_EQ(RoundHalfEven(12.5), 12);
    EXPECT_EQ(RoundHalfEven(13.5), 14);
    EXPECT_EQ(RoundHalfEven(-12.5), -12);
    EXPECT_EQ(RoundHalfEven(-0.4), 0);
    EXPECT_EQ(RoundHalfEven(2.6), 3);

    EXPECT_FALSE(EscapePending(nullptr));
    EXPECT_TRUE(EscapePending([] { return true; }));
}
