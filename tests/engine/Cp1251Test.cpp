#include "Cp1251.h"

#include <gtest/gtest.h>

#include <random>

using namespace zelm;

TEST(Cp1251, EveryByteSurvivesTheRoundTripThroughUtf8) {
    std::string all;
    for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
    const std::string utf8 = Cp1251ToUtf8(all);
    EXPECT_TRUE(IsValidUtf8(utf8));
    EXPECT_EQ(Utf8ToCp1251(utf8), all);
}

TEST(Cp1251, LettersOfBothLanguagesMapToTheirCodePoints) {
    EXPECT_EQ(Cp1251ToUtf8("\xC0\xFF\xA8\xB8"), "АяЁё");
    EXPECT_EQ(Cp1251ToUtf8("\xB2\xB3\xAF\xBF\xAA\xBA\xA5\xB4"), "ІіЇїЄєҐґ");
    EXPECT_EQ(UnicodeToCp1251(U'№'), 0xB9);
    EXPECT_EQ(UnicodeToCp1251(U'€'), 0x88);
    EXPECT_EQ(UnicodeToCp1251(U'é'), -1);
    EXPECT_EQ(UnicodeToCp1251Fast(U'я'), 0xFF);
    EXPECT_EQ(UnicodeToCp1251Fast(U'é'), -1);
    EXPECT_EQ(UnicodeToCp1251Fast(U'—'), 0x97);
}

TEST(Cp1251, DecoderReplacesWhatTheCodePageLacksAndMalformedBytes) {
    EXPECT_EQ(Utf8ToCp1251("café 😀"), "caf? ?");
    EXPECT_EQ(Utf8ToCp1251("a\xFFz"), "a?z");             // a byte that starts nothing
    EXPECT_EQ(Utf8ToCp1251("a\xD0z"), "a?z");             // a sequence cut short
    EXPECT_EQ(Utf8ToCp1251("\xC0\xAF"), "??");            // overlong
    EXPECT_EQ(Utf8ToCp1251("\xED\xA0\x80"), "???");       // surrogate
    EXPECT_EQ(Utf8ToCp1251("end\xE2\x82"), "end?");       // unfinished at the end
    EXPECT_EQ(Utf8ToCp1251(std::string_view("a\0b", 3)), std::string("a\0b", 3));
}

TEST(Cp1251, DecoderDropsALeadingByteOrderMarkOnly) {
    EXPECT_EQ(Utf8ToCp1251("\xEF\xBB\xBFкот"), "\xEA\xEE\xF2");
    EXPECT_EQ(Utf8ToCp1251("a\xEF\xBB\xBF"), "a?");
}

TEST(Cp1251, CombiningAcuteBecomesTheStressMarkOrIsDropped) {
    EXPECT_EQ(Utf8ToCp1251("мо\u0301ре", TAcuteAccent::amStressMark), "\xEC\xEE*\xF0\xE5");
    EXPECT_EQ(Utf8ToCp1251("мо\u0301ре", TAcuteAccent::amDrop), "\xEC\xEE\xF0\xE5");
}

TEST(Cp1251, DecoderCompletesSequencesSplitBetweenPieces) {
    const std::string text = "Мама мыла раму — ёж №1 😀 \xFF";
    const std::string whole = Utf8ToCp1251(text);
    for (std::size_t cut = 0; cut <= text.size(); ++cut) {
        TUtf8ToCp1251 decoder;
        std::string out;
        decoder.Decode(std::string_view(text).substr(0, cut), out);
        decoder.Decode(std::string_view(text).substr(cut), out);
        decoder.Finish(out);
        EXPECT_EQ(out, whole) << "cut at " << cut;
    }
}

TEST(Cp1251, ValidatorAcceptsOnlyWellFormedUtf8) {
    EXPECT_TRUE(IsValidUtf8(""));
    EXPECT_TRUE(IsValidUtf8("plain ascii"));
    EXPECT_TRUE(IsValidUtf8("Привіт, ґанок 😀"));
    EXPECT_FALSE(IsValidUtf8("\xEC\xEE\xF0\xE5")); // "море" in Windows-1251
    EXPECT_FALSE(IsValidUtf8("\xD0"));
    EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));

    TUtf8Validator validator;
    EXPECT_TRUE(validator.Feed("при\xD0"));
    EXPECT_FALSE(validator.Finish()); // a sequence is still open
    EXPECT_TRUE(validator.Feed("\xB2"));
    EXPECT_TRUE(validator.Finish());
    EXPECT_TRUE(validator.SawNonAscii());
}

TEST(Utf8Sanitizer, KeepsWellFormedTextAndMarksWhatTheDecoderMarks) {
    EXPECT_EQ([] { std::string out; zelm::AppendValidUtf8(out, "мо́ре ✓ 😀"); return out; }(), "мо́ре ✓ 😀");
    std::mt19937 random(11);
    const std::string alphabet = "a\x80\xBF\xC0\xC2\xD0\xB8\xE0\xA0\xED\x9F\xF0\x90\xF4\x8F\xFF";
    for (int round = 0; round < 2000; ++round) {
        std::string text;
        for (int i = 0, n = int(random() % 16); i < n; ++i) text.push_back(alphabet[random() % alphabet.size()]);
        std::string whole;
        zelm::AppendValidUtf8(whole, text);
        EXPECT_TRUE(zelm::IsValidUtf8(whole));
        // As the decoder reads it: the same characters, the same "?" marks.
        EXPECT_EQ(zelm::Utf8ToCp1251(whole), zelm::Utf8ToCp1251(text)) << text;
        zelm::TUtf8Sanitizer pieces;
        std::string out;
        for (std::size_t at = 0; at < text.size();) {
            const std::size_t n = std::min<std::size_t>(1 + random() % 3, text.size() - at);
            pieces.Feed(std::string_view(text).substr(at, n), out);
            at += n;
        }
        pieces.Finish(out);
        EXPECT_EQ(out, whole) << text;
    }
}
