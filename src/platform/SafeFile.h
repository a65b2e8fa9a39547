// Writing a file so that it ends up either with all of its new bytes or exactly as it was.
#pragma once

#include <string>
#include <string_view>

namespace zelm {

// The new content goes into a temporary file beside the target, which replaces the target only
// after every byte is written, flushed and synced; any failure removes the temporary file and
// leaves the target untouched. A target that is a symbolic link has the file it points to
// replaced; a target that exists but is no regular file (a device, a pipe) is written in place.
// The first failure is kept: later writes do nothing, and Commit reports it.
class TSafeFile {
public:
    explicit TSafeFile(std::string path);
    ~TSafeFile(); // discards what was written unless committed
    TSafeFile(const TSafeFile&) = delete;
    TSafeFile& operator=(const TSafeFile&) = delete;

    bool Open();
    bool Write(std::string_view bytes);
    bool Commit();
    void Discard();

    // The system's reason for the first failure ("No space left on device").
    const std::string& Error() const { return Error_; }
    bool Failed() const { return !Error_.empty(); }

private:
    bool Fail(int code);
    std::string Path_;   // what the user named
    std::string Target_; // the file that is replaced (the link's target for a link)
    std::string Temp_;   // the temporary file, empty when writing in place
    int Fd_ = -1;
    bool InPlace_ = false;
    std::string Error_;
};

// Writes all of `bytes` into `path` through TSafeFile; false with the system's reason in `error`.
bool WriteFileSafely(const std::string& path, std::string_view bytes, std::string& error);

} // namespace zelm
