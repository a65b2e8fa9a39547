#include "EncodingDetector.h"

#include <array>
#include <bit>

namespace zelm {

namespace {

// What a byte is in the Windows-1251 reading.
enum TCharClass : std::uint8_t {
    ccSeparator, // ASCII other than letters and digits
    ccLatin,
    ccDigit,
    ccCapital,   // Cyrillic
    ccSmall,     // Cyrillic
    ccSign,      // typography that may follow a letter (» ” ’ – — …)
    ccLeadSign,  // typography that never directly follows a Cyrillic letter (« „ ° № § © ® ± · • € ™)
    ccNbsp,
    ccSoftHyphen,
    ccForeign,   // anything else: letters of other languages, rare signs, the unassigned 0x98
};

constexpr std::array<std::uint8_t, 256> MakeClasses() {
    std::array<std::uint8_t, 256> classes{};
    for (int b = 0; b < 128; ++b) {
        if ((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z')) classes[std::size_t(b)] = ccLatin;
        else if (b >= '0' && b <= '9') classes[std::size_t(b)] = ccDigit;
        else classes[std::size_t(b)] = ccSeparator;
    }
    for (int b = 128; b < 256; ++b) classes[std::size_t(b)] = ccForeign;
    for (int b = 0xC0; b <= 0xDF; ++b) classes[std::size_t(b)] = ccCapital;
    for (int b = 0xE0; b <= 0xFF; ++b) classes[std::size_t(b)] = ccSmall;
    for (const int b : {0xA8, 0xAA, 0xAF, 0xB2, 0xA5}) classes[std::size_t(b)] = ccCapital; // Ё Є Ї І Ґ
    for (const int b : {0xB8, 0xBA, 0xBF, 0xB3, 0xB4}) classes[std::size_t(b)] = ccSmall;   // ё є ї і ґ
    for (const int b : {0xBB, 0x94, 0x92, 0x93, 0x96, 0x97, 0x85}) classes[std::size_t(b)] = ccSign;
    for (const int b : {0xAB, 0x84, 0x91, 0xB0, 0xB9, 0xA7, 0xA9, 0xAE, 0xB1, 0xB7, 0x95, 0x88, 0x99})
        classes[std::size_t(b)] = ccLeadSign;
    classes[0xA0] = ccNbsp;
    classes[0xAD] = ccSoftHyphen;
    return classes;
}
constexpr auto Classes = MakeClasses();

constexpr bool IsCyrillic(std::uint8_t c) { return c == ccCapital || c == ccSmall; }
constexpr bool IsLetter(std::uint8_t c) { return c == ccLatin || IsCyrillic(c); }
constexpr bool IsSign(std::uint8_t c) { return c == ccSign || c == ccLeadSign; }

constexpr bool IsModernLetter(char32_t c) {
    return (c >= 0x410 && c <= 0x44F) || c == 0x401 || c == 0x451 || c == 0x404 || c == 0x454 || c == 0x406 ||
           c == 0x456 || c == 0x407 || c == 0x457 || c == 0x490 || c == 0x491;
}

constexpr bool IsForeign(char32_t c) {
    return !((c >= 0xA0 && c <= 0xFF) || (c >= 0x300 && c <= 0x36F) || (c >= 0x400 && c <= 0x52F) ||
             (c >= 0x2000 && c <= 0x2BFF) || c == 0xFEFF || c >= 0x1F000);
}

} // namespace

void TEncodingDetector::Look(unsigned char byte) {
    const std::uint8_t c = Classes[byte];
    if (c == ccSoftHyphen) return; // may stand anywhere inside a word
    if (c == ccForeign) {
        Plausible_ = false;
        return;
    }
    if (IsCyrillic(c)) {
        if (Prev_ == ccLatin || Prev_ == ccDigit) Plausible_ = false;
        if (IsSign(Prev_) && IsLetter(Prev2_)) Plausible_ = false;
        if (IsCyrillic(Prev_)) {
            if (c == ccCapital && WordHasSmall_) Plausible_ = false;
            if (c == ccSmall && !WordHasSmall_ && Capitals_ >= 2) Plausible_ = false;
        } else {
            Capitals_ = 0;
            WordHasSmall_ = false;
        }
        if (c == ccCapital && !WordHasSmall_) ++Capitals_;
        if (c == ccSmall) WordHasSmall_ = true;
    } else if (c == ccLatin || c == ccDigit) {
        if (IsCyrillic(Prev_)) Plausible_ = false;
        if (c == ccLatin && IsSign(Prev_) && IsLetter(Prev2_)) Plausible_ = false;
    } else if (c == ccLeadSign) {
        if (IsCyrillic(Prev_)) Plausible_ = false;
    }
    Prev2_ = Prev_;
    Prev_ = c;
}

void TEncodingDetector::Feed(std::string_view piece) {
    if (!Utf8_.Valid()) return;
    Utf8_.Feed(piece);
    if (!Utf8_.Valid()) return;
    const auto* p = reinterpret_cast<const unsigned char*>(piece.data());
    const std::size_t n = piece.size();
    // The counts in locals while the piece is read (the bytes could alias the members).
    std::uint64_t nonAscii = NonAscii_, letters = Letters_, foreign = Foreign_;
    int need = Need_;
    char32_t code = Code_;
    std::size_t scalarUntil = 0; // after 16 bytes that were not all letters and ASCII, a while byte by byte
    for (std::size_t i = 0; i < n;) {
        if (!Plausible_ && need == 0 && i >= scalarUntil && i + 16 <= n) {
            // 16 bytes of ASCII and Cyrillic letters (U+0400..U+04FF, leads D0..D3) at once.
            int leads = TwoByteLeads(p + i);
            if (leads >= 0 && (leads & ~CyrillicLeads(p + i)) == 0) {
                const int last = leads >> 15; // a lead at the end is read with what follows it
                leads &= 0x7FFF;
                nonAscii += std::uint64_t(std::popcount(unsigned(leads)));
                i += 16 - std::size_t(last);
                continue;
            }
            scalarUntil = i + 16;
        }
        if (p[i] >= 0x80) {
            const unsigned char b = p[i++];
            if (!Plausible_ && need == 0 && b >= 0xD0 && b <= 0xD3 && i < n) {
                // A Cyrillic letter (U+0400..U+04FF), never foreign; which one matters only while
                // the Windows-1251 reading still looks like writing.
                ++nonAscii;
                ++i;
                continue;
            }
            if (Plausible_) Look(b);
            // The UTF-8 reading: the validator has checked the form already.
            if (b >= 0xC0) {
                need = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : 1;
                code = b & (0x3F >> need);
            } else if (need > 0) {
                code = (code << 6) | (b & 0x3F);
                if (--need == 0) {
                    ++nonAscii;
                    if (IsModernLetter(code)) ++letters;
                    else if (IsForeign(code)) ++foreign;
                }
            }
            continue;
        }
        // A run of ASCII: only its first character can break a rule (the rules need a Cyrillic
        // letter or a sign before it), and only its last two matter for what follows.
        const std::size_t end = AsciiRunEnd(piece, i);
        if (Plausible_) {
            Look(p[i]);
            if (end - i >= 3) Look(p[end - 2]);
            if (end - i >= 2) Look(p[end - 1]);
        }
        i = end;
    }
    NonAscii_ = nonAscii;
    Letters_ = letters;
    Foreign_ = foreign;
    Need_ = need;
    Code_ = code;
}

TDetectedEncoding TEncodingDetector::Result(bool complete) const {
    if (complete ? !Utf8_.Finish() : !Utf8_.Valid()) return TDetectedEncoding::deCp1251;
    if (!Utf8_.SawNonAscii()) return TDetectedEncoding::deAscii;
    if (!Plausible_ && Foreign_ * 2 < NonAscii_) return TDetectedEncoding::deUtf8;
    if (Letters_ == NonAscii_ && Letters_ >= 2) return TDetectedEncoding::deUtf8;
    return TDetectedEncoding::deCp1251;
}

TEncodingEvidence TEncodingDetector::Evidence() const {
    // Once the Windows-1251 reading is not writing the letters no longer count (nor are they all
    // counted): they are left out, so that equal texts give equal evidence however they were cut.
    return {Utf8_.Finish(), Plausible_, NonAscii_, Plausible_ ? Letters_ : 0, Foreign_};
}

TEncodingEvidence& TEncodingEvidence::operator+=(const TEncodingEvidence& other) {
    WellFormed = WellFormed && other.WellFormed;
    Plausible = Plausible && other.Plausible;
    NonAscii += other.NonAscii;
    Letters = Plausible ? Letters + other.Letters : 0;
    Foreign += other.Foreign;
    return *this;
}

// The rules of Result on a complete text (NonAscii counts characters beyond ASCII of well-formed UTF-8).
TDetectedEncoding TEncodingEvidence::Decision() const {
    if (!WellFormed) return TDetectedEncoding::deCp1251;
    if (NonAscii == 0) return TDetectedEncoding::deAscii;
    if (!Plausible && Foreign * 2 < NonAscii) return TDetectedEncoding::deUtf8;
    if (Letters == NonAscii && Letters >= 2) return TDetectedEncoding::deUtf8;
    return TDetectedEncoding::deCp1251;
}

TDetectedEncoding DetectEncoding(std::string_view text) {
    TEncodingDetector detector;
    detector.Feed(text);
    return detector.Result();
}

} // namespace zelm
