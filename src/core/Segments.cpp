#include "Segments.h"

#include "Cp1251.h"
#include "EncodingDetector.h"
#include "Evaluation.h"
#include "Formats.h"
#include "InputFile.h"

namespace zelm {

namespace {

constexpr bool IsBlank(unsigned char b) { return b <= 32 || b == 127; }

// The text of one segment, read both ways while its encoding is open, as `text` reads a file.
class TSegment {
public:
    TSegment(const TCliOptions& options) : Encoding_(options.Encoding), Cp_(options.Language, options.Scheme),
                                           Utf_(options.Language, options.Scheme) {
        Reset();
    }

    // The encoding of the file being read: the options', or UTF-8 for a UTF-16 file (read in its
    // UTF-8 form).
    void SetEncoding(TInputEncoding encoding) { Encoding_ = encoding; }

    void Reset() {
        Cp_.BeginText();
        Utf_.BeginText();
        Detector_ = {};
        Decoder_ = TUtf8ToCp1251(TAcuteAccent::amDrop);
        Preview_.clear();
    }

    void Feed(std::string_view bytes) {
        if (bytes.empty()) return;
        const bool both = Encoding_ == TInputEncoding::ieAuto;
        if (both) Detector_.Feed(bytes);
        if (Encoding_ != TInputEncoding::ieUtf8) Cp_.FeedText(bytes);
        if (Encoding_ == TInputEncoding::ieUtf8 || (both && Detector_.MayBeUtf8())) {
            Decoded_.clear();
            Decoder_.Decode(bytes, Decoded_);
            Utf_.FeedText(Decoded_);
        }
        if (Preview_.size() < PreviewBytes) Preview_.append(bytes.substr(0, PreviewBytes - Preview_.size()));
    }

