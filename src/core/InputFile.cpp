#include "InputFile.h"

#include "Cp1251.h"
#include "EncodingDetector.h"
#include "Output.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zelm {

namespace {
constexpr std::size_t PieceSize = std::size_t(1) << 20;

std::string SystemError(const std::string& path, int code) {
    return "cannot read '" + path + "': " + std::strerror(code);
}
} // namespace

TInputFile::~TInputFile() {
    if (OwnsFd_ && Fd_ >= 0) ::close(Fd_);
}

std::unique_ptr<TInputFile> TInputFile::Open(const std::string& path, std::string& error) {
    std::unique_ptr<TInputFile> file(new TInputFile());
    file->Name_ = path;
    file->Buffer_.reset(new char[PieceSize]); // not zeroed: read() fills it
    if (path == "-") {
        file->Fd_ = STDIN_FILENO;
        file->Name_ = "standard input";
    } else {
        file->Fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (file->Fd_ < 0) {
            error = SystemError(path, errno);
            return nullptr;
        }
        file->OwnsFd_ = true;
        struct stat info {};
        if (::fstat(file->Fd_, &info) == 0 && S_ISDIR(info.st_mode)) {
            error = SystemError(path, EISDIR);
            return nullptr;
        }
    }
    return file;
}

bool TInputFile::Restrict(std::uint64_t offset, std::uint64_t length, std::string& error) {
    if (::lseek(Fd_, off_t(offset), SEEK_SET) < 0) {
        error = SystemError(Name_, errno);
        return false;
    }
    Left_ = length;
    Probed_ = true; // a piece inside a text has no byte order mark of its own
    return true;
}

bool TInputFile::ProbeUtf16(std::string& error) {
    if (Probed_) return Utf16_;
    Probed_ = true;
    char mark[2];
    ssize_t got = 0;
    struct stat info {};
    if (::fstat(Fd_, &info) == 0 && S_ISREG(info.st_mode)) {
        const off_t at = ::lseek(Fd_, 0, SEEK_CUR);
        got = at >= 0 ? ::pread(Fd_, mark, 2, at) : -1;
        if (got < 0) {
            error = SystemError(Name_, errno);
            return false;
        }
    } else {
        // A pipe: what was read to look stays to be handed out first.
        std::string_view piece;
        while (Prefix_.size() < 2 && ReadFrom(piece, error)) Prefix_.append(piece);
        if (!error.empty()) return false;
        PrefixPending_ = !Prefix_.empty();
        got = ssize_t(std::min<std::size_t>(2, Prefix_.size()));
        std::memcpy(mark, Prefix_.data(), std::size_t(got));
    }
    if (got == 2 && ((mark[0] == '\xFF' && mark[1] == '\xFE') || (mark[0] == '\xFE' && mark[1] == '\xFF'))) {
        Utf16_ = true;
        BigEndian_ = mark[0] == '\xFE';
        MarkLeft_ = 2;
    }
    return Utf16_;
}

bool TInputFile::DecideEncoding(TInputEncoding encoding, std::string& error) {
    Utf8_ = encoding == TInputEncoding::ieUtf8;
    if (encoding != TInputEncoding::ieAuto) return true;
    if (ProbeUtf16(error)) {
        Utf8_ = true;
        return true;
    }
    if (!error.empty()) return false;
    TEncodingDetector detector;
    std::string_view piece;
    const off_t start = ::lseek(Fd_, 0, SEEK_CUR);
    struct stat info {};
    const bool seekable = start >= 0 && ::fstat(Fd_, &info) == 0 && S_ISREG(info.st_mode);
    if (seekable) {
        while (!detector.Decided() && ReadFrom(piece, error)) detector.Feed(piece);
        if (!error.empty()) return false;
        if (::lseek(Fd_, start, SEEK_SET) < 0) {
            error = SystemError(Name_, errno);
            return false;
        }
        AtEnd_ = false;
        Utf8_ = detector.Result() != TDetectedEncoding::deCp1251;
        return true;
    }
    // A pipe: its first content beyond ASCII decides, and what was read is kept to be read again.
    std::size_t firstNonAscii = std::string::npos;
    const auto look = [&](std::string_view bytes, std::size_t offset) {
        if (firstNonAscii != std::string::npos) return;
        if (const std::size_t at = AsciiRunEnd(bytes, 0); at < bytes.size()) firstNonAscii = offset + at;
    };
    detector.Feed(Prefix_);
    look(Prefix_, 0);
    const auto enough = [&] {
        return firstNonAscii == std::string::npos ? Prefix_.size() >= AsciiPrefixLimit
                                                  : Prefix_.size() - firstNonAscii >= PrefixLimit;
    };
    while (!detector.Decided() && !enough() && ReadFrom(piece, error)) {
        look(piece, Prefix_.size());
        detector.Feed(piece);
        Prefix_.append(piece);
    }
    if (!error.empty()) return false;
    // A sequence cut off at the end of the prefix may go on in what follows.
    const TDetectedEncoding result = detector.Result(AtEnd_);
    Utf8_ = result != TDetectedEncoding::deCp1251;
    PrefixPending_ = !Prefix_.empty();
    return true;
}

bool TInputFile::ReadFrom(std::string_view& piece, std::string& error) {
    if (AtEnd_) return false;
    for (;;) {
        const ssize_t n = Left_ == 0 ? 0 : ::read(Fd_, Buffer_.get(), std::size_t(std::min<std::uint64_t>(PieceSize, Left_)));
        if (n > 0) {
            piece = std::string_view(Buffer_.get(), std::size_t(n));
            Left_ -= std::uint64_t(n);
            return true;
        }
        if (n == 0) {
            AtEnd_ = true;
            return false;
        }
        if (errno == EINTR) continue;
        error = SystemError(Name_, errno);
        return false;
    }
}

