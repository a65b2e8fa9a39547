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
    for (const double v : {0.5688, 0.1864333333333333, 1.0, -1.0, 0.001, 0.25, 0.0009765625, 0.1 + 0.2,
                           0.06277173913043478, -0.3375758341759353, 0.0})
        EXPECT_EQ(Number(v), Reference(v)) << v;
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
