#include "TestText.h"
#include "uk/UUkrComment.h"
#include "uk/UUkrTextEvl.h"
#include "uk/UUkrWordEvl.h"

#include <gtest/gtest.h>

#include <random>

using namespace zelm;
using zelm::test::Cp;
using zelm::test::Utf;

namespace {

TUkrTextEvaluator Count(std::string_view cp1251) {
    TUkrTextEvaluator e;
    e.UkrResetTextCounts();
    e.UkrCountTextWords(cp1251);
    return e;
}

bool IsWordLetter(unsigned char b) {
    return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || b >= 0xC0 || b == 0xAA || b == 0xAF || b == 0xB2 ||
           b == 0xB3 || b == 0xBA || b == 0xBF;
}

// The splitter read word by word: letters and apostrophes always join, hyphens and underscores only
// inside a word, one trailing hyphen is dropped; each word goes to UkrCountWordSounds. Also lists
// the words it found.
TUkrTextEvaluator CountWordByWord(std::string_view cp1251, std::vector<std::string>* words = nullptr) {
    TUkrTextEvaluator e;
    std::string word;
    for (std::size_t i = 0; i <= cp1251.size(); ++i) {
        const unsigned char b = i < cp1251.size() ? static_cast<unsigned char>(cp1251[i]) : 0;
        if (IsWordLetter(b) || b == '\'') word.push_back(static_cast<char>(b));
        else if ((b == '-' || b == '_') && !word.empty()) word.push_back(static_cast<char>(b));
        else if (!word.empty()) {
            if (word.back() == '-') word.pop_back();
            e.UkrCountWordSounds(word);
            if (words) words->push_back(Utf(word));
            word.clear();
        }
    }
    return e;
}

} // namespace

TEST(UkrainianText, SplitterWords) {
    std::vector<std::string> words;
    CountWordByWord(Cp("-так- , 'ой_ ґава"), &words);
    EXPECT_EQ(words, (std::vector<std::string>{"так", "'ой_", "ава"}));
    words.clear();
    CountWordByWord(Cp("пів--години так--"), &words);
    EXPECT_EQ(words, (std::vector<std::string>{"пів--години", "так-"}));
    EXPECT_EQ(Count(Cp("-так- , 'ой_ ґава")).UkrTextSoundCounts, CountWordByWord(Cp("так ой ава")).UkrTextSoundCounts);
    // The stress mark splits a word and never stresses.
    EXPECT_EQ(Count(Cp("мо*ва")).UkrTextSoundCounts, Count(Cp("мо ва")).UkrTextSoundCounts);
    EXPECT_EQ(Count(Cp("ї*")).UkrTextSoundCounts[2], 1);
}

TEST(UkrainianText, Mama) {
    auto e = Count(Cp("мама"));
    EXPECT_EQ(e.UkrTextSoundCounts[31], 2);
    EXPECT_EQ(e.UkrTextSoundCounts[0], 2);
    e.UkrEvaluateTextZhuravlev();
    EXPECT_NEAR(e.UkrTextZScores[0], 3.0178, 5e-5);
    EXPECT_NEAR(e.UkrTextZScores[31], 5.6190, 5e-5);
    for (int c = 0; c < UkrSoundCount; ++c) {
        if (c != 0 && c != 31) {
            EXPECT_LE(std::fabs(e.UkrTextZScores[std::size_t(c)]), 1.0f) << c;
        }
    }
    const std::array<float, 7> zhuravlev = {5.0895f, 2.9822f, 0.8783f, 2.2038f, 7.2633f, 5.1384f, 7.0333f};
    for (std::size_t s = 0; s < 7; ++s) EXPECT_NEAR(e.UkrTextProfile[s], zhuravlev[s], 5e-5) << s;
    EXPECT_NEAR(e.UkrTextProfileMaxAbs(), 7.2633, 5e-5);
    const auto first = e.UkrTextProfile;
    e.UkrEvaluateText(TEvalScheme::esLevitsky);
    const std::array<float, 7> levitsky = {30.6859f, 27.0448f, -19.0364f, -15.5369f, 34.7787f, 27.3877f, 34.4890f};
    for (std::size_t s = 0; s < 7; ++s) EXPECT_NEAR(e.UkrTextProfile[s], levitsky[s], 5e-5) << s;
    EXPECT_NEAR(e.UkrTextProfileScale, 34.7787, 5e-5);
    e.UkrEvaluateText(TEvalScheme::esZhuravlev);
    EXPECT_EQ(e.UkrTextProfile, first);
}

