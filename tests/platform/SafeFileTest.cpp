// Saving keeps the file: its permissions are obeyed, its identity survives, and every failure
// leaves the old content. Cases that need another user run in a child process that drops to
// "nobody" (the test must run as root for them, and says so when it skips them).
#include "SafeFile.h"
#include "faults/Faults.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <grp.h>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace zelm;

namespace {

constexpr uid_t Nobody = 65534;

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void Write(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

std::set<std::string> Entries(const std::string& folder) {
    std::set<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(dir))
            if (std::strcmp(entry->d_name, ".") && std::strcmp(entry->d_name, "..")) names.insert(entry->d_name);
        ::closedir(dir);
    }
    return names;
}

struct TFolder {
    std::string Path;
    TFolder() {
        char pattern[] = "/tmp/zelm-safe-XXXXXX";
        Path = ::mkdtemp(pattern);
        ::chmod(Path.c_str(), 0755);
    }
    ~TFolder() { std::system(("chattr -R -i '" + Path + "' 2>/dev/null; rm -rf '" + Path + "'").c_str()); }
    std::string operator/(const std::string& name) const { return Path + "/" + name; }
};

struct TResult {
    bool Ok = false;
    std::string Error;
};

// Saves as the user `uid` in a child process (or in this one for root, uid 0).
TResult SaveAs(uid_t uid, const std::string& path, const std::string& bytes) {
    if (uid == ::geteuid()) {
        TResult result;
        result.Ok = WriteFileSafely(path, bytes, result.Error);
        return result;
    }
    int pipe[2];
    if (::pipe(pipe) != 0) return {};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipe[0]);
        if (::setgroups(0, nullptr) != 0 || ::setresgid(uid, uid, uid) != 0 || ::setresuid(uid, uid, uid) != 0) ::_exit(3);
        ::setenv("HOME", "/tmp", 1);
        std::string error;
        const bool ok = WriteFileSafely(path, bytes, error);
        const std::string message = (ok ? "1" : "0") + error;
        [[maybe_unused]] const auto n = ::write(pipe[1], message.data(), message.size());
        ::_exit(0);
    }
    ::close(pipe[1]);
    std::string message;
    char buffer[512];
    for (ssize_t n; (n = ::read(pipe[0], buffer, sizeof buffer)) > 0;) message.append(buffer, std::size_t(n));
    ::close(pipe[0]);
    ::waitpid(child, nullptr, 0);
    if (message.empty()) return {false, "the child could not become the user"};
    return {message[0] == '1', message.substr(1)};
}

bool Root() { return ::geteuid() == 0; }

} // namespace

// A file the user may not write is never written: its mode, the immutable attribute.
TEST(SafeFile, FilesTheUserMayNotWriteAreRefused) {
    TFolder folder;
    const std::string immutable = folder / "immutable.txt";
    Write(immutable, "old");
    if (Root() && std::system(("chattr +i '" + immutable + "' 2>/dev/null").c_str()) == 0) {
        const TResult result = SaveAs(0, immutable, "new");
        EXPECT_FALSE(result.Ok);
        EXPECT_EQ(result.Error, std::strerror(EPERM));
        EXPECT_EQ(Slurp(immutable), "old");
        std::system(("chattr -i '" + immutable + "'").c_str());
    }
    if (!Root()) GTEST_SKIP() << "a read-only file of another user needs root to set up";
    const std::string readOnly = folder / "readonly.txt";
    Write(readOnly, "old");
    ASSERT_EQ(::chown(folder.Path.c_str(), Nobody, Nobody), 0);
    ASSERT_EQ(::chown(readOnly.c_str(), Nobody, Nobody), 0);
    ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);
    const TResult result = SaveAs(Nobody, readOnly, "new");
    EXPECT_FALSE(result.Ok);
    EXPECT_EQ(result.Error, std::strerror(EACCES));
    EXPECT_EQ(Slurp(readOnly), "old");
    EXPECT_EQ(Entries(folder.Path), (std::set<std::string>{"immutable.txt", "readonly.txt"}));
}

