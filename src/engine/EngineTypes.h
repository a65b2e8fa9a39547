// Types shared by the Russian and the Ukrainian engine.
#pragma once

#include <array>
#include <cstdint>

namespace zelm {

// One sound of a language's inventory.
using SoundCode = std::uint8_t;

// The context in which a letter is mapped to a sound.
enum class LetterContext : std::uint8_t { Soft = 0, Stressed = 1, Plain = 2 };

// The two evaluation algorithms.
enum class TEvalScheme { esZhuravlev, esLevitsky };

// The stress mark, written right after a vowel.
inline constexpr unsigned char StressMark = '*';

// The six sound-colour classes 1..6 and their colours as 0x00BBGGRR values.
inline constexpr int ColourClassCount = 6;
inline constexpr std::array<std::uint32_t, ColourClassCount> ColourClassColours = {
    255,      // 1 red
    65535,    // 2 yellow
    32768,    // 3 green
    16711680, // 4 blue
    8388736,  // 5 purple
    128,      // 6 maroon
};

} // namespace zelm
