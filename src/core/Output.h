// Standard output and error of zelm-cli.
#pragma once

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
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
    // When set, what is written is kept here instead of going to standard output (the web page).
    std::string* Capture = nullptr;
    // When set, what is written goes to it piece by piece instead (the web page's downloads, of
    // any size).
    std::function<void(std::string_view)> Sink;

private:
    // Straight to the descriptor, so that every failure is seen where it happens.
    void Put(std::string_view piece) {
        if (Sink) {
            if (!piece.empty()) Sink(piece);
            return;
        }
        if (Capture) {
            Capture->append(piece);
            return;
        }
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

// Appends UTF-8 text for a terminal with its control characters made visible, so that what an
// input holds can never move the cursor, retitle the terminal or change its colours: C0 controls
// (tab and line breaks among them) as their Unicode pictures (␛ for Esc), Delete as ␡, and the C1
// controls (U+0080..U+009F) as U+FFFD.
inline void AppendVisible(std::string& out, std::string_view utf8) {
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x20 || c == 0x7F) {
            const unsigned picture = c == 0x7F ? 0x2421 : 0x2400 + c;
            out += char(0xE0 | (picture >> 12));
            out += char(0x80 | ((picture >> 6) & 0x3F));
            out += char(0x80 | (picture & 0x3F));
        } else if (c == 0xC2 && i + 1 < utf8.size() && static_cast<unsigned char>(utf8[i + 1]) < 0xA0) {
            out += "\xEF\xBF\xBD";
            ++i;
        } else {
            out += char(c);
        }
    }
}

inline std::string Visible(std::string_view utf8) {
    std::string out;
    AppendVisible(out, utf8);
    return out;
}

// An error message on standard error, after the program's name (its control characters made
// visible: it may quote a file's name).
inline void Complain(const std::string& message) {
    std::fprintf(stderr, "zelm-cli: %s\n", Visible(message).c_str());
}

// Whether standard output is a terminal that wants colours (NO_COLOR unset, TERM not "dumb").
inline bool UseTerminalColour() {
    const char* term = std::getenv("TERM");
    return ::isatty(STDOUT_FILENO) && !std::getenv("NO_COLOR") && !(term && std::strcmp(term, "dumb") == 0);
}

} // namespace zelm
