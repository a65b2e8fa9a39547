// Standard output and error of zelm-cli.
#pragma once

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <unistd.h>

namespace zelm {

// Standard output, written in large blocks by this class alone. After the first failure nothing more is written;
// `Error` keeps the system's reason.
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
        Put(piece);
    }
    void MaybeFlush() {
        if (Buffer.size() >= (std::size_t(1) << 16)) Flush();
    }
    void Flush() {
        Put(Buffer);
        Buffer.clear();
    }
    bool Failed = false;
    int Error = 0;

private:
    // Straight to the descriptor, so that every failure is seen where it happens.
    void Put(std::string_view piece) {
        while (!Failed && !piece.empty()) {
            const ssize_t n = ::write(STDOUT_FILENO, piece.data(), piece.size());
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                Failed = true;
                Error = n < 0 ? errno : ENOSPC;
                return;
            }
            piece.remove_prefix(std::size_t(n));
        }
    }
};

// An error message on standard error, after the program's name.
inline void Complain(const std::string& message) { std::fprintf(stderr, "zelm-cli: %s\n", message.c_str()); }

// Whether standard output is a terminal that wants colours (NO_COLOR unset, TERM not "dumb").
inline bool UseTerminalColour() {
    const char* term = std::getenv("TERM");
    return ::isatty(STDOUT_FILENO) && !std::getenv("NO_COLOR") && !(term && std::strcmp(term, "dumb") == 0);
}

} // namespace zelm
