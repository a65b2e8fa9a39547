#include "Cp1251.h"

#include <cstring>

namespace zelm {

namespace {

// Windows-1251 byte + 1 of every code point below U+0500 (0 where the code page has none).
constexpr std::array<std::uint8_t, 0x500> MakeLowPlaneTable() {
    std::array<std::uint8_t, 0x500> table{};
    for (int byte = 0; byte < 256; ++byte) {
        const char32_t code = Cp1251ToUnicode(static_cast<unsigned char>(byte));
        if (code < 0x500 && byte < 255) table[code] = static_cast<std::uint8_t>(byte + 1);
    }
    return table;
}
constexpr auto LowPlane = MakeLowPlaneTable(); // byte 255 (я) is handled in the lookup

} // namespace

int UnicodeToCp1251Fast(char32_t code) {
    if (code < 0x500) {
        if (code == 0x044F) return 0xFF;
        return int(LowPlane[code]) - 1;
    }
    return UnicodeToCp1251(code);
}

void AppendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (code >> 6)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (code >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (code >> 18)));
        out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

namespace {

// UTF-8 form of every Windows-1251 byte: up to three bytes in the low bytes (first byte lowest),
// the length in the top byte.
constexpr std::array<std::uint32_t, 256> MakeUtf8Forms() {
    std::array<std::uint32_t, 256> forms{};
    for (int b = 0; b < 256; ++b) {
        const char32_t code = Cp1251ToUnicode(static_cast<unsigned char>(b));
        std::uint32_t form = 0;
        if (code < 0x80) {
            form = code | (1u << 24);
        } else if (code < 0x800) {
            form = (0xC0 | (code >> 6)) | ((0x80 | (code & 0x3F)) << 8) | (2u << 24);
        } else {
            form = (0xE0 | (code >> 12)) | ((0x80 | ((code >> 6) & 0x3F)) << 8) | ((0x80 | (code & 0x3F)) << 16) |
                   (3u << 24);
        }
        forms[std::size_t(b)] = form;
    }
    return forms;
}
constexpr auto Utf8Forms = MakeUtf8Forms();

} // namespace

void AppendCp1251AsUtf8(std::string& out, std::string_view cp1251) {
    // Each character is stored as four bytes and the position moves on by its length, so the
    // buffer has three bytes to spare at the end.
    std::size_t at = out.size();
    out.resize(at + 3 * cp1251.size() + 1);
    char* p = out.data();
    for (const char c : cp1251) {
        const std::uint32_t form = Utf8Forms[static_cast<unsigned char>(c)];
        std::memcpy(p + at, &form, 4);
        at += form >> 24;
    }
    out.resize(at);
}

std::string Cp1251ToUtf8(std::string_view cp1251) {
    std::string out;
    out.reserve(cp1251.size() * 2);
    AppendCp1251AsUtf8(out, cp1251);
    return out;
}

namespace {

// Sets up the state for a lead byte; returns the number of continuation bytes it announces, or
// -1 when the byte cannot start a sequence.
int StartSequence(unsigned char lead, char32_t& code, unsigned char& low, unsigned char& high) {
    low = 0x80;
    high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        code = lead & 0x1F;
        return 1;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        code = lead & 0x0F;
        if (lead == 0xE0) low = 0xA0;  // no overlongs
        if (lead == 0xED) high = 0x9F; // no surrogates
        return 2;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        code = lead & 0x07;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F; // nothing past U+10FFFF
        return 3;
    }
    return -1;
}

} // namespace

bool TUtf8Validator::Feed(std::string_view piece) {
    const auto* p = reinterpret_cast<const unsigned char*>(piece.data());
    const std::size_t n = piece.size();
    // The state in locals while the piece is read (the bytes could alias the members).
    bool valid = Valid_, nonAscii = SawNonAscii_;
    int pending = Pending_;
    unsigned char low = Low_, high = High_;
    char32_t code = 0;
    std::size_t scalarUntil = 0; // after 16 bytes that were not all short sequences, a while byte by byte
    for (std::size_t i = 0; i < n && valid;) {
        if (pending == 0 && i >= scalarUntil && i + 16 <= n) {
            if (const int leads = TwoByteLeads(p + i); leads >= 0) {
                nonAscii = nonAscii || leads != 0;
                i += 16 - std::size_t(leads >> 15); // a lead at the end is read with what follows it
                continue;
            }
            scalarUntil = i + 16;
        }
        const unsigned char b = p[i];
        if (pending > 0) {
            if (b < low || b > high) {
                valid = false;
                break;
            }
            --pending;
            low = 0x80;
            high = 0xBF;
            ++i;
            continue;
        }
        if (b < 0x80) {
            i = AsciiRunEnd(piece, i);
            continue;
        }
        nonAscii = true;
        if (b >= 0xC2 && b <= 0xDF && i + 1 < n) { // two bytes, as every Cyrillic letter
            if ((p[i + 1] & 0xC0) != 0x80) valid = false;
            i += 2;
            continue;
        }
        pending = StartSequence(b, code, low, high);
        if (pending < 0) valid = false;
        ++i;
    }
    Valid_ = valid;
    SawNonAscii_ = nonAscii;
    Pending_ = pending;
    Low_ = low;
    High_ = high;
    return Valid_;
}

bool IsValidUtf8(std::string_view text) {
    // Words and lines are short: ASCII and two-byte sequences (every Cyrillic letter) are checked
    // here with nothing kept between bytes; the validator takes over from a longer sequence on.
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n;) {
        const unsigned char b = p[i];
        if (b < 0x80) {
            ++i;
        } else if (b >= 0xC2 && b <= 0xDF && i + 1 < n) {
            if ((p[i + 1] & 0xC0) != 0x80) return false;
            i += 2;
        } else {
            TUtf8Validator validator;
            validator.Feed(text.substr(i));
            return validator.Finish();
        }
    }
    return true;
}

