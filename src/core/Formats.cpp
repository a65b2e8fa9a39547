#include "Formats.h"
#include "Output.h"
#include "Sounds.h"

#include "ru/UComment.h"
#include "ru/Utils.h"
#include "uk/UUkrComment.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace zelm {

namespace {
char* WriteShortestFloat(char* p, float value);
template <bool Portable> char* WriteShortestFixed(char* p, double value);
} // namespace

// What std::to_chars writes, for a library without it (the WebAssembly builds): the fewest
// significant digits that read back as the same value (correctly rounded, so the nearest such
// number), in fixed or scientific notation, whichever is shorter, fixed on a tie.
char* WriteShortestPortable(char* p, double value, bool singlePrecision) {
    if (char* end = singlePrecision ? WriteShortestFloat(p, static_cast<float>(value)) // a text's values
                                    : WriteShortestFixed<true>(p, value))                 // a word's values
        return end;
    if (singlePrecision) value = double(static_cast<float>(value));
    if (!std::isfinite(value)) {
        const char* text = std::isnan(value) ? (std::signbit(value) ? "-nan" : "nan") : value < 0 ? "-inf" : "inf";
        const std::size_t n = std::strlen(text);
        std::memcpy(p, text, n);
        return p + n;
    }
    if (std::signbit(value)) *p++ = '-';
    const double magnitude = std::fabs(value);
    const auto readsBack = [&](const char* text) {
        return singlePrecision ? std::strtof(text, nullptr) == static_cast<float>(magnitude)
                               : std::strtod(text, nullptr) == magnitude;
    };
    // The fewest digits: the correctly rounded ones, or beside a power of two (whose interval is
    // lopsided) their neighbour one unit above or below.
    std::string digits;
    int exponent = 0;
    char text[48];
    // Elsewhere the interval of the values that read back is symmetric, so the correctly rounded
    // digits are the only candidate, and if p of them read back so do p + 1: the fewest are found
    // by halving (a handful of printf and strtod calls, not dozens).
    std::uint64_t mantissa = 0;
    if (singlePrecision) {
        const float f = static_cast<float>(magnitude);
        std::uint32_t bits = 0;
        std::memcpy(&bits, &f, sizeof bits);
        mantissa = bits & 0x7FFFFFu;
    } else {
        std::memcpy(&mantissa, &magnitude, sizeof mantissa);
        mantissa &= (std::uint64_t(1) << 52) - 1;
    }
    if (mantissa != 0) {
        int low = 1, high = singlePrecision ? 9 : 17; // `high` digits always read back
        while (low < high) {
            const int middle = (low + high) / 2;
            std::snprintf(text, sizeof text, "%.*e", middle - 1, magnitude);
            if (readsBack(text)) high = middle;
            else low = middle + 1;
        }
        std::snprintf(text, sizeof text, "%.*e", low - 1, magnitude);
        const char* e = std::strchr(text, 'e');
        for (const char* c = text; c < e; ++c)
            if (*c != '.') digits.push_back(*c);
        exponent = std::atoi(e + 1);
        while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    }
    for (int precision = 1; precision <= 17 && digits.empty(); ++precision) {
        std::snprintf(text, sizeof text, "%.*e", precision - 1, magnitude);
        const char* e = std::strchr(text, 'e');
        const int exp = std::atoi(e + 1);
        std::string d;
        for (const char* c = text; c < e; ++c)
            if (*c != '.') d.push_back(*c);
        const unsigned long long m = std::strtoull(d.c_str(), nullptr, 10);
        for (const unsigned long long candidate : {m, m + 1, m - 1}) {
            std::snprintf(text, sizeof text, "%llue%d", candidate, exp - precision + 1);
            if (candidate == 0 || !readsBack(text)) continue;
            digits = std::to_string(candidate); // one digit more or less after a carry
            exponent = exp + int(digits.size()) - precision;
            while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
            break;
        }
    }
    if (magnitude == 0) digits = "0";
    const int count = int(digits.size());
    const int expDigits = std::abs(exponent) >= 100 ? 3 : 2;
    const int scientific = count + (count > 1 ? 1 : 0) + 2 + expDigits;
    const int fixed = exponent >= 0 ? (count <= exponent + 1 ? exponent + 1 : count + 1) : 1 - exponent + count;
    if (fixed <= scientific) {
        if (exponent >= count) // a whole number longer than its digits: written exactly, as printf does
            return p + std::snprintf(p, 40, "%.0f", magnitude);
        if (exponent >= 0) {
            for (int i = 0; i <= exponent || i < count; ++i) {
                if (i == exponent + 1) *p++ = '.';
                *p++ = i < count ? digits[std::size_t(i)] : '0';
            }
        } else {
            *p++ = '0';
            *p++ = '.';
            for (int i = 0; i < -exponent - 1; ++i) *p++ = '0';
            for (const char d : digits) *p++ = d;
        }
        return p;
    }
    *p++ = digits[0];
    if (count > 1) {
        *p++ = '.';
        for (int i = 1; i < count; ++i) *p++ = digits[std::size_t(i)];
    }
    return p + std::snprintf(p, 8, "e%c%0*d", exponent < 0 ? '-' : '+', expDigits, std::abs(exponent));
}

namespace {

const char* SchemeName(TEvalScheme scheme) { return scheme == TEvalScheme::esLevitsky ? "levitsky" : "zhuravlev"; }

// The JSON escapes of a text, without the quotes.
void AppendJsonEscaped(std::string& out, std::string_view text) {
    std::size_t plain = 0; // start of the run of characters that need no escape
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x20 && c != '"' && c != '\\') continue;
        out.append(text, plain, i - plain);
        plain = i + 1;
        if (c == '"' || c == '\\') {
            out.push_back('\\');
            out.push_back(c);
        } else {
            static constexpr char Hex[] = "0123456789abcdef";
            switch (c) {
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                out += "\\u00";
                out.push_back(Hex[b >> 4]);
                out.push_back(Hex[b & 15]);
            }
        }
    }
    out.append(text, plain);
}


