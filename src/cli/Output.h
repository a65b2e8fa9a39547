// Standard output and error of zelm-cli.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <unistd.h>

namespace zelm {

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

// An error message on standard error, after the program's name.
inline void Complain(const std::string& message) { std::fprintf(stderr, "zelm-cli: %s\n", message.c_str()); }

// Whether standard output is a terminal that wants colours (NO_COLOR unset, TERM not "dumb").
inline bool UseTerminalColour() {
    const char* term = std::getenv("TERM");
    return ::isatty(STDOUT_FILENO) && !std::getenv("NO_COLOR") && !(term && std::strcmp(term, "dumb") == 0);
}

} // namespace zelm
