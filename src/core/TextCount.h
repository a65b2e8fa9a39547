// A text counted as zelm-cli's text command counts it: both readings at once, the detector's choice.
#pragma once

#include "CliOptions.h"
#include "Evaluation.h"
#include "InputFile.h"

#include <string>

namespace zelm {

// One text counted in both readings at once while its encoding is open, so that nothing needs to
// be read twice or kept; the reading the detector chose (or the one the options fix) is evaluated.
class TTextCount {
public:
    explicit TTextCount(const TCliOptions& options)
        : Encoding_(options.Encoding), Cp1251_(options.Language, options.Scheme), Utf8_(options.Language, options.Scheme) {}
    // Reads `file` to its end and evaluates it as `path` (reported as given, in UTF-8). False, with
    // the reason said on standard error, on a read error.
    bool Evaluate(TInputFile& file, const std::string& path, TEvaluation& out);
    TEvaluator& Chosen() { return IsUtf8_ ? Utf8_ : Cp1251_; }
    bool IsUtf8() const { return IsUtf8_; }

private:
    TInputEncoding Encoding_;
    TEvaluator Cp1251_, Utf8_;
    bool IsUtf8_ = false;
};

// The sound counts of a text, in the readings its encoding makes, with what the encoding detector
// decides on: the counts of a text cut at line ends, added, are the counts of the whole, and with
// `auto` the decision is made on the sum. Nothing counted (Empty) adds to anything.
struct TTextCounts {
    TLanguage Language = TLanguage::lgRussian;
    TInputEncoding Encoding = TInputEncoding::ieAuto;
    bool Empty = true;
    std::vector<std::int64_t> Cp1251, Utf8; // each reading's counts (zeros where it was not made)
    TEncodingEvidence Evidence;             // auto: what the decision rests on
    bool Utf16 = false;                     // auto: a UTF-16 text, read as UTF-8 whatever else

    explicit TTextCounts(TLanguage language = TLanguage::lgRussian);
    // Adds `other`; std::invalid_argument for counts of another language or counted in another
    // encoding.
    TTextCounts& operator+=(const TTextCounts& other);
    // Whether the text is read as UTF-8: the encoding's, or the detector's decision on the sum.
    bool IsUtf8() const;
    // The evaluation of the counted text by `scheme`, reported as `input`: what `zelm-cli text`
    // gives for the whole text.
    void Evaluate(TEvalScheme scheme, std::string_view input, TEvaluation& out) const;
};

// Counts the text of `file` (to its end) as the text command reads it. False, with `error` set,
// on a read error.
bool CountText(TInputFile& file, TLanguage language, TInputEncoding encoding, TTextCounts& out, std::string& error);

// Counts the text file `path` ("-": standard input) as CountText does, on `jobs` threads (0: every
// core, at most eight) when it is a regular file large enough to gain from it: cut after line ends,
// the pieces' counts added, which are exactly the counts of one pass. False, with `error` set,
// when it cannot be opened or read.
bool CountTextFile(const std::string& path, TLanguage language, TInputEncoding encoding, std::size_t jobs,
                   TTextCounts& out, std::string& error);

} // namespace zelm
