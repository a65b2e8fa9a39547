#include "ru/UWordEvl.h"
#include "TestText.h"

#include <gtest/gtest.h>

using namespace zelm;
using zelm::test::Cp;

namespace {

TWordEvaluator Evaluate(std::string_view utf8, TEvalScheme scheme) {
    TWordEvaluator e;
    e.EvaluateWord(Cp(utf8), scheme);
    return e;
}

constexpr auto Zh = TEvalScheme::esZhuravlev;
constexpr auto Lev = TEvalScheme::esLevitsky;

} // namespace

TEST(RussianWord, WorkedValuesOfBothAlgorithms) {
    EXPECT_NEAR(Evaluate("кот", Zh).WordProfile[0], 0.0628, 5e-5);
    EXPECT_NEAR(Evaluate("кот", Zh).WordProfile[0],
                0.7 / (0.067 / 0.03 * 4 + 1 + 0.067 / 0.055), 1e-15);
    EXPECT_NEAR(Evaluate("кот", Lev).WordProfile[0], 0.1864, 5e-5);
    EXPECT_NEAR(Evaluate("мама", Lev).WordProfile[0], 0.4882, 5e-5);
    EXPECT_NEAR(Evaluate("мама", Zh).WordProfile[0], 0.3347, 5e-5);
    EXPECT_NEAR(Evaluate("мо*ре", Zh).WordProfile[0], 0.3376, 5e-5);
    EXPECT_NEAR(Evaluate("мо*ре", Lev).WordProfile[0], 0.5688, 5e-5);
}

TEST(RussianWord, SingleStressedVowel) {
    const auto zh = Evaluate("а*", Zh);
    for (int k = 1; k <= ScaleCount; ++k) EXPECT_DOUBLE_EQ(zh.WordProfile[std::size_t(k - 1)], WordRating(k, 0));
    const auto lev = Evaluate("а*", Lev);
    EXPECT_EQ(lev.WordProfile[0], 1.0); // 0.75 * (1.5 - 0.046), clamped
    EXPECT_NEAR(lev.WordProfile[1], 0.5 * (1.5 - 0.046), 1e-15);
    EXPECT_EQ(lev.WordSoundTotal, 1);
    EXPECT_EQ(lev.WordSoundCounts[45], 1.5);
}

TEST(RussianWord, LevitskyCountsFirstSoundAsOneAndAHalf) {
    const auto e = Evaluate("мама", Lev);
    EXPECT_EQ(e.WordSoundCounts[12], 2.5);
    EXPECT_EQ(e.WordSoundCounts[0], 2.0);
    EXPECT_EQ(e.WordSoundTotal, 4);
    const auto stressed = Evaluate("ма*ма*", Lev);
    EXPECT_EQ(stressed.WordSoundCounts[45], 4.0); // stressed vowels count twice
}

TEST(RussianWord, WordsWithoutSoundsGiveZeros) {
    for (const char* word : {"", "123", "ь", "cat", "ёёё"})
        for (const auto scheme : {Zh, Lev}) {
            TWordEvaluator e;
            e.EvaluateWord(Cp("мо*ре"), scheme); // a previous word must leave no trace
            e.EvaluateWord(Cp(word), scheme);
            for (const double v : e.WordProfile) EXPECT_EQ(v, 0) << word;
        }
}

TEST(RussianWord, ZhuravlevScaleOperationAgreesWithTheWholeEvaluation) {
    for (const char* word : {"мо*ре", "Достопримечательность", "а*ист", "щи", "ма*ма*"}) {
        const auto e = Evaluate(word, Zh);
        for (int k = 1; k <= ScaleCount; ++k)
            EXPECT_EQ(e.WordProfile[std::size_t(k - 1)],
                      TWordEvaluator::ZhuravlevWordScale(k, e.WordSounds, e.WordMaxFrequency))
                << word << " scale " << k;
    }
}

TEST(RussianWord, CaseDoesNotMatterButStressDoes) {
    for (const auto scheme : {Zh, Lev}) {
        EXPECT_EQ(Evaluate("МоРе", scheme).WordProfile, Evaluate("море", scheme).WordProfile);
        EXPECT_NE(Evaluate("мо*ре", scheme).WordProfile, Evaluate("море", scheme).WordProfile);
    }
}

TEST(RussianWord, LevitskyValuesStayWithinOne) {
    for (const char* word : {"щщщщщ", "а", "ррр", "ффффх"}) {
        const auto e = Evaluate(word, Lev);
        for (const double v : e.WordProfile) {
            EXPECT_LE(v, 1.0);
            EXPECT_GE(v, -1.0);
        }
    }
}

TEST(RussianWordColour, SharesOfTheColourClasses) {
    const auto mama = WordColourShare(Cp("мама"), 1);
    EXPECT_EQ(mama.Count, 2);
    EXPECT_EQ(mama.Denominator, 3);
    EXPECT_EQ(mama.Colour, 255u);
    for (int c = 2; c <= 6; ++c) EXPECT_EQ(WordColourShare(Cp("мама"), c).Count, 0);

    const auto baraban = WordColourShare(Cp("барабан"), 1);
    EXPECT_EQ(baraban.Count / baraban.Denominator, 1.0);

    EXPECT_EQ(WordColourShare(Cp("Йод"), 4).Count, 1);
    EXPECT_EQ(WordColourShare(Cp("Йод"), 4).Denominator, 3);
    EXPECT_EQ(WordColourShare(Cp("Йод"), 2).Count, 1);
    EXPECT_EQ(WordColourShare(Cp("Йод"), 2).Colour, 65535u);

    // Four of five vowels red: the denominator is the number of vowels.
    const auto many = WordColourShare(Cp("аАяЯу"), 1);
    EXPECT_EQ(many.Count, 4);
    EXPECT_EQ(many.Denominator, 5);

    for (int c = 1; c <= 6; ++c) {
        EXPECT_EQ(WordColourShare(Cp("ма*ма"), c).Count, WordColourShare(Cp("мама"), c).Count);
        EXPECT_EQ(WordColourShare(Cp("ёж"), c).Count, 0);
    }
    EXPECT_EQ(WordColourShare(Cp("ы"), 6).Colour, 128u);
}

TEST(RussianWord, LevitskyScaleOperationAgreesWithTheWholeEvaluation) {
    for (const char* word : {"мо*ре", "Достопримечательность", "а*ист", "щи", "ма*ма*", "ррр"}) {
        const auto e = Evaluate(word, Lev);
        for (int k = 1; k <= ScaleCount; ++k)
            EXPECT_EQ(e.WordProfile[std::size_t(k - 1)], e.LevitskyWordScale(k)) << word << " scale " << k;
    }
}

TEST(RussianWordColour, AllClassesAtOnceAgreeWithEachClass) {
    for (const char* word : {"мама", "барабан", "Йод", "ёж", "аАяЯу", "Электрификация", "", "ы*ы"}) {
        const auto shares = WordColourShares(Cp(word));
        for (int c = 1; c <= 6; ++c) {
            const auto one = WordColourShare(Cp(word), c);
            EXPECT_EQ(shares[std::size_t(c - 1)].Count, one.Count) << word;
            EXPECT_EQ(shares[std::size_t(c - 1)].Denominator, one.Denominator) << word;
            EXPECT_EQ(shares[std::size_t(c - 1)].Colour, one.Colour) << word;
        }
    }
}
