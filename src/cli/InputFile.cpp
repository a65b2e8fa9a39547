#include "InputFile.h"

#include "Cp1251.h"
#include "EncodingDetector.h"
#include "Output.h"

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
    file->Buffer_.resize(PieceSize);
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

bool TInputFile::DecideEncoding(TInputEncoding encoding, std::string& error) {
    Utf8_ = encoding == TInputEncoding::ieUtf8;
    if (encoding != TInputEncoding::ieAuto) return true;
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
    // A pipe: the first bytes decide, and are kept to be read again.
    while (Prefix_.size() < PrefixLimit && !detector.Decided() && ReadFrom(piece, error)) {
        detector.Feed(piece.substr(0, PrefixLimit - Prefix_.size()));
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
        const ssize_t n = ::read(Fd_, Buffer_.data(), Buffer_.size());
        if (n > 0) {
            piece = std::string_view(Buffer_.data(), std::size_t(n));
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

bool TInputFile::Read(std::string_view& piece, std::string& error) {
    if (PrefixPending_) {
        PrefixPending_ = false;
        piece = Prefix_;
        return true;
    }
    if (!Prefix_.empty()) std::string().swap(Prefix_);
    return ReadFrom(piece, error);
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

bool ReadTextBothWays(TInputFile& file, TInputEncoding encoding, const std::function<void(std::string_view)>& cp1251,
                      const std::function<void(std::string_view)>& utf8, bool& isUtf8, std::string& error) {
    const bool both = encoding == TInputEncoding::ieAuto;
    bool readCp1251 = encoding != TInputEncoding::ieUtf8, readUtf8 = encoding != TInputEncoding::ieCp1251;
    TEncodingDetector detector;
    TUtf8ToCp1251 decoder(TAcuteAccent::amDrop);
    std::string decoded;
    std::string_view raw;
    while (file.Read(raw, error)) {
        if (both) {
            detector.Feed(raw);
            readUtf8 = detector.MayBeUtf8(); // once the text is not UTF-8 it never is again
        }
        if (readCp1251) cp1251(raw);
        if (readUtf8) {
            decoded.clear();
            decoder.Decode(raw, decoded);
            utf8(decoded);
        }
    }
    if (!error.empty()) return false;
    if (readUtf8) {
        decoded.clear();
        decoder.Finish(decoded);
        if (!decoded.empty()) utf8(decoded);
    }
    isUtf8 = both ? detector.Result() != TDetectedEncoding::deCp1251 : encoding == TInputEncoding::ieUtf8;
    return true;
}

bool ReadAll(TInputFile& file, std::string& bytes, std::string& error) {
    std::string_view piece;
    while (file.Read(piece, error)) bytes.append(piece);
    return error.empty();
}

} // namespace zelm
