#include "Batch.h"

#include "Cp1251.h"
#include "Evaluation.h"
#include "Formats.h"
#include "InputFile.h"
#include "LineSplitter.h"
#include "OrderedPipeline.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
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
    case TOutputFormat::ofTable:
    case TOutputFormat::ofSvg: // refused for word lists by the command line
        AppendCompactRow(out, e, colour);
        break;
    }
}

// A run of lines of a word list, and the output made of them; kept and refilled.
struct TBatchBlock {
    std::string Bytes;
    std::vector<std::pair<std::size_t, std::size_t>> Lines; // offset and length in Bytes
    std::vector<std::uint64_t> Numbers;                      // each line's number in the list
    std::string Output;
    std::vector<double> Scores; // rank: one per line
    std::uint64_t FirstNotUtf8 = 0; // the number of the first line read as Windows-1251 in a UTF-8 list

    void Add(std::string_view line, std::uint64_t number) {
        Lines.emplace_back(Bytes.size(), line.size());
        Numbers.push_back(number);
        Bytes.append(line);
    }
    void Clear() {
        Bytes.clear();
        Lines.clear();
        Numbers.clear();
        Output.clear();
        Scores.clear();
        FirstNotUtf8 = 0;
    }
};

// In a UTF-8 word list, a line that is not well-formed UTF-8 is read as Windows-1251; the first
// such line is named once on standard error.
class TFallbackNote {
public:
    explicit TFallbackNote(std::string name) : Name_(std::move(name)) {}
    void Seen(std::uint64_t line) {
        if (line == 0 || Noted_) return;
        Noted_ = true;
        Complain("note: line " + std::to_string(line) + " of " + Name_ +
                 " is not UTF-8; such lines are read as Windows-1251");
    }

private:
    std::string Name_;
    bool Noted_ = false;
};

// Evaluates the words of blocks; one per thread, each with engines of its own.
class TBatchWorker {
public:
    TBatchWorker(const TCliOptions& options, bool utf8, bool colour)
        : Options_(options), Utf8_(utf8), Detected_(options.Encoding == TInputEncoding::ieAuto), Colour_(colour),
          Evaluator_(options.Language, options.Scheme) {
        Evaluator_.WordDetails = options.Format != TOutputFormat::ofCsv;
    }

    void Process(TBatchBlock& block) {
        block.Output.clear();
        for (std::size_t i = 0; i < block.Lines.size(); ++i) {
            const auto& [offset, length] = block.Lines[i];
            const std::string_view line(block.Bytes.data() + offset, length);
            const bool utf8 = ReadsAsUtf8Line(line); // looked at once a line
            if (Utf8_ && !utf8 && !block.FirstNotUtf8) block.FirstNotUtf8 = block.Numbers[i];
            AppendBatchRow(block.Output, Options_, Evaluate(line, utf8), Colour_);
        }
    }

    // True when a line is read as UTF-8: in a UTF-8 list, unless the encoding was detected and
    // the line is not well-formed (a UTF-8 list the user named as such shows such bytes as "?").
    bool ReadsAsUtf8Line(std::string_view line) const { return Utf8_ && (!Detected_ || IsValidUtf8(line)); }

    // The score of every line against the wanted poles: the mean of the values (negated for a
    // right pole), in double.
    void Score(TBatchBlock& block) {
        block.Scores.clear();
        for (std::size_t i = 0; i < block.Lines.size(); ++i) {
            const auto& [offset, length] = block.Lines[i];
            const std::string_view line(block.Bytes.data() + offset, length);
            std::string_view word = line;
            const bool utf8 = ReadsAsUtf8Line(line);
            if (Utf8_ && !utf8 && !block.FirstNotUtf8) block.FirstNotUtf8 = block.Numbers[i];
            if (utf8) {
                Word_.clear();
                Decoder_.Decode(line, Word_);
                Decoder_.Finish(Word_);
                word = Word_;
            }
            block.Scores.push_back(ScoreOf(Evaluator_.WordProfileOf(word), Options_.Want));
        }
    }

    // The full evaluation of one line, for printing; `utf8` is ReadsAsUtf8Line of it.
    const TEvaluation& Evaluate(std::string_view line) { return Evaluate(line, ReadsAsUtf8Line(line)); }
    const TEvaluation& Evaluate(std::string_view line, bool utf8) {
        Word_.clear();
        Input_.clear();
        if (utf8) {
            Decoder_.Decode(line, Word_);
            Decoder_.Finish(Word_);
            // Malformed bytes are shown as "?", as the word is read; a detected UTF-8 list's
            // lines were found well-formed already.
            if (Detected_) Input_.assign(line);
            else AppendValidUtf8(Input_, line);
        } else {
            Word_.assign(line);
            AppendCp1251AsUtf8(Input_, line);
        }
        Evaluator_.EvaluateWord(Word_, Input_, Result_);
        return Result_;
    }