// The saved file is the same file: hard links see the new text, attributes, access control lists,
// owner and mode stay; a dangling link gets its target; a long name needs no longer one.
TEST(SafeFile, TheFileKeepsItsIdentity) {
    TFolder folder;
    const std::string linked = folder / "linked.txt", other = folder / "other-name.txt";
    Write(linked, "old");
    ASSERT_EQ(::link(linked.c_str(), other.c_str()), 0);
    std::string error;
    ASSERT_TRUE(WriteFileSafely(linked, "new", error)) << error;
    EXPECT_EQ(Slurp(other), "new");

    const std::string tagged = folder / "tagged.txt";
    Write(tagged, "old");
    ASSERT_EQ(::chmod(tagged.c_str(), 0640), 0);
    const bool attributes = ::setxattr(tagged.c_str(), "user.zelm", "mark", 4, 0) == 0;
    const bool acl = std::system(("setfacl -m u:65534:rw '" + tagged + "' 2>/dev/null").c_str()) == 0;
    struct stat before {};
    ::stat(tagged.c_str(), &before);
    ASSERT_TRUE(WriteFileSafely(tagged, "new", error)) << error;
    struct stat after {};
    ::stat(tagged.c_str(), &after);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(Slurp(tagged), "new");
    char value[16] = {};
    if (attributes) {
        EXPECT_EQ(::getxattr(tagged.c_str(), "user.zelm", value, sizeof value), 4);
    }
    if (acl) {
        EXPECT_GT(::getxattr(tagged.c_str(), "system.posix_acl_access", nullptr, 0), 0);
    }

    const std::string link = folder / "link.txt", target = folder / "target.txt";
    ASSERT_EQ(::symlink("target.txt", link.c_str()), 0);
    ASSERT_TRUE(WriteFileSafely(link, "through the link", error)) << error;
    struct stat info {};
    ASSERT_EQ(::lstat(link.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_EQ(Slurp(target), "through the link");

    const std::string longName = folder / std::string(NAME_MAX - 4, 'x') + ".txt";
    Write(longName, "old");
    ASSERT_TRUE(WriteFileSafely(longName, "new", error)) << error;
    EXPECT_EQ(Slurp(longName), "new");
}

// Files the user may write, where a new file cannot replace the old one: a root-owned file open
// to all, a folder the user cannot write, a sticky folder of another user. They are written in
// place, their owner kept, and no copy is left behind.
TEST(SafeFile, WritableFilesAreSavedInPlaceWhereTheyCannotBeReplaced) {
    if (!Root()) GTEST_SKIP() << "files of another user need root to set up";
    TFolder folder;
    const std::string open = folder / "open.txt";
    Write(open, "old content of root");
    ASSERT_EQ(::chmod(open.c_str(), 0666), 0);
    const std::string closedFolder = folder / "closed", inClosed = folder / "closed/mine.txt";
    ASSERT_EQ(::mkdir(closedFolder.c_str(), 0755), 0);
    Write(inClosed, "old");
    ASSERT_EQ(::chown(inClosed.c_str(), Nobody, Nobody), 0);
    const std::string sticky = folder / "sticky", inSticky = folder / "sticky/shared.txt";
    ASSERT_EQ(::mkdir(sticky.c_str(), 01777), 0);
    ASSERT_EQ(::chmod(sticky.c_str(), 01777), 0);
    Write(inSticky, "old");
    ASSERT_EQ(::chmod(inSticky.c_str(), 0666), 0);
    for (const std::string& path : {open, inClosed, inSticky}) {
        SCOPED_TRACE(path);
        struct stat before {};
        ::stat(path.c_str(), &before);
        const TResult result = SaveAs(Nobody, path, "new");
        EXPECT_TRUE(result.Ok) << result.Error;
        EXPECT_EQ(Slurp(path), "new");
        struct stat after {};
        ::stat(path.c_str(), &after);
        EXPECT_EQ(after.st_uid, before.st_uid);
        EXPECT_EQ(after.st_ino, before.st_ino);
    }
    EXPECT_TRUE(Entries("/tmp/.cache/zelm").empty());
}

// Writing in place, a failure puts the old content back from the copy; a crash before the end
// leaves no file beside the target.
TEST(SafeFile, FailuresAndCrashesLeaveTheOldContent) {
    TFolder folder;
    const std::string linked = folder / "linked.txt", other = folder / "other.txt";
    const std::string old(100000, 'o');
    Write(linked, old);
    ASSERT_EQ(::link(linked.c_str(), other.c_str()), 0);
    ::setenv("XDG_CACHE_HOME", (folder / "cache").c_str(), 1);
    for (const char* op : {"write", "fsync"}) {
        SCOPED_TRACE(op);
        std::string error;
        {
            zelm::test::TFaults faults(op, folder.Path + "/*.txt", "ENOSPC", 5000, 1);
            EXPECT_FALSE(WriteFileSafely(linked, std::string(200000, 'n'), error));
        }
        EXPECT_EQ(error, std::strerror(ENOSPC));
        EXPECT_TRUE(Slurp(linked) == old);
        EXPECT_TRUE(Entries(folder / "cache/zelm").empty());
    }
    ::unsetenv("XDG_CACHE_HOME");

    const std::string target = folder / "target.txt";
    Write(target, "old");
    const pid_t child = ::fork();
    if (child == 0) {
        TSafeFile file(target);
        file.Open();
        file.Write(std::string(1 << 20, 'x'));
        ::_exit(0); // dies before the commit, as a killed program does
    }
    ::waitpid(child, nullptr, 0);
    EXPECT_EQ(Slurp(target), "old");
    EXPECT_EQ(Entries(folder.Path), (std::set<std::string>{"cache", "linked.txt", "other.txt", "target.txt"}));
}

// A save in place killed at any point (before a byte is written, in the middle, after the last
// byte) is found at the next look, not while it runs; the old content comes back, or the file is
// kept as it is, and no copy stays behind either way.
TEST(SafeFile, InPlaceSavesKilledHalfWayAreRepaired) {
    TFolder folder;
    ::setenv("XDG_CACHE_HOME", (folder / "cache").c_str(), 1);
    const std::string linked = folder / "linked.txt", other = folder / "other.txt";
    const std::string old(300000, 'o'), fresh(400000, 'n');
    Write(linked, old);
    ASSERT_EQ(::link(linked.c_str(), other.c_str()), 0); // two names: written in place
    struct stat identity {};
    ::stat(linked.c_str(), &identity);
    int point = 0;
    for (const std::size_t written : {std::size_t(0), std::size_t(1), std::size_t(150001), fresh.size()}) {
        SCOPED_TRACE(written);
        const bool restore = point++ % 2 == 0;
        Write(linked, old);
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            TSafeFile file(linked);
            if (file.Open() && file.InPlace()) file.Write(std::string_view(fresh).substr(0, written));
            [[maybe_unused]] const auto n = ::write(ready[1], "x", 1);
            ::pause();
            ::_exit(0);
        }
        char byte = 0;
        ASSERT_EQ(::read(ready[0], &byte, 1), 1);
        ::close(ready[0]);
        ::close(ready[1]);
        EXPECT_TRUE(UnfinishedSaves().empty()); // a save that runs is no one else's to finish
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        const std::vector<TUnfinishedSave> saves = UnfinishedSaves();
        ASSERT_EQ(saves.size(), 1u);
        EXPECT_EQ(saves[0].Path, linked);
        EXPECT_EQ(saves[0].Inode, identity.st_ino);
        EXPECT_EQ(saves[0].Size, (long long)old.size());
        std::string error;
        ASSERT_TRUE(FinishUnfinishedSave(saves[0], restore, error)) << error;
        const std::string now = Slurp(other);
        if (restore) EXPECT_TRUE(now == old);
        else EXPECT_TRUE(now == fresh.substr(0, written) + old.substr(std::min(written, old.size())));
        EXPECT_TRUE(Entries(folder / "cache/zelm").empty());
    }
    // A copy no record names (a save killed while copying) goes at the next look.
    Write(folder / "cache/zelm/save-AbCdEf", old);
    EXPECT_TRUE(UnfinishedSaves().empty());
    EXPECT_TRUE(Entries(folder / "cache/zelm").empty());
    ::unsetenv("XDG_CACHE_HOME");
}

// A file that the system will not let be replaced by renaming (EBUSY for a bind-mount target,
// EXDEV, EPERM, EACCES on some network file systems) is written in place, keeping its inode; any
// other refusal fails with its reason and leaves the old content.
TEST(SafeFile, FilesThatCannotBeRenamedOverAreWrittenInPlace) {
    TFolder folder;
    ::setenv("XDG_CACHE_HOME", (folder / "cache").c_str(), 1);
    const std::string target = folder / "mounted.txt";
    for (const int code : {EBUSY, EXDEV, EPERM, EACCES, EIO}) {
        SCOPED_TRACE(code);
        Write(target, "old");
        struct stat before {};
        ::stat(target.c_str(), &before);
        std::string error;
        bool ok = false;
        {
            zelm::test::TFaults faults("rename", target, std::to_string(code).c_str(), 0, 0);
            ok = WriteFileSafely(target, "new content", error);
        }
        struct stat after {};
        ::stat(target.c_str(), &after);
        EXPECT_EQ(ok, code != EIO) << error;
        EXPECT_EQ(Slurp(target), code != EIO ? "new content" : "old");
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_EQ(Entries(folder.Path), (std::set<std::string>{"cache", "mounted.txt"}));
        EXPECT_TRUE(Entries(folder / "cache/zelm").empty());
    }
    // A real bind mount, where the test may mount.
    const std::string source = folder / "source.txt";
    Write(source, "bound");
    Write(target, "old");
    if (!Root() || std::system(("mount --bind '" + source + "' '" + target + "' 2>/dev/null").c_str()) != 0) {
        ::unsetenv("XDG_CACHE_HOME");
        GTEST_SKIP() << "a bind mount needs root and a system that allows it";
    }
    std::string error;
    EXPECT_TRUE(WriteFileSafely(target, "through the mount", error)) << error;
    EXPECT_EQ(Slurp(source), "through the mount");
    std::system(("umount '" + target + "'").c_str());
    ::unsetenv("XDG_CACHE_HOME");
}
