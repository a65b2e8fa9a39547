// Reading a text file (or standard input) in pieces, with the encoding chosen or detected.
#pragma once

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zelm {

enum class TInputEncoding { ieAuto, ieUtf8, ieCp1251 };

// An open input. `auto` decides before the first piece is handed out: a file that is well-formed
// UTF-8 throughout is UTF-8, anything else Windows-1251. A seekable file is checked and then read
// again from the start; standard input is kept in a temporary file while it is checked.
class TInputFile {
public:
    ~TInputFile();
    TInputFile(const TInputFile&) = delete;
    TInputFile& operator=(const TInputFile&) = delete;

    // "-" is standard input. Returns null and sets `error` when the file cannot be opened or
    // its encoding cannot be decided.
    static std::unique_ptr<TInputFile> Open(const std::string& path, TInputEncoding encoding, std::string& error);

    bool IsUtf8() const { return Utf8_; }

    // The next piece of raw bytes (in the file's own encoding). False at the end, or on a read
    // error, when `error` is set.
    bool Read(std::string_view& piece, std::string& error);

private:
    TInputFile() = default;
    bool Detect(std::string& error);
    bool ReadFrom(int fd, std::string_view& piece, std::string& error);
    int Fd_ = -1;
    bool OwnsFd_ = false;
    std::FILE* Spool_ = nullptr; // what standard input gave while its encoding was being decided
    bool SpoolDone_ = true;
    bool SourceAtEnd_ = false;
    bool Utf8_ = false;
    std::string Path_;
    std::vector<char> Buffer_;
};

// Reads the whole input and hands it on in Windows-1251 pieces (UTF-8 input decoded, the acute
// accent dropped). False, with `error` set, on a read error.
bool ReadAsCp1251(TInputFile& file, const std::function<void(std::string_view)>& piece, std::string& error);

} // namespace zelm
