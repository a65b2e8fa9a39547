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

// The checks read 16 bytes at a time where they can: every kind of sequence, well-formed or not,
// at every place in and across those steps gives what reading byte by byte gives.
TEST(EncodingDetector, SixteenByteStepsReadAsByteByByte) {
    for (std::size_t before = 0; before < 36; ++before)
        for (const std::string insert : {"я", "ё", "ї", "é", "€", "😀", "\xD0", "\xD1\xD1", "\x80", "\xC0\x80", "\xED\xA0\x80", "\xE2\x82"}) {
            std::string text;
            for (std::size_t i = 0; text.size() < before; ++i) text += i % 3 == 2 ? " " : "м";
            text.resize(before); // a letter's lead byte may come last
            text += insert + "мама мыла раму, ёж\n";
            TUtf8Validator whole, bytes;
            TEncodingDetector wholeDetector, bytesDetector;
            TUtf8ToCp1251 wholeDecoder, bytesDecoder;
            std::string wholeText, bytesText;
            whole.Feed(text);
            wholeDetector.Feed(text);
            wholeDecoder.Decode(text, wholeText);
            for (const char c : text) {
                bytes.Feed(std::string_view(&c, 1));
                bytesDetector.Feed(std::string_view(&c, 1));
                bytesDecoder.Decode(std::string_view(&c, 1), bytesText);
            }
            const bool valid = bytes.Finish();
            EXPECT_EQ(IsValidUtf8(text), valid) << before << " " << insert;
            EXPECT_EQ(whole.Finish(), valid) << before << " " << insert;
            // Malformed text stops the counting where it is found; only the answer is the same.
            if (valid) {
                EXPECT_EQ(wholeDetector.Evidence(), bytesDetector.Evidence()) << before << " " << insert;
            }
            EXPECT_EQ(wholeDetector.Result(), bytesDetector.Result()) << before << " " << insert;
            EXPECT_EQ(wholeText, bytesText) << before << " " << insert;
        }
}
