#include "Commands.h"

#include "Batch.h"
#include "ExplainCommand.h"
#include "Formats.h"
#include "Segments.h"
#include "Sounds.h"
#include "TextCount.h"

#include <string>

namespace zelm {

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

int RunTexts(const TCliOptions& options, TOutput& output) {
    TTextCount count(options);
    TPrinter printer(options, output, "text");
    TEvaluation result;
    int status = 0;
    for (const std::string& path : options.Arguments) {
        if (path != "-") {
            // A file is counted on every core (--jobs), giving what one pass gives.
            TTextCounts counts;
            std::string error;
            if (!CountTextFile(path, options.Language, options.Encoding, options.Jobs, counts, error)) {
                Complain(error);
                status = 1;
                continue;
            }
            counts.Evaluate(options.Scheme, AsUtf8(path, TInputEncoding::ieAuto), result);
        } else {
            auto file = OpenOrComplain(path, status);
            if (!file) continue;
            if (!count.Evaluate(*file, path, result)) {
                status = 1;
                continue;
            }
        }
        printer.Print(result);
        if (output.Failed) return 1;
    }
    return status;
}

} // namespace

int RunCommand(const TCliOptions& options, TOutput& output) {
    switch (options.Command) {
    case TCommand::cmHelp: output.Buffer = UsageText; return 0;
    case TCommand::cmVersion: output.Buffer = VersionText; return 0;
    case TCommand::cmWord: return RunWords(options, output);
    case TCommand::cmText:
        return options.By == TCliOptions::TSegments::sgWhole ? RunTexts(options, output) : RunSegments(options, output);
    case TCommand::cmBatch: return RunBatch(options, output);
    case TCommand::cmRank: return RunRank(options, output);
    case TCommand::cmSounds: return RunSounds(options, output);
    case TCommand::cmExplain: return RunExplain(options, output);
    case TCommand::cmPrint:
    case TCommand::cmReport: break;
    }
    return 0;
}

} // namespace zelm
