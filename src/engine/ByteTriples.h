// Counting a text as a stream of bytes: each byte gets a key from itself, the byte before it
// and the byte after it, and the keys are counted. Both text splitters reduce to this because
// their rules look at most one letter back and one ahead (see UTextEvl.cpp and UUkrTextEvl.cpp).
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace zelm {

// The key of a byte is Prev[before] + Self[byte] + Next[after]; keys are below Bins. UsesPrevious
// false leaves the byte before out, for rules that only look ahead.
template <std::size_t Bins, bool UsesPrevious = true> struct TTripleKeys {
    static constexpr std::size_t Count = Bins;
    static constexpr bool UsesPrev = UsesPrevious;
    std::array<std::uint16_t, 256> Prev{}, Self{}, Next{};
    // Self[b] + Next[q] at index b + 256 q: a byte and its successor read as one 16-bit
    // little-endian word give their key part in one look-up.
    std::array<std::uint16_t, 65536> Pair{};

    constexpr void MakePairs() {
        for (std::size_t q = 0; q < 256; ++q)
            for (std::size_t b = 0; b < 256; ++b) Pair[b + 256 * q] = std::uint16_t(Self[b] + Next[q]);
    }
};

// Adds the key counts of bytes[0..count) to `totals`; `before` precedes the first byte and
// `after` follows the last.
template <class TKeys, std::size_t Bins = TKeys::Count>
void CountTriples(const TKeys& keys, const unsigned char* bytes, std::size_t count, unsigned char before,
                  unsigned char after, std::array<std::uint64_t, Bins>& totals) {
    // Four interleaved histograms keep repeated letters from waiting on each other's stores;
    // 32-bit bins are safe because a block stays below 2^30 bytes.
    constexpr std::size_t Block = std::size_t(1) << 30;
    while (count > 0) {
        const std::size_t n = count < Block ? count : Block;
        const unsigned char last = n < count ? bytes[n] : after;
        std::array<std::array<std::uint32_t, Bins>, 4> h{};
        auto key = [&](unsigned char p, unsigned char b, unsigned char q) {
            if constexpr (TKeys::UsesPrev) return keys.Prev[p] + keys.Self[b] + keys.Next[q];
            else return keys.Self[b] + keys.Next[q];
        };
        // Key of bytes[i] from the 16-bit word at i (bytes i and i + 1).
        auto fast = [&](std::size_t i) {
            std::uint16_t pair;
            std::memcpy(&pair, bytes + i, 2);
            if constexpr (TKeys::UsesPrev) return keys.Prev[bytes[i - 1]] + keys.Pair[pair];
            else return keys.Pair[pair];
        };
        static_assert(std::endian::native == std::endian::little);
        std::size_t i = 0;
        if (n >= 6) {
            ++h[0][key(before, bytes[0], bytes[1])];
            for (i = 1; i + 4 < n; i += 4) {
                ++h[0][fast(i)];
                ++h[1][fast(i + 1)];
                ++h[2][fast(i + 2)];
                ++h[3][fast(i + 3)];
            }
        }
        for (; i < n; ++i) ++h[0][key(i ? bytes[i - 1] : before, bytes[i], i + 1 < n ? bytes[i + 1] : last)];
        for (std::size_t b = 0; b < Bins; ++b) totals[b] += std::uint64_t(h[0][b]) + h[1][b] + h[2][b] + h[3][b];
        before = bytes[n - 1];
        bytes += n;
        count -= n;
    }
}

// Feeds a text to CountTriples in pieces: the last byte of a piece waits for the first byte of
// the next, so that any cutting gives the counts of the whole text.
template <class TKeys, std::size_t Bins = TKeys::Count> class TTripleStream {
public:
    explicit TTripleStream(const TKeys& keys) : Keys_(keys) {}

    void Reset() {
        HasHeld_ = false;
        Before_ = 0;
    }

    void Feed(std::string_view piece, std::array<std::uint64_t, Bins>& totals) {
        if (piece.empty()) return;
        const auto* bytes = reinterpret_cast<const unsigned char*>(piece.data());
        const std::size_t n = piece.size();
        if (HasHeld_) {
            CountTriples(Keys_, &Held_, 1, Before_, bytes[0], totals);
            Before_ = Held_;
        }
        CountTriples(Keys_, bytes, n - 1, Before_, bytes[n - 1], totals);
        if (n >= 2) Before_ = bytes[n - 2];
        Held_ = bytes[n - 1];
        HasHeld_ = true;
    }

    // Ends the text: its last byte is followed by nothing (0).
    void Finish(std::array<std::uint64_t, Bins>& totals) {
        if (HasHeld_) CountTriples(Keys_, &Held_, 1, Before_, 0, totals);
        Reset();
    }

private:
    const TKeys& Keys_;
    bool HasHeld_ = false;
    unsigned char Held_ = 0, Before_ = 0;
};

} // namespace zelm