void TUtf8ToCp1251::Emit(char32_t code, std::string& out) {
    const bool atStart = AtStart_;
    AtStart_ = false;
    if (code == 0xFEFF && atStart) return;
    if (code == 0x0301) {
        if (Accent_ == TAcuteAccent::amStressMark) out.push_back('*');
        return;
    }
    const int byte = UnicodeToCp1251Fast(code);
    out.push_back(byte < 0 ? '?' : static_cast<char>(byte));
}

void TUtf8ToCp1251::Decode(std::string_view piece, std::string& out) {
    std::size_t i = 0;
    if (Pending_ == 0) {
        // ASCII and the letters А..я, the bulk of any Russian text, straight into the output (at
        // most a byte for a byte) with nothing kept between bytes, up to the first other byte.
        const auto* p = reinterpret_cast<const unsigned char*>(piece.data());
        const std::size_t n = piece.size(), start = out.size();
        out.resize(start + n);
        char* const first = out.data() + start;
        char* o = first;
        while (i < n) {
            const unsigned b = p[i];
            if (b < 0x80) {
                *o++ = char(b);
                ++i;
                continue;
            }
            if ((b != 0xD0 && b != 0xD1) || i + 1 == n || (p[i + 1] & 0xC0) != 0x80) break;
            const unsigned code = ((b & 0x1Fu) << 6) | (p[i + 1] & 0x3Fu);
            if (code < 0x410 || code > 0x44F) break;
            *o++ = char(code - 0x410 + 0xC0);
            i += 2;
        }
        if (o != first) AtStart_ = false;
        out.resize(start + std::size_t(o - first));
    }
    out.reserve(out.size() + piece.size() - i);
    for (; i < piece.size(); ++i) {
        const auto b = static_cast<unsigned char>(piece[i]);
        if (Pending_ > 0) {
            if (b >= Low_ && b <= High_) {
                Code_ = (Code_ << 6) | (b & 0x3F);
                Low_ = 0x80;
                High_ = 0xBF;
                if (--Pending_ == 0) Emit(Code_, out);
                continue;
            }
            // The sequence broke off: one "?" for it, then the byte starts afresh.
            Pending_ = 0;
            AtStart_ = false;
            out.push_back('?');
        }
        if (b < 0x80) {
            AtStart_ = false;
            out.push_back(static_cast<char>(b));
            continue;
        }
        if ((b == 0xD0 || b == 0xD1) && i + 1 < piece.size()) {
            // The letters А..я, straight from their two bytes.
            const auto c = static_cast<unsigned char>(piece[i + 1]);
            const unsigned code = ((b & 0x1Fu) << 6) | (c & 0x3Fu);
            if ((c & 0xC0) == 0x80 && code >= 0x410 && code <= 0x44F) {
                AtStart_ = false;
                out.push_back(static_cast<char>(code - 0x410 + 0xC0));
                ++i;
                continue;
            }
        }
        const int extra = StartSequence(b, Code_, Low_, High_);
        if (extra < 0) {
            AtStart_ = false;
            out.push_back('?');
        } else {
            Pending_ = extra;
        }
    }
}

void TUtf8ToCp1251::Finish(std::string& out) {
    if (Pending_ > 0) out.push_back('?');
    Pending_ = 0;
    AtStart_ = true;
}

void TUtf8Sanitizer::Feed(std::string_view piece, std::string& out) {
    for (std::size_t i = 0; i < piece.size(); ++i) {
        if (Pending_ == 0) {
            const std::size_t end = AsciiRunEnd(piece, i);
            out.append(piece, i, end - i);
            i = end;
            if (i == piece.size()) break;
        }
        const auto b = static_cast<unsigned char>(piece[i]);
        if (Pending_ > 0) {
            if (b >= Low_ && b <= High_) {
                Low_ = 0x80;
                High_ = 0xBF;
                Held_[HeldCount_++] = static_cast<char>(b);
                if (--Pending_ == 0) {
                    out.append(Held_, std::size_t(HeldCount_));
                    HeldCount_ = 0;
                }
                continue;
            }
            // The sequence broke off: one "?" for it, then the byte starts afresh.
            Pending_ = 0;
            HeldCount_ = 0;
            out.push_back('?');
            if (b < 0x80) {
                out.push_back(static_cast<char>(b));
                continue;
            }
        }
        char32_t code = 0;
        const int extra = StartSequence(b, code, Low_, High_);
        if (extra < 0) {
            out.push_back('?');
        } else {
            Pending_ = extra;
            Held_[0] = static_cast<char>(b);
            HeldCount_ = 1;
        }
    }
}

void TUtf8Sanitizer::Finish(std::string& out) {
    if (Pending_ > 0) out.push_back('?');
    Pending_ = 0;
    HeldCount_ = 0;
    Low_ = 0x80;
    High_ = 0xBF;
}

void AppendValidUtf8(std::string& out, std::string_view text) {
    if (IsValidUtf8(text)) {
        out.append(text);
        return;
    }
    TUtf8Sanitizer sanitizer;
    sanitizer.Feed(text, out);
    sanitizer.Finish(out);
}

std::string Utf8ToCp1251(std::string_view utf8, TAcuteAccent accent) {
    TUtf8ToCp1251 decoder(accent);
    std::string out;
    decoder.Decode(utf8, out);
    decoder.Finish(out);
    return out;
}

} // namespace zelm
