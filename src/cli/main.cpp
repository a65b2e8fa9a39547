// zelm-cli: the phonosemantic engines from the terminal.
#include "CliOptions.h"
#include "Cp1251.h"
#include "Evaluation.h"
#include "Formats.h"
#include "InputFile.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <array>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace zelm;

namespace {

// Standard output, written in large blocks.
class TOutput {
public:
    std::string Buffer;
    ~TOutput() { Flush(); }
    // Writes a large piece straight through, after what is buffered.
    void Write(std::string_view piece) {
        if (piece.size() < (std::size_t(1) << 16)) {
            Buffer += piece;
            MaybeFlush();
            return;
        }
        Flush();
        if (std::fwrite(piece.data(), 1, piece.size(), stdout) != piece.size()) Failed = true;
    }
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

// One line of a word list in the output format: a JSON object, a CSV row or a compact line.
void AppendBatchRow(std::string& out, const TCliOptions& options, const TEvaluation& e, bool colour) {
    switch (options.Format) {
    case TOutputFormat::ofJson: AppendJson(out, e); break;
    case TOutputFormat::ofCsv: AppendCsvRow(out, e); break;
    case TOutputFormat::ofTable: AppendCompactRow(out, e, colour); break;
    }
}

// A run of lines of a word list, and the output made of them; kept and refilled.
struct TBatchBlock {
    static constexpr std::size_t Capacity = 128;
    std::string Bytes;
    std::vector<std::pair<std::size_t, std::size_t>> Lines; // offset and length in Bytes
    std::string Output;

    void Add(std::string_view line) {
        Lines.emplace_back(Bytes.size(), line.size());
        Bytes.append(line);
    }
    bool Full() const { return Lines.size() == Capacity; }
    void Clear() {
        Bytes.clear();
        Lines.clear();
        Output.clear();
    }
};

// Evaluates the words of blocks; one per thread, each with engines of its own.
class TBatchWorker {
public:
    TBatchWorker(const TCliOptions& options, bool utf8, bool colour)
        : Options_(options), Utf8_(utf8), Colour_(colour), Evaluator_(options.Language, options.Scheme) {}

    void Process(TBatchBlock& block) {
        block.Output.clear();
        for (const auto& [offset, length] : block.Lines) {
            const std::string_view line(block.Bytes.data() + offset, length);
            Word_.clear();
            Input_.clear();
            if (Utf8_) {
                Decoder_.Decode(line, Word_);
                Decoder_.Finish(Word_);
                Input_.assign(line);
            } else {
                Word_.assign(line);
                AppendCp1251AsUtf8(Input_, line);
            }
            Evaluator_.EvaluateWord(Word_, Input_, Result_);
            AppendBatchRow(block.Output, Options_, Result_, Colour_);
        }
    }

private:
    const TCliOptions& Options_;
    bool Utf8_, Colour_;
    TEvaluator Evaluator_;
    TUtf8ToCp1251 Decoder_{TAcuteAccent::amStressMark};
    std::string Word_, Input_;
    TEvaluation Result_;
};

// Cuts a word list into its lines, trimmed of blanks and control characters; empty lines are
// left out. A line may run over any number of pieces.
class TLineSplitter {
public:
    template <class F> void Feed(std::string_view piece, F&& line) {
        std::size_t start = 0;
        while (start < piece.size()) {
            const void* found = std::memchr(piece.data() + start, '\n', piece.size() - start);
            if (!found) {
                Pending_.append(piece.substr(start));
                return;
            }
            const auto newline = std::size_t(static_cast<const char*>(found) - piece.data());
            if (Pending_.empty()) {
                Emit(piece.substr(start, newline - start), line);
            } else {
                Pending_.append(piece.substr(start, newline - start));
                Emit(Pending_, line);
                Pending_.clear();
            }
            start = newline + 1;
        }
    }

