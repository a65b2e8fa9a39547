// Writing a file so that it ends up either with all of its new bytes or exactly as it was, and
// stays the same file: its owner, group, permissions, access control lists, extended attributes
// and hard links are kept, and a file the user may not write is never written.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zelm {

// An existing file that the user may not write (its permissions, a read-only file system, the
// immutable attribute) is refused before anything is written.
//
// The new content normally goes into an anonymous temporary file in the target's folder that
// replaces the target only after every byte is written and synced; it gets the old file's owner,
// group, permissions and extended attributes (access control lists among them). Where replacing
// would change the file's identity or cannot work (more than one hard link, an owner, group or
// attribute that cannot be given to a new file, a folder the user cannot write, a sticky folder),
// the file is written in place instead, safely: a copy of the old content is kept first in the
// user's cache folder, and any failure puts the old content back from it. So is a file that the
// system will not let be replaced by renaming (a bind-mount target, some network and FUSE file
// systems). The copy is complete and synced before the file is touched, and a record beside it
// names the file; the record goes only once the new content is synced, so a save killed half-way
// is found by UnfinishedSaves and can be undone. A symbolic link keeps
// pointing at the file it names, which is created when it does not exist yet; a target that is no
// regular file (a device, a pipe) is written in place. Nothing is left behind by a crash: the
// temporary file has no name until the moment it replaces the target.
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
    // True when the file is being written in place (see above).
    bool InPlace() const { return InPlace_; }

private:
    bool Fail(int code);
    bool FailWith(std::string reason);
    bool OpenInPlace(bool keepCopy);
    bool CommitInPlaceFrom(const std::string& temp);
    bool RestoreFromCopy();
    void RemoveCopy();
    std::string Path_;   // what the user named
    std::string Target_; // the file that is written (the link's target for a link)
    std::string Folder_;
    std::string Temp_;   // the temporary file's name once it has one
    std::string Copy_;   // the copy of the old content kept while writing in place
    int CopyFd_ = -1;    // held open and locked while the copy is in use
    bool Exists_ = false;
    int Fd_ = -1;
    bool Anonymous_ = false; // the temporary file has no name yet
    bool InPlace_ = false;
    bool Started_ = false;   // writing in place has touched the target
    long long Written_ = 0;
    std::string Error_;
};

// Writes all of `bytes` into `path` through TSafeFile; false with the system's reason in `error`.
bool WriteFileSafely(const std::string& path, std::string_view bytes, std::string& error);

// The folder where copies of files written in place are kept: $XDG_CACHE_HOME/zelm, or
// ~/.cache/zelm.
std::string SafeFileCopyFolder();

// A save in place that did not finish (the program was killed or the machine stopped): the file
// may hold part of its new content; the copy holds all of its old content.
struct TUnfinishedSave {
    std::string Path;          // the file that was being written
    unsigned long long Device = 0, Inode = 0; // its identity then
    long long Size = 0;        // the old content's size
    long long Started = 0;     // when the save began (seconds since 1970)
    std::string Copy, Record;  // the copy of the old content and the record naming it
};

// The unfinished saves in the copy folder that no running save holds, oldest first. Copies that
// no record names (a save that never touched its file, or one that completed) are removed here.
std::vector<TUnfinishedSave> UnfinishedSaves();

// Puts the old content back (`restore`) or leaves the file as it is, then removes the copy and its
// record. A file that is no longer the one that was being saved is not written: false, with the
// reason, and the copy stays.
bool FinishUnfinishedSave(const TUnfinishedSave& save, bool restore, std::string& error);

} // namespace zelm
