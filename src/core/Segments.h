// text --by line|paragraph: each line or paragraph of a text evaluated as a text of its own.
#pragma once

#include "CliOptions.h"
#include "Output.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace zelm {

// The segments (as RunSegments cuts them) of one text fed piece by piece, in `encoding` (the
// options', or UTF-8 for a UTF-16 text given in its UTF-8 form): each segment's evaluation,
// numbered, with its first line, is handed to `each` with the segment's first words as it ends.
class TSegmenter {
public:
    TSegmenter(const TCliOptions& options, TInputEncoding encoding, std::string input,
               std::function<void(const TEvaluation&, const std::string& words)> each);
    ~TSegmenter();
    void Feed(std::string_view piece);
    void Finish(); // after the last piece

private:
    void Emit();
    void EndLine();
    struct TState;
    bool ByLine_;
    std::string Input_;
    std::function<void(const TEvaluation&, const std::string&)> Each_;
    std::unique_ptr<TState> State_;
};

// Streams each input once: a segment is a line with a non-blank character (blank: spaces, tabs
// and control characters), or a run of such lines between blank lines; lines end at LF, CR LF
// or CR. Each result is what `text` gives for the segment's bytes alone (its encoding detected
// on them alone), numbered, with its first line. Memory stays bounded. Returns the exit status.
// With `each`, every segment's evaluation is handed to it instead of being written.
int RunSegments(const TCliOptions& options, TOutput& output,
                const std::function<void(const TEvaluation&)>& each = nullptr);

} // namespace zelm
