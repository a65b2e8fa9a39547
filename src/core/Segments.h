// text --by line|paragraph: each line or paragraph of a text evaluated as a text of its own.
#pragma once

#include "CliOptions.h"
#include "Output.h"

#include <functional>

namespace zelm {

struct TEvaluation;

// Streams each input once: a segment is a line with a non-blank character (blank: spaces, tabs
// and control characters), or a run of such lines between blank lines; lines end at LF, CR LF
// or CR. Each result is what `text` gives for the segment's bytes alone (its encoding detected
// on them alone), numbered, with its first line. Memory stays bounded. Returns the exit status.
// With `each`, every segment's evaluation is handed to it instead of being written.
int RunSegments(const TCliOptions& options, TOutput& output,
                const std::function<void(const TEvaluation&)>& each = nullptr);

} // namespace zelm
