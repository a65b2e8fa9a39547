// zelm-cli: the phonosemantic engines from the terminal.
#include "Batch.h"
#include "ExplainCommand.h"
#include "Segments.h"
#include "Sounds.h"
#include "CliOptions.h"
#include "Cp1251.h"
#include "EncodingDetector.h"
#include "Evaluation.h"
#include "Formats.h"
#include "InputFile.h"
#include "Output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>
#include <string>
#include <vector>

using namespace zelm;

namespace {

// Emits the evaluations of words or texts in the chosen format.
class TPrinter {
public:
    // The CSV header comes first, even when no row follows.
    TPrinter(const TCliOptions& options, TOutput& output, std::string_view firstColumn)
        : Options_(options), Output_(output), Colour_(UseTerminalColour()) {
        if (options.Format == TOutputFormat::ofCsv) AppendCsvHeader(output.Buffer, options.Language, firstColumn);
    }

    void Print(const TEvaluation& e) {
        std::string& out = Output_.Buffer;
        switch (Options_.Format) {
        case TOutputFormat::ofJson: AppendJson(out, e); break;
        case TOutputFormat::ofCsv: AppendCsvRow(out, e); break;
        case TOutputFormat::ofSvg: AppendSvg(out, e); break;
        case TOutputFormat::ofTable:
            if (Count_ > 0) out.push_back('\n');
            AppendTable(out, e, Colour_);
            break;
        }
        ++Count_;
        Output_.MaybeFlush();
    }

private:
    const TCliOptions& Options_;
    TOutput& Output_;
    bool Colour_;
    std::size_t Count_ = 0;
};

int RunWords(const TCliOptions& options, TOutput& output) {
    TEvaluator evaluator(options.Language, options.Scheme);
    TPrinter printer(options, output, "word");
    TEvaluation result;
    for (const std::string& arg : options.Arguments) {
        evaluator.EvaluateWord(ArgumentWord(arg, options.Encoding), AsUtf8(arg, options.Encoding), result);
        printer.Print(result);
        if (output.Failed) return 1;
    }
    return 0;
}

// Each text is counted in both readings at once while its encoding is open, so that nothing
// needs to be read twice or kept.
int RunTexts(const TCliOptions& options, TOutput& output) {
    TEvaluator cp1251(options.Language, options.Scheme), utf8(options.Language, options.Scheme);
    TPrinter printer(options, output, "text");
    TEvaluation result;
    int status = 0;
    for (const std::string& path : options.Arguments) {
        auto file = OpenOrComplain(path, status);
        if (!file) continue;
        std::string error;
        cp1251.BeginText();
        utf8.BeginText();
        bool isUtf8 = false;
        if (!ReadTextBothWays(*file, options.Encoding, [&](std::string_view piece) { cp1251.FeedText(piece); },
                              [&](std::string_view piece) { utf8.FeedText(piece); }, isUtf8, error)) {
            Complain(error);
            status = 1;
            continue;
        }
        (isUtf8 ? utf8 : cp1251).EndText(AsUtf8(path, TInputEncoding::ieAuto), result);
        printer.Print(result);
        if (output.Failed) return 1;
    }
    return status;
}

// Runs the command in zelm-cli-qt: installed in ../libexec/zelm from this program's folder, or
// beside it in a build folder.
int RunCompanion(char** argv) {
    char self[4096];
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    const std::string exe = length > 0 ? std::string(self, std::size_t(length)) : std::string(argv[0]);
    const std::string folder = exe.substr(0, exe.rfind('/') + 1);
    const std::string places[] = {folder + "../libexec/zelm/zelm-cli-qt", folder + "zelm-cli-qt"};
    std::string tried;
    for (const std::string& path : places) {
        if (::access(path.c_str(), X_OK) == 0) {
            argv[0] = const_cast<char*>(path.c_str());
            ::execv(path.c_str(), argv);
        }
        tried += (tried.empty() ? "'" : ", '") + path + "' (" + std::strerror(errno) + ")";
    }
    Complain("cannot start the companion program zelm-cli-qt, looked for at " + tried);
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::string error;
    const auto options = ParseCommandLine(args, error);
    if (!options) {
        Complain(error);
        std::fprintf(stderr, "\n%s", UsageText);
        return 2;
    }
    if (NeedsQt(options->Command)) return RunCompanion(argv);
    TOutput output;
    int status = 0;
    switch (options->Command) {
    case TCommand::cmHelp: output.Buffer = UsageText; break;
    case TCommand::cmVersion: output.Buffer = VersionText; break;
    case TCommand::cmWord: status = RunWords(*options, output); break;
    case TCommand::cmText:
        status = options->By == TCliOptions::TSegments::sgWhole ? RunTexts(*options, output) : RunSegments(*options, output);
        break;
    case TCommand::cmBatch: status = RunBatch(*options, output); break;
    case TCommand::cmRank: status = RunRank(*options, output); break;
    case TCommand::cmSounds: status = RunSounds(*options, output); break;
    case TCommand::cmExplain: status = RunExplain(*options, output); break;
    case TCommand::cmPrint:
    case TCommand::cmReport: break;
    }
    output.Flush();
    if (output.Failed) {
        Complain(std::string("cannot write to standard output: ") + std::strerror(output.Error));
        return 1;
    }
    return status;
}
