#include "ru/UTextEvl.h"
#include "TestText.h"

#include <gtest/gtest.h>

#include <random>

using namespace zelm;
using zelm::test::Cp;

namespace {

TTextEvaluator Count(std::string_view utf8) {
    TTextEvaluator e;
    e.ResetTextCounts();
    e.CountTextWords(Cp(utf8));
    return e;
}

// The splitter as a word-by-word reader: a word is a run of bytes of 192 or more, taking in each
// hyphen once it has begun; every word goes to CountWordSounds.
TTextEvaluator CountWordByWord(std::string_view cp1251) {
    TTextEvaluator e;
    e.ResetTextCounts();
    std::string word;
    for (std::size_t i = 0; i <= cp1251.size(); ++i) {
        const unsigned char b = i < cp1251.size() ? static_cast<unsigned char>(cp1251[i]) : 0;
        if (b == '-' && !word.empty()) word.push_back('-');
        else if (b >= 192) word.push_back(static_cast<char>(b));
        else if (!word.empty()) {
            e.CountWordSounds(word);
            word.clear();
        }
    }
    return e;
}

} // namespace

TEST(RussianText, CountsAndZScoresOfKot) {
    auto e = Count("кот");
    EXPECT_EQ(e.TextSoundCounts[10], 1);
    EXPECT_EQ(e.TextSoundCounts[14], 1);
    EXPECT_EQ(e.TextSoundCounts[18], 1);
    EXPECT_EQ(e.TextSoundTotal(), 3);
    e.EvaluateTextZhuravlev();
    EXPECT_NEAR(e.TextZScores[10], 3.0799, 5e-5);
    EXPECT_NEAR(e.TextZScores[14], 1.3012, 5e-5);
    EXPECT_NEAR(e.TextZScores[18], 2.1146, 5e-5);
    for (int c = 0; c < RatingColumnCount; ++c) {
        if (c != 10 && c != 14 && c != 18) {
            EXPECT_LT(std::fabs(e.TextZScores[std::size_t(c)]), 1) << c;
        }
    }
    EXPECT_NEAR(e.TextProfile[0], 1.8217, 5e-5);
    e.EvaluateTextLevitsky();
    EXPECT_NEAR(e.TextProfile[0], -3.3833, 5e-5);
}

TEST(RussianText, MamaMylaRamu) {
    auto e = Count("Мама мыла раму.");
    EXPECT_EQ(e.TextSoundTotal(), 12);
    EXPECT_EQ(e.TextSoundCounts[0], 4);
    EXPECT_EQ(e.TextSoundCounts[12], 4);
    EXPECT_EQ(e.TextSoundCounts[11], 1);
    EXPECT_EQ(e.TextSoundCounts[16], 1);
    EXPECT_EQ(e.TextSoundCounts[19], 1);
    EXPECT_EQ(e.TextSoundCounts[26], 1);
    e.EvaluateTextZhuravlev();
    EXPECT_NEAR(e.TextProfile[0], 5.2303, 5e-5);
    EXPECT_NEAR(e.TextProfileMaxAbs(), 11.0262, 5e-5);
    const auto zhuravlev = e.TextProfile;
    e.EvaluateTextLevitsky();
    EXPECT_NEAR(e.TextProfile[0], 19.95, 5e-5);
    EXPECT_NEAR(e.TextProfileMaxAbs(), 61.9067, 5e-5);
    e.EvaluateTextZhuravlev(); // switching back gives the first values again
    EXPECT_EQ(e.TextProfile, zhuravlev);
}

TEST(RussianText, SplitterKeepsInnerHyphensAndSplitsAtEverythingElse) {
    const auto e = Count("кто-то -то ёлка");
    const auto expected = CountWordByWord(Cp("кто-то то лка"));
    EXPECT_EQ(e.TextSoundCounts, expected.TextSoundCounts);
    EXPECT_EQ(e.TextSoundCounts[18], 3); // т of кто-то, то; hard before the hyphen
    EXPECT_EQ(e.TextSoundCounts[11], 1); // л of «лка»: ё separated it, hard

    // The stress mark splits: «мо*ре» counts as «мо» and «ре».
    EXPECT_EQ(Count("мо*ре").TextSoundCounts, Count("мо ре").TextSoundCounts);
    EXPECT_EQ(Count("МАМА").TextSoundCounts, Count("мама").TextSoundCounts);
    EXPECT_EQ(Count("сь").TextSoundCounts[41], 1);
}

