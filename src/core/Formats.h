// The output formats of the command line: JSON Lines, CSV and the human-readable chart.
#pragma once

#include "Evaluation.h"
#include "Output.h"

#include <span>

#include <string>
#include <string_view>

namespace zelm {

enum class TOutputFormat { ofTable, ofJson, ofCsv, ofSvg }; // svg: word and text, one input

// A CSV field, quoted (with doubled quotes) when it holds a comma, a quote or a line break.
void AppendCsvField(std::string& out, std::string_view field);

// Display width of UTF-8 text: one column per character.
std::size_t Columns(std::string_view utf8);

// A JSON string: the text in quotes, with the escapes JSON needs.
void AppendJsonString(std::string& out, std::string_view text);

// One JSON object on one line (with its newline), keys in the documented order.
void AppendJson(std::string& out, const TEvaluation& e);

// The CSV header (first column named `firstColumn`) and one row; fields quoted as RFC 4180 asks.
void AppendCsvHeader(std::string& out, TLanguage language, std::string_view firstColumn);
void AppendCsvRow(std::string& out, const TEvaluation& e);

// The bipolar chart of one evaluation, with its comment and colour measures. `colour` adds
// terminal colours to the significant bars and the colour blocks.
void AppendTable(std::string& out, const TEvaluation& e, bool colour);

// One compact line for a word of a word list: its significant scales, or a dash.
void AppendCompactRow(std::string& out, const TEvaluation& e, bool colour);

// "#rrggbb" of a 0x00BBGGRR colour.
std::string CssColour(std::uint32_t colour);

// A standalone SVG 1.1 document of one evaluation: a title line, the bipolar chart by the result
// windows' rules and colours, the comment and the colour strip; real text elements, a viewBox.
void AppendSvg(std::string& out, const TEvaluation& e);

// The parts of a word list's row that are as long as its line, for a line too long to copy.
struct TLongWordParts {
    std::string_view Line;  // as read: UTF-8 (possibly malformed) or Windows-1251
    bool LineIsUtf8 = false;
    std::string_view Word;  // the word in Windows-1251, which the comment names
    std::span<const SoundCode> Sounds;
};

// Writes the word list row of a long word straight into `output`, piece by piece: `e` holds
// everything but the input, the comment (only its CommentTail) and the sounds, which come from
// `parts`. The row is the one AppendJson, AppendCsvRow or AppendCompactRow would make.
void WriteLongWordRow(TOutput& output, TOutputFormat format, const TEvaluation& e, const TLongWordParts& parts,
                      bool colour);

// What std::to_chars writes for a double (or a float), made with printf and strtod, for a standard
// library that lacks it; writes at most 32 characters and returns the end.
char* WriteShortestPortable(char* p, double value, bool singlePrecision);

// The shortest text that reads back as the same double, or the same single-precision value.
void AppendNumber(std::string& out, double value, bool singlePrecision);

// The JSON line of an explanation: the `word`/`text` object, then its terms and clamped scales.
void AppendExplanationJson(std::string& out, const TEvaluation& e, const TExplanation& x);

} // namespace zelm