    // The last line, when the list does not end with a line break.
    template <class F> void Finish(F&& line) {
        Emit(Pending_, line);
        Pending_.clear();
    }

private:
    template <class F> static void Emit(std::string_view text, F& line) {
        std::size_t begin = 0, end = text.size();
        while (begin < end && static_cast<unsigned char>(text[begin]) <= 32) ++begin;
        while (end > begin && static_cast<unsigned char>(text[end - 1]) <= 32) --end;
        if (begin < end) line(text.substr(begin, end - begin));
    }
    std::string Pending_;
};

// A round of blocks that the threads take one by one.
struct TBatchRound {
    std::vector<TBatchBlock> Blocks;
    std::size_t Count = 0;              // blocks filled in this round
    std::atomic<std::size_t> Next = 0;  // the next block to take
    std::atomic<std::size_t> Done = 0;  // blocks evaluated
};

// Helper threads that evaluate the blocks of a posted round alongside the caller. The caller
// fills the next round while they work, so reading, evaluating and writing overlap.
class TBatchPool {
public:
    TBatchPool(std::vector<TBatchWorker>& workers) : Workers_(workers) {
        for (std::size_t i = 1; i < workers.size(); ++i)
            Threads_.emplace_back([this, i] { Serve(Workers_[i]); });
    }
    ~TBatchPool() {
        {
            std::lock_guard lock(Mutex_);
            Stopping_ = true;
        }
        Posted_.notify_all();
    }

    void Post(TBatchRound& round) {
        round.Done = 0;
        round.Next = 0;
        {
            std::lock_guard lock(Mutex_);
            Current_ = &round;
            ++Generation_;
        }
        Posted_.notify_all();
    }

    // Takes part in the round, then waits until every block of it is evaluated.
    void Finish(TBatchRound& round) {
        Help(round, Workers_[0]);
        std::unique_lock lock(Mutex_);
        Finished_.wait(lock, [&] { return round.Done.load() == round.Count; });
    }

private:
    void Help(TBatchRound& round, TBatchWorker& worker) {
        for (std::size_t i = round.Next++; i < round.Count; i = round.Next++) {
            worker.Process(round.Blocks[i]);
            if (++round.Done == round.Count) {
                std::lock_guard lock(Mutex_);
                Finished_.notify_all();
            }
        }
    }

    void Serve(TBatchWorker& worker) {
        std::uint64_t seen = 0;
        for (;;) {
            TBatchRound* round = nullptr;
            {
                std::unique_lock lock(Mutex_);
                Posted_.wait(lock, [&] { return Stopping_ || Generation_ != seen; });
                if (Stopping_) return;
                seen = Generation_;
                round = Current_;
            }
            Help(*round, worker);
        }
    }

    std::vector<TBatchWorker>& Workers_;
    std::mutex Mutex_;
    std::condition_variable Posted_, Finished_;
    TBatchRound* Current_ = nullptr;
    std::uint64_t Generation_ = 0;
    bool Stopping_ = false;
    std::vector<std::jthread> Threads_; // last, so that they stop before the rest goes
};

int RunBatch(const TCliOptions& options, TOutput& output) {
    const std::string& path = options.Arguments.front();
    std::string error;
    auto file = TInputFile::Open(path, options.Encoding, error);
    if (!file) {
        Complain(error);
        return 1;
    }
    if (options.Format == TOutputFormat::ofCsv) AppendCsvHeader(output.Buffer, options.Language, "word");

    // Two rounds take turns: while the threads evaluate one, this thread fills the other and
    // then joins in; the finished round is written in its order.
    const std::size_t threads = std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 8);
    std::vector<TBatchWorker> workers;
    for (std::size_t i = 0; i < threads; ++i) workers.emplace_back(options, file->IsUtf8(), UseTerminalColour());
    std::array<TBatchRound, 2> rounds;
    for (auto& round : rounds) round.Blocks.resize(64 * threads);
    TBatchPool pool(workers);
    std::size_t filling = 0;     // the round lines go into
    bool running = false;        // the other round is posted
    auto finishRunning = [&] {
        if (!running) return;
        TBatchRound& round = rounds[1 - filling];
        pool.Finish(round);
        for (std::size_t i = 0; i < round.Count; ++i) {
            output.Write(round.Blocks[i].Output);
            round.Blocks[i].Clear();
        }
        round.Count = 0;
        running = false;
    };
    auto post = [&] {
        TBatchRound& round = rounds[filling];
        round.Count = round.Blocks[round.Count].Lines.empty() ? round.Count : round.Count + 1;
        finishRunning();
        if (round.Count == 0) return;
        pool.Post(round);
        running = true;
        filling = 1 - filling;
    };
    auto addLine = [&](std::string_view line) {
        TBatchRound& round = rounds[filling];
        TBatchBlock& block = round.Blocks[round.Count];
        block.Add(line);
        if (block.Full() && ++round.Count == round.Blocks.size()) {
            --round.Count;
            post();
        }
    };

    TLineSplitter lines;
    std::string_view piece;
    while (file->Read(piece, error)) lines.Feed(piece, addLine);
    if (!error.empty()) {
        finishRunning();
        Complain(error);
        return 1;
    }
    lines.Finish(addLine);
    post();
    finishRunning();
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
