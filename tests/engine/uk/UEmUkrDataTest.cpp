#include "TestText.h"
#include "uk/UEmUkrData.h"

#include <gtest/gtest.h>

#include <numeric>

using namespace zelm;
using zelm::test::Cp;
using zelm::test::Utf;

namespace {

std::vector<int> Sounds(std::string_view utf8, double* peak = nullptr) {
    std::vector<SoundCode> sounds;
    const double m = UkrTranscribeWord(Cp(utf8), sounds);
    if (peak) *peak = m;
    return {sounds.begin(), sounds.end()};
}

std::vector<int> TextSounds(std::string_view utf8) {
    std::vector<SoundCode> sounds;
    UkrTranscribeTextWord(Cp(utf8), sounds);
    return {sounds.begin(), sounds.end()};
}

} // namespace

TEST(UkrainianTables, LetterSetsHoldTheirLetters) {
    EXPECT_EQ(UkrSoundingLetters.Size(), 32);
    EXPECT_EQ(UkrSofteningLetters.Size(), 5);
    EXPECT_EQ(UkrPairedConsonants.Size(), 19);
    EXPECT_EQ(UkrVowelLetters.Size(), 10);
    for (const char* letter : {"ґ", "ё", "ъ", "ы", "э"}) EXPECT_FALSE(UkrSoundingLetters.Has(Cp(letter)[0])) << letter;
    EXPECT_FALSE(UkrSoundingLetters.Has('a'));
}

TEST(UkrainianTables, RatingsFrequenciesAndColoursMatchTheReferenceTables) {
    EXPECT_EQ(UkrSoundRatings[0][0], 83);
    EXPECT_EQ(UkrSoundRatings[5][26], -188);
    EXPECT_EQ(UkrSoundRatings[6][39], -126); // hard с on Твердый / Мягкий
    EXPECT_EQ(UkrSoundRatings[6][40], 84);
    EXPECT_EQ(UkrSoundRatings[6][49], 64);
    const std::array<long, UkrScaleCount> rowSums = {12, -322, 595, -799, 287, -143, -219};
    long weighted = 0;
    for (std::size_t s = 0; s < UkrSoundRatings.size(); ++s) {
        EXPECT_EQ(std::accumulate(UkrSoundRatings[s].begin(), UkrSoundRatings[s].end(), 0L), rowSums[s]);
        for (std::size_t c = 0; c < UkrSoundRatings[s].size(); ++c) weighted += long(UkrSoundRatings[s][c]) * long(c + 1);
    }
    EXPECT_EQ(weighted, -34798);

    EXPECT_EQ(UkrFrequencyByCode[0], 0.0832183);
    EXPECT_EQ(UkrFrequencyByCode[21], 0.0000103);
    EXPECT_EQ(UkrFrequencyByCode[49], 0.0147673);
    EXPECT_NEAR(std::accumulate(UkrFrequencyByCode.begin(), UkrFrequencyByCode.end(), 0.0), 1.0, 1e-12);

    int colourSum = 0;
    for (const auto& row : UkrVowelColourTable) colourSum += std::accumulate(row.begin(), row.end(), 0);
    EXPECT_EQ(colourSum, 223);
    EXPECT_EQ(UkrVowelColourWeight(54, 2), 15);
    EXPECT_EQ(UkrVowelColourWeight(27, 1), 0);
    EXPECT_EQ(UkrVowelColourWeight(2, 6), 14);
}