void AppendInteger(std::string& out, long long value) {
    char text[24];
    const auto result = std::to_chars(text, text + sizeof text, value);
    out.append(text, result.ptr);
}

void Pad(std::string& out, std::size_t count) { out.append(count, ' '); }

void AppendRepeated(std::string& out, std::string_view piece, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) out += piece;
}

// 24-bit terminal colour of a 0x00BBGGRR value.
void AppendTerminalColour(std::string& out, std::uint32_t colour) {
    char text[32];
    std::snprintf(text, sizeof text, "\x1b[38;2;%u;%u;%um", colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
    out += text;
}

constexpr std::string_view Reset = "\x1b[0m";
constexpr std::uint32_t Red = 255, Blue = 16711680;
constexpr std::size_t BarWidth = 20, NameWidth = 15;

const char* ColourName(int colourClass) {
    static const char* const names[] = {"красный", "желтый", "зеленый", "синий", "фиолетовый", "бордовый"};
    return names[colourClass - 1];
}

const char* LanguageName(TLanguage language) { return language == TLanguage::lgRussian ? "русский" : "украинский"; }
const char* SchemeTitle(TEvalScheme scheme) {
    return scheme == TEvalScheme::esLevitsky ? "Алгоритм Левицкого" : "Алгоритм Журавлева";
}

void AppendBar(std::string& out, std::size_t length, bool significant, std::uint32_t colour, bool useColour) {
    if (length == 0) return;
    if (useColour && significant) AppendTerminalColour(out, colour);
    AppendRepeated(out, significant ? "█" : "░", length);
    if (useColour && significant) out += Reset;
}

// Eight decimal digits of x < 10^8 as ASCII, first digit in the lowest byte: the divisions by
// 10000, 100 and 10 are done on all parts of the word at once.
[[gnu::always_inline]] inline std::uint64_t EightDigits(std::uint32_t x) {
    const std::uint64_t merged = (x / 10000) | (std::uint64_t(x % 10000) << 32);
    const std::uint64_t hundreds = ((merged * 10486) >> 20) & 0x0000007F0000007FULL;
    const std::uint64_t pairs = hundreds | ((merged - 100 * hundreds) << 16);
    const std::uint64_t tens = ((pairs * 103) >> 10) & 0x000F000F000F000FULL;
    return (tens | ((pairs - 10 * tens) << 8)) + 0x3030303030303030ULL;
}

constexpr std::array<std::uint64_t, 20> PowersOfTen = [] {
    std::array<std::uint64_t, 20> powers{};
    std::uint64_t p = 1;
    for (auto& power : powers) {
        power = p;
        p *= 10;
    }
    return powers;
}();

// Number of decimal digits of q > 0.
int DigitCount(std::uint64_t q) {
    const int guess = int((std::bit_width(q) * 1233) >> 12); // about log10(2) * bits
    return guess + (guess < 20 && q >= PowersOfTen[std::size_t(guess)] ? 1 : 0);
}

// Writes the `count` digits of q (q < 10^19, count its digit count) at p, which has room for 24.
// Groups of eight digits are stored whole, the first shifted so that its leading zeros fall off
// (digits are stored in reading order on a little-endian machine, as x86 and WebAssembly are);
// each store is overwritten by the next where it ran past its digits. Nothing is read back, so
// no load waits on the stores.
char* WriteDigits(char* p, std::uint64_t q, int count) {
    char* const end = p + count;
    if (count > 16) { // up to three leading digits above the sixteen
        std::uint64_t high = q / 10'000'000'000'000'000ULL;
        q %= 10'000'000'000'000'000ULL;
        char* const first = p;
        p += count - 16;
        for (char* digit = p; digit != first; high /= 10) *--digit = char('0' + high % 10);
        count = 16;
    }
    std::uint64_t low = EightDigits(std::uint32_t(q % 100'000'000));
    if (count > 8) {
        const std::uint64_t high = EightDigits(std::uint32_t(q / 100'000'000)) >> (8 * (16 - count));
        std::memcpy(p, &high, 8);
        p += count - 8;
    } else {
        low >>= 8 * (8 - count);
    }
    std::memcpy(p, &low, 8);
    return end;
}

// "0" and the three digits of each number below 1000, in reading order.
constexpr auto Thousand = [] {
    std::array<std::uint32_t, 1000> digits{};
    for (std::uint32_t i = 0; i < 1000; ++i)
        digits[i] = ('0' + i / 100) << 8 | ('0' + i / 10 % 10) << 16 | std::uint32_t('0' + i % 10) << 24 | '0';
    return digits;
}();

#if defined(__SSE2__)
// The sixteen digits of q < 10^16 in reading order, both halves of eight at once: each half
// into two parts below 10^4, each part into its digits by multiplying 16-bit lanes.
[[gnu::always_inline]] inline __m128i SixteenDigits(std::uint64_t q) {
    const __m128i halves = _mm_set_epi64x(std::int64_t(q % 100'000'000), std::int64_t(q / 100'000'000));
    const __m128i high = _mm_srli_epi64(_mm_mul_epu32(halves, _mm_set1_epi64x(0xD1B71759)), 45); // / 10^4
    const __m128i low = _mm_sub_epi32(halves, _mm_mul_epu32(high, _mm_set1_epi64x(10000)));
    // Each part four times over, times 4, in 16-bit lanes: one half's digits to a register.
    const __m128i parts = _mm_slli_epi16(_mm_or_si128(high, _mm_slli_epi64(low, 16)), 2);
    const __m128i first = _mm_unpacklo_epi16(parts, parts), second = _mm_unpackhi_epi16(parts, parts);
    const auto digits = [](__m128i x) {
        // x / 1000, x / 100, x / 10, x of each part, then less ten times the one before.
        const __m128i divided = _mm_mulhi_epu16(_mm_mulhi_epu16(x, _mm_setr_epi16(8389, 5243, 13108, -32768, 8389, 5243, 13108, -32768)),
                                                _mm_setr_epi16(1 << 7, 1 << 11, 1 << 13, -32768, 1 << 7, 1 << 11, 1 << 13, -32768));
        return _mm_sub_epi16(divided, _mm_slli_epi64(_mm_mullo_epi16(divided, _mm_set1_epi16(10)), 16));
    };
    return _mm_add_epi8(_mm_packus_epi16(digits(_mm_unpacklo_epi32(first, first)), digits(_mm_unpacklo_epi32(second, second))),
                        _mm_set1_epi8('0'));
}
#endif

// Writes q < 10^count as exactly `count` digits, leading zeros included (1 <= count <= 19), at p,
// which has room for 24. The digits are those of three groups of eight, of which the first 24 -
// count are zeros that fall off; for eight digits or more without branches, as the count
// changes from one word value to the next as often as not.
char* WriteDecimals(char* p, std::uint64_t q, int count) {
    const std::uint64_t rest = q % 10'000'000'000'000'000ULL;
    std::uint64_t low = EightDigits(std::uint32_t(rest % 100'000'000));
    const int skip = 24 - count;
    if (skip >= 16) {
        low >>= 8 * (skip - 16);
        std::memcpy(p, &low, 8);
        return p + count;
    }
    // The top group (below 1000) from a table: as EightDigits of it, "00000" and three digits.
    const std::uint64_t top = std::uint64_t(Thousand[q / 10'000'000'000'000'000ULL]) << 32 | 0x30303030u,
                        middle = EightDigits(std::uint32_t(rest / 100'000'000));
    // The first digit is in the top group, or (all zeros there) in the middle one.
    const std::uint64_t inTop = 0 - std::uint64_t(skip < 8);
    const int within = skip & 7; // zeros to drop from the group the first digit is in
    const std::uint64_t first = ((top & inTop) | (middle & ~inTop)) >> (8 * within),
                        second = (middle & inTop) | (low & ~inTop);
    std::memcpy(p, &first, 8);
    std::memcpy(p + 8 - within, &second, 8);
    std::memcpy(p + 16 - skip, &low, 8);
    return p + count;
}

// The same, faster where SSE2 is there for the 16 to 19 digits of nearly every word value:
// sixteen from one vector, up to three above them from a table.
[[gnu::always_inline]] inline char* WriteWordDecimals(char* p, std::uint64_t q, int count) {
#if defined(__SSE2__)
    if (count >= 16) {
        const int above = count - 16;
        const auto top = std::uint32_t(std::uint64_t(Thousand[q / 10'000'000'000'000'000ULL]) >> (8 * (4 - above)));
        std::memcpy(p, &top, 4);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + above), SixteenDigits(q % 10'000'000'000'000'000ULL));
        return p + count;
    }
#endif
    return WriteDecimals(p, q, count);
}

__extension__ typedef unsigned __int128 u128;

// The number with the fewest digits that reads back as m / 2^shift, nearest to it (halves to
// even), as an integer scaled by m * scale / 2^shift (below 2^64); `dropped` gets how many digits
// it has fewer than the scaled value. The rounding interval is halfway to the neighbours,
// (2m -+ 1) / 2^(shift + 1); round-to-nearest-even reading takes a number on a bound to m when m
// is even.
[[gnu::always_inline]] inline std::uint64_t ShortestScaled(std::uint64_t m, int shift, u128 scale, int& dropped) {
    const auto below = [](u128 x, int s) { return std::uint64_t(x) & ((std::uint64_t(1) << s) - 1); };
    const bool inclusive = (m & 1) == 0;
    const u128 value = u128(m) * scale, upper = 2 * value + scale, lower = 2 * value - scale;
    auto hi = std::uint64_t(upper >> (shift + 1)), lo = std::uint64_t(lower >> (shift + 1));
    if (!inclusive && below(upper, shift + 1) == 0) --hi;
    if (below(lower, shift + 1) != 0 || !inclusive) ++lo;
    // The value itself, scaled: `whole`, and what is left below it as a digit for rounding.
    auto whole = std::uint64_t(value >> shift);
    const std::uint64_t fraction = below(value, shift);
    const std::uint64_t half = shift > 0 ? std::uint64_t(1) << (shift - 1) : 1;
    int roundDigit = shift == 0 ? 0 : fraction > half ? 6 : fraction == half ? 5 : fraction > 0 ? 1 : 0;
    bool sticky = false; // something non-zero below the rounding digit
    // Drop trailing digits while the interval still holds a number with fewer digits.
    while ((lo + 9) / 10 <= hi / 10) {
        lo = (lo + 9) / 10;
        hi /= 10;
        sticky = sticky || roundDigit != 0;
        roundDigit = int(whole % 10);
        whole /= 10;
        ++dropped;
    }
    // The candidate nearest to the value, kept inside the interval.
    std::uint64_t q = whole;
    if (roundDigit > 5 || (roundDigit == 5 && (sticky || (q & 1) != 0))) ++q;
    return std::clamp(q, lo, hi);
}

// The shortest decimal that reads back as `value`, for 2^-10 <= |value| <= 1 (every word value
// and colour share, so the word list path is fast), written in fixed notation: the same digits as
// std::to_chars. The double is m / 2^shift with a 53-bit m; scaled by the power of ten 10^k that
// makes its rounding interval 1 to 10 wide, 128-bit arithmetic gives the interval's bounds and
// the value exactly. The interval then holds the value rounded to a whole number, and at most one
// multiple of ten, which has fewer digits and is the answer when it is there. Returns the end of
// the text written, or null outside that range and for powers of two (lopsided intervals).
// `Portable`: the digits without SSE2, as the WebAssembly builds write them.
template <bool Portable> [[gnu::always_inline]] inline char* WriteShortestFixed(char* p, double value) {
    const double magnitude = std::fabs(value);
    if (!(magnitude >= 0x1p-10 && magnitude <= 1.0)) return nullptr;
    std::uint64_t bits; // std::bit_cast, which the WebAssembly compiler's library lacks
    std::memcpy(&bits, &magnitude, sizeof bits);
    if ((bits & ((std::uint64_t(1) << 52) - 1)) == 0) return nullptr;
    const std::uint64_t m = (bits & ((std::uint64_t(1) << 52) - 1)) | (std::uint64_t(1) << 52);
    const int shift = 1075 - int(bits >> 52);             // magnitude = m / 2^shift, shift 53..62
    // k = ceil(shift * log10(2)), 16..19, and 10^k * 2^(60 - shift), a whole number below 2^64:
    // the value scaled by 10^k is then m times that over 2^60, a shift that costs nothing.
    struct TScale {
        int Power;
        std::uint64_t Factor;
    };
    static constexpr auto Scales = [] {
        std::array<TScale, 10> scales{};
        for (int s = 53; s <= 62; ++s) {
            const int k = (s * 30103 + 99999) / 100000;
            scales[std::size_t(s - 53)] = {k, s <= 60 ? PowersOfTen[std::size_t(k)] << (60 - s)
                                                      : PowersOfTen[std::size_t(k)] >> (s - 60)};
        }
        return scales;
    }();
    const auto [k, factor] = Scales[std::size_t(shift - 53)];
    // The value scaled, as a whole number and a 60-bit fraction; the rounding interval reaches
    // half a step to either side, factor / 2 in the same units (factor is even).
    const u128 scaled = u128(m) * factor;
    const std::uint64_t whole = std::uint64_t(scaled >> 60), fraction = std::uint64_t(scaled) & ((std::uint64_t(1) << 60) - 1),
                        reach = factor >> 1, one = std::uint64_t(1) << 60;
    // Round-to-nearest-even reading takes a bound of the interval to m when m is even. The
    // decisions that follow go either way as often as not, so they are made by arithmetic, not
    // by branches.
    const std::uint64_t even = ~m & 1;
    // The value rounded to a whole number, halves to even.
    const std::uint64_t nearest = whole + (std::uint64_t(fraction > one / 2) |
                                           (std::uint64_t(fraction == one / 2) & whole & 1));
    // The interval, under ten wide, holds at most one multiple of ten: the one below the value or
    // the one above, at these distances from it.
    const std::uint64_t tens = whole / 10, below = ((whole - tens * 10) << 60) | fraction, above = 10 * one - below;
    const std::uint64_t downward = std::uint64_t(below < reach) | (std::uint64_t(below == reach) & even),
                        upward = std::uint64_t(above < reach) | (std::uint64_t(above == reach) & even);
    const std::uint64_t shorter = downward | upward, choose = 0 - shorter;
    std::uint64_t q = ((tens + upward) & choose) | (nearest & ~choose);
    int dropped = int(shorter);
    while (q % 10 == 0) { // a multiple of a higher power of ten
        q /= 10;
        ++dropped;
    }
    // q * 10^(dropped - k) in fixed notation, below 1: "0." and k - dropped decimals. The sign is
    // written without a branch too.
    *p = '-';
    p += std::signbit(value) ? 1 : 0;
    std::memcpy(p, "0.", 2);
    return Portable ? WriteDecimals(p + 2, q, k - dropped) : WriteWordDecimals(p + 2, q, k - dropped);
}

// The shortest decimal that reads back as the float `value`, as std::to_chars writes it, for
// 10^-3 <= |value| < 2^24 where it writes fixed notation (a text's values); null elsewhere, for
// powers of two, and where scientific notation is shorter. As WriteShortestFixed, with the
// interval scaled by the power of ten that keeps it below 2^64 with 17 digits or more.
char* WriteShortestFloat(char* p, float value) {
    const float magnitude = std::fabs(value);
    if (!(magnitude >= 1e-3f && magnitude < 16777216.0f)) return nullptr;
    std::uint32_t bits;
    std::memcpy(&bits, &magnitude, sizeof bits);
    if ((bits & 0x7FFFFFu) == 0) return nullptr;
    const std::uint64_t m = (bits & 0x7FFFFFu) | 0x800000u;
    const int shift = 150 - int(bits >> 23); // magnitude = m / 2^shift, shift 0..34
    const int k = (40 + shift) * 30103 / 100000 - 1; // magnitude * 10^k < 2^64
    static constexpr auto Powers = [] {
        std::array<u128, 23> powers{};
        u128 power = 1;
        for (auto& each : powers) {
            each = power;
            power *= 10;
        }
        return powers;
    }();
    int dropped = 0;
    const std::uint64_t q = ShortestScaled(m, shift, Powers[std::size_t(k)], dropped);

    // q * 10^(dropped - k): fixed notation unless scientific is shorter (to_chars' choice).
    const int count = DigitCount(q), point = count + dropped - k, exponent = point - 1;
    const int fixed = point <= 0 ? 2 - point + count : point >= count ? point : count + 1;
    const int scientific = count + (count > 1 ? 1 : 0) + 2 + (std::abs(exponent) >= 100 ? 3 : 2);
    if (fixed > scientific) return nullptr;
    if (value < 0) *p++ = '-';
    if (point <= 0) {
        std::memcpy(p, "0.000", 5); // at most three zeros follow the point in this range
        return WriteDigits(p + 2 - point, q, count);
    }
    WriteDigits(p, q, count);
    if (point >= count) {
        std::memset(p + count, '0', std::size_t(point - count));
        return p + point;
    }
    std::memmove(p + point + 1, p + point, std::size_t(count - point));
    p[point] = '.';
    return p + count + 1;
}

// Writes a number into p (room for NumberRoom characters); returns the end.
constexpr std::size_t NumberRoom = 40;

char* WriteShortest(char* p, double value, bool singlePrecision) {
#if defined(__cpp_lib_to_chars)
    return singlePrecision ? std::to_chars(p, p + NumberRoom, static_cast<float>(value)).ptr
                           : std::to_chars(p, p + NumberRoom, value).ptr;
#else
    return WriteShortestPortable(p, value, singlePrecision);
#endif
}

[[gnu::always_inline]] inline char* WriteNumber(char* p, double value, bool singlePrecision) {
    if (value == 0 && !std::signbit(value)) { // every value of a word without sounds
        *p = '0';
        return p + 1;
    }
    if (!singlePrecision)
        if (char* end = WriteShortestFixed<false>(p, value)) return end;
    return WriteShortest(p, value, singlePrecision);
}

// Appends the numbers, the first after `first` and every other after `separator`.
void AppendNumbers(std::string& out, const std::vector<double>& values, bool singlePrecision, char first,
                   char separator) {
    char text[32 * (NumberRoom + 1)];
    for (std::size_t at = 0; at < values.size(); at += 32) { // 32 numbers at a time
        char* p = text;
        for (std::size_t i = at; i < std::min(values.size(), at + 32); ++i) {
            *p++ = i == 0 ? first : separator;
            p = WriteNumber(p, values[i], singlePrecision);
        }
        out.append(text, p);
    }
}

} // namespace

namespace {
// Whether a CSV field must be quoted: it holds a comma, a quote or a line break. One pass, 16
// bytes at a time where SSE2 is there.
bool NeedsCsvQuotes(std::string_view text) {
    std::size_t i = 0;
#if defined(__SSE2__)
    for (; i + 16 <= text.size(); i += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i));
        const __m128i hits = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(x, _mm_set1_epi8(',')), _mm_cmpeq_epi8(x, _mm_set1_epi8('"'))),
                                          _mm_or_si128(_mm_cmpeq_epi8(x, _mm_set1_epi8('\n')), _mm_cmpeq_epi8(x, _mm_set1_epi8('\r'))));
        if (_mm_movemask_epi8(hits) != 0) return true;
    }
#endif
    for (; i < text.size(); ++i)
        if (const char c = text[i]; c == ',' || c == '"' || c == '\n' || c == '\r') return true;
    return false;
}
} // namespace

void AppendCsvField(std::string& out, std::string_view field) {
    if (!NeedsCsvQuotes(field)) {
        out += field;
        return;
    }
    out.push_back('"');
    for (std::size_t at = 0; at < field.size();) {
        const std::size_t quote = std::min(field.find('"', at), field.size());
        out.append(field, at, quote - at);
        if (quote < field.size()) out += "\"\"";
        at = quote + 1;
    }
    out.push_back('"');
}

// Display width of UTF-8 text: one column per character.
std::size_t Columns(std::string_view utf8) {
    std::size_t n = 0;
    for (const char c : utf8)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
    return n;
}

void AppendJsonString(std::string& out, std::string_view text) {
    out.push_back('"');
    AppendJsonEscaped(out, text);
    out.push_back('"');
}

void AppendNumber(std::string& out, double value, bool singlePrecision) {
    char text[NumberRoom];
    out.append(text, WriteNumber(text, value, singlePrecision));
}

namespace {

// The parts of a JSON object around its two long strings, the input and the comment.
void AppendJsonHead(std::string& out, const TEvaluation& e) {
    out += e.IsWord ? "{\"kind\":\"word\"" : "{\"kind\":\"text\"";
    out += e.Language == TLanguage::lgRussian ? ",\"lang\":\"ru\"" : ",\"lang\":\"uk\"";
    out += ",\"algo\":\"";
    out += SchemeName(e.Scheme);
    out += "\",\"input\":";
}

void AppendJsonProfile(std::string& out, const TEvaluation& e) {
    out += ",\"profile\":";
    if (e.Profile.empty()) out.push_back('[');
    AppendNumbers(out, e.Profile, e.SinglePrecision, '[', ',');
    out += "],\"scales\":[";
    const auto& names = ScaleNamesOf(e.Language);
    for (std::size_t k = 0; k < names.size(); ++k) {
        out += k ? ",{\"left\":" : "{\"left\":";
        AppendJsonString(out, names[k].Left);
        out += ",\"right\":";
        AppendJsonString(out, names[k].Right);
        out.push_back('}');
    }
    out += "],\"comment\":";
}

void AppendJsonColours(std::string& out, const TEvaluation& e) {
    out += ",\"colours\":[";
    for (std::size_t k = 0; k < e.Colours.size(); ++k) {
        out += k ? ",{\"class\":" : "{\"class\":";
        AppendInteger(out, e.Colours[k].Class);
        out += ",\"colour\":";
        AppendInteger(out, e.Colours[k].Colour);
        out += ",\"measure\":";
        AppendNumber(out, e.Colours[k].Measure, false);
        out.push_back('}');
    }
    out.push_back(']');
}

void AppendSounds(std::string& out, std::span<const SoundCode> sounds, bool first) {
    for (std::size_t i = 0; i < sounds.size(); ++i) {
        if (i || !first) out.push_back(',');
        AppendInteger(out, sounds[i]);
    }
}

} // namespace

void AppendJson(std::string& out, const TEvaluation& e) {
    AppendJsonHead(out, e);
    AppendJsonString(out, e.Input);
    if (e.Segment > 0) {
        out += ",\"segment\":";
        AppendInteger(out, e.Segment);
        out += ",\"line\":";
        AppendInteger(out, e.Line);
    }
    AppendJsonProfile(out, e);
    AppendJsonString(out, e.Comment);
    AppendJsonColours(out, e);
    if (e.IsWord) {
        out += ",\"sounds\":[";
        AppendSounds(out, e.Sounds, true);
        out.push_back(']');
    } else {
        out += ",\"counts\":[";
        for (std::size_t i = 0; i < e.Counts.size(); ++i) {
            if (i) out.push_back(',');
            AppendInteger(out, e.Counts[i]);
        }
        out += "],\"total\":";
        AppendInteger(out, e.Total);
    }
    out += "}\n";
}

void AppendCsvHeader(std::string& out, TLanguage language, std::string_view firstColumn) {
    out += firstColumn;
    for (const auto& names : ScaleNamesOf(language)) {
        out.push_back(',');
        AppendCsvField(out, names.Left + "/" + names.Right);
    }
    out += ",comment\n";
}

void AppendCsvRow(std::string& out, const TEvaluation& e) {
    AppendCsvField(out, e.Input);
    AppendNumbers(out, e.Profile, e.SinglePrecision, ',', ',');
    out.push_back(',');
    AppendCsvField(out, e.Comment);
    out.push_back('\n');
}

void AppendTable(std::string& out, const TEvaluation& e, bool colour) {
    out += e.IsWord ? "Слово: " : "Текст: ";
    AppendVisible(out, e.Input);
    out += " (";
    out += LanguageName(e.Language);
    out += ", ";
    out += SchemeTitle(e.Scheme);
    if (!e.IsWord) {
        out += ", звуков: ";
        AppendInteger(out, e.Total);
    }
    out += ")\n\n";
    const auto& names = ScaleNamesOf(e.Language);
    for (std::size_t row = 0; row < names.size(); ++row) {
        const double v = e.ChartValue(row);
        const bool significant = e.Significant(row);
        const auto length = std::size_t(RoundHalfEven(std::fabs(v) * double(BarWidth) / e.BarScale));
        out += names[row].Left;
        Pad(out, NameWidth + 1 - std::min(NameWidth, Columns(names[row].Left)));
        const std::size_t left = v > 0 ? std::min(length, BarWidth) : 0;
        Pad(out, BarWidth - left);
        AppendBar(out, left, significant, Red, colour);
        const std::string value = e.ValueText(row);
        Pad(out, 7 - std::min<std::size_t>(7, value.size()));
        out += value;
        out.push_back(' ');
        const std::size_t right = v <= 0 ? std::min(length, BarWidth) : 0;
        AppendBar(out, right, significant, Blue, colour);
        Pad(out, BarWidth - right + 1);
        out += names[row].Right;
        out.push_back('\n');
    }
    out += "\n";
    AppendVisible(out, e.Comment);
    out += "\n\n";
    out += e.IsWord ? "Звуко-цветовая оценка слова:\n" : "Звуко-цветовая оценка текста:\n";
    for (const auto& c : e.Colours) {
        const char* name = ColourName(c.Class);
        out += "  ";
        out += name;
        Pad(out, 12 - Columns(name));
        char value[48];
        std::snprintf(value, sizeof value, "%8.4f", c.Measure);
        out += value;
        // A word's block is of 100, a text's of 20: both drawn on 20 characters.
        const auto blocks = std::size_t(e.IsWord ? RoundHalfEven(c.Blocks / 5.0) : c.Blocks);
        if (c.Shown && blocks > 0) {
            out += "  ";
            if (colour) AppendTerminalColour(out, c.Colour);
            AppendRepeated(out, "█", blocks);
            if (colour) out += Reset;
        }
        out.push_back('\n');
    }
}

void AppendCompactRow(std::string& out, const TEvaluation& e, bool colour) {
    AppendVisible(out, e.Input);
    out += ":";
    const auto& names = ScaleNamesOf(e.Language);
    bool any = false;
    for (std::size_t row = 0; row < names.size(); ++row) {
        if (!e.Significant(row)) continue;
        const bool left = e.ChartValue(row) > 0;
        out += any ? ", " : " ";
        if (colour) AppendTerminalColour(out, left ? Red : Blue);
        out += left ? names[row].Left : names[row].Right;
        if (colour) out += Reset;
        std::string value = e.ValueText(row);
        value.erase(0, value.find_first_not_of(' '));
        out.push_back(' ');
        out += value;
        any = true;
    }
    if (!any) out += " —";
    out.push_back('\n');
}

namespace {

constexpr std::size_t LongPiece = std::size_t(1) << 16;

// Hands the UTF-8 form of a long word's line to `sink` in pieces.
template <class F> void LineInPieces(const TLongWordParts& parts, F&& sink) {
    std::string piece;
    TUtf8Sanitizer sanitizer;
    for (std::size_t at = 0; at < parts.Line.size(); at += LongPiece) {
        const std::string_view raw = parts.Line.substr(at, LongPiece);
        piece.clear();
        if (parts.LineIsUtf8) sanitizer.Feed(raw, piece);
        else AppendCp1251AsUtf8(piece, raw);
        sink(std::string_view(piece));
    }
    piece.clear();
    if (parts.LineIsUtf8) sanitizer.Finish(piece);
    if (!piece.empty()) sink(std::string_view(piece));
}

// Hands the Windows-1251 comment of a long word to `sink` in pieces: the prefix, the word in
// capitals, the tail.
template <class F> void CommentInPieces(const TEvaluation& e, const TLongWordParts& parts, F&& sink) {
    sink(WordCommentPrefix());
    std::string piece;
    for (std::size_t at = 0; at < parts.Word.size(); at += LongPiece) {
        piece.assign(parts.Word.substr(at, LongPiece));
        if (e.Language == TLanguage::lgRussian) UpperCaseCyrillic(piece);
        else UkrUpperCase(piece);
        sink(std::string_view(piece));
    }
    sink(std::string_view(e.CommentTail));
}

// A CSV field written in pieces: quoted when any piece needs it, with doubled quotes.
void AppendCsvPiece(std::string& out, std::string_view piece, bool quoted) {
    if (!quoted) {
        out += piece;
        return;
    }
    for (std::size_t at = 0; at < piece.size();) {
        const std::size_t quote = std::min(piece.find('"', at), piece.size());
        out.append(piece, at, quote - at);
        if (quote < piece.size()) out += "\"\"";
        at = quote + 1;
    }
}

} // namespace

void WriteLongWordRow(TOutput& output, TOutputFormat format, const TEvaluation& e, const TLongWordParts& parts,
                      bool colour) {
    std::string& out = output.Buffer;
    const auto spill = [&] { output.MaybeFlush(); };
    if (format == TOutputFormat::ofJson) {
        AppendJsonHead(out, e);
        out.push_back('"');
        LineInPieces(parts, [&](std::string_view piece) {
            AppendJsonEscaped(out, piece);
            spill();
        });
        out.push_back('"');
        AppendJsonProfile(out, e);
        out.push_back('"');
        std::string utf8;
        CommentInPieces(e, parts, [&](std::string_view piece) {
            utf8.clear();
            AppendCp1251AsUtf8(utf8, piece);
            AppendJsonEscaped(out, utf8);
            spill();
        });
        out.push_back('"');
        AppendJsonColours(out, e);
        out += ",\"sounds\":[";
        for (std::size_t at = 0; at < parts.Sounds.size(); at += LongPiece) {
            AppendSounds(out, parts.Sounds.subspan(at, std::min(LongPiece, parts.Sounds.size() - at)), at == 0);
            spill();
        }
        out += "]}\n";
    } else if (format == TOutputFormat::ofCsv) {
        // The UTF-8 forms hold a comma, a quote or a line break exactly where the line does.
        const bool quoteInput = NeedsCsvQuotes(parts.Line);
        if (quoteInput) out.push_back('"');
        LineInPieces(parts, [&](std::string_view piece) {
            AppendCsvPiece(out, piece, quoteInput);
            spill();
        });
        if (quoteInput) out.push_back('"');
        AppendNumbers(out, e.Profile, e.SinglePrecision, ',', ',');
        out.push_back(',');
        const bool quoteComment = NeedsCsvQuotes(parts.Word) || NeedsCsvQuotes(e.CommentTail);
        if (quoteComment) out.push_back('"');
        std::string utf8;
        CommentInPieces(e, parts, [&](std::string_view piece) {
            utf8.clear();
            AppendCp1251AsUtf8(utf8, piece);
            AppendCsvPiece(out, utf8, quoteComment);
            spill();
        });
        if (quoteComment) out.push_back('"');
        out.push_back('\n');
    } else {
        LineInPieces(parts, [&](std::string_view piece) {
            AppendVisible(out, piece);
            spill();
        });
        AppendCompactRow(out, e, colour); // the rest of the row after the (empty) input
    }
    spill();
}

namespace {

void AppendXmlText(std::string& out, std::string_view text) {
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20 && c != '\t') out.push_back(' '); // XML 1.0 allows no controls
            else out.push_back(c);
        }
    }
}

