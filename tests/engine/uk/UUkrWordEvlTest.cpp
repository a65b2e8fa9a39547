#include "TestText.h"
#include "uk/UUkrWordEvl.h"

#include <gtest/gtest.h>

using namespace zelm;
using zelm::test::Cp;

namespace {

TUkrWordEvaluator Evaluate(std::string_view utf8, TEvalScheme scheme) {
    TUkrWordEvaluator e;
    e.UkrEvaluateWord(Cp(utf8), scheme);
    return e;
}

void ExpectProfile(const std::array<double, UkrScaleCount>& actual, const std::array<double, UkrScaleCount>& expected) {
    for (std::size_t k = 0; k < expected.size(); ++k) EXPECT_NEAR(actual[k], expected[k], 5e-5) << "scale " << k + 1;
}

} // namespace

TEST(UkrainianWord, WorkedValuesOfBothAlgorithms) {
    ExpectProfile(Evaluate("а", TEvalScheme::esZhuravlev).UkrWordProfile, {0.415, 0.01, 0.22, -0.24, 0.44, 0.33, 0.495});
    ExpectProfile(Evaluate("а", TEvalScheme::esLevitsky).UkrWordProfile,
                  {1.0, 0.0283, 0.6234, -0.6801, 1.0, 0.9351, 1.0});
    ExpectProfile(Evaluate("мо*ва", TEvalScheme::esZhuravlev).UkrWordProfile,
                  {0.2360, 0.1796, 0.0448, 0.3001, 0.4135, 0.2810, 0.3953});
    const auto lev = Evaluate("мо*ва", TEvalScheme::esLevitsky);
    ExpectProfile(lev.UkrWordProfile, {0.4585, 0.0774, 0.3389, 0.4833, 0.7203, 0.4623, 0.7764});
    EXPECT_EQ(lev.UkrWordSoundCounts[31], 1.5);
    EXPECT_EQ(lev.UkrWordSoundCounts[4], 2.0);
    EXPECT_EQ(lev.UkrWordSoundCounts[12], 1.0);
    EXPECT_EQ(lev.UkrWordSoundCounts[0], 1.0);
    EXPECT_EQ(lev.UkrWordSoundTotal, 4);
}

TEST(UkrainianWord, FirstStressedVowelCountsAtItsUnstressedCode) {
    const auto e = Evaluate("о*ко", TEvalScheme::esLevitsky);
    EXPECT_EQ(e.UkrWordSoundCounts[4], 2.5); // 1.5 for the first о, 1 for the second
}

TEST(UkrainianWord, SoundlessWordsGiveZerosWhateverCameBefore) {
    for (const auto scheme : {TEvalScheme::esZhuravlev, TEvalScheme::esLevitsky}) {
        TUkrWordEvaluator e;
        e.UkrEvaluateWord(Cp("мо*ва"), scheme);
        e.UkrEvaluateWord(Cp("123"), scheme);
        for (const double v : e.UkrWordProfile) EXPECT_EQ(v, 0);
        for (const auto c : e.UkrWordColourCounts) EXPECT_EQ(c, 0);
        for (int k = 1; k <= ColourClassCount; ++k) EXPECT_EQ(e.UkrWordColourShare(k).Share, 0.0);
    }
}

TEST(UkrainianWord, ScaleOperationsAgreeWithTheWholeEvaluations) {
    for (const char* word : {"джмі*ль", "о*ко", "щастя", "ї*жак", "сьо*го"}) {
        const auto zh = Evaluate(word, TEvalScheme::esZhuravlev);
        const auto lev = Evaluate(word, TEvalScheme::esLevitsky);
        for (int s = 1; s <= UkrScaleCount; ++s) {
            EXPECT_EQ(zh.UkrWordProfile[std::size_t(s - 1)],
                      TUkrWordEvaluator::UkrZhuravlevWordScale(s, zh.UkrWordSounds, zh.UkrWordMaxFrequency));
            EXPECT_EQ(lev.UkrWordProfile[std::size_t(s - 1)], lev.UkrLevitskyWordScale(s)) << word;
        }
    }
}

TEST(UkrainianWordColour, CountsAndShares) {
    const auto e = Evaluate("мо*ва", TEvalScheme::esZhuravlev);
    EXPECT_EQ(e.UkrWordColourCounts, (std::array<std::int64_t, 6>{23, 15, 11, 0, 0, 0}));
    EXPECT_NEAR(e.UkrWordColourShare(1).Share, 0.4694, 5e-5);
    EXPECT_NEAR(e.UkrWordColourShare(2).Share, 0.3061, 5e-5);
    EXPECT_NEAR(e.UkrWordColourShare(3).Share, 0.2245, 5e-5);
    EXPECT_EQ(e.UkrWordColourShare(4).Share, 0.0);
    EXPECT_EQ(e.UkrWordColourShare(1).Colour, 255u);
    double sum = 0;
    for (int k = 1; k <= 6; ++k) sum += e.UkrWordColourShare(k).Share;
    EXPECT_NEAR(sum, 1.0, 1e-12);
    // Both algorithms leave the same colour counts.
    EXPECT_EQ(Evaluate("мо*ва", TEvalScheme::esLevitsky).UkrWordColourCounts, e.UkrWordColourCounts);
}