TEST(UkrainianTables, NamesAndLookups) {
    EXPECT_EQ(Utf(UkrScaleLeftName(4)), "Холодный");
    EXPECT_EQ(Utf(UkrScaleRightGenitive(4)), "ТЕПЛОГО");
    EXPECT_EQ(Utf(UkrScaleRightName(1)), "Маленький");
    EXPECT_EQ(Utf(UkrScaleLeftGenitive(7)), "ТВЕРДОГО");
    EXPECT_EQ(UkrWordRating(1, 50), UkrWordRating(1, 0));
    EXPECT_DOUBLE_EQ(UkrWordRating(1, 50), 0.415);
    EXPECT_DOUBLE_EQ(UkrTextRating(6, 26), -1.88);
    EXPECT_EQ(UkrFoldStress(58), 8);
    EXPECT_EQ(UkrFoldStress(49), 49);
    EXPECT_EQ(UkrFoldStress(60), 60);
}

TEST(UkrainianTables, DividedRatingsEqualTheRatingsDividedAtRunTime) {
    volatile double twoHundred = 200, hundred = 100;
    for (int s = 1; s <= UkrScaleCount; ++s)
        for (int c = 0; c < UkrSoundCodeCount; ++c) {
            ASSERT_EQ(UkrWordRating(s, SoundCode(c)), UkrSoundRatings[std::size_t(s - 1)][UkrFoldStress(SoundCode(c))] / twoHundred);
            if (c < UkrSoundCount) {
                ASSERT_EQ(UkrTextRating(s, c), UkrSoundRatings[std::size_t(s - 1)][std::size_t(c)] / hundred);
            }
        }
}

TEST(UkrainianTranscription, LetterRules) {
    double peak = -1;
    EXPECT_EQ(Sounds("мо*ва", &peak), (std::vector<int>{31, 54, 12, 0}));
    EXPECT_EQ(peak, 0.0990229);
    EXPECT_EQ(Sounds("джміль"), (std::vector<int>{19, 32, 3, 30}));
    EXPECT_EQ(Sounds("ґанок"), (std::vector<int>{0, 33, 4, 27}));
    EXPECT_EQ(Sounds("щука"), (std::vector<int>{49, 16, 5, 27, 0}));
    EXPECT_EQ(Sounds("їжак"), (std::vector<int>{26, 2, 22, 0, 27}));
    EXPECT_EQ(Sounds("ї*жак"), (std::vector<int>{26, 52, 22, 0, 27}));
    EXPECT_EQ(Sounds("сьо*го"), (std::vector<int>{40, 58, 14, 4}));
    EXPECT_EQ(TextSounds("сьо*го"), (std::vector<int>{40, 8, 14, 4}));
    EXPECT_EQ(Sounds("м'ясо"), (std::vector<int>{31, 6, 39, 4}));
    EXPECT_EQ(Sounds("Дзвін"), (std::vector<int>{20, 13, 3, 33}));
    EXPECT_EQ(Sounds("ДЗЬОБ"), (std::vector<int>{21, 8, 10}));
    EXPECT_EQ(Sounds("ІЇЄ"), (std::vector<int>{3, 26, 2, 7}));
    EXPECT_EQ(Sounds("дід"), (std::vector<int>{18, 3, 17}));
    EXPECT_EQ(Sounds("ддж"), (std::vector<int>{17, 19}));
}

TEST(UkrainianTranscription, SoundlessWordsAndUndefinedLetters) {
    for (const char* word : {"", "cat", "123", "ёъыэ", "ґ", "'", "-"}) {
        double peak = -1;
        EXPECT_TRUE(Sounds(word, &peak).empty()) << word;
        EXPECT_EQ(peak, 0.0) << word;
    }
    EXPECT_EQ(UkrSoundOfLetter(Cp("б")[0], LetterContext::Soft), 11);
    EXPECT_EQ(UkrSoundOfLetter(Cp("є")[0], LetterContext::Stressed), 57);
    EXPECT_EQ(UkrSoundOfLetter(Cp("й")[0], LetterContext::Soft), 26);
    try {
        UkrSoundOfLetter(Cp("щ")[0], LetterContext::Plain);
        FAIL() << "no error";
    } catch (const EPhoneType& e) {
        EXPECT_EQ(Utf(e.what()), "Phone type: щ undefined!");
    }
}