    void End(std::string_view input, TEvaluation& result) {
        const bool utf8 = Encoding_ == TInputEncoding::ieUtf8 ||
                          (Encoding_ == TInputEncoding::ieAuto && Detector_.Result() != TDetectedEncoding::deCp1251);
        if (utf8) {
            Decoded_.clear();
            Decoder_.Finish(Decoded_);
            Utf_.FeedText(Decoded_);
        }
        (utf8 ? Utf_ : Cp_).EndText(input, result);
        // The first words, for the table.
        std::string preview;
        if (utf8) AppendValidUtf8(preview, Preview_);
        else AppendCp1251AsUtf8(preview, Preview_);
        Words_.clear();
        for (const char c : preview) Words_.push_back(static_cast<unsigned char>(c) < 32 ? ' ' : c);
        if (Preview_.size() >= PreviewBytes) { // cut short: end at the last whole word
            const auto space = Words_.find_last_of(' ');
            if (space != std::string::npos && space > 0) Words_.resize(space);
        }
        while (!Words_.empty() && Words_.back() == ' ') Words_.pop_back();
        const auto begin = Words_.find_first_not_of(' ');
        Words_.erase(0, begin == std::string::npos ? Words_.size() : begin);
    }
    const std::string& Words() const { return Words_; }

private:
    static constexpr std::size_t PreviewBytes = 64; // of the segment's start, for its first words
    TInputEncoding Encoding_;
    TEvaluator Cp_, Utf_;
    TEncodingDetector Detector_;
    TUtf8ToCp1251 Decoder_;
    std::string Decoded_, Preview_, Words_;
};

} // namespace

struct TSegmenter::TState {
    TState(const TCliOptions& options) : Segment(options) {}
    TSegment Segment;
    TEvaluation Result;
    std::int64_t Line = 1, Number = 0, First = 0;
    bool LineHasText = false, Open = false, AfterCr = false;
};

TSegmenter::TSegmenter(const TCliOptions& options, TInputEncoding encoding, std::string input,
                       std::function<void(const TEvaluation&, const std::string&)> each)
    : ByLine_(options.By == TCliOptions::TSegments::sgLine), Input_(std::move(input)), Each_(std::move(each)),
      State_(std::make_unique<TState>(options)) {
    State_->Segment.SetEncoding(encoding);
}

TSegmenter::~TSegmenter() = default;

void TSegmenter::Emit() {
    TState& s = *State_;
    s.Segment.End(Input_, s.Result);
    s.Result.Segment = ++s.Number;
    s.Result.Line = s.First;
    Each_(s.Result, s.Segment.Words());
    s.Segment.Reset();
    s.Open = false;
}

// A line has ended (its terminator is not yet fed).
void TSegmenter::EndLine() {
    TState& s = *State_;
    if (s.LineHasText && !s.Open) s.Open = true;
    if (ByLine_) {
        if (s.LineHasText) Emit();
        else s.Segment.Reset();
    } else if (!s.LineHasText) {
        if (s.Open) Emit();
        else s.Segment.Reset();
    }
    s.LineHasText = false;
    ++s.Line;
}

void TSegmenter::Feed(std::string_view piece) {
    TState& s = *State_;
    std::size_t start = 0;
    for (std::size_t i = 0; i < piece.size(); ++i) {
        const auto b = static_cast<unsigned char>(piece[i]);
        if (s.AfterCr) { // CR LF is one line end
            s.AfterCr = false;
            if (b == '\n') {
                if (!ByLine_ && s.Open) s.Segment.Feed("\n");
                start = i + 1;
                continue;
            }
        }
        if (b == '\n' || b == '\r') {
            s.Segment.Feed(piece.substr(start, i - start));
            const bool wasOpen = s.Open || s.LineHasText;
            EndLine();
            // Inside a paragraph the line end belongs to it.
            if (!ByLine_ && s.Open && wasOpen) s.Segment.Feed(b == '\r' ? "\r" : "\n");
            s.AfterCr = b == '\r';
            start = i + 1;
            continue;
        }
        if (!IsBlank(b) && !s.LineHasText) {
            s.LineHasText = true;
            if (!s.Open) s.First = s.Line;
        }
    }
    s.Segment.Feed(piece.substr(start));
}

void TSegmenter::Finish() {
    TState& s = *State_;
    if (s.LineHasText || s.Open) {
        if (s.LineHasText && !s.Open) s.Open = true;
        Emit();
    }
}

int RunSegments(const TCliOptions& options, TOutput& output, const std::function<void(const TEvaluation&)>& each) {
    if (options.Format == TOutputFormat::ofCsv) {
        output.Buffer += "segment,line,";
        AppendCsvHeader(output.Buffer, options.Language, "text");
    }
    const auto write = [&](const TEvaluation& result, const std::string& words) {
        std::string& out = output.Buffer;
        if (each) each(result);
        else switch (options.Format) {
        case TOutputFormat::ofJson: AppendJson(out, result); break;
        case TOutputFormat::ofCsv:
            out += std::to_string(result.Segment) + "," + std::to_string(result.Line) + ",";
            AppendCsvRow(out, result);
            break;
        case TOutputFormat::ofTable:
        case TOutputFormat::ofSvg: { // refused for segments by the command line
            TEvaluation shown = result;
            shown.Input = std::to_string(result.Line) + "  " + words;
            AppendCompactRow(out, shown, UseTerminalColour());
            break;
        }
        }
        output.MaybeFlush();
    };
    int status = 0;
    for (const std::string& path : options.Arguments) {
        auto file = OpenOrComplain(path, status);
        if (!file) continue;
        std::string error;
        const bool utf16 = options.Encoding == TInputEncoding::ieAuto && file->ProbeUtf16(error);
        TSegmenter segments(options, utf16 ? TInputEncoding::ieUtf8 : options.Encoding, AsUtf8(path, TInputEncoding::ieAuto),
                            write);
        std::string_view piece;
        while (file->Read(piece, error) && !output.Failed) segments.Feed(piece);
        if (!error.empty()) {
            Complain(error);
            status = 1;
            continue;
        }
        segments.Finish();
        if (output.Failed) return 1;
    }
    return status;
}

} // namespace zelm
