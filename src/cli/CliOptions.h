// The command line of zelm-cli: its commands, options and usage text.
#pragma once

#include "Evaluation.h"
#include "Formats.h"
#include "InputFile.h"

#include <optional>
#include <string>
#include <vector>

namespace zelm {

enum class TCommand { cmWord, cmText, cmBatch, cmPrint, cmReport, cmHelp, cmVersion };

struct TCliOptions {
    TCommand Command = TCommand::cmHelp;
    TLanguage Language = TLanguage::lgRussian;
    TEvalScheme Scheme = TEvalScheme::esZhuravlev;
    TOutputFormat Format = TOutputFormat::ofTable;
    TInputEncoding Encoding = TInputEncoding::ieAuto;
    std::vector<std::string> Arguments; // words or files
    std::string PdfFile;                // --pdf
    std::string ReportWord, ReportText; // report: --word or --text
};

// Commands that need Qt run in the companion program zelm-cli-qt, so that the others start fast.
inline bool NeedsQt(TCommand command) { return command == TCommand::cmPrint || command == TCommand::cmReport; }

extern const char* const UsageText;
extern const char* const VersionText;

// Parses the arguments after the program name; on a usage error returns nothing and sets `error`.
std::optional<TCliOptions> ParseCommandLine(const std::vector<std::string>& args, std::string& error);

} // namespace zelm
