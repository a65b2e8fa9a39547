#include "Cp1251.h"
#include "EncodingDetector.h"

#include <gtest/gtest.h>

#include <random>

using namespace zelm;

namespace {
constexpr auto Cp = TDetectedEncoding::deCp1251;
constexpr auto Utf = TDetectedEncoding::deUtf8;
} // namespace

TEST(EncodingDetector, ShortWindows1251TextsThatAreWellFormedUtf8) {
    EXPECT_EQ(DetectEncoding("\xD1\xB3"), Cp); // «Сі» would be «ѳ»
    EXPECT_EQ(DetectEncoding("\xCD\xB3"), Cp); // «Ні» would be a Greek sign
    EXPECT_EQ(DetectEncoding("\xD0\xB8"), Cp); // «Рё» would be «и»
    EXPECT_EQ(DetectEncoding(Utf8ToCp1251("Сі\r\nНі\r\nРё\r\n")), Cp);
    EXPECT_EQ(DetectEncoding(Utf8ToCp1251("Рё — ")), Cp);
    EXPECT_EQ(DetectEncoding(Utf8ToCp1251("мама")), Cp); // not well-formed at all
    EXPECT_EQ(DetectEncoding("\xD0"), Cp);               // a sequence cut off
}

TEST(EncodingDetector, Utf8TextsOfEveryKind) {
    for (const char* text : {"мо*ре", "да", "її", "ви", "Ях", "мо\xCC\x81ре", "\xEF\xBB\xBFкот", "Привет, мир ✓ 😀",
                             "café", "say «hi»", "No. №5", "a — b", "25 °C", "ВУЗ", "Її ім’я"})
        EXPECT_EQ(DetectEncoding(text), Utf) << text;
    EXPECT_EQ(DetectEncoding("plain ascii\r\n"), TDetectedEncoding::deAscii);
    EXPECT_EQ(DetectEncoding(""), TDetectedEncoding::deAscii);
    EXPECT_TRUE(ReadsAsUtf8("ascii"));
    EXPECT_FALSE(ReadsAsUtf8("\xD0\xB8"));
}

TEST(EncodingDetector, PiecesGiveTheAnswerOfTheWhole) {
    std::mt19937 random(7);
    const std::string alphabet = "\xD0\xD1\xB8\xB3\x80\x97\xAB\xBB\xA0 aZ1.\n\xE2\x84\x96\xC2\xEF";
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        const int length = int(random() % 24);
        for (int i = 0; i < length; ++i) text.push_back(alphabet[random() % alphabet.size()]);
        if (round % 3 == 0) text = Utf8ToCp1251("Рё") + text; // give the rules something to look at
        if (round % 3 == 1) text = "мо" + text;
        TEncodingDetector pieces;
        for (std::size_t at = 0; at < text.size();) {
            const std::size_t n = std::min<std::size_t>(1 + random() % 4, text.size() - at);
            pieces.Feed(std::string_view(text).substr(at, n));
            at += n;
        }
        EXPECT_EQ(pieces.Result(), DetectEncoding(text)) << text;
    }
}
