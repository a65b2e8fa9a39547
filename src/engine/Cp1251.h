// The single-byte Windows-1251 code page the engines work in, and its conversions to and from
// UTF-8 for the edges of the program (files, terminal, windows).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <stdexcept>
#include <string>
#include <string_view>

namespace zelm {

// Unicode code point of each Windows-1251 byte. 0x98 is unassigned and maps to U+0098.
inline constexpr std::array<char16_t, 128> Cp1251HighHalf = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, // 80..87
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F, // 88..8F
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90..97
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, // 98..9F
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, // A0..A7
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, // A8..AF
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, // B0..B7
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, // B8..BF
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, // C0..C7
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F, // C8..CF
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427, // D0..D7
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F, // D8..DF
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437, // E0..E7
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F, // E8..EF
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447, // F0..F7
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F, // F8..FF
};

constexpr char32_t Cp1251ToUnicode(unsigned char byte) {
    return byte < 0x80 ? char32_t(byte) : char32_t(Cp1251HighHalf[byte - 0x80]);
}

// The Windows-1251 byte of a code point, or -1 when the code page has no such character.
constexpr int UnicodeToCp1251(char32_t code) {
    if (code < 0x80) return int(code);
    if (code >= 0x0410 && code <= 0x044F) return int(code - 0x0410 + 0xC0);
    for (std::size_t i = 0; i < 64; ++i)
        if (Cp1251HighHalf[i] == code) return int(0x80 + i);
    return -1;
}

// Its fast form for the decoder: a table for U+0000..U+04FF, a search above.
int UnicodeToCp1251Fast(char32_t code);

// A Windows-1251 string of at most Capacity bytes made from a UTF-8 literal at compile time;
// the reference tables use it so that their names stay readable in the source.
template <std::size_t Capacity> struct TCp1251Name {
    char Bytes[Capacity] = {};
    std::size_t Length = 0;
    constexpr std::string_view View() const { return {Bytes, Length}; }
};

template <std::size_t Capacity> consteval TCp1251Name<Capacity> Cp1251Name(std::string_view utf8) {
    TCp1251Name<Capacity> out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        char32_t code = lead;
        std::size_t extra = 0;
        if (lead >= 0xC0 && lead < 0xE0) { code = lead & 0x1F; extra = 1; }
        else if (lead >= 0xE0 && lead < 0xF0) { code = lead & 0x0F; extra = 2; }
        else if (lead >= 0x80) throw std::logic_error("unsupported UTF-8 in a table name");
        for (std::size_t k = 1; k <= extra; ++k)
            code = (code << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        i += extra + 1;
        const int byte = UnicodeToCp1251(code);
        if (byte < 0 || out.Length == Capacity) throw std::logic_error("table name does not fit");
        out.Bytes[out.Length++] = static_cast<char>(byte);
    }
    return out;
}

// Windows-1251 text to UTF-8.
std::string Cp1251ToUtf8(std::string_view cp1251);
void AppendCp1251AsUtf8(std::string& out, std::string_view cp1251);

// Appends the UTF-8 form of one code point.
void AppendUtf8(std::string& out, char32_t code);

// True when the whole text is well-formed UTF-8 (no overlongs, surrogates or values past U+10FFFF).
bool IsValidUtf8(std::string_view text);

// The end of the run of ASCII bytes that starts at `at`.
inline std::size_t AsciiRunEnd(std::string_view text, std::size_t at) {
    const std::size_t n = text.size();
    for (; at + 8 <= n; at += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + at, 8);
        if (word & 0x8080808080808080ULL) break;
    }
    while (at < n && static_cast<unsigned char>(text[at]) < 0x80) ++at;
    return at;
}