bool TInputFile::ReadRaw(std::string_view& piece, std::string& error) {
    if (PrefixPending_) {
        PrefixPending_ = false;
        piece = Prefix_;
        return true;
    }
    if (!Prefix_.empty()) std::string().swap(Prefix_);
    return ReadFrom(piece, error);
}

// UTF-16 to UTF-8; a unit without its partner becomes U+FFFD.
void TInputFile::Transcode(std::string_view raw, bool end) {
    Transcoded_.clear();
    std::string bytes;
    if (!Carry_.empty()) {
        bytes = Carry_ + std::string(raw);
        raw = bytes;
        Carry_.clear();
    }
    while (MarkLeft_ > 0 && !raw.empty()) {
        raw.remove_prefix(1);
        --MarkLeft_;
    }
    const auto unit = [&](std::size_t at) {
        const auto a = static_cast<unsigned char>(raw[at]), b = static_cast<unsigned char>(raw[at + 1]);
        return char32_t(BigEndian_ ? (a << 8) | b : (b << 8) | a);
    };
    std::size_t at = 0;
    for (; at + 2 <= raw.size(); at += 2) {
        char32_t code = unit(at);
        if (code >= 0xD800 && code < 0xDC00) {
            if (at + 4 > raw.size() && !end) break; // its partner comes in the next piece
            const char32_t low = at + 4 <= raw.size() ? unit(at + 2) : 0;
            if (low >= 0xDC00 && low < 0xE000) {
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                at += 2;
            } else {
                code = 0xFFFD;
            }
        } else if (code >= 0xDC00 && code < 0xE000) {
            code = 0xFFFD;
        }
        AppendUtf8(Transcoded_, code);
    }
    if (at < raw.size()) {
        if (end) AppendUtf8(Transcoded_, 0xFFFD); // an odd last byte
        else Carry_.assign(raw.substr(at));
    }
}

bool TInputFile::Read(std::string_view& piece, std::string& error) {
    if (!Utf16_) return ReadRaw(piece, error);
    std::string_view raw;
    if (ReadRaw(raw, error)) {
        Transcode(raw, false);
        piece = Transcoded_;
        return true;
    }
    if (!error.empty() || Carry_.empty()) return false;
    Transcode({}, true);
    piece = Transcoded_;
    return true;
}

std::unique_ptr<TInputFile> OpenOrComplain(const std::string& path, int& status) {
    std::string error;
    auto file = TInputFile::Open(path, error);
    if (!file) {
        Complain(error);
        status = 1;
    }
    return file;
}

struct TTextReadings::TState {
    TState(TInputEncoding encoding, std::function<void(std::string_view)> cp1251, std::function<void(std::string_view)> utf8)
        : Encoding(encoding), Cp1251(std::move(cp1251)), Utf8(std::move(utf8)), Both(encoding == TInputEncoding::ieAuto),
          ReadCp1251(encoding != TInputEncoding::ieUtf8), ReadUtf8(encoding != TInputEncoding::ieCp1251) {}
    TInputEncoding Encoding;
    std::function<void(std::string_view)> Cp1251, Utf8;
    bool Both, ReadCp1251, ReadUtf8;
    TEncodingDetector Detector;
    TUtf8ToCp1251 Decoder{TAcuteAccent::amDrop};
    std::string Decoded;
};

TTextReadings::TTextReadings(TInputEncoding encoding, std::function<void(std::string_view)> cp1251,
                             std::function<void(std::string_view)> utf8)
    : State_(std::make_unique<TState>(encoding, std::move(cp1251), std::move(utf8))) {}

TTextReadings::~TTextReadings() = default;

void TTextReadings::Feed(std::string_view raw) {
    TState& s = *State_;
    if (s.Both) {
        s.Detector.Feed(raw);
        s.ReadUtf8 = s.Detector.MayBeUtf8(); // once the text is not UTF-8 it never is again
    }
    if (s.ReadCp1251) s.Cp1251(raw);
    if (s.ReadUtf8) {
        s.Decoded.clear();
        s.Decoder.Decode(raw, s.Decoded);
        s.Utf8(s.Decoded);
    }
}

bool TTextReadings::Finish(TEncodingEvidence* evidence) {
    TState& s = *State_;
    if (s.ReadUtf8) {
        s.Decoded.clear();
        s.Decoder.Finish(s.Decoded);
        if (!s.Decoded.empty()) s.Utf8(s.Decoded);
    }
    if (evidence && s.Both) *evidence = s.Detector.Evidence();
    return s.Both ? s.Detector.Result() != TDetectedEncoding::deCp1251 : s.Encoding == TInputEncoding::ieUtf8;
}

bool ReadTextBothWays(TInputFile& file, TInputEncoding encoding, const std::function<void(std::string_view)>& cp1251,
                      const std::function<void(std::string_view)>& utf8, bool& isUtf8, std::string& error,
                      TEncodingEvidence* evidence) {
    // A UTF-16 text is read in its UTF-8 form.
    if (encoding == TInputEncoding::ieAuto && file.ProbeUtf16(error)) encoding = TInputEncoding::ieUtf8;
    if (!error.empty()) return false;
    TTextReadings readings(encoding, cp1251, utf8);
    std::string_view raw;
    while (file.Read(raw, error)) readings.Feed(raw);
    if (!error.empty()) return false;
    isUtf8 = readings.Finish(evidence);
    return true;
}

bool ReadAll(TInputFile& file, std::string& bytes, std::string& error) {
    std::string_view piece;
    while (file.Read(piece, error)) bytes.append(piece);
    return error.empty();
}

} // namespace zelm
