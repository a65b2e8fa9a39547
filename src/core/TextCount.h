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

} // namespace zelm