void SvgText(std::string& out, int x, int y, std::string_view anchor, std::string_view text, std::string_view extra = {}) {
    out += "  <text x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) + "\" text-anchor=\"";
    out += anchor;
    out += "\"";
    out += extra;
    out += ">";
    AppendXmlText(out, text);
    out += "</text>\n";
}

void SvgRect(std::string& out, int x, int y, int width, int height, std::uint32_t colour) {
    out += "  <rect x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) + "\" width=\"" + std::to_string(width) +
           "\" height=\"" + std::to_string(height) + "\" fill=\"" + CssColour(colour) + "\"/>\n";
}

// The comment in lines of at most `width` characters, broken at blanks; each line exactly as it
// stands in the comment (its double blanks kept).
std::vector<std::string> WrapWords(const std::string& utf8, std::size_t width) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < utf8.size()) {
        std::size_t end = start, lastBlank = std::string::npos, columns = 0;
        while (end < utf8.size() && columns < width) {
            if (utf8[end] == ' ') lastBlank = end;
            if ((static_cast<unsigned char>(utf8[end]) & 0xC0) != 0x80) ++columns;
            ++end;
        }
        while (end < utf8.size() && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80) ++end;
        if (end < utf8.size() && lastBlank != std::string::npos && lastBlank > start) end = lastBlank;
        lines.push_back(utf8.substr(start, end - start));
        start = end;
        while (start < utf8.size() && utf8[start] == ' ') ++start;
    }
    return lines;
}

} // namespace

