#include "CliOptions.h"

#include "Cp1251.h"
#include "EncodingDetector.h"
#include "Version.h"

#include <algorithm>
#include <clocale>
#include <cstring>
#include <langinfo.h>

namespace zelm {

const char* const VersionText = "zelm-cli " ZELM_VERSION "\n";

const char* const UsageText =
    "Usage:\n"
    "  zelm-cli word  [options] WORD...        evaluate each word (a stress mark * may follow a vowel)\n"
    "  zelm-cli text  [options] [FILE...|-]    evaluate each file (or standard input) as one text\n"
    "  zelm-cli batch [options] [FILE|-]       evaluate every line of a word list\n"
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
    "  --format table|json|csv         output format (default table)\n"
    "  --encoding auto|utf-8|cp1251    input encoding (default auto: valid UTF-8 is UTF-8,\n"
    "                                  anything else Windows-1251)\n"
    "  --pdf OUT.pdf                   the PDF file to print to\n"
    "  --                              end of options (for words that begin with a hyphen)\n";

namespace {

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
    else if (command == "print") options.Command = TCommand::cmPrint;
    else if (command == "report") options.Command = TCommand::cmReport;
    else {
        error = "unknown command '" + command + "'";
        return std::nullopt;
    }

    bool optionsEnded = false;
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
                   name == "--pdf" || name == "--word" || name == "--text") {
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
            if (!Choose(name, value, error, {{"table", 0}, {"json", 1}, {"csv", 2}}, chosen)) return std::nullopt;
            options.Format = static_cast<TOutputFormat>(chosen);
        } else if (name == "--encoding") {
            if (!Choose(name, value, error, {{"auto", 0}, {"utf-8", 1}, {"utf8", 1}, {"cp1251", 2}, {"windows-1251", 2}},
                        chosen))
                return std::nullopt;
            options.Encoding = static_cast<TInputEncoding>(chosen);
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
    if (options.Command == TCommand::cmBatch && options.Arguments.size() > 1) {
        error = "batch reads one word list";
        return std::nullopt;
    }
    if (options.Command != TCommand::cmWord && options.Command != TCommand::cmReport && options.Arguments.empty())
        options.Arguments.push_back("-");
    return options;
}

} // namespace zelm