    // A line too long to copy: evaluated on the spot and written straight out in pieces.
    void ProcessLong(std::string_view line, TOutput& output) {
        std::string decoded;
        std::string_view word = line;
        const bool utf8 = ReadsAsUtf8Line(line);
        if (utf8) {
            std::string().swap(Word_);
            Decoder_.Decode(line, decoded);
            Decoder_.Finish(decoded);
            word = decoded;
        }
        Evaluator_.EvaluateLongWord(word, Result_);
        WriteLongWordRow(output, Options_.Format, Result_, {line, utf8, word, Evaluator_.LastSounds()}, Colour_);
    }

private:
    const TCliOptions& Options_;
    bool Utf8_, Detected_, Colour_;
    TEvaluator Evaluator_;
    TUtf8ToCp1251 Decoder_{TAcuteAccent::amStressMark};
    std::string Word_, Input_;
    TEvaluation Result_;
};

// Number of threads: the processors (at most 8), or ZELM_BATCH_THREADS (1..64) when set.
std::size_t ThreadCount() {
    if (const char* forced = std::getenv("ZELM_BATCH_THREADS"))
        if (const int n = std::atoi(forced); n >= 1 && n <= 64) return std::size_t(n);
    return std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 8);
}

// Lines per block: 128, or ZELM_BATCH_BLOCK_LINES when set (the tests make blocks tiny).
std::size_t BlockLines() {
    if (const char* forced = std::getenv("ZELM_BATCH_BLOCK_LINES"))
        if (const int n = std::atoi(forced); n >= 1) return std::size_t(n);
    return 128;
}

// Length from which a line is written in pieces: LongLine, or ZELM_BATCH_LONG_LINE when set (the
// tests send every line that way to compare both paths).
std::size_t LongLineLength() {
    if (const char* forced = std::getenv("ZELM_BATCH_LONG_LINE"))
        if (const long long n = std::atoll(forced); n >= 1) return std::size_t(n);
    return LongLine;
}

// The word list of the options, its encoding decided; null, with the reason said, when it
// cannot be read.
std::unique_ptr<TInputFile> OpenWordList(const TCliOptions& options) {
    std::string error;
    auto file = TInputFile::Open(options.Arguments.front(), error);
    if (file && file->DecideEncoding(options.Encoding, error)) return file;
    Complain(error);
    return nullptr;
}

} // namespace

double ScoreOf(std::span<const double> profile, const std::vector<TWantedPole>& poles) {
    double sum = 0;
    for (const TWantedPole& pole : poles) sum += pole.Left ? profile[pole.Scale] : -profile[pole.Scale];
    return poles.empty() ? 0 : sum / double(poles.size());
}

int RunBatch(const TCliOptions& options, TOutput& output) {
    auto file = OpenWordList(options);
    if (!file) return 1;
    std::string error;
    if (options.Format == TOutputFormat::ofCsv) AppendCsvHeader(output.Buffer, options.Language, "word");

    // Blocks of lines go round a ring of slots: evaluated on every processor, written in order.
    const std::size_t threads = ThreadCount(), blockLines = BlockLines(), longLine = LongLineLength();
    std::vector<TBatchWorker> workers;
    for (std::size_t i = 0; i < threads; ++i) workers.emplace_back(options, file->IsUtf8(), UseTerminalColour());
    TOrderedPipeline<TBatchBlock> pipeline(threads, 4 * threads,
                                           [&](TBatchBlock& block, std::size_t index) { workers[index].Process(block); });
    TFallbackNote note(file->Name());
    const auto deliver = [&](TBatchBlock& block) {
        note.Seen(block.FirstNotUtf8);
        output.Write(block.Output);
        block.Clear();
        return !output.Failed; // a failed output stops the work at once
    };
    bool stopped = false;
    const auto submit = [&] {
        if (!stopped && !pipeline.Current().Lines.empty() && !pipeline.Submit(deliver)) stopped = true;
    };
    TLineSplitter lines;
    const auto addLine = [&](std::string_view line) {
        if (stopped) return;
        if (line.size() >= longLine) {
            // Written in its place among the others, without a copy of it.
            submit();
            if (stopped || !pipeline.Drain(deliver)) {
                stopped = true;
                return;
            }
            if (file->IsUtf8() && !workers[0].ReadsAsUtf8Line(line)) note.Seen(lines.LineNumber());
            workers[0].ProcessLong(line, output);
            stopped = output.Failed;
            return;
        }
        TBatchBlock& block = pipeline.Current();
        block.Add(line, lines.LineNumber());
        if (block.Lines.size() >= blockLines) submit();
    };

    std::string_view piece;
    while (!stopped && file->Read(piece, error)) lines.Feed(piece, addLine);
    if (!stopped && !error.empty()) {
        pipeline.Drain(deliver);
        Complain(error);
        return 1;
    }
    if (!stopped) lines.Finish(addLine);
    submit();
    if (!stopped) pipeline.Drain(deliver);
    return output.Failed ? 1 : 0;
}

