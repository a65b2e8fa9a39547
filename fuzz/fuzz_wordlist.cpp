// The word-list line splitter and the rows made of its lines: pieces give the lines of the whole,
// every line is trimmed and non-empty and stands in the whole where the splitter says, and every row in every format is well-formed UTF-8, the
// rows written in pieces for long lines equal to the usual ones.
#include "Cp1251.h"
#include "Evaluation.h"
#include "Formats.h"
#include "FuzzSplit.h"
#include "LineSplitter.h"

#include <string>
#include <vector>

using namespace zelm;
using zelm::fuzz::Check;

namespace {

std::vector<std::string> LinesOf(const std::vector<std::string_view>& pieces, std::string_view whole) {
    std::vector<std::string> lines;
    TLineSplitter splitter;
    const auto keep = [&](std::string_view line) {
        Check(whole.substr(std::min<std::size_t>(splitter.LineOffset(), whole.size()), line.size()) == line);
        lines.emplace_back(line);
    };
    for (const std::string_view piece : pieces) splitter.Feed(piece, keep);
    splitter.Finish(keep);
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto split = zelm::fuzz::Split(data, size);
    const auto lines = LinesOf(split.Pieces, split.Text);
    Check(lines == LinesOf({split.Text}, split.Text));

    const bool utf8 = size > 0 && (data[0] & 2);
    const auto language = size > 0 && (data[0] & 4) ? TLanguage::lgUkrainian : TLanguage::lgRussian;
    static TEvaluator russian(TLanguage::lgRussian, TEvalScheme::esZhuravlev),
        ukrainian(TLanguage::lgUkrainian, TEvalScheme::esLevitsky);
    TEvaluator& evaluator = language == TLanguage::lgRussian ? russian : ukrainian;
    TEvaluation e;
    for (const std::string& line : lines) {
        Check(!line.empty() && static_cast<unsigned char>(line.front()) > 32 &&
              static_cast<unsigned char>(line.back()) > 32);
        std::string word, input;
        if (utf8) {
            word = Utf8ToCp1251(line, TAcuteAccent::amStressMark);
            AppendValidUtf8(input, line);
        } else {
            word = line;
            AppendCp1251AsUtf8(input, line);
        }
        evaluator.EvaluateWord(word, input, e);
        std::string row;
        AppendJson(row, e);
        AppendCsvRow(row, e);
        AppendCompactRow(row, e, true);
        AppendTable(row, e, false);
        Check(IsValidUtf8(row));
    }
    return 0;
}
