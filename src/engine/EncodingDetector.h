// Telling a UTF-8 text from a Windows-1251 one, for the editor and the command line alike.
#pragma once

#include "Cp1251.h"

#include <cstdint>
#include <string_view>

namespace zelm {

enum class TDetectedEncoding {
    deAscii,  // nothing above 127: both readings are the same
    deUtf8,
    deCp1251,
};

// Decides over a text fed in pieces of any size (the result never depends on where the pieces
// are cut). Well-formed UTF-8 is no proof on its own: a short Windows-1251 text can be well-formed
// UTF-8 by chance («Сі», «Рё»). So the text is read both ways:
//   - its Windows-1251 reading looks like writing when it holds only ASCII, Russian and Ukrainian
//     letters and common typography (no-break space, « » „ “ ” ‘ ’, – —, …, №, °, §, ©, ®, ±, ·,
//     •, €, ™, soft hyphen), no capital follows a small letter within a word and no small letter
//     follows two or more capitals, no sign but the no-break space and the soft hyphen stands
//     between two letters, no opening quote (« „ ‘) and none of ° № § © ® ± · • € ™ directly follows
//     a Cyrillic letter, and no Cyrillic letter touches a Latin letter or a digit. The Windows-1251
//     reading of real UTF-8 Cyrillic rarely does: each letter becomes a capital Р, С or Т
//     followed by a sign or a letter of another language («РјРѕСЂРµ»);
//   - its UTF-8 reading is counted: the modern Russian and Ukrainian letters in it, and the
//     characters foreign to such writing (anything but Latin-1 signs and letters, combining
//     accents, Cyrillic, general punctuation and symbols, emoji, the byte order mark).
// A text that is not well-formed UTF-8 is Windows-1251. One that is, and holds something beyond
// ASCII, is UTF-8 when its Windows-1251 reading does not look like writing and fewer than half
// of its characters beyond ASCII are foreign; or when every character beyond ASCII is a Russian
// or Ukrainian letter and there are at least two of them (so «Рё» stays Windows-1251, while «да»
// and «ви» are UTF-8). Anything else is Windows-1251.
// What the decision on a complete text rests on. Texts cut at line ends add up: the evidence of
// the pieces, added, is the evidence of the whole (a line end leaves no context behind).
struct TEncodingEvidence {
    bool WellFormed = true;   // well-formed UTF-8 with no sequence left open
    bool Plausible = true;    // the Windows-1251 reading looks like writing
    std::uint64_t NonAscii = 0, Letters = 0, Foreign = 0;
    TEncodingEvidence& operator+=(const TEncodingEvidence& other);
    TDetectedEncoding Decision() const;
    bool operator==(const TEncodingEvidence&) const = default;
};

class TEncodingDetector {
public:
    void Feed(std::string_view piece);
    // The answer for everything fed so far, taken as the whole text; with `complete` false, as
    // the start of a longer text (a sequence cut off at its end may go on).
    TDetectedEncoding Result(bool complete = true) const;
    // The evidence of everything fed so far, taken as a complete text.
    TEncodingEvidence Evidence() const;
    // True once more input cannot change the answer (the text is not well-formed UTF-8).
    bool Decided() const { return !Utf8_.Valid(); }
    // True while the text may still turn out to be UTF-8.
    bool MayBeUtf8() const { return Utf8_.Valid(); }
    // True while the Windows-1251 reading of a well-formed UTF-8 text still looks like writing
    // (the editor reads well-formed UTF-8 whose Windows-1251 reading does not as UTF-8, whatever
    // its language).
    bool Cp1251LooksLikeWriting() const { return Plausible_; }

private:
    void Look(unsigned char byte);
    TUtf8Validator Utf8_;
    bool Plausible_ = true;  // the Windows-1251 reading looks like writing so far
    std::uint8_t Prev_ = 0;  // class of the previous character
    std::uint8_t Prev2_ = 0; // and of the one before it
    int Capitals_ = 0;       // capitals at the start of the current Cyrillic word
    bool WordHasSmall_ = false;
    // The UTF-8 reading.
    char32_t Code_ = 0;
    int Need_ = 0;                 // continuation bytes still to come
    std::uint64_t NonAscii_ = 0;   // characters beyond ASCII
    std::uint64_t Letters_ = 0;    // of them, modern Russian and Ukrainian letters
    std::uint64_t Foreign_ = 0;    // of them, foreign to such writing
};

// The answer for a whole text at once.
TDetectedEncoding DetectEncoding(std::string_view text);

// UTF-8 for a text, as the detector decides; ASCII counts as UTF-8.
inline bool ReadsAsUtf8(std::string_view text) { return DetectEncoding(text) != TDetectedEncoding::deCp1251; }

} // namespace zelm
