// The command line of zelm-cli: its commands, options and usage text.
#pragma once

#include "Evaluation.h"
#include "Formats.h"
#include "InputFile.h"

#include <optional>
#include <string>
#include <vector>

namespace zelm {

enum class TCommand { cmWord, cmText, cmBatch, cmRank, cmSounds, cmExplain, cmPrint, cmReport, cmHelp, cmVersion };

// A pole wanted by rank: the scale (0-based) and whether it is the left pole.
struct TWantedPole {
    std::size_t Scale = 0;
    bool Left = true;
};

struct TCliOptions {
    TCommand Command = TCommand::cmHelp;
    TLanguage Language = TLanguage::lgRussian;
    TEvalScheme Scheme = TEvalScheme::esZhuravlev;
    TOutputFormat Format = TOutputFormat::ofTable;
    TInputEncoding Encoding = TInputEncoding::ieAuto;
    std::vector<std::string> Arguments; // words or files
    std::string PdfFile;                // --pdf
    std::string ReportWord, ReportText; // report: --word or --text; explain: --text
    std::optional<std::size_t> Scale;   // explain: --scale, the scale (0-based) of the pole named
    std::vector<TWantedPole> Want;      // rank: --want
    std::size_t Top = 0;                // rank: --top (0: every word)
    enum class TSegments { sgWhole, sgLine, sgParagraph } By = TSegments::sgWhole; // text: --by
    std::size_t Jobs = 0;               // text: --jobs, the threads that count one file (0: every core)
};

// Commands that need Qt run in the companion program zelm-cli-qt, so that the others start fast.
inline bool NeedsQt(TCommand command) { return command == TCommand::cmPrint || command == TCommand::cmReport; }

extern const char* const UsageText;
extern const char* const VersionText;

// Whether text given on the command line (a word, a file name) is UTF-8 in the chosen encoding:
// with `auto`, when the terminal's locale writes UTF-8 and the text is well-formed UTF-8 (a word
// typed there is UTF-8 even when it is a single letter such as «и», which could be two
// Windows-1251 ones), and otherwise as the encoding detector decides.
bool ArgumentIsUtf8(const std::string& text, TInputEncoding encoding);
// Its UTF-8 form.
std::string AsUtf8(const std::string& text, TInputEncoding encoding);
// The word as the engines take it: Windows-1251, with an acute accent as the stress mark.
std::string ArgumentWord(const std::string& text, TInputEncoding encoding);

// The poles of a comma-separated list of pole names of the language's scales (matched without
// regard to letter case, ё equal to е); false with the valid names in `error` for an unknown one.
bool ParsePoles(const std::string& list, TLanguage language, std::vector<TWantedPole>& poles, std::string& error);

// Parses the arguments after the program name; on a usage error returns nothing and sets `error`.
std::optional<TCliOptions> ParseCommandLine(const std::vector<std::string>& args, std::string& error);

} // namespace zelm
