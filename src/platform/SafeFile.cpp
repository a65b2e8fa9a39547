#include "SafeFile.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <signal.h>
#include <sys/file.h>
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

// Copies of files written in place are "save-XXXXXX" in the copy folder, each held open and locked
// (flock, which ends with its process) while its save runs; "save-XXXXXX.record" beside it names
// the file once the copy is complete.
const std::string CopyPrefix = "save-";
const std::string RecordSuffix = ".record";
const std::string RecordMagic = "ZELM in-place save 1";

std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (const unsigned char c : bytes) {
        hex += digits[c >> 4];
        hex += digits[c & 15];
    }
    return hex;
}

std::string Unhex(const std::string& hex) {
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) bytes += char(std::stoi(hex.substr(i, 2), nullptr, 16));
    return bytes;
}

bool SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

// Writes the record of an in-place save (through a new name, synced, so that it is whole or absent).
bool WriteRecord(const std::string& record, std::string target, const struct stat& info) {
    // The file by its whole path: the next start may run in another folder.
    if (target.front() != '/')
        if (char* here = ::getcwd(nullptr, 0)) {
            target = std::string(here) + "/" + target;
            std::free(here);
        }
    const std::string text = RecordMagic + "\npath " + Hex(target) + "\ndevice " + std::to_string(info.st_dev) +
                             "\ninode " + std::to_string(info.st_ino) + "\nsize " + std::to_string(info.st_size) +
                             "\nstarted " + std::to_string(std::time(nullptr)) + "\n";
    const std::string fresh = record + ".new";
    const int fd = ::open(fresh.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    bool ok = WriteAll(fd, text.data(), text.size()) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (ok && ::rename(fresh.c_str(), record.c_str()) == 0 && SyncFolder(FolderOf(record))) return true;
    const int error = errno;
    ::unlink(fresh.c_str());
    errno = error;
    return false;
}

bool ReadRecord(const std::string& record, TUnfinishedSave& save) {
    const int fd = ::open(record.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0 && text.size() < 65536;) text.append(buffer, std::size_t(n));
    ::close(fd);
    if (text.rfind(RecordMagic + "\n", 0) != 0) return false;
    std::size_t at = RecordMagic.size() + 1;
    int fields = 0;
    while (at < text.size()) {
        const std::size_t end = text.find('\n', at);
        if (end == std::string::npos) break;
        const std::string line = text.substr(at, end - at);
        at = end + 1;
        const std::size_t space = line.find(' ');
        if (space == std::string::npos) continue;
        const std::string key = line.substr(0, space), value = line.substr(space + 1);
        try {
            if (key == "path") save.Path = Unhex(value);
            else if (key == "device") save.Device = std::stoull(value);
            else if (key == "inode") save.Inode = std::stoull(value);
            else if (key == "size") save.Size = std::stoll(value);
            else if (key == "started") save.Started = std::stoll(value);
            else continue;
        } catch (const std::exception&) {
            return false;
        }
        ++fields;
    }
    return fields == 5 && !save.Path.empty();
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
    Exists_ = exists;
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
        // The old content first goes where a failure, or the next start after a crash, can take it
        // back from: the copy complete and synced, then the record naming the file.
        const std::string folder = SafeFileCopyFolder();
        const auto cannotCopy = [&](int code) {
            return FailWith("cannot keep a copy of the old content in " + folder + ": " + std::strerror(code));
        };
        ::mkdir(FolderOf(folder).c_str(), 0700);
        if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return cannotCopy(errno);
        std::string name = folder + "/" + CopyPrefix + "XXXXXX";
        CopyFd_ = ::mkostemp(name.data(), O_CLOEXEC);
        if (CopyFd_ < 0) return cannotCopy(errno);
        Copy_ = name;
        if (::flock(CopyFd_, LOCK_EX) != 0) return cannotCopy(errno);
        const int old = ::open(Target_.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
        struct stat info {};
        long long copied = 0;
        const bool ok = old >= 0 && ::fstat(old, &info) == 0 && CopyContent(old, CopyFd_, copied) &&
                        ::fsync(CopyFd_) == 0 && WriteRecord(Copy_ + RecordSuffix, Target_, info);
        const int error = errno;
        if (old >= 0) ::close(old);
        if (!ok) return cannotCopy(error);
    }
    Fd_ = ::open(Target_.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    if (Fd_ < 0) return Fail(errno);
    return true;
}

// The rename that should have replaced the target was refused: the complete new content in the
// temporary file `temp` is written into the target in place instead.
bool TSafeFile::CommitInPlaceFrom(const std::string& temp) {
    const int from = ::open(temp.c_str(), O_RDONLY | O_CLOEXEC);
    if (from < 0) return Fail(errno);
    ::unlink(temp.c_str()); // the open descriptor keeps the content
    Temp_.clear();
    Written_ = 0;
    bool ok = OpenInPlace(true);
    if (ok) {
        Started_ = true;
        long long copied = 0;
        ok = CopyContent(from, Fd_, copied) || Fail(errno);
        Written_ = copied;
    }
    ::close(from);
    return ok && Commit();
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
        RemoveCopy(); // the new content is synced: the copy's work is done
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
    if (::rename(Temp_.c_str(), Target_.c_str()) != 0) {
        // A bind-mount target (EBUSY), another file system (EXDEV), some network and FUSE file
        // systems (EPERM, EACCES) refuse the replacement but let the file be written.
        const int error = errno;
        if (Exists_ && (error == EBUSY || error == EXDEV || error == EPERM || error == EACCES))
            return CommitInPlaceFrom(Temp_);
        return Fail(error);
    }
    Temp_.clear();
    // Make the new name durable too; the content already is, so a failure here loses nothing.
    SyncFolder(Folder_);
    return true;
}

bool TSafeFile::RestoreFromCopy() {
    const int target = ::open(Target_.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    long long copied = 0;
    bool ok = target >= 0 && CopyContent(CopyFd_, target, copied) && ::ftruncate(target, copied) == 0 &&
              ::fsync(target) == 0;
    if (target >= 0 && ::close(target) != 0) ok = false;
    return ok;
}

// The record first, then the copy: a crash between them leaves a copy no record names, which the
// next look removes, the file being whole.
void TSafeFile::RemoveCopy() {
    if (Copy_.empty()) return;
    ::unlink((Copy_ + RecordSuffix).c_str());
    ::unlink(Copy_.c_str());
    SyncFolder(FolderOf(Copy_));
    Copy_.clear();
    if (CopyFd_ >= 0) ::close(CopyFd_);
    CopyFd_ = -1;
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
        if (Started_ && (CopyFd_ < 0 || !RestoreFromCopy())) {
            // The old content stays in the copy, and its record for the next start; the message
            // says where.
            Error_ += "; the old content is kept in " + Copy_;
            Copy_.clear();
            if (CopyFd_ >= 0) ::close(CopyFd_);
            CopyFd_ = -1;
            Started_ = false;
            return;
        }
        RemoveCopy();
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

namespace zelm {

std::vector<TUnfinishedSave> UnfinishedSaves() {
    std::vector<TUnfinishedSave> found;
    const std::string folder = SafeFileCopyFolder();
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return found;
    std::vector<std::string> copies;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.rfind(CopyPrefix, 0) == 0 && name.find('.') == std::string::npos) copies.push_back(folder + "/" + name);
    }
    ::closedir(dir);
    for (const std::string& copy : copies) {
        const int fd = ::open(copy.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) { // a save that is running now
            ::close(fd);
            continue;
        }
        TUnfinishedSave save;
        save.Copy = copy;
        save.Record = copy + RecordSuffix;
        if (ReadRecord(save.Record, save)) {
            found.push_back(save);
        } else {
            // No record: the file was never touched, or its new content was synced.
            ::unlink(save.Record.c_str());
            ::unlink((save.Record + ".new").c_str());
            ::unlink(copy.c_str());
        }
        ::close(fd);
    }
    std::sort(found.begin(), found.end(),
              [](const TUnfinishedSave& a, const TUnfinishedSave& b) { return a.Started < b.Started; });
    return found;
}

bool FinishUnfinishedSave(const TUnfinishedSave& save, bool restore, std::string& error) {
    const int copy = ::open(save.Copy.c_str(), O_RDONLY | O_CLOEXEC);
    if (copy < 0) {
        error = std::strerror(errno);
        return false;
    }
    if (::flock(copy, LOCK_EX | LOCK_NB) != 0) {
        error = "another program is finishing this save";
        ::close(copy);
        return false;
    }
    if (restore) {
        const int target = ::open(save.Path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
        struct stat info {};
        bool ok = target >= 0 && ::fstat(target, &info) == 0;
        if (ok && (info.st_dev != save.Device || info.st_ino != save.Inode)) {
            error = "the file " + save.Path + " is no longer the one that was being saved; its old content is kept in " +
                    save.Copy;
            ::close(target);
            ::close(copy);
            return false;
        }
        long long copied = 0;
        ok = ok && CopyContent(copy, target, copied) && ::ftruncate(target, copied) == 0 && ::fsync(target) == 0;
        const int code = errno;
        if (target >= 0 && ::close(target) != 0) ok = false;
        if (!ok) {
            error = std::string(std::strerror(code ? code : EIO)) + "; the old content is kept in " + save.Copy;
            ::close(copy);
            return false;
        }
    }
    ::unlink(save.Record.c_str());
    ::unlink(save.Copy.c_str());
    SyncFolder(FolderOf(save.Copy));
    ::close(copy);
    return true;
}

} // namespace zelm
