// Helpers of the fuzz targets: cut points taken from the input itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace zelm::fuzz {

// The input less its first two bytes, cut into pieces at points those bytes choose.
struct TSplit {
    std::string_view Text;
    std::vector<std::string_view> Pieces;
};

inline TSplit Split(const std::uint8_t* data, std::size_t size) {
    TSplit split;
    if (size < 2) {
        split.Text = std::string_view(reinterpret_cast<const char*>(data), size);
        split.Pieces.push_back(split.Text);
        return split;
    }
    split.Text = std::string_view(reinterpret_cast<const char*>(data) + 2, size - 2);
    const std::size_t step = 1 + data[0] % 16, first = data[1] % (split.Text.size() + 1);
    std::size_t at = 0;
    split.Pieces.push_back(split.Text.substr(0, first));
    for (at = first; at < split.Text.size(); at += step) split.Pieces.push_back(split.Text.substr(at, step));
    return split;
}

inline void Check(bool condition) {
    if (!condition) std::abort();
}

} // namespace zelm::fuzz
