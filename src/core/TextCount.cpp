#include "TextCount.h"

#include "Formats.h"

namespace zelm {

bool TTextCount::Evaluate(TInputFile& file, const std::string& path, TEvaluation& out) {
    std::string error;
    Cp1251_.BeginText();
    Utf8_.BeginText();
    if (!ReadTextBothWays(file, Encoding_, [&](std::string_view piece) { Cp1251_.FeedText(piece); },
                          [&](std::string_view piece) { Utf8_.FeedText(piece); }, IsUtf8_, error)) {
        Complain(error);
        return false;
    }
    Chosen().EndText(AsUtf8(path, TInputEncoding::ieAuto), out);
    return true;
}

} // namespace zelm
