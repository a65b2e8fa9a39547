#include "SafeFile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <signal.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace zelm {

namespace {

std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a path names in the end, following symbolic links (also to a target that does not
// exist yet).
std::string ResolveLinks(std::string path) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
        std::vector<char> target(std::size_t(info.st_size > 0 ? info.st_size : PATH_MAX) + 1);
        const ssize_t n = ::readlink(path.c_str(), target.data(), target.size() - 1);
        if (n <= 0) return path;
        const std::string link(target.data(), std::size_t(n));
        path = link.front() == '/' ? link : FolderOf(path) + "/" + link;
    }
    return path;
}

// Names of the form ".zelm-<pid>-<random>": temporary files that have just been given a name to
// replace their target. One whose process no longer runs is a crash's leftover.
const std::string TempPrefix = ".zelm-";

std::string TempName(const std::string& folder) {
    static thread_local std::mt19937_64 random{std::random_device{}()};
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, "%d-%012llx", int(::getpid()),
                  static_cast<unsigned long long>(random() & 0xFFFFFFFFFFFFULL));
    return folder + "/" + TempPrefix + suffix;
}

void RemoveLeftovers(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.rfind(TempPrefix, 0) != 0) continue;
        const int pid = std::atoi(name.c_str() + TempPrefix.size());
        if (pid > 0 && ::kill(pid, 0) != 0 && errno == ESRCH) ::unlink((folder + "/" + name).c_str());
    }
    ::closedir(dir);
}

bool WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = ENOSPC;
            return false;
        }
        data += n;
        size -= std::size_t(n);
    }
    return true;
}

// Copies what `from` holds from its start into `to` (from its current place).
bool CopyContent(int from, int to, long long& copied) {
    std::vector<char> buffer(std::size_t(1) << 20);
    copied = 0;
    if (::lseek(from, 0, SEEK_SET) < 0) return false;
    for (;;) {
        const ssize_t n = ::read(from, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return true;
        if (!WriteAll(to, buffer.data(), std::size_t(n))) return false;
        copied += n;
    }
}

// Gives a new file the owner, group, permissions and extended attributes (access control lists
// among them) of the old one; false when any of them cannot be given.
bool TakeIdentity(int fd, const std::string& old, const struct stat& info) {
    struct stat mine {};
    if (::fstat(fd, &mine) != 0) return false;
    if ((mine.st_uid != info.st_uid || mine.st_gid != info.st_gid) && ::fchown(fd, info.st_uid, info.st_gid) != 0)
        return false;
    if (::fchmod(fd, info.st_mode & 07777) != 0) return false;
    const ssize_t size = ::listxattr(old.c_str(), nullptr, 0);
    if (size < 0) return errno == ENOTSUP;
    std::vector<char> names(std::size_t(size) + 1);
    const ssize_t got = ::listxattr(old.c_str(), names.data(), names.size());
    if (got < 0) return false;
    std::vector<char> value;
    for (ssize_t at = 0; at < got; at += ssize_t(std::strlen(names.data() + at)) + 1) {
        const char* name = names.data() + at;
        const ssize_t length = ::getxattr(old.c_str(), name, nullptr, 0);
        if (length < 0) return false;
        value.resize(std::size_t(length) + 1);
        const ssize_t read = ::getxattr(old.c_str(), name, value.data(), value.size());
        if (read < 0 || ::fsetxattr(fd, name, value.data(), std::size_t(read), 0) != 0) return false;
    }
    return true;
}

} // namespace

std::string SafeFileCopyFolder() {
    if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache && *cache == '/') return std::string(cache) + "/zelm";
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "/tmp") + "/.cache/zelm";
}

TSafeFile::TSafeFile(std::string path) : Path_(std::move(path)), Target_(Path_) {}

TSafeFile::~TSafeFile() { Discard(); }

bool TSafeFile::Fail(int code) { return FailWith(std::strerror(code ? code : EIO)); }

bool TSafeFile::FailWith(std::string reason) {
    if (Error_.empty()) Error_ = std::move(reason);
    Discard();
    return false;
}

