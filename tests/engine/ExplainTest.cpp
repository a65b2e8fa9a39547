// Explanations: the worked examples taken apart by hand, and the terms adding up to the values
// for real and random words and texts of both languages by both algorithms.
#include "Cp1251.h"
#include "EncodingDetector.h"
#include "Explain.h"
#include "engine/ExplainCheck.h"
#include "ru/UTextEvl.h"
#include "ru/UWordEvl.h"
#include "uk/UUkrTextEvl.h"
#include "uk/UUkrWordEvl.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

using namespace zelm;

namespace {

const TExplainTerm* Term(const TExplanation& x, int code) {
    for (const TExplainTerm& term : x.Terms)
        if (term.Code == code) return &term;
    return nullptr;
}

std::string Cp(const char* utf8) { return Utf8ToCp1251(utf8, TAcuteAccent::amStressMark); }

} // namespace

TEST(Explain, TheWorkedExamplesByHand) {
    TWordEvaluator ru;
    // «кот» (к 10, о 14, т 18), scale 1: only о rates (0.70).
    ru.EvaluateWordZhuravlev(Cp("кот"));
    TExplanation x = ExplainWord(ru, TEvalScheme::esZhuravlev);
    ASSERT_EQ(x.Terms.size(), 3u);
    EXPECT_EQ(x.Terms[0].Code, 10);
    EXPECT_DOUBLE_EQ(x.Terms[0].Weight, 0.067 / 0.03 * 4);
    EXPECT_EQ(x.Terms[1].Position, 1);
    EXPECT_NEAR(x.Terms[1].Contributions[0], 0.0628, 5e-5);
    EXPECT_EQ(x.Terms[0].Contributions[0], 0);
    ru.EvaluateWordLevitsky(Cp("кот"));
    x = ExplainWord(ru, TEvalScheme::esLevitsky);
    EXPECT_DOUBLE_EQ(Term(x, 14)->Count, 1);
    EXPECT_DOUBLE_EQ(Term(x, 10)->Count, 1.5);
    EXPECT_NEAR(Term(x, 14)->Expected, 3 * 0.067, 1e-12);
    EXPECT_NEAR(Term(x, 14)->Contributions[0], 0.1864, 5e-5);
    // «мама» by Levitsky: м 2.5, а 2, N = 4; «мо*ре» on scale 1 by both.
    ru.EvaluateWordLevitsky(Cp("мама"));
    x = ExplainWord(ru, TEvalScheme::esLevitsky);
    ASSERT_EQ(x.Terms.size(), 2u);
    EXPECT_DOUBLE_EQ(x.Terms[0].Count + x.Terms[1].Count, 4.5);
    EXPECT_NEAR(x.Sum(1), 0.4882, 5e-5);
    ru.EvaluateWordZhuravlev(Cp("мо*ре"));
    EXPECT_NEAR(ExplainWord(ru, TEvalScheme::esZhuravlev).Sum(1), 0.3376, 5e-5);
    ru.EvaluateWordLevitsky(Cp("мо*ре"));
    EXPECT_NEAR(ExplainWord(ru, TEvalScheme::esLevitsky).Sum(1), 0.5688, 5e-5);

    // Ukrainian «а» by Levitsky: the vowel twice, n 1.5, N 1; scales 1, 5 and 7 clamped.
    TUkrWordEvaluator uk;
    uk.UkrEvaluateWordLevitsky(Cp("а"));
    x = ExplainWord(uk, TEvalScheme::esLevitsky);
    ASSERT_EQ(x.Terms.size(), 1u);
    EXPECT_DOUBLE_EQ(x.Terms[0].Count, 1.5);
    EXPECT_EQ(x.Clamped, (std::vector<int>{1, 5, 7}));
    EXPECT_NEAR(x.Sum(2), 0.0283, 5e-5);

    // The text «кот»: z-scores к 3.0799, о 1.3012, т 2.1146; scale 1 by Zhuravlev 1.4 × 1.3012.
    TTextEvaluator text;
    text.ResetTextCounts();
    text.CountTextWords(Cp("кот"));
    text.EvaluateTextZhuravlev();
    x = ExplainText(text, TEvalScheme::esZhuravlev);
    ASSERT_EQ(x.Terms.size(), std::size_t(RatingColumnCount));
    EXPECT_NEAR(x.Terms[10].Z, 3.0799, 5e-5);
    EXPECT_NEAR(x.Terms[14].Contributions[0], 1.8217, 5e-5);
    EXPECT_NEAR(x.Sum(1), 1.8217, 5e-5);
    EXPECT_EQ(x.Terms[0].Contributions[0], 0); // а: |z| not above 1
    text.EvaluateTextLevitsky();
    EXPECT_NEAR(ExplainText(text, TEvalScheme::esLevitsky).Sum(1), -3.3833, 5e-4);
}

