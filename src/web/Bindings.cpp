// What the web page calls in the engine: zelm-cli's own commands, and one evaluation with
// everything the page shows of it. Standard error reaches the page through the module's printErr.
#include "Batch.h"
#include "Commands.h"
#include "ExplainCommand.h"
#include "Formats.h"
#include "InputFile.h"
#include "Segments.h"
#include "Sounds.h"
#include "TextCount.h"

#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

using emscripten::val;

namespace zelm {
namespace {

// Standard input of the next command: a file the page wrote into the module's memory, for a
// typed text or list (reported as "-", as zelm-cli reports standard input).
bool UseInput(const std::string& path) {
    return path.empty() || std::freopen(path.c_str(), "rb", stdin) != nullptr;
}

// Bytes for the page (a JS string would replace what is not UTF-8), copied out of the module.
val Bytes(std::string_view bytes) {
    return val::global("Uint8Array").new_(emscripten::typed_memory_view(bytes.size(), bytes.data()));
}

// A zelm-cli command line, run as the program runs it: {status, out}; with `onPiece`, the output
// goes to it piece by piece instead of `out`.
val Run(const val& list, const std::string& input, const val* onPiece) {
    val result = val::object();
    std::string error, out;
    const auto options = ParseCommandLine(emscripten::vecFromJSArray<std::string>(list), error);
    if (options && NeedsQt(options->Command)) error = "report and print are not available here";
    else if (options && !UseInput(input)) error = "cannot read the typed text";
    if (!error.empty()) {
        Complain(error);
        result.set("status", 2);
        return result;
    }
    TOutput output;
    if (onPiece) output.Sink = [onPiece](std::string_view piece) { (*onPiece)(Bytes(piece)); };
    else output.Capture = &out;
    const int status = RunCommand(*options, output);
    output.Flush();
    result.set("status", status);
    if (!onPiece) result.set("out", Bytes(out));
    return result;
}

// Rows for the page's tables, handed to `onBlock` a few thousand at a time, as views of this
// module's memory that the callee copies out: {count, values (count × scales, as the engine stores
// them), first, second} — a list word's offset in the list and its length, or a segment's first
// line and 0 — with `scores` for a ranking (ScoreOf the wanted poles), and, when asked for, `words`: the words as UTF-8, one after the other (for a
// UTF-16 list, whose offsets are not the file's).
class TRowBlocks {
public:
    TRowBlocks(val onBlock, bool keepWords) : OnBlock_(std::move(onBlock)), KeepWords_(keepWords) {}
    void Add(const TEvaluation& e, double first, double second, const std::vector<TWantedPole>* want = nullptr) {
        Values_.insert(Values_.end(), e.Profile.begin(), e.Profile.end());
        if (want) Scores_.push_back(ScoreOf(e.Profile, *want));
        if (KeepWords_) Words_ += e.Input;
        First_.push_back(first);
        Second_.push_back(second);
        if (First_.size() == 4096) Flush();
    }
    void Flush() {
        if (First_.empty()) return;
        val block = val::object();
        block.set("count", First_.size());
        block.set("values", val(emscripten::typed_memory_view(Values_.size(), Values_.data())));
        block.set("first", val(emscripten::typed_memory_view(First_.size(), First_.data())));
        block.set("second", val(emscripten::typed_memory_view(Second_.size(), Second_.data())));
        if (KeepWords_) block.set("words", Bytes(Words_));
        if (!Scores_.empty()) block.set("scores", val(emscripten::typed_memory_view(Scores_.size(), Scores_.data())));
        OnBlock_(block);
        Scores_.clear();
        Words_.clear();
        Values_.clear();
        First_.clear();
        Second_.clear();
    }

private:
    val OnBlock_;
    bool KeepWords_;
    std::vector<double> Values_, First_, Second_, Scores_;
    std::string Words_;
};

// The rows of a `batch` or `rank` command line (every word: a list's words), or of a `text --by`
// one (every segment): {status, utf16} after the last block.
val Rows(const val& list, const std::string& input, bool keepWords, val onBlock) {
    val result = val::object();
    std::string error;
    const auto options = ParseCommandLine(emscripten::vecFromJSArray<std::string>(list), error);
    const bool words = options && (options->Command == TCommand::cmBatch || options->Command == TCommand::cmRank);
    if (options && !words && !(options->Command == TCommand::cmText && options->By != TCliOptions::TSegments::sgWhole))
        error = "rows are made of word lists and segments only";
    if (error.empty() && !UseInput(input)) error = "cannot read the typed text";
    if (!error.empty()) {
        Complain(error);
        result.set("status", 2);
        return result;
    }
    TRowBlocks blocks(std::move(onBlock), keepWords);
    int status;
    if (words) {
        const bool rank = options->Command == TCommand::cmRank;
        // A word's length, negative when the word is read as UTF-8.
        status = ForEachWord(*options, [&](const TEvaluation& e, std::uint64_t offset, std::size_t length, bool utf8) {
            const double size = double(std::min<std::size_t>(keepWords ? e.Input.size() : length, 1u << 30));
            blocks.Add(e, double(offset), utf8 || keepWords ? -size : size, rank ? &options->Want : nullptr);
        });
    } else {
        TOutput none;
        std::string ignored;
        none.Capture = &ignored;
        status = RunSegments(*options, none, [&](const TEvaluation& e) { blocks.Add(e, double(e.Line), 0); });
    }
    blocks.Flush();
    result.set("status", status);
    return result;
}

// An explanation as the page reads the explain command's JSON: {terms: [{sound, position, weight,
// count, expected, z, contributions}], clamped}.
val Explained(const TEvaluation& e, const TExplanation& x) {
    val terms = val::array();
    for (const TExplainTerm& term : x.Terms) {
        val t = val::object();
        t.set("sound", SoundLabel(e.Language, e.IsWord, term.Code));
        t.set("position", term.Position);
        t.set("weight", term.Weight);
        t.set("count", term.Count);
        t.set("expected", term.Expected);
        t.set("z", term.Z);
        val contributions = val::global("Float64Array").new_(term.Contributions.size());
        for (std::size_t k = 0; k < term.Contributions.size(); ++k) contributions.set(k, term.Contributions[k]);
        t.set("contributions", contributions);
        terms.call<void>("push", t);
    }
    val clamped = val::array();
    for (const int scale : x.Clamped) clamped.call<void>("push", scale);
    val result = val::object();
    result.set("terms", terms);
    result.set("clamped", clamped);
    return result;
}

// Everything the page shows of an evaluation, set on `result`: its chart as the result windows
// draw it, its comment and colours, its JSON, CSV and SVG as zelm-cli prints them, and a text's
// explanation.
val Described(const TEvaluation& e, const TExplanation& explanation, val result) {
    std::string json, csv, svg, explained;
    if (!e.IsWord) {
        AppendExplanationJson(explained, e, explanation);
        result.set("explanation", explained);
    }
    AppendJson(json, e);
    AppendCsvHeader(csv, e.Language, e.IsWord ? "word" : "text");
    AppendCsvRow(csv, e);
    AppendSvg(svg, e);
    result.set("status", 0);
    result.set("json", Bytes(json));
    result.set("csv", Bytes(csv));
    result.set("svg", Bytes(svg));
    result.set("comment", e.Comment);
    val rows = val::array();
    const auto& names = ScaleNamesOf(e.Language);
    for (std::size_t r = 0; r < names.size(); ++r) {
        val row = val::object();
        row.set("left", names[r].Left);
        row.set("right", names[r].Right);
        row.set("value", e.ChartValue(r));
        row.set("bar", std::min(1.0, std::abs(e.ChartValue(r)) / e.BarScale));
        row.set("text", e.ValueText(r));
        row.set("significant", e.Significant(r));
        rows.call<void>("push", row);
    }
    result.set("chart", rows);
    val colours = val::array();
    for (const TColourMeasure& c : e.Colours) {
        val colour = val::object();
        colour.set("cls", c.Class);
        colour.set("colour", CssColour(c.Colour));
        colour.set("measure", c.Measure);
        colour.set("shown", c.Shown);
        colour.set("blocks", c.Blocks);
        colours.call<void>("push", colour);
    }
    result.set("colours", colours);
    return result;
}

// The one word or text of a `word` or `text` command line: its chart as the result windows draw
// it, its comment and colours, its JSON, CSV and SVG as zelm-cli prints them, and a text's
// explanation (a word's, which grows with its length, is made when asked for: Explain).
val Evaluate(const val& list, const std::string& input, bool explainWord) {
    val result = val::object();
    std::string error;
    auto options = ParseCommandLine(emscripten::vecFromJSArray<std::string>(list), error);
    if (options && (options->Arguments.size() != 1 ||
                    (options->Command != TCommand::cmWord && options->Command != TCommand::cmText)))
        error = "one word or one text is evaluated at a time";
    if (!error.empty() || !UseInput(input)) {
        Complain(error.empty() ? "cannot read the typed text" : error);
        result.set("status", 2);
        return result;
    }
    const std::string& arg = options->Arguments.front();
    TEvaluation e;
    TExplanation explanation;
    if (options->Command == TCommand::cmWord) {
        TEvaluator evaluator(options->Language, options->Scheme);
        evaluator.EvaluateWord(ArgumentWord(arg, options->Encoding), AsUtf8(arg, options->Encoding), e);
        if (explainWord) explanation = evaluator.ExplainLast(true);
    } else {
        int status = 0;
        auto file = OpenOrComplain(arg, status);
        TTextCount count(*options);
        if (!file || !count.Evaluate(*file, arg, e)) {
            result.set("status", 1);
            return result;
        }
        explanation = count.Chosen().ExplainLast(false);
        result.set("encoding", std::string(file->IsUtf16() ? "utf-16" : count.IsUtf8() ? "utf-8" : "cp1251"));
        result.set("total", double(e.Total));
    }
    if (explainWord) { // the terms as numbers: a long word has thousands, too many to write out as text
        result.set("status", 0);
        result.set("explained", Explained(e, explanation));
        return result;
    }
    return Described(e, explanation, result);
}

// The bytes of a Uint8Array from the page, copied into `piece`.
void CopyInto(std::string& piece, const val& bytes) {
    piece.resize(bytes["length"].as<std::size_t>());
    val(emscripten::typed_memory_view(piece.size(), piece.data())).call<void>("set", bytes);
}

// A text file counted from pieces the page reads from it (a stream of the file, whose pieces the
// browser frees at once, where reading it in large pieces through the file system leaves them all
// to the collector): `feed` each piece, then `finish` gives what `evaluate` gives for the text.
// Not for UTF-16, which is read through the file system.
class TTextStream {
public:
    explicit TTextStream(const val& list) {
        std::string error;
        Options_ = ParseCommandLine(emscripten::vecFromJSArray<std::string>(list), error);
        if (Options_ && (Options_->Command != TCommand::cmText || Options_->Arguments.size() != 1)) Options_.reset();
        if (!Options_) return;
        Cp1251_.emplace(Options_->Language, Options_->Scheme);
        Utf8_.emplace(Options_->Language, Options_->Scheme);
        Cp1251_->BeginText();
        Utf8_->BeginText();
        Readings_.emplace(Options_->Encoding, [this](std::string_view piece) { Cp1251_->FeedText(piece); },
                          [this](std::string_view piece) { Utf8_->FeedText(piece); });
    }
    void Feed(const val& bytes) {
        if (!Readings_) return;
        CopyInto(Piece_, bytes);
        Readings_->Feed(Piece_);
    }
    val Finish() {
        val result = val::object();
        if (!Readings_) {
            Complain("one text is counted at a time");
            result.set("status", 2);
            return result;
        }
        const bool utf8 = Readings_->Finish();
        TEvaluator& chosen = utf8 ? *Utf8_ : *Cp1251_;
        TEvaluation e;
        chosen.EndText(AsUtf8(Options_->Arguments.front(), TInputEncoding::ieAuto), e);
        result.set("encoding", std::string(utf8 ? "utf-8" : "cp1251"));
        result.set("total", double(e.Total));
        return Described(e, chosen.ExplainLast(false), result);
    }

private:
    std::optional<TCliOptions> Options_;
    std::optional<TEvaluator> Cp1251_, Utf8_;
    std::optional<TTextReadings> Readings_;
    std::string Piece_;
};

// A text file's segments (`text --by`) from pieces the page reads from it, as TTextStream counts a
// text: `feed` each piece, then `finish`; the rows go to `onBlock` as Rows hands them out.
class TSegmentStream {
public:
    TSegmentStream(const val& list, val onBlock) : Blocks_(std::move(onBlock), false) {
        std::string error;
        Options_ = ParseCommandLine(emscripten::vecFromJSArray<std::string>(list), error);
        if (!Options_ || Options_->Command != TCommand::cmText || Options_->By == TCliOptions::TSegments::sgWhole ||
            Options_->Arguments.size() != 1)
            return;
        Segments_.emplace(*Options_, Options_->Encoding, AsUtf8(Options_->Arguments.front(), TInputEncoding::ieAuto),
                          [this](const TEvaluation& e, const std::string&) { Blocks_.Add(e, double(e.Line), 0); });
    }
    void Feed(const val& bytes) {
        if (!Segments_) return;
        CopyInto(Piece_, bytes);
        Segments_->Feed(Piece_);
    }
    val Finish() {
        val result = val::object();
        if (Segments_) {
            Segments_->Finish();
            Blocks_.Flush();
        } else {
            Complain("the segments of one text are made at a time");
        }
        result.set("status", Segments_ ? 0 : 2);
        return result;
    }

private:
    std::optional<TCliOptions> Options_;
    TRowBlocks Blocks_;
    std::optional<TSegmenter> Segments_;
    std::string Piece_;
};

} // namespace
} // namespace zelm

EMSCRIPTEN_BINDINGS(zelm) {
    emscripten::class_<zelm::TTextStream>("TextStream")
        .constructor<const val&>()
        .function("feed", &zelm::TTextStream::Feed)
        .function("finish", &zelm::TTextStream::Finish);
    emscripten::class_<zelm::TSegmentStream>("SegmentStream")
        .constructor<const val&, val>()
        .function("feed", &zelm::TSegmentStream::Feed)
        .function("finish", &zelm::TSegmentStream::Finish);
    emscripten::function("run", +[](const val& list, const std::string& input) { return zelm::Run(list, input, nullptr); });
    // {status}, the output handed to onPiece(bytes) as it is written.
    emscripten::function("runInPieces", +[](const val& list, const std::string& input, val onPiece) {
        return zelm::Run(list, input, &onPiece);
    });
    emscripten::function("rows", &zelm::Rows);
    emscripten::function("evaluate", +[](const val& list, const std::string& input) { return zelm::Evaluate(list, input, false); });
    // {status, explanation}: the terms of a word's (or a text's) evaluation, as zelm-cli explain gives them.
    emscripten::function("explain", +[](const val& list, const std::string& input) { return zelm::Evaluate(list, input, true); });
}
