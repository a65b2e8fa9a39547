// zelm-cli: the phonosemantic engines from the terminal.
#include "CliOptions.h"
#include "Cp1251.h"
#include "Evaluation.h"
#include "Formats.h"
#include "InputFile.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

using namespace zelm;

namespace {

// Standard output, written in large blocks.
class TOutput {
public:
    std::string Buffer;
    ~TOutput() { Flush(); }
    void MaybeFlush() {
        if (Buffer.size() >= (std::size_t(1) << 16)) Flush();
    }
    void Flush() {
        if (!Buffer.empty() && std::fwrite(Buffer.data(), 1, Buffer.size(), stdout) != Buffer.size()) Failed = true;
        Buffer.clear();
        if (std::fflush(stdout) != 0) Failed = true;
    }
    bool Failed = false;
};

void Complain(const std::string& message) { std::fprintf(stderr, "zelm-cli: %s\n", message.c_str()); }

bool UseTerminalColour() {
    const char* term = std::getenv("TERM");
    return ::isatty(STDOUT_FILENO) && !std::getenv("NO_COLOR") && !(term && std::strcmp(term, "dumb") == 0);
}

// The UTF-8 form of text given in the chosen encoding (a file name, or a word as typed).
std::string AsUtf8(const std::string& text, TInputEncoding encoding) {
    if (encoding != TInputEncoding::ieCp1251 && IsValidUtf8(text)) return text;
    if (encoding == TInputEncoding::ieUtf8) return Cp1251ToUtf8(Utf8ToCp1251(text));
    return Cp1251ToUtf8(text);
}

// Emits one evaluation in the chosen format; the CSV header goes before the first.
class TPrinter {
public:
    TPrinter(const TCliOptions& options, TOutput& output, std::string_view firstColumn)
        : Options_(options), Output_(output), FirstColumn_(firstColumn), Colour_(UseTerminalColour()) {}

    void Print(const TEvaluation& e, bool compact = false) {
        std::string& out = Output_.Buffer;
        switch (Options_.Format) {
        case TOutputFormat::ofJson: AppendJson(out, e); break;
        case TOutputFormat::ofCsv:
            if (Count_ == 0) AppendCsvHeader(out, Options_.Language, FirstColumn_);
            AppendCsvRow(out, e);
            break;
        case TOutputFormat::ofTable:
            if (compact) {
                AppendCompactRow(out, e, Colour_);
            } else {
                if (Count_ > 0) out.push_back('\n');
                AppendTable(out, e, Colour_);
            }
            break;
        }
        ++Count_;
        Output_.MaybeFlush();
    }

private:
    const TCliOptions& Options_;
    TOutput& Output_;
    std::string_view FirstColumn_;
    bool Colour_;
    std::size_t Count_ = 0;
};

int RunWords(const TCliOptions& options, TOutput& output) {
    TEvaluator evaluator(options.Language, options.Scheme);
    TPrinter printer(options, output, "word");
    TEvaluation result;
    for (const std::string& arg : options.Arguments) {
        const bool utf8 = options.Encoding == TInputEncoding::ieUtf8 ||
                          (options.Encoding == TInputEncoding::ieAuto && IsValidUtf8(arg));
        const std::string word = utf8 ? Utf8ToCp1251(arg, TAcuteAccent::amStressMark) : arg;
        evaluator.EvaluateWord(word, AsUtf8(arg, options.Encoding), result);
        printer.Print(result);
    }
    return 0;
}

int RunTexts(const TCliOptions& options, TOutput& output) {
    TEvaluator evaluator(options.Language, options.Scheme);
    TPrinter printer(options, output, "text");
    TEvaluation result;
    std::string decoded;
    int status = 0;
    for (const std::string& path : options.Arguments) {
        std::string error;
        auto file = TInputFile::Open(path, options.Encoding, error);
        if (!file) {
            Complain(error);
            status = 1;
            continue;
        }
        TUtf8ToCp1251 decoder(TAcuteAccent::amDrop);
        evaluator.BeginText();
        std::string_view piece;
        while (file->Read(piece, error)) {
            if (file->IsUtf8()) {
                decoded.clear();
                decoder.Decode(piece, decoded);
                evaluator.FeedText(decoded);
            } else {
                evaluator.FeedText(piece);
            }
        }
        if (!error.empty()) {
            Complain(error);
            status = 1;
            continue;
        }
        decoded.clear();
        decoder.Finish(decoded);
        evaluator.FeedText(decoded);
        evaluator.EndText(AsUtf8(path, TInputEncoding::ieAuto), result);
        printer.Print(result);
    }
    return status;
}

int RunBatch(const TCliOptions& options, TOutput& output) {
    const std::string& path = options.Arguments.front();
    std::string error;
    auto file = TInputFile::Open(path, options.Encoding, error);
    if (!file) {
        Complain(error);
        return 1;
    }
    TEvaluator evaluator(options.Language, options.Scheme);
    TPrinter printer(options, output, "word");
    TEvaluation result;
    TUtf8ToCp1251 decoder(TAcuteAccent::amStressMark);
    std::string word, input, pending;

    auto evaluateLine = [&](std::string_view line) {
        std::size_t begin = 0, end = line.size();
        while (begin < end && static_cast<unsigned char>(line[begin]) <= 32) ++begin;
        while (end > begin && static_cast<unsigned char>(line[end - 1]) <= 32) --end;
        if (begin == end) return;
        line = line.substr(begin, end - begin);
        word.clear();
        input.clear();
        if (file->IsUtf8()) {
            decoder.Decode(line, word);
            decoder.Finish(word);
            input.assign(line);
        } else {
            word.assign(line);
            AppendCp1251AsUtf8(input, line);
        }
        evaluator.EvaluateWord(word, input, result);
        printer.Print(result, true);
    };

    std::string_view piece;
    while (file->Read(piece, error)) {
        std::size_t start = 0;
        while (start < piece.size()) {
            const void* found = std::memchr(piece.data() + start, '\n', piece.size() - start);
            if (!found) {
                pending.append(piece.substr(start));
                break;
            }
            const auto newline = std::size_t(static_cast<const char*>(found) - piece.data());
            if (pending.empty()) {
                evaluateLine(piece.substr(start, newline - start));
            } else {
                pending.append(piece.substr(start, newline - start));
                evaluateLine(pending);
                pending.clear();
            }
            start = newline + 1;
        }
    }
    if (!error.empty()) {
        Complain(error);
        return 1;
    }
    evaluateLine(pending);
    return 0;
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
    TOutput output;
    int status = 0;
    switch (options->Command) {
    case TCommand::cmHelp: output.Buffer = UsageText; break;
    case TCommand::cmVersion: output.Buffer = VersionText; break;
    case TCommand::cmWord: status = RunWords(*options, output); break;
    case TCommand::cmText: status = RunTexts(*options, output); break;
    case TCommand::cmBatch: status = RunBatch(*options, output); break;
    }
    output.Flush();
    if (output.Failed) {
        Complain("cannot write the output");
        return 1;
    }
    return status;
}
