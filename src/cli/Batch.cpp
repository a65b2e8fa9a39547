#include "Batch.h"

#include "Cp1251.h"
#include "Evaluation.h"
#include "Formats.h"
#include "InputFile.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zelm {

namespace {

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
        : Options_(options), Utf8_(utf8), Colour_(colour), Evaluator_(options.Language, options.Scheme) {
        Evaluator_.WordDetails = options.Format != TOutputFormat::ofCsv;
    }

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
    std::atomic<std::size_t> Count = 0; // blocks filled in this round
    std::atomic<std::size_t> Next = 0;  // the next block to take
    std::atomic<std::size_t> Done = 0;  // blocks evaluated
    int Helping = 0;                    // helper threads inside the round (under the pool's lock)
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

    // Takes part in the round, then waits until every block of it is evaluated and every helper
    // has left it, so that the round can be filled again.
    void Finish(TBatchRound& round) {
        Help(round, Workers_[0]);
        std::unique_lock lock(Mutex_);
        Finished_.wait(lock, [&] { return round.Done.load() == round.Count && round.Helping == 0; });
    }

private:
    void Help(TBatchRound& round, TBatchWorker& worker) {
        const std::size_t count = round.Count;
        for (std::size_t i = round.Next++; i < count; i = round.Next++) {
            worker.Process(round.Blocks[i]);
            if (++round.Done == count) {
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
                ++round->Helping;
            }
            Help(*round, worker);
            {
                std::lock_guard lock(Mutex_);
                --round->Helping;
            }
            Finished_.notify_all();
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

} // namespace

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
        if (round.Count < round.Blocks.size() && !round.Blocks[round.Count].Lines.empty()) ++round.Count;
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
        if (block.Full() && ++round.Count == round.Blocks.size()) post();
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

} // namespace zelm
