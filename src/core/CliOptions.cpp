#include "CliOptions.h"

#include "Cp1251.h"
#include "EncodingDetector.h"
#include "Version.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <clocale>
#include <cstring>
#include <langinfo.h>

namespace zelm {

const char* const VersionText = "zelm-cli " ZELM_VERSION "\n";

const char* const UsageText =
    "Usage:\n"
    "  zelm-cli word  [options] WORD...        evaluate each word (a stress mark * may follow a vowel)\n"
    "  zelm-cli text  [options] [--by line|paragraph] [FILE...|-]\n"
    "                                          evaluate each file (or standard input) as one text,\n"
    "                                          or each of its lines or paragraphs\n"
    "  zelm-cli batch [options] [FILE|-]       evaluate every line of a word list\n"
    "  zelm-cli rank  [options] --want POLES [--top N] [FILE|-]\n"
    "                                          a word list, best match of the wanted poles first\n"
    "  zelm-cli sounds [options] [FILE...|-]   the sound statistics of each text\n"
    "  zelm-cli explain [options] [--scale POLE] (WORD... | --text FILE|-)\n"
    "                                          each value taken apart into the terms of its sounds\n"
    "  zelm-cli report [options] (--word WORD | --text FILE) --pdf OUT.pdf\n"
    "                                          print the evaluation report into a PDF file\n"
    "  zelm-cli print [--encoding E] FILE --pdf OUT.pdf\n"
    "                                          print a text file as the editor does (margins 25 mm,\n"
    "                                          \"Courier New\" 10 pt, single spacing) into a PDF file\n"
    "  zelm-cli --help | --version\n"
    "\n"
    "Options:\n"
    "  --lang ru|uk                    language (default ru)\n"
    "  --algo zhuravlev|levitsky       algorithm (default zhuravlev)\n"
    "  --format table|json|csv|svg     output format (default table; svg: one word or text)\n"
    "  --encoding auto|utf-8|cp1251    input encoding (default auto: UTF-8 when the text reads\n"
    "                                  as Russian or Ukrainian UTF-8, else Windows-1251)\n"
    "  --pdf OUT.pdf                   the PDF file to print to\n"
    "  --want POLES                    rank: pole names, comma-separated (Нежный,светлый)\n"
    "  --top N                         rank: only the N best\n"
    "  --by line|paragraph             text: one result per line or paragraph\n"
    "  --jobs N                        text: count each file on N threads (default: every core)\n"
    "  --scale POLE                    explain: only the scale of this pole\n"
    "  --                              end of options (for words that begin with a hyphen)\n";

namespace {

// The whole number `value` names when it is one from `low` to `high`.
std::optional<std::size_t> WholeNumber(const std::string& value, long long low, long long high) {
    char* end = nullptr;
    const long long number = std::strtoll(value.c_str(), &end, 10);
    if (value.empty() || *end || number < low || number > high) return std::nullopt;
    return std::size_t(number);
}

bool LocaleIsUtf8() {
    static const bool utf8 = [] {
        const char* locale = std::setlocale(LC_CTYPE, "");
        const bool result = locale && std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0;
        std::setlocale(LC_CTYPE, "C");
        return result;
    }();
    return utf8;
}

} // namespace

bool ArgumentIsUtf8(const std::string& text, TInputEncoding encoding) {
    if (encoding != TInputEncoding::ieAuto) return encoding == TInputEncoding::ieUtf8;
    if (LocaleIsUtf8() && IsValidUtf8(text)) return true;
    return ReadsAsUtf8(text);
}

std::string AsUtf8(const std::string& text, TInputEncoding encoding) {
    if (!ArgumentIsUtf8(text, encoding)) return Cp1251ToUtf8(text);
    if (IsValidUtf8(text)) return text;
    return Cp1251ToUtf8(Utf8ToCp1251(text));
}

std::string ArgumentWord(const std::string& text, TInputEncoding encoding) {
    return ArgumentIsUtf8(text, encoding) ? Utf8ToCp1251(text, TAcuteAccent::amStressMark) : text;
}

namespace {

// A pole name as compared: Windows-1251 small letters, ё as е.
std::string FoldedName(const std::string& utf8) {
    std::string name = Utf8ToCp1251(utf8);
    for (char& c : name) {
        auto b = static_cast<unsigned char>(c);
        if (b >= 0xC0 && b <= 0xDF) b = static_cast<unsigned char>(b + 0x20);
        else if (b == 0xA8 || b == 0xB8) b = 0xE5; // Ё ё -> е
        else if (b == 0xAA) b = 0xBA;              // Є
        else if (b == 0xAF) b = 0xBF;              // Ї
        else if (b == 0xB2) b = 0xB3;              // І
        else if (b == 0xA5) b = 0xB4;              // Ґ
        else if (b >= 'A' && b <= 'Z') b = static_cast<unsigned char>(b + 32);
        c = static_cast<char>(b);
    }
    return name;
}

} // namespace

bool ParsePoles(const std::string& list, TLanguage language, std::vector<TWantedPole>& poles, std::string& error) {
    const auto& scales = ScaleNamesOf(language);
    poles.clear();
    std::size_t at = 0;
    for (;;) {
        const std::size_t comma = std::min(list.find(',', at), list.size());
        std::string name = list.substr(at, comma - at);
        while (!name.empty() && static_cast<unsigned char>(name.front()) <= 32) name.erase(0, 1);
        while (!name.empty() && static_cast<unsigned char>(name.back()) <= 32) name.pop_back();
        bool found = false;
        for (std::size_t k = 0; k < scales.size() && !found; ++k) {
            if (FoldedName(scales[k].Left) == FoldedName(name)) poles.push_back({k, true}), found = true;
            else if (FoldedName(scales[k].Right) == FoldedName(name)) poles.push_back({k, false}), found = true;
        }
        if (!found) {
            error = "unknown pole '" + name + "'; the poles are:";
            for (const auto& scale : scales) error += " " + scale.Left + ", " + scale.Right + ",";
            error.pop_back();
            return false;
        }
        if (comma == list.size()) return true;
        at = comma + 1;
    }
}

namespace {

bool Choose(const std::string& option, const std::string& value, std::string& error,
            std::initializer_list<std::pair<const char*, int>> choices, int& result) {
    for (const auto& [name, id] : choices)
        if (value == name) {
            result = id;
            return true;
        }
    error = "invalid value '" + value + "' for " + option;
    return false;
}

} // namespace

std::optional<TCliOptions> ParseCommandLine(const std::vector<std::string>& args, std::string& error) {
    TCliOptions options;
    if (args.empty()) {
        error = "no command given";
        return std::nullopt;
    }
    const std::string& command = args[0];
    if (command == "--help" || command == "-h" || command == "help") {
        options.Command = TCommand::cmHelp;
        return options;
    }
    if (command == "--version") {
        options.Command = TCommand::cmVersion;
        return options;
    }
    if (command == "word") options.Command = TCommand::cmWord;
    else if (command == "text") options.Command = TCommand::cmText;
    else if (command == "batch") options.Command = TCommand::cmBatch;
    else if (command == "rank") options.Command = TCommand::cmRank;
    else if (command == "sounds") options.Command = TCommand::cmSounds;
    else if (command == "explain") options.Command = TCommand::cmExplain;
    else if (command == "print") options.Command = TCommand::cmPrint;
    else if (command == "report") options.Command = TCommand::cmReport;
    else {
        error = "unknown command '" + command + "'";
        return std::nullopt;
    }

    bool optionsEnded = false;
    std::string want, scale;
    bool wantGiven = false, scaleGiven = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
            options.Arguments.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--help") {
            options.Command = TCommand::cmHelp;
            return options;
        }
        std::string name = arg, value;
        if (const auto eq = arg.find('='); eq != std::string::npos) {
            name = arg.substr(0, eq);
            value = arg.substr(eq + 1);
        } else if (name == "--lang" || name == "--algo" || name == "--format" || name == "--encoding" ||
                   name == "--pdf" || name == "--word" || name == "--text" || name == "--want" || name == "--top" ||
                   name == "--by" || name == "--jobs" || name == "--scale") {
            if (i + 1 >= args.size()) {
                error = "option " + name + " needs a value";
                return std::nullopt;
            }
            value = args[++i];
        }
        int chosen = 0;
        if (name == "--lang") {
            if (!Choose(name, value, error, {{"ru", 0}, {"uk", 1}}, chosen)) return std::nullopt;
            options.Language = chosen ? TLanguage::lgUkrainian : TLanguage::lgRussian;
        } else if (name == "--algo") {
            if (!Choose(name, value, error, {{"zhuravlev", 0}, {"levitsky", 1}}, chosen)) return std::nullopt;
            options.Scheme = chosen ? TEvalScheme::esLevitsky : TEvalScheme::esZhuravlev;
        } else if (name == "--format") {
            if (!Choose(name, value, error, {{"table", 0}, {"json", 1}, {"csv", 2}, {"svg", 3}}, chosen)) return std::nullopt;
            options.Format = static_cast<TOutputFormat>(chosen);
        } else if (name == "--encoding") {
            if (!Choose(name, value, error, {{"auto", 0}, {"utf-8", 1}, {"utf8", 1}, {"cp1251", 2}, {"windows-1251", 2}},
                        chosen))
                return std::nullopt;
            options.Encoding = static_cast<TInputEncoding>(chosen);
        } else if (name == "--by" && options.Command == TCommand::cmText) {
            if (!Choose(name, value, error, {{"line", 1}, {"paragraph", 2}}, chosen)) return std::nullopt;
            options.By = static_cast<TCliOptions::TSegments>(chosen);
        } else if (name == "--want" && options.Command == TCommand::cmRank) {
            want = value;
            wantGiven = true;
        } else if (name == "--top" && options.Command == TCommand::cmRank) {
            const auto top = WholeNumber(value, 1, LLONG_MAX);
            if (!top) {
                error = "--top needs a whole number of at least 1, not '" + value + "'";
                return std::nullopt;
            }
            options.Top = *top;
        } else if (name == "--jobs" && options.Command == TCommand::cmText) {
            const auto jobs = WholeNumber(value, 1, 256);
            if (!jobs) {
                error = "--jobs needs a whole number from 1 to 256, not '" + value + "'";
                return std::nullopt;
            }
            options.Jobs = *jobs;
        } else if (name == "--text" && options.Command == TCommand::cmExplain) {
            if (value.empty()) {
                error = "option --text needs a file name (or - for standard input)";
                return std::nullopt;
            }
            options.ReportText = value;
        } else if (name == "--scale" && options.Command == TCommand::cmExplain) {
            scale = value;
            scaleGiven = true;
        } else if ((name == "--word" || name == "--text") && options.Command == TCommand::cmReport) {
            (name == "--word" ? options.ReportWord : options.ReportText) = value;
            if (name == "--text" && value.empty()) {
                error = "option --text needs a file name";
                return std::nullopt;
            }
        } else if (name == "--pdf" && (options.Command == TCommand::cmPrint || options.Command == TCommand::cmReport)) {
            if (value.empty()) {
                error = "option --pdf needs a file name";
                return std::nullopt;
            }
            options.PdfFile = value;
        } else {
            error = "unknown option '" + name + "'";
            return std::nullopt;
        }
    }

    if (options.Command == TCommand::cmExplain) {
        if (options.ReportText.empty() == options.Arguments.empty()) {
            error = "explain needs WORD... or --text FILE";
            return std::nullopt;
        }
        if (options.Format == TOutputFormat::ofSvg) {
            error = "explain writes table, json or csv";
            return std::nullopt;
        }
        if (scaleGiven) {
            std::vector<TWantedPole> poles;
            if (scale.find(',') != std::string::npos) {
                error = "--scale names one pole";
                return std::nullopt;
            }
            if (!ParsePoles(AsUtf8(scale, options.Encoding), options.Language, poles, error)) return std::nullopt;
            options.Scale = poles.front().Scale;
        }
        return options;
    }
    if (options.Command == TCommand::cmWord && options.Arguments.empty()) {
        error = "word needs at least one WORD";
        return std::nullopt;
    }
    if (options.Command == TCommand::cmPrint && (options.Arguments.size() != 1 || options.PdfFile.empty())) {
        error = "print needs one FILE and --pdf OUT.pdf";
        return std::nullopt;
    }
    if (options.Command == TCommand::cmReport &&
        (options.ReportWord.empty() == options.ReportText.empty() || options.PdfFile.empty() ||
         !options.Arguments.empty())) {
        error = "report needs one of --word WORD or --text FILE, and --pdf OUT.pdf";
        return std::nullopt;
    }
    if (options.Command == TCommand::cmText &&
        std::count(options.Arguments.begin(), options.Arguments.end(), std::string("-")) > 1) {
        error = "standard input ('-') can be read only once";
        return std::nullopt;
    }
    if (options.Format == TOutputFormat::ofSvg) {
        if (options.Command != TCommand::cmWord && options.Command != TCommand::cmText) {
            error = "--format svg is for word and text only";
            return std::nullopt;
        }
        if (options.By != TCliOptions::TSegments::sgWhole) {
            error = "--format svg draws one whole text, not segments";
            return std::nullopt;
        }
        if (options.Arguments.size() > 1) {
            error = "--format svg draws one word or one text";
            return std::nullopt;
        }
    }
    if (options.Command == TCommand::cmRank) {
        if (!wantGiven) {
            error = "rank needs --want POLES";
            return std::nullopt;
        }
        // Pole names in the encoding chosen for the input (or, with auto, as a word argument).
        if (!ParsePoles(AsUtf8(want, options.Encoding), options.Language, options.Want, error)) return std::nullopt;
    }
    if ((options.Command == TCommand::cmBatch || options.Command == TCommand::cmRank) && options.Arguments.size() > 1) {
        error = "rank and batch read one word list";
        return std::nullopt;
    }
    if (options.Command == TCommand::cmSounds &&
        std::count(options.Arguments.begin(), options.Arguments.end(), std::string("-")) > 1) {
        error = "standard input ('-') can be read only once";
        return std::nullopt;
    }
    if (options.Command == TCommand::cmBatch && options.Arguments.size() > 1) {
        error = "batch reads one word list";
        return std::nullopt;
    }
    if (options.Command != TCommand::cmWord && options.Command != TCommand::cmReport && options.Arguments.empty())
        options.Arguments.push_back("-");
    return options;
}

} // namespace zelm