TEST(RussianText, TextsWithoutSoundsGiveZeros) {
    for (const char* text : {"", "Hello, world! 123", "ъ ь ё"}) {
        auto e = Count(text);
        EXPECT_EQ(e.TextSoundTotal(), 0);
        for (const auto scheme : {TEvalScheme::esZhuravlev, TEvalScheme::esLevitsky}) {
            e.EvaluateText(scheme);
            for (const float v : e.TextProfile) EXPECT_EQ(v, 0) << text;
            EXPECT_EQ(e.TextProfileMaxAbs(), 1.0f);
        }
        for (int c = 1; c <= 6; ++c) EXPECT_EQ(TextColourZ(e, c).Z, 0);
    }
}

TEST(RussianText, NulBytesSeparateWordsInsteadOfEndingTheText) {
    const std::string text = Cp("ко") + std::string(1, '\0') + Cp("т");
    TTextEvaluator e;
    e.CountTextWords(text);
    EXPECT_EQ(e.TextSoundTotal(), 3);
    EXPECT_EQ(e.TextSoundCounts[18], 1);
}

TEST(RussianText, PairCountingAgreesWithWordByWordCountingInAnyChunking) {
    // Bytes chosen to hit every rule: letters of both cases, softening letters, ъ ь ё, hyphens,
    // the stress mark, NUL, Latin letters and blanks.
    const std::string alphabet = Cp("абвгдежзийклмнопрстуфхцчшщъыьэюяАБВДЕИЛНОСТЬЮЯёЁ") + "--*  \0az\n.";
    std::mt19937 random(12345);
    for (int round = 0; round < 200; ++round) {
        std::string text;
        const int length = int(random() % 300);
        for (int i = 0; i < length; ++i) text.push_back(alphabet[random() % alphabet.size()]);
        const auto reference = CountWordByWord(text);

        TTextEvaluator whole;
        whole.CountTextWords(text);
        ASSERT_EQ(whole.TextSoundCounts, reference.TextSoundCounts) << "round " << round;

        TTextEvaluator chunked;
        chunked.ResetTextCounts();
        for (std::size_t at = 0; at < text.size();) {
            const std::size_t n = std::min<std::size_t>(random() % 7, text.size() - at);
            chunked.CountTextChunk(std::string_view(text).substr(at, n));
            at += n;
        }
        chunked.FinishText();
        ASSERT_EQ(chunked.TextSoundCounts, reference.TextSoundCounts) << "round " << round;
    }
}

TEST(RussianText, LongWordsAreCountedWhole) {
    std::string word;
    for (int i = 0; i < 1000; ++i) word += "ля";
    const auto e = Count(word);
    EXPECT_EQ(e.TextSoundCounts[36], 1000); // soft л before я
    EXPECT_EQ(e.TextSoundCounts[29], 1000);
}

TEST(RussianText, EscapeAnswerIsReturnedButTheScanCompletes) {
    TTextEvaluator e;
    e.EscapeProbe = [] { return true; };
    EXPECT_TRUE(e.CountTextWords(Cp("кот")));
    EXPECT_EQ(e.TextSoundTotal(), 3);
    e.EscapeProbe = nullptr;
    EXPECT_FALSE(e.CountTextWords(Cp("кот")));
    EXPECT_EQ(e.TextSoundTotal(), 6); // counts add up until the next reset
}

TEST(RussianTextColour, ZScoresOfTheColourClasses) {
    const auto kot = Count("кот");
    EXPECT_NEAR(TextColourZ(kot, 2).Z, (1 - 3 * 0.104) / std::sqrt(3 * 0.104 * 0.896), 1e-12);
    EXPECT_NEAR(TextColourZ(kot, 2).Z, 1.3012, 5e-5);
    for (const int c : {1, 3, 4, 5, 6}) EXPECT_LT(TextColourZ(kot, c).Z, 0);

    const auto mama = Count("Мама мыла раму.");
    EXPECT_NEAR(TextColourZ(mama, 1).Z, 2.2931, 5e-5);
    EXPECT_NEAR(TextColourZ(mama, 6).Z, 1.8589, 5e-5);
    EXPECT_NEAR(TextColourZ(mama, 5).Z, 0.911, 5e-4);
    EXPECT_EQ(TextColourZ(mama, 5).Colour, 8388736u);
}