int ForEachWord(const TCliOptions& options,
                const std::function<void(const TEvaluation&, std::uint64_t, std::size_t, bool)>& word) {
    auto file = OpenWordList(options);
    if (!file) return 1;
    TCliOptions quiet = options;
    quiet.Format = TOutputFormat::ofCsv; // no comment or colours: only the values are kept
    TBatchWorker worker(quiet, file->IsUtf8(), false);
    TFallbackNote note(file->Name());
    TLineSplitter lines;
    const auto addLine = [&](std::string_view line) {
        const bool utf8 = worker.ReadsAsUtf8Line(line);
        if (file->IsUtf8() && !utf8) note.Seen(lines.LineNumber());
        word(worker.Evaluate(line, utf8), lines.LineOffset(), line.size(), utf8);
    };
    std::string error;
    std::string_view piece;
    while (file->Read(piece, error)) lines.Feed(piece, addLine);
    if (!error.empty()) {
        Complain(error);
        return 1;
    }
    lines.Finish(addLine);
    return 0;
}

int RunRank(const TCliOptions& options, TOutput& output) {
    auto file = OpenWordList(options);
    if (!file) return 1;
    std::string error;
    const std::size_t threads = ThreadCount(), blockLines = BlockLines();
    std::vector<TBatchWorker> workers;
    for (std::size_t i = 0; i < threads; ++i) workers.emplace_back(options, file->IsUtf8(), UseTerminalColour());

    // The words kept: the N best so far in a heap whose top is the worst of them, or all.
    struct TCandidate {
        double Score;
        std::uint64_t Index;
        std::string Line;
    };
    const auto better = [](const TCandidate& a, const TCandidate& b) {
        return a.Score > b.Score || (a.Score == b.Score && a.Index < b.Index);
    };
    std::vector<TCandidate> kept;
    std::uint64_t index = 0;
    TFallbackNote note(file->Name());
    TOrderedPipeline<TBatchBlock> pipeline(threads, 4 * threads,
                                           [&](TBatchBlock& block, std::size_t worker) { workers[worker].Score(block); });
    const auto deliver = [&](TBatchBlock& block) {
        note.Seen(block.FirstNotUtf8);
        for (std::size_t i = 0; i < block.Lines.size(); ++i, ++index) {
            const double score = block.Scores[i];
            if (options.Top > 0 && kept.size() == options.Top &&
                !better(TCandidate{score, index, {}}, kept.front()))
                continue;
            const auto& [offset, length] = block.Lines[i];
            TCandidate candidate{score, index, std::string(block.Bytes, offset, length)};
            if (options.Top == 0) {
                kept.push_back(std::move(candidate));
                continue;
            }
            if (kept.size() == options.Top) {
                std::pop_heap(kept.begin(), kept.end(), better);
                kept.back() = std::move(candidate);
            } else {
                kept.push_back(std::move(candidate));
            }
            std::push_heap(kept.begin(), kept.end(), better);
        }
        block.Clear();
        return true;
    };
    const auto submit = [&] {
        if (!pipeline.Current().Lines.empty()) pipeline.Submit(deliver);
    };
    TLineSplitter lines;
    const auto addLine = [&](std::string_view line) {
        TBatchBlock& block = pipeline.Current();
        block.Add(line, lines.LineNumber());
        if (block.Lines.size() >= blockLines) submit();
    };
    std::string_view piece;
    while (file->Read(piece, error)) lines.Feed(piece, addLine);
    if (!error.empty()) {
        pipeline.Drain(deliver);
        Complain(error);
        return 1;
    }
    lines.Finish(addLine);
    submit();
    pipeline.Drain(deliver);

    std::sort(kept.begin(), kept.end(), better);
    if (options.Format == TOutputFormat::ofCsv) {
        output.Buffer += "rank,score,";
        AppendCsvHeader(output.Buffer, options.Language, "word");
    }
    TBatchWorker& printer = workers.front();
    const bool colour = UseTerminalColour();
    std::string row;
    for (std::size_t r = 0; r < kept.size() && !output.Failed; ++r) {
        const TEvaluation& e = printer.Evaluate(kept[r].Line);
        row.clear();
        switch (options.Format) {
        case TOutputFormat::ofJson: {
            row += "{\"rank\":";
            row += std::to_string(r + 1);
            row += ",\"score\":";
            AppendNumber(row, kept[r].Score, false);
            row.push_back(',');
            std::string object;
            AppendJson(object, e);
            row.append(object, 1); // the word object without its opening brace
            break;
        }
        case TOutputFormat::ofCsv:
            row += std::to_string(r + 1);
            row.push_back(',');
            AppendNumber(row, kept[r].Score, false);
            row.push_back(',');
            AppendCsvRow(row, e);
            break;
        case TOutputFormat::ofTable:
        case TOutputFormat::ofSvg: // refused for rank by the command line
            row += std::to_string(r + 1);
            row += "  ";
            AppendNumber(row, kept[r].Score, false);
            row += "  ";
            AppendCompactRow(row, e, colour);
            break;
        }
        output.Write(row);
    }
    return output.Failed ? 1 : 0;
}

} // namespace zelm