std::string CssColour(std::uint32_t colour) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
    return text;
}

void AppendSvg(std::string& out, const TEvaluation& e) {
    constexpr int Width = 820, RowHeight = 22, Top = 54, BarLength = 220, ValueLeft = 380, ValueRight = 440;
    const auto& names = ScaleNamesOf(e.Language);
    const auto comment = WrapWords(e.Comment, 100);
    const int commentTop = Top + int(names.size()) * RowHeight + 24;
    const int stripTop = commentTop + int(comment.size()) * 18 + 34;
    const int height = stripTop + 30;
    out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    out += "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"" + std::to_string(Width) + "\" height=\"" +
           std::to_string(height) + "\" viewBox=\"0 0 " + std::to_string(Width) + " " + std::to_string(height) + "\"";
    out += " font-family=\"DejaVu Sans, Liberation Sans, Arial, Helvetica, sans-serif\" font-size=\"13\">\n";
    out += "  <rect x=\"0\" y=\"0\" width=\"" + std::to_string(Width) + "\" height=\"" + std::to_string(height) +
           "\" fill=\"#ffffff\"/>\n";
    std::string title = e.IsWord ? "Слово: " : "Текст: ";
    title += e.Input;
    title += " (";
    title += LanguageName(e.Language);
    title += ", ";
    title += SchemeTitle(e.Scheme);
    if (!e.IsWord) title += ", звуков: " + std::to_string(e.Total);
    title += ")";
    SvgText(out, 10, 26, "start", title, " font-size=\"16\" font-weight=\"bold\"");
    for (std::size_t row = 0; row < names.size(); ++row) {
        const int y = Top + int(row) * RowHeight;
        const double v = e.ChartValue(row);
        const bool significant = e.Significant(row);
        const int length = int(std::min<double>(BarLength, double(RoundHalfEven(std::fabs(v) * BarLength / e.BarScale))));
        const std::uint32_t colour = !significant ? 8421504 : v > 0 ? Red : Blue;
        if (length > 0) {
            if (v > 0) SvgRect(out, ValueLeft - length, y, length, RowHeight - 6, colour);
            else SvgRect(out, ValueRight, y, length, RowHeight - 6, colour);
        }
        const std::string_view weight = significant ? " font-weight=\"bold\"" : "";
        SvgText(out, 10, y + 13, "start", names[row].Left, weight);
        std::string value = e.ValueText(row);
        value.erase(0, value.find_first_not_of(' '));
        SvgText(out, ValueRight - 6, y + 13, "end", value);
        SvgText(out, Width - 10, y + 13, "end", names[row].Right, weight);
    }
    for (std::size_t i = 0; i < comment.size(); ++i)
        SvgText(out, 10, commentTop + int(i) * 18, "start", comment[i], " xml:space=\"preserve\"");
    SvgText(out, 10, stripTop - 8, "start", e.IsWord ? "Звуко-цветовая оценка слова" : "Звуко-цветовая оценка текста");
    // The colour strip: a word's classes side by side by their shares, a text's in their sixths.
    int x = 10;
    for (std::size_t k = 0; k < e.Colours.size(); ++k) {
        const auto& c = e.Colours[k];
        if (e.IsWord) {
            const int w = int(RoundHalfEven(std::min(c.Measure, 1.0) * (Width - 20)));
            if (c.Shown && w > 0) SvgRect(out, x, stripTop, w, 18, c.Colour);
            if (c.Shown) x += w;
        } else if (c.Shown) {
            SvgRect(out, 10 + int(k) * (Width - 20) / 6, stripTop, (Width - 20) / 6, 18, c.Colour);
        }
    }
    out += "</svg>\n";
}

