// Deterministic file-system faults for tests, without root: a library that stands in for the C
// library's write, fsync, fdatasync, close and rename family, and makes them fail for chosen
// paths. Load it with LD_PRELOAD, or link it into a test program (its functions then come before
// the C library's for every library of the process). With nothing configured it only passes calls
// through.
//
// Configured by the environment, read at every call so that a test can change it between steps:
//   ZELM_FAULT_OPS    comma-separated operations to break: write, fsync, close, rename
//   ZELM_FAULT_PATH   fnmatch pattern of the paths concerned (the open file's path as
//                     /proc/self/fd shows it; for rename, either name)
//   ZELM_FAULT_ERRNO  ENOSPC (default), EIO, EDQUOT, EPIPE or a number
//   ZELM_FAULT_AFTER  bytes the matching files may still take before writes fail (default 0);
//                     the write that crosses the limit is cut short, as on a filling disk
//   ZELM_FAULT_TIMES  how many calls fail before the fault clears (default 0: it never does),
//                     for a fault that passes, as a disk that has room again
// The byte count starts again whenever the configuration changes.
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fnmatch.h>
#include <mutex>
#include <string>
#include <unistd.h>

namespace {

template <class F> F Real(const char* name) {
    return reinterpret_cast<F>(::dlsym(RTLD_NEXT, name));
}

struct TConfig {
    bool Write = false, Fsync = false, Close = false, Rename = false;
    std::string Pattern;
    int Error = ENOSPC;
    long long After = 0;
    long long Times = 0;
};

std::mutex Lock;
std::string LastSeen;       // the configuration the byte count belongs to
long long BytesWritten = 0; // into matching files since then
long long Failures = 0;     // calls failed since then

bool Configured(TConfig& config) {
    const char* ops = std::getenv("ZELM_FAULT_OPS");
    if (!ops || !*ops) return false;
    const char* path = std::getenv("ZELM_FAULT_PATH");
    const char* error = std::getenv("ZELM_FAULT_ERRNO");
    const char* after = std::getenv("ZELM_FAULT_AFTER");
    const std::string list = std::string(",") + ops + ",";
    config.Write = list.find(",write,") != std::string::npos;
    config.Fsync = list.find(",fsync,") != std::string::npos;
    config.Close = list.find(",close,") != std::string::npos;
    config.Rename = list.find(",rename,") != std::string::npos;
    config.Pattern = path ? path : "*";
    if (error && *error) {
        if (!std::strcmp(error, "EIO")) config.Error = EIO;
        else if (!std::strcmp(error, "EDQUOT")) config.Error = EDQUOT;
        else if (!std::strcmp(error, "EPIPE")) config.Error = EPIPE;
        else if (!std::strcmp(error, "ENOSPC")) config.Error = ENOSPC;
        else config.Error = std::atoi(error);
    }
    config.After = after && *after ? std::atoll(after) : 0;
    const char* times = std::getenv("ZELM_FAULT_TIMES");
    config.Times = times && *times ? std::atoll(times) : 0;
    const std::string seen = list + "|" + config.Pattern + "|" + std::to_string(config.Error) + "|" +
                             std::to_string(config.After) + "|" + std::to_string(config.Times);
    std::lock_guard guard(Lock);
    if (seen != LastSeen) {
        LastSeen = seen;
        BytesWritten = 0;
        Failures = 0;
    }
    return config.Times == 0 || Failures < config.Times;
}

// Counts a failing call and sets errno; returns -1.
int Failing(const TConfig& config) {
    {
        std::lock_guard guard(Lock);
        ++Failures;
    }
    errno = config.Error;
    return -1;
}

bool Matches(const TConfig& config, const char* path) {
    return path && ::fnmatch(config.Pattern.c_str(), path, 0) == 0;
}

bool FdMatches(const TConfig& config, int fd) {
    char link[64], target[4096];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t n = ::readlink(link, target, sizeof target - 1);
    if (n <= 0) return false;
    target[n] = 0;
    return Matches(config, target);
}

} // namespace

extern "C" {

// Lets a test program that links the library make sure it is loaded.
int ZelmFaultsLoaded() { return 1; }

ssize_t write(int fd, const void* data, size_t size) {
    static const auto real = Real<ssize_t (*)(int, const void*, size_t)>("write");
    TConfig config;
    if (!Configured(config) || !config.Write || !FdMatches(config, fd)) return real(fd, data, size);
    long long allowed = 0;
    {
        std::lock_guard guard(Lock);
        allowed = config.After - BytesWritten;
        if (allowed > 0 && static_cast<long long>(size) > allowed) size = static_cast<size_t>(allowed);
    }
    if (allowed <= 0 && size > 0) return Failing(config);
    const ssize_t n = real(fd, data, size);
    if (n > 0) {
        std::lock_guard guard(Lock);
        BytesWritten += n;
    }
    return n;
}

int fsync(int fd) {
    static const auto real = Real<int (*)(int)>("fsync");
    TConfig config;
    if (Configured(config) && config.Fsync && FdMatches(config, fd)) return Failing(config);
    return real(fd);
}

int fdatasync(int fd) {
    static const auto real = Real<int (*)(int)>("fdatasync");
    TConfig config;
    if (Configured(config) && config.Fsync && FdMatches(config, fd)) return Failing(config);
    return real(fd);
}

// The descriptor is closed all the same, as a network file system does when it reports a late
// write error at close.
int close(int fd) {
    static const auto real = Real<int (*)(int)>("close");
    TConfig config;
    const bool fail = Configured(config) && config.Close && FdMatches(config, fd);
    const int result = real(fd);
    if (fail) return Failing(config);
    return result;
}

int rename(const char* from, const char* to) {
    static const auto real = Real<int (*)(const char*, const char*)>("rename");
    TConfig config;
    if (Configured(config) && config.Rename && (Matches(config, from) || Matches(config, to))) return Failing(config);
    return real(from, to);
}

int renameat(int fromDir, const char* from, int toDir, const char* to) {
    static const auto real = Real<int (*)(int, const char*, int, const char*)>("renameat");
    TConfig config;
    if (Configured(config) && config.Rename && (Matches(config, from) || Matches(config, to))) return Failing(config);
    return real(fromDir, from, toDir, to);
}

int renameat2(int fromDir, const char* from, int toDir, const char* to, unsigned flags) {
    static const auto real = Real<int (*)(int, const char*, int, const char*, unsigned)>("renameat2");
    TConfig config;
    if (Configured(config) && config.Rename && (Matches(config, from) || Matches(config, to))) return Failing(config);
    return real(fromDir, from, toDir, to, flags);
}

} // extern "C"