TEST(UkrainianText, SoundlessTextsGiveZeros) {
    for (const char* text : {"", "12345", "Hello world", "ёъыэ"}) {
        auto e = Count(Cp(text));
        EXPECT_EQ(e.UkrTextSoundTotal(), 0);
        for (const auto scheme : {TEvalScheme::esZhuravlev, TEvalScheme::esLevitsky}) {
            e.UkrEvaluateText(scheme);
            for (const float v : e.UkrTextProfile) EXPECT_EQ(v, 0.0f);
            EXPECT_EQ(e.UkrTextProfileMaxAbs(), 1.0f);
        }
        for (int k = 1; k <= 6; ++k) EXPECT_EQ(e.UkrTextColourZ(k).Z, 0.0);
    }
}

TEST(UkrainianText, StreamCountingAgreesWithWordByWordCountingInAnyChunking) {
    const std::string alphabet =
        Cp("абвгдежзийклмнопрстуфхцчшщьюяєіїґАДЖЗЬОЩЇІЄҐёъыэ") + Cp("дджзьоьо") + "'-_*  \0az\n.";
    std::mt19937 random(4242);
    for (int round = 0; round < 300; ++round) {
        std::string text;
        const int length = int(random() % 200);
        for (int i = 0; i < length; ++i) text.push_back(alphabet[random() % alphabet.size()]);
        const auto reference = CountWordByWord(text);
        ASSERT_EQ(Count(text).UkrTextSoundCounts, reference.UkrTextSoundCounts) << "round " << round;

        TUkrTextEvaluator chunked;
        for (std::size_t at = 0; at < text.size();) {
            const std::size_t n = std::min<std::size_t>(random() % 6, text.size() - at);
            chunked.UkrCountTextChunk(std::string_view(text).substr(at, n));
            at += n;
        }
        chunked.UkrFinishText();
        ASSERT_EQ(chunked.UkrTextSoundCounts, reference.UkrTextSoundCounts) << "round " << round;
    }
}

TEST(UkrainianText, LargeCountsDoNotOverflow) {
    std::string text;
    for (int i = 0; i < 40000; ++i) text += Cp("а ");
    const auto e = Count(text);
    EXPECT_EQ(e.UkrTextSoundCounts[0], 40000); // past a 16-bit counter
}

TEST(UkrainianTextColour, ZScores) {
    const auto o = Count(Cp("о"));
    EXPECT_NEAR(o.UkrTextColourZ(2).Z, -0.2507, 5e-5);
    EXPECT_EQ(o.UkrTextColourZ(2).Colour, 65535u);
    EXPECT_GT(o.UkrTextColourZ(1).Z, 0.999); // о counts for red
}

TEST(UkrainianComment, WordAndTextComments) {
    TUkrWordEvaluator word;
    word.UkrEvaluateWordZhuravlev(Cp("міст"));
    EXPECT_TRUE(Utf(UkrainianWordComment(Cp("міст"), word.UkrWordProfile)).starts_with("Слово МІСТ "));

    std::array<double, UkrScaleCount> profile{};
    profile[0] = 0.25;
    EXPECT_EQ(Utf(UkrainianWordComment(Cp("ґанок"), profile)),
              "Слово ҐАНОК не обладает выраженными фоносемантическими характеристиками");
    profile[0] = 0.26;
    profile[6] = -0.3;
    EXPECT_EQ(Utf(UkrainianWordComment(Cp("їжак"), profile)),
              "Слово ЇЖАК производит впечатление чего-то  БОЛЬШОГО,  МЯГКОГО");

    auto text = Count(Cp("мама"));
    text.UkrEvaluateText(TEvalScheme::esLevitsky);
    EXPECT_EQ(Utf(UkrainianTextComment(text.UkrTextProfile)),
              "Данный текст производит впечатление   БОЛЬШОГО,  ПРИЯТНОГО,  МЕДЛЕННОГО,  ТЕПЛОГО,  "
              "СИЛЬНОГО,  ТЕМНОГО,  ТВЕРДОГО");
}