// The word or text object of `word`/`text --format json`, with the terms and the clamped scales.
void AppendExplanationJson(std::string& out, const TEvaluation& e, const TExplanation& x) {
    std::string object;
    AppendJson(object, e);
    while (!object.empty() && (object.back() == '\n' || object.back() == '}')) {
        const bool brace = object.back() == '}';
        object.pop_back();
        if (brace) break;
    }
    out += object;
    out += ",\"terms\":[";
    const bool zhuravlevWord = e.IsWord && e.Scheme == TEvalScheme::esZhuravlev;
    for (std::size_t i = 0; i < x.Terms.size(); ++i) {
        const TExplainTerm& term = x.Terms[i];
        out += i ? ",{\"sound\":" : "{\"sound\":";
        AppendJsonString(out, SoundLabel(e.Language, e.IsWord, term.Code));
        out += ",\"code\":" + std::to_string(term.Code);
        if (zhuravlevWord) {
            out += ",\"position\":" + std::to_string(term.Position) + ",\"weight\":";
            AppendNumber(out, term.Weight, false);
        } else {
            out += ",\"count\":";
            AppendNumber(out, term.Count, false);
            out += ",\"expected\":";
            AppendNumber(out, term.Expected, false);
            if (!e.IsWord) {
                out += ",\"z\":";
                AppendNumber(out, term.Z, true);
            }
        }
        out += ",\"contributions\":[";
        for (std::size_t k = 0; k < term.Contributions.size(); ++k) {
            if (k) out.push_back(',');
            AppendNumber(out, term.Contributions[k], false);
        }
        out += "]}";
    }
    out += "],\"clamped\":[";
    for (std::size_t i = 0; i < x.Clamped.size(); ++i) out += (i ? "," : "") + std::to_string(x.Clamped[i]);
    out += "]}\n";
}

} // namespace zelm
