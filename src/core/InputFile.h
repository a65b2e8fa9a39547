// Reading a text file (or standard input) in pieces, with the encoding chosen or detected. Memory
// stays bounded and nothing is copied to disk, whatever the input's size.
#pragma once

#include "EncodingDetector.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace zelm {

enum class TInputEncoding { ieAuto, ieUtf8, ieCp1251 };

// An open input, read from where its descriptor stands (standard input that a script has read
// into is not rewound to its start).
class TInputFile {
public:
    ~TInputFile();
    TInputFile(const TInputFile&) = delete;
    TInputFile& operator=(const TInputFile&) = delete;

    // "-" is standard input. Returns null and sets `error` when the file cannot be opened.
    static std::unique_ptr<TInputFile> Open(const std::string& path, std::string& error);

    const std::string& Name() const { return Name_; }

    // Decides the encoding of a word list before it is read, as `encoding` says. With `auto`, a
    // UTF-16 text (one that starts with its byte order mark) is read as UTF-8 (see Read); a file
    // that can be read twice is decided on its whole content (DetectEncoding) and then read from
    // where it started; a pipe is decided on its first non-ASCII content: the bytes up to
    // PrefixLimit past its first byte beyond ASCII (ASCII alone never decides, up to
    // AsciiPrefixLimit, where the list is taken as UTF-8), kept in memory and handed out first.
    // False, with `error` set, on a read error.
    bool DecideEncoding(TInputEncoding encoding, std::string& error);
    static constexpr std::size_t PrefixLimit = std::size_t(1) << 20;
    static constexpr std::size_t AsciiPrefixLimit = std::size_t(16) << 20;
    bool IsUtf8() const { return Utf8_; }

    // Looks whether the input starts with a UTF-16 byte order mark (FF FE or FE FF) without
    // consuming it; from then on Read hands out its UTF-8 form (the mark left out).
    bool ProbeUtf16(std::string& error);
    bool IsUtf16() const { return Utf16_; }

    // The next piece of bytes: the file's own, or their UTF-8 form for a UTF-16 text. False at the
    // end, or on a read error, when `error` is set.
    bool Read(std::string_view& piece, std::string& error);

    // Restricts a regular file to `length` bytes from `offset`: a piece of a text counted in
    // parallel (no byte order mark is looked for there). False, with `error` set, on a seek error.
    bool Restrict(std::uint64_t offset, std::uint64_t length, std::string& error);

private:
    TInputFile() = default;
    bool ReadFrom(std::string_view& piece, std::string& error);
    bool ReadRaw(std::string_view& piece, std::string& error);
    void Transcode(std::string_view raw, bool end);
    int Fd_ = -1;
    bool Probed_ = false;
    bool Utf16_ = false, BigEndian_ = false;
    int MarkLeft_ = 0;           // bytes of the byte order mark still to skip
    std::string Carry_;          // an odd byte, or a high surrogate waiting for its partner
    std::string Transcoded_;
    bool OwnsFd_ = false;
    bool AtEnd_ = false;
    bool Utf8_ = false;
    std::string Name_;
    std::unique_ptr<char[]> Buffer_;
    std::string Prefix_;        // what a pipe gave while its encoding was being decided
    bool PrefixPending_ = false;
    std::uint64_t Left_ = UINT64_MAX; // bytes still to read (Restrict)
};

// Opens an input of a command that reads several; when it cannot be opened, says why on standard
// error, sets `status` to 1 (the others are still read) and returns null.
std::unique_ptr<TInputFile> OpenOrComplain(const std::string& path, int& status);

// Reads a whole text and hands it on in Windows-1251 pieces. With `auto`, both readings are made
// side by side while both are possible, `cp1251` getting the bytes as they are and `utf8` their
// UTF-8 decoding (acute accents dropped, a byte order mark left out); `isUtf8` tells at the end
// which of them the detector chose (DetectEncoding on the whole text). With a fixed encoding only
// that reading is made. False, with `error` set, on a read error.
// `evidence`, when given, gets what the detector's decision rested on (a UTF-16 text: none).
bool ReadTextBothWays(TInputFile& file, TInputEncoding encoding, const std::function<void(std::string_view)>& cp1251,
                      const std::function<void(std::string_view)>& utf8, bool& isUtf8, std::string& error,
                      TEncodingEvidence* evidence = nullptr);

// The two readings of a text made from its bytes piece by piece, as ReadTextBothWays makes them,
// for a caller that is handed the pieces (a UTF-16 text must be given in its UTF-8 form, as
// `utf-8`).
class TTextReadings {
public:
    TTextReadings(TInputEncoding encoding, std::function<void(std::string_view)> cp1251,
                  std::function<void(std::string_view)> utf8);
    ~TTextReadings();
    void Feed(std::string_view raw);
    // After the last piece: whether the text is read as UTF-8, and what the decision rested on.
    bool Finish(TEncodingEvidence* evidence = nullptr);

private:
    struct TState;
    std::unique_ptr<TState> State_;
};

// Reads a whole (small) input into memory.
bool ReadAll(TInputFile& file, std::string& bytes, std::string& error);

} // namespace zelm
