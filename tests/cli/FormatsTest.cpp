#include "Formats.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <random>

using namespace zelm;

namespace {
std::string Number(double v, bool single = false) {
    std::string out;
    AppendNumber(out, v, single);
    return out;
}
std::string Reference(double v) {
    char text[64];
    return std::string(text, std::to_chars(text, text + sizeof text, v).ptr);
}
} // namespace

TEST(Formats, NumbersAreTheShortestThatReadBackExactly) {
    // The edges of the word values' fast writer: its range, interval widths near 1 and 10 units,
    // a multiple of ten and of a higher power inside the interval, 15 to 19 decimals.
    for (const double v : {0.5688, 0.1864333333333333, 1.0, -1.0, 0.001, 0.25, 0.0009765625, 0.1 + 0.2,
                           0.06277173913043478, -0.3375758341759353, 0.0, std::nextafter(1.0, 0.0),
                           std::nextafter(0x1p-10, 1.0), std::nextafter(0x1p-10, 0.0), 0.1, 0.7, 0.999, -0.75,
                           std::nextafter(0.5, 1.0), std::nextafter(0.125, 0.0), 0.0010000000000000002, 0.012,
                           0.123456789012345, std::nextafter(0.1, 1.0), 0x1.fffffffffffffp-7}) {
        EXPECT_EQ(Number(v), Reference(v)) << v;
        char text[64];
        EXPECT_EQ(std::string(text, WriteShortestPortable(text, v, false)), Reference(v)) << v;
    }
    EXPECT_EQ(Number(2.0 / 3), "0.6666666666666666");
    EXPECT_EQ(Number(-0.0), "-0");
    EXPECT_EQ(Number(0.0, true), "0");
    EXPECT_EQ(Number(double(5.230259f), true), "5.230259");

    std::mt19937_64 random(99);
    std::uniform_real_distribution<double> uniform(-1.0, 1.0);
    for (int i = 0; i < 200000; ++i) {
        double v = uniform(random);
        if (i % 3 == 0) v = std::ldexp(v, -int(random() % 12));  // down to 2^-12
        if (i % 7 == 0) v = std::nextafter(std::ldexp(1.0, -int(random() % 11)), 0.0); // near powers of 2
        if (i % 11 == 0) v = std::round(v * 1000) / 1000;           // short decimals
        const std::string text = Number(v);
        ASSERT_EQ(std::strtod(text.c_str(), nullptr), v) << text;
        if (std::fabs(v) >= 0.001) {
            ASSERT_EQ(text, Reference(v)) << v;
        }
    }
}

// The web build writes numbers without std::to_chars; it must write the same text.
TEST(Formats, ThePortableNumberWriterWritesWhatToCharsWrites) {
    const auto portable = [](double v, bool single) {
        char text[64];
        return std::string(text, WriteShortestPortable(text, v, single));
    };
    const auto reference = [](double v, bool single) {
        char text[64];
        return std::string(text, single ? std::to_chars(text, text + sizeof text, float(v)).ptr
                                         : std::to_chars(text, text + sizeof text, v).ptr);
    };
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> uniform(-1.0, 1.0);
    for (int i = 0; i < 100000; ++i) {
        double v = std::ldexp(uniform(random), int(random() % 80) - 40);
        if (i % 3 == 0) v = std::ldexp(uniform(random), -int(random() % 11)); // word values
        if (i % 5 == 0) v = std::round(v * 100) / 10;     // short decimals
        if (i % 7 == 0) v = std::ldexp(1.0, int(random() % 120) - 60); // powers of two
        if (i % 13 == 0) v = double(std::int64_t(random() % 100000)) * 1e15; // long whole numbers
        for (const bool single : {false, true})
            ASSERT_EQ(portable(v, single), reference(v, single)) << v << (single ? " as float" : "");
    }
    for (const double v : {0.0, -0.0, 1e-300, 5e-324, 1.7976931348623157e308, 100.0, 1e21, 123456.0})
        EXPECT_EQ(portable(v, false), reference(v, false)) << v;
    // Floats about the edges of the fast path: tenths, whole numbers and neighbours of 10^-3 and 2^24.
    for (int i = 0; i < 100000; ++i) {
        const float f = i % 3 == 0 ? float(int(random() % 2000001) - 1000000) / 10
                        : i % 3 == 1 ? float(std::int64_t(random() % 17000000)) * (i % 2 ? 1 : 100)
                                     : std::nextafter(i % 2 ? 1e-3f : 16777216.0f, float(i % 4 < 2 ? 0 : 1e9)) *
                                           float(1 + random() % 3);
        ASSERT_EQ(portable(f, true), reference(f, true)) << f;
    }
}
