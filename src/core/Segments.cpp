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

int RunSegments(const TCliOptions& options, TOutput& output, const std::function<void(const TEvaluation&)>& each) {
    const bool byLine = options.By == TCliOptions::TSegments::sgLine;
    if (options.Format == TOutputFormat::ofCsv) {
        output.Buffer += "segment,line,";
        AppendCsvHeader(output.Buffer, options.Language, "text");
    }
    TSegment segment(options);
    TEvaluation result;
    int status = 0;
    for (const std::string& path : options.Arguments) {
        auto file = OpenOrComplain(path, status);
        if (!file) continue;
        std::string error;
        const bool utf16 = options.Encoding == TInputEncoding::ieAuto && file->ProbeUtf16(error);
        segment.SetEncoding(utf16 ? TInputEncoding::ieUtf8 : options.Encoding);
        const std::string input = AsUtf8(path, TInputEncoding::ieAuto);
        std::int64_t line = 1, number = 0, first = 0;
        bool lineHasText = false, open = false, afterCr = false;
        const auto emit = [&] {
            segment.End(input, result);
            result.Segment = ++number;
            result.Line = first;
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
                shown.Input = std::to_string(result.Line) + "  " + segment.Words();
                AppendCompactRow(out, shown, UseTerminalColour());
                break;
            }
            }
            output.MaybeFlush();
            segment.Reset();
            open = false;
        };
        // A line has ended (its terminator is not yet fed).
        const auto endLine = [&] {
            if (lineHasText && !open) open = true;
            if (byLine) {
                if (lineHasText) emit();
                else segment.Reset();
            } else if (!lineHasText) {
                if (open) emit();
                else segment.Reset();
            }
            lineHasText = false;
            ++line;
        };
        std::string_view piece;
        while (file->Read(piece, error) && !output.Failed) {
            std::size_t start = 0;
            for (std::size_t i = 0; i < piece.size(); ++i) {
                const auto b = static_cast<unsigned char>(piece[i]);
                if (afterCr) { // CR LF is one line end
                    afterCr = false;
                    if (b == '\n') {
                        if (!byLine && open) segment.Feed("\n");
                        start = i + 1;
                        continue;
                    }
                }
                if (b == '\n' || b == '\r') {
                    segment.Feed(piece.substr(start, i - start));
                    const bool wasOpen = open || lineHasText;
                    endLine();
                    // Inside a paragraph the line end belongs to it.
                    if (!byLine && open && wasOpen) segment.Feed(b == '\r' ? "\r" : "\n");
                    afterCr = b == '\r';
                    start = i + 1;
                    continue;
                }
                if (!IsBlank(b) && !lineHasText) {
                    lineHasText = true;
                    if (!open) first = line;
                }
            }
            segment.Feed(piece.substr(start));
        }
        if (!error.empty()) {
            Complain(error);
            status = 1;
            continue;
        }
        if (lineHasText || open) {
            if (lineHasText && !open) open = true;
            emit();
        }
        if (output.Failed) return 1;
    }
    return status;
}

} // namespace zelm
