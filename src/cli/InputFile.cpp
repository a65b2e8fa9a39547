#include "InputFile.h"

#include "Cp1251.h"

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
    if (Spool_) std::fclose(Spool_);
}

std::unique_ptr<TInputFile> TInputFile::Open(const std::string& path, TInputEncoding encoding, std::string& error) {
    std::unique_ptr<TInputFile> file(new TInputFile());
    file->Path_ = path;
    file->Buffer_.resize(PieceSize);
    if (path == "-") {
        file->Fd_ = STDIN_FILENO;
        file->Path_ = "standard input";
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
    file->Utf8_ = encoding == TInputEncoding::ieUtf8;
    if (encoding == TInputEncoding::ieAuto && !file->Detect(error)) return nullptr;
    return file;
}

// Reads until the text shows itself not to be UTF-8, or to its end.
bool TInputFile::Detect(std::string& error) {
    const bool seekable = ::lseek(Fd_, 0, SEEK_CUR) >= 0;
    if (!seekable) {
        Spool_ = std::tmpfile();
        if (!Spool_) {
            error = "cannot read '" + Path_ + "': no temporary file to hold it (" + std::strerror(errno) + ")";
            return false;
        }
    }
    TUtf8Validator validator;
    std::string_view piece;
    while (!SourceAtEnd_) {
        if (!ReadFrom(Fd_, piece, error)) {
            if (!error.empty()) return false;
            break;
        }
        if (Spool_ && std::fwrite(piece.data(), 1, piece.size(), Spool_) != piece.size()) {
            error = "cannot read '" + Path_ + "': the temporary copy could not be written";
            return false;
        }
        if (!validator.Feed(piece)) break;
    }
    Utf8_ = validator.Finish();
    if (seekable) {
        if (::lseek(Fd_, 0, SEEK_SET) < 0) {
            error = SystemError(Path_, errno);
            return false;
        }
        SourceAtEnd_ = false;
    } else {
        std::rewind(Spool_);
        SpoolDone_ = false;
    }
    return true;
}

bool TInputFile::ReadFrom(int fd, std::string_view& piece, std::string& error) {
    for (;;) {
        const ssize_t n = ::read(fd, Buffer_.data(), Buffer_.size());
        if (n > 0) {
            piece = std::string_view(Buffer_.data(), std::size_t(n));
            return true;
        }
        if (n == 0) {
            SourceAtEnd_ = true;
            return false;
        }
        if (errno == EINTR) continue;
        error = SystemError(Path_, errno);
        return false;
    }
}

bool TInputFile::Read(std::string_view& piece, std::string& error) {
    if (!SpoolDone_) {
        const std::size_t n = std::fread(Buffer_.data(), 1, Buffer_.size(), Spool_);
        if (n > 0) {
            piece = std::string_view(Buffer_.data(), n);
            return true;
        }
        if (std::ferror(Spool_)) {
            error = "cannot read '" + Path_ + "': the temporary copy could not be read";
            return false;
        }
        SpoolDone_ = true;
    }
    if (SourceAtEnd_) return false;
    return ReadFrom(Fd_, piece, error);
}

bool ReadAsCp1251(TInputFile& file, const std::function<void(std::string_view)>& piece, std::string& error) {
    TUtf8ToCp1251 decoder(TAcuteAccent::amDrop);
    std::string decoded;
    std::string_view raw;
    while (file.Read(raw, error)) {
        if (!file.IsUtf8()) {
            piece(raw);
            continue;
        }
        decoded.clear();
        decoder.Decode(raw, decoded);
        piece(decoded);
    }
    if (!error.empty()) return false;
    decoded.clear();
    decoder.Finish(decoded);
    if (!decoded.empty()) piece(decoded);
    return true;
}

} // namespace zelm