// The 16 bytes at `bytes` when they are ASCII and whole two-byte sequences, a lead byte C2..DF
// followed by a continuation byte (every Cyrillic letter is one), the last byte possibly a lead
// whose continuation follows them: the lead bytes as a bit mask (bit i for byte i), or -1 when
// the bytes are anything else. Only with SSE2; elsewhere always -1, and callers read the bytes
// one by one.
inline int TwoByteLeads(const unsigned char* bytes) {
#if defined(__SSE2__)
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
    // Signed bytes: C2..DF are -62..-33, continuations 80..BF are -128..-65.
    const int leads = _mm_movemask_epi8(_mm_and_si128(_mm_cmpgt_epi8(x, _mm_set1_epi8(char(0xC1))),
                                                      _mm_cmplt_epi8(x, _mm_set1_epi8(char(0xE0)))));
    const int continuations = _mm_movemask_epi8(_mm_cmplt_epi8(x, _mm_set1_epi8(char(0xC0))));
    const int ascii = ~_mm_movemask_epi8(x) & 0xFFFF;
    if ((ascii | leads | continuations) != 0xFFFF || ((leads << 1) & 0xFFFF) != continuations) return -1;
    return leads;
#else
    (void)bytes;
    return -1;
#endif
}

// The bytes D0..D3 among the 16 at `bytes` (the leads of U+0400..U+04FF), as a bit mask; for
// use with TwoByteLeads.
inline int CyrillicLeads(const unsigned char* bytes) {
#if defined(__SSE2__)
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
    return _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_and_si128(x, _mm_set1_epi8(char(0xFC))), _mm_set1_epi8(char(0xD0))));
#else
    (void)bytes;
    return 0;
#endif
}

// Incremental UTF-8 well-formedness check over a text fed in pieces.
class TUtf8Validator {
public:
    // Feeds the next piece; false once the text seen so far cannot be well-formed UTF-8.
    bool Feed(std::string_view piece);
    // True when everything fed was well-formed and no sequence is left open.
    bool Finish() const { return Valid_ && Pending_ == 0; }
    bool Valid() const { return Valid_; }
    // True when some byte of 128 or more was seen.
    bool SawNonAscii() const { return SawNonAscii_; }

private:
    bool Valid_ = true;
    bool SawNonAscii_ = false;
    int Pending_ = 0;        // continuation bytes still expected
    unsigned char Low_ = 0x80, High_ = 0xBF; // allowed range of the next continuation byte
};

// What a UTF-8 decoder does with the combining acute accent (U+0301), the usual way of marking
// stress in Unicode text: make it the "*" stress mark (single words), or drop it (running text,
// where "*" would split the word).
enum class TAcuteAccent { amStressMark, amDrop };

// Streaming UTF-8 to Windows-1251 decoder. Characters the code page lacks become "?", and so does
// every byte of a malformed sequence; a byte order mark at the very start is dropped. A sequence
// split between two pieces is completed from the next piece.
class TUtf8ToCp1251 {
public:
    explicit TUtf8ToCp1251(TAcuteAccent accent = TAcuteAccent::amDrop) : Accent_(accent) {}
    // Appends the decoded form of a piece to out.
    void Decode(std::string_view piece, std::string& out);
    // Ends the text: an unfinished sequence becomes "?".
    void Finish(std::string& out);

private:
    void Emit(char32_t code, std::string& out);
    TAcuteAccent Accent_;
    bool AtStart_ = true;
    int Pending_ = 0;
    char32_t Code_ = 0;
    unsigned char Low_ = 0x80, High_ = 0xBF;
};

// Streaming copy of UTF-8 text that keeps every well-formed sequence as it is and writes "?" where
// TUtf8ToCp1251 would (once for a sequence that breaks off, once for every byte that cannot start
// one, once for a sequence left open at the end), so that the copy is always well-formed UTF-8.
class TUtf8Sanitizer {
public:
    void Feed(std::string_view piece, std::string& out);
    void Finish(std::string& out);

private:
    int Pending_ = 0;
    unsigned char Low_ = 0x80, High_ = 0xBF;
    char Held_[4] = {};  // the open sequence so far
    int HeldCount_ = 0;
};

// Appends a well-formed UTF-8 copy of a whole text (itself, when it is well-formed).
void AppendValidUtf8(std::string& out, std::string_view text);

// Decodes a whole UTF-8 text in one call.
std::string Utf8ToCp1251(std::string_view utf8, TAcuteAccent accent = TAcuteAccent::amDrop);

} // namespace zelm
