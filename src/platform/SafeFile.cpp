#include "SafeFile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zelm {

namespace {

std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

TSafeFile::TSafeFile(std::string path) : Path_(std::move(path)), Target_(Path_) {}

TSafeFile::~TSafeFile() { Discard(); }

bool TSafeFile::Fail(int code) {
    if (Error_.empty()) Error_ = std::strerror(code ? code : EIO);
    Discard();
    return false;
}

bool TSafeFile::Open() {
    if (Fd_ >= 0 || Failed()) return !Failed();
    struct stat info {};
    if (::lstat(Path_.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        // Replace the file the link points to, and keep the link.
        char resolved[PATH_MAX];
        if (::realpath(Path_.c_str(), resolved)) Target_ = resolved;
    }
    const bool exists = ::stat(Target_.c_str(), &info) == 0;
    if (exists && S_ISDIR(info.st_mode)) return Fail(EISDIR);
    if (exists && !S_ISREG(info.st_mode)) {
        // A device or a pipe cannot be replaced: write into it and check every step.
        Fd_ = ::open(Target_.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
        if (Fd_ < 0) return Fail(errno);
        InPlace_ = true;
        return true;
    }
    std::string pattern = FolderOf(Target_) + "/." + NameOf(Target_) + ".XXXXXX";
    Fd_ = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (Fd_ < 0) return Fail(errno);
    Temp_ = pattern;
    // The new file gets the old one's permissions, or what a new file would get.
    mode_t mode = 0;
    if (exists) {
        mode = info.st_mode & 07777;
        if (::fchown(Fd_, info.st_uid, info.st_gid) != 0) mode &= 0777; // no set-id bits for another owner
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(Fd_, mode) != 0) return Fail(errno);
    return true;
}

bool TSafeFile::Write(std::string_view bytes) {
    if (Fd_ < 0) return false;
    while (!bytes.empty()) {
        const ssize_t n = ::write(Fd_, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return Fail(errno);
        }
        if (n == 0) return Fail(ENOSPC);
        bytes.remove_prefix(std::size_t(n));
    }
    return true;
}

bool TSafeFile::Commit() {
    if (Fd_ < 0) return false;
    if (!InPlace_ && ::fsync(Fd_) != 0) return Fail(errno);
    const int fd = Fd_;
    Fd_ = -1;
    if (::close(fd) != 0) return Fail(errno); // a late write error of the file system
    if (InPlace_) return true;
    if (::rename(Temp_.c_str(), Target_.c_str()) != 0) return Fail(errno);
    Temp_.clear();
    // Make the new name durable too; the content already is, so a failure here loses nothing.
    const int folder = ::open(FolderOf(Target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return true;
}

void TSafeFile::Discard() {
    if (Fd_ >= 0) {
        ::close(Fd_);
        Fd_ = -1;
    }
    if (!Temp_.empty()) {
        ::unlink(Temp_.c_str());
        Temp_.clear();
    }
}

bool WriteFileSafely(const std::string& path, std::string_view bytes, std::string& error) {
    TSafeFile file(path);
    if (file.Open() && file.Write(bytes) && file.Commit()) return true;
    error = file.Error();
    return false;
}

} // namespace zelm
