#include "TextCount.h"

#include "Formats.h"

#include <stdexcept>

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

TTextCounts::TTextCounts(TLanguage language)
    : Language(language), Cp1251(TEvaluator::TextCountSize(language)), Utf8(TEvaluator::TextCountSize(language)) {}

TTextCounts& TTextCounts::operator+=(const TTextCounts& other) {
    if (other.Language != Language) throw std::invalid_argument("counts of Russian and Ukrainian texts do not add");
    if (other.Empty) return *this;
    if (Empty) return *this = other;
    if (other.Encoding != Encoding) throw std::invalid_argument("counts made in different encodings do not add");
    for (std::size_t i = 0; i < Cp1251.size(); ++i) {
        Cp1251[i] += other.Cp1251[i];
        Utf8[i] += other.Utf8[i];
    }
    Evidence += other.Evidence;
    Utf16 = Utf16 || other.Utf16;
    return *this;
}

bool TTextCounts::IsUtf8() const {
    if (Encoding != TInputEncoding::ieAuto) return Encoding == TInputEncoding::ieUtf8;
    return !Empty && (Utf16 || Evidence.Decision() != TDetectedEncoding::deCp1251);
}

void TTextCounts::Evaluate(TEvalScheme scheme, std::string_view input, TEvaluation& out) const {
    TEvaluator evaluator(Language, scheme);
    evaluator.EvaluateTextCounts(IsUtf8() ? Utf8 : Cp1251, input, out);
}

bool CountText(TInputFile& file, TLanguage language, TInputEncoding encoding, TTextCounts& out, std::string& error) {
    // The scheme plays no part in counting.
    TEvaluator cp1251(language, TEvalScheme::esZhuravlev), utf8(language, TEvalScheme::esZhuravlev);
    cp1251.BeginText();
    utf8.BeginText();
    bool isUtf8 = false, readCp1251 = false, readUtf8 = false;
    out = TTextCounts(language);
    out.Encoding = encoding;
    if (!ReadTextBothWays(
            file, encoding, [&](std::string_view piece) { readCp1251 = true, cp1251.FeedText(piece); },
            [&](std::string_view piece) { readUtf8 = true, utf8.FeedText(piece); }, isUtf8, error, &out.Evidence))
        return false;
    out.Empty = false;
    out.Utf16 = file.IsUtf16();
    // Only the readings made are ended: ending one never fed would still count nothing.
    if (readCp1251 || encoding != TInputEncoding::ieUtf8) out.Cp1251 = cp1251.EndTextCounts();
    if (readUtf8 || encoding != TInputEncoding::ieCp1251) out.Utf8 = utf8.EndTextCounts();
    return true;
}

} // namespace zelm