bool TSafeFile::Open() {
    if (Fd_ >= 0 || Failed()) return !Failed();
    Target_ = ResolveLinks(Path_);
    Folder_ = FolderOf(Target_);
    struct stat info {};
    const bool exists = ::stat(Target_.c_str(), &info) == 0;
    if (exists && S_ISDIR(info.st_mode)) return Fail(EISDIR);
    if (exists && !S_ISREG(info.st_mode)) {
        // A device or a pipe cannot be replaced: write into it and check every step.
        Fd_ = ::open(Target_.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
        if (Fd_ < 0) return Fail(errno);
        InPlace_ = true;
        return true;
    }
    // A file the user may not write is not written, by whatever way.
    if (exists && ::faccessat(AT_FDCWD, Target_.c_str(), W_OK, AT_EACCESS) != 0) return Fail(errno);
    RemoveLeftovers(Folder_);

    if (exists && info.st_nlink > 1) return OpenInPlace(true); // every name keeps seeing the file
    int fd = ::open(Folder_.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    Anonymous_ = fd >= 0;
    if (fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
        // A file system without anonymous files: a named one, recognisable as a leftover.
        std::string name = TempName(Folder_);
        fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) Temp_ = std::move(name);
    }
    if (fd < 0) {
        const int error = errno;
        if (exists && (error == EACCES || error == EPERM || error == EROFS || error == ENAMETOOLONG))
            return OpenInPlace(true); // a folder the user cannot write into
        return Fail(error);
    }
    Fd_ = fd;
    if (exists) {
        if (!TakeIdentity(fd, Target_, info)) {
            Discard();
            return OpenInPlace(true);
        }
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        if (::fchmod(fd, 0666 & ~mask) != 0) return Fail(errno);
    }
    return true;
}

bool TSafeFile::OpenInPlace(bool keepCopy) {
    InPlace_ = true;
    if (keepCopy) {
        // The old content first goes where a failure can take it back from.
        const std::string folder = SafeFileCopyFolder();
        const auto cannotCopy = [&](int code) {
            return FailWith("cannot keep a copy of the old content in " + folder + ": " + std::strerror(code));
        };
        ::mkdir(FolderOf(folder).c_str(), 0700);
        if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return cannotCopy(errno);
        std::string name = folder + "/copy-XXXXXX";
        const int copy = ::mkostemp(name.data(), O_CLOEXEC);
        if (copy < 0) return cannotCopy(errno);
        Copy_ = name;
        const int old = ::open(Target_.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
        long long copied = 0;
        const bool ok = old >= 0 && CopyContent(old, copy, copied) && ::fsync(copy) == 0;
        const int error = errno;
        if (old >= 0) ::close(old);
        if (::close(copy) != 0 || !ok) return cannotCopy(ok ? errno : error);
    }
    Fd_ = ::open(Target_.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    if (Fd_ < 0) return Fail(errno);
    return true;
}

bool TSafeFile::Write(std::string_view bytes) {
    if (Fd_ < 0) return false;
    Started_ = true;
    if (!WriteAll(Fd_, bytes.data(), bytes.size())) return Fail(errno);
    Written_ += (long long)bytes.size();
    return true;
}

bool TSafeFile::Commit() {
    if (Fd_ < 0) return false;
    if (InPlace_) {
        struct stat info {};
        const bool regular = ::fstat(Fd_, &info) == 0 && S_ISREG(info.st_mode);
        if (regular && (::ftruncate(Fd_, Written_) != 0 || ::fsync(Fd_) != 0)) return Fail(errno);
        const int fd = Fd_;
        Fd_ = -1;
        if (::close(fd) != 0) return Fail(errno);
        Started_ = false;
        if (!Copy_.empty()) ::unlink(Copy_.c_str());
        Copy_.clear();
        return true;
    }
    if (::fsync(Fd_) != 0) return Fail(errno);
    if (Anonymous_) {
        // The file gets a name only now, just before it replaces the target.
        char self[64];
        std::snprintf(self, sizeof self, "/proc/self/fd/%d", Fd_);
        std::string name = TempName(Folder_);
        if (::linkat(AT_FDCWD, self, AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) != 0) return Fail(errno);
        Temp_ = std::move(name);
        Anonymous_ = false;
    }
    const int fd = Fd_;
    Fd_ = -1;
    if (::close(fd) != 0) return Fail(errno); // a late write error of the file system
    if (::rename(Temp_.c_str(), Target_.c_str()) != 0) return Fail(errno);
    Temp_.clear();
    // Make the new name durable too; the content already is, so a failure here loses nothing.
    const int folder = ::open(Folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return true;
}

bool TSafeFile::RestoreFromCopy() {
    const int copy = ::open(Copy_.c_str(), O_RDONLY | O_CLOEXEC);
    const int target = ::open(Target_.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    long long copied = 0;
    bool ok = copy >= 0 && target >= 0 && CopyContent(copy, target, copied) && ::ftruncate(target, copied) == 0 &&
              ::fsync(target) == 0;
    if (copy >= 0) ::close(copy);
    if (target >= 0 && ::close(target) != 0) ok = false;
    return ok;
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
    Anonymous_ = false;
    if (!Copy_.empty()) {
        if (Started_ && !RestoreFromCopy()) {
            // The old content stays in the copy; the message says where.
            Error_ += "; the old content is kept in " + Copy_;
            Copy_.clear();
            return;
        }
        ::unlink(Copy_.c_str());
        Copy_.clear();
    }
    Started_ = false;
}

bool WriteFileSafely(const std::string& path, std::string_view bytes, std::string& error) {
    TSafeFile file(path);
    if (file.Open() && file.Write(bytes) && file.Commit()) return true;
    error = file.Error();
    return false;
}

} // namespace zelm