// The terms add up to the values: the dictionaries' words (with a stress mark on each vowel in
// turn), random strings, the fuzz targets' seed texts and random texts, both languages, both
// algorithms.
TEST(Explain, TermsAddUpToTheValues) {
    std::vector<std::string> words, texts;
    for (const char* name : {"ru_RU.dic", "uk_UA.dic"}) {
        std::ifstream dic(std::string("/usr/share/hunspell/") + name, std::ios::binary);
        std::string line;
        for (int n = 0; std::getline(dic, line) && n < 20000; ++n) {
            const std::string word = line.substr(0, line.find('/'));
            words.push_back(ReadsAsUtf8(word) ? Utf8ToCp1251(word) : word);
        }
    }
    std::mt19937 random(7);
    const std::string letters = Cp("абвгдеёжзийклмнопрстуфхцчшщъыьэюяіїєґ-*' АБВОЯЇ");
    for (int i = 0; i < 20000; ++i) {
        std::string word;
        for (int n = int(random() % 12); n >= 0; --n) word += letters[random() % letters.size()];
        words.push_back(word);
    }
    for (std::size_t i = 0; i + 1 < words.size(); i += 97) {
        std::string stressed = words[i];
        if (const auto at = stressed.find_first_of(Cp("аеиоуыэюяі")); at != std::string::npos) stressed.insert(at + 1, "*");
        words.push_back(stressed);
    }
    for (const auto& entry : std::filesystem::recursive_directory_iterator(ZELM_FUZZ_CORPUS)) {
        if (!entry.is_regular_file()) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        texts.push_back(bytes.str());
    }
    for (int i = 0; i < 300; ++i) {
        std::string text;
        for (int n = int(random() % 3000); n >= 0; --n) text += char(random() % 4 ? letters[random() % letters.size()] : ' ');
        texts.push_back(text);
    }
    texts.push_back("");

    TWordEvaluator ru;
    TUkrWordEvaluator uk;
    for (const std::string& word : words)
        for (const TEvalScheme scheme : {TEvalScheme::esZhuravlev, TEvalScheme::esLevitsky}) {
            ru.EvaluateWord(word, scheme);
            ASSERT_TRUE(ExplanationAddsUp(ExplainWord(ru, scheme), std::span<const double>(ru.WordProfile), true))
                << Cp1251ToUtf8(word);
            uk.UkrEvaluateWord(word, scheme);
            ASSERT_TRUE(ExplanationAddsUp(ExplainWord(uk, scheme), std::span<const double>(uk.UkrWordProfile), true))
                << Cp1251ToUtf8(word);
        }
    TTextEvaluator ruText;
    TUkrTextEvaluator ukText;
    for (const std::string& text : texts) {
        ruText.ResetTextCounts();
        ruText.CountTextWords(text);
        ukText.UkrResetTextCounts();
        ukText.UkrCountTextWords(text);
        for (const TEvalScheme scheme : {TEvalScheme::esZhuravlev, TEvalScheme::esLevitsky}) {
            ruText.EvaluateText(scheme);
            ASSERT_TRUE(ExplanationAddsUp(ExplainText(ruText, scheme), std::span<const float>(ruText.TextProfile), false));
            ukText.UkrEvaluateText(scheme);
            ASSERT_TRUE(
                ExplanationAddsUp(ExplainText(ukText, scheme), std::span<const float>(ukText.UkrTextProfile), false));
        }
    }
}
