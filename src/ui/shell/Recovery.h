// Unsaved text kept on disk, so that a crash, a kill or a lost display loses none of it: each
// running editor keeps its document's unsaved text in a recovery file of its own in the user's
// state folder (or, where that cannot be written, in another folder of the user's), and the next
// start offers what a program that no longer runs left behind. A run's files are named by a
// random id and held by a lock (flock) that ends with the process, so no other run takes them for
// its own, whatever process ids a sandbox or a container hands out.
#pragma once

#include "DocumentFile.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

namespace zelm {

// $XDG_STATE_HOME/zelm, or ~/.local/state/zelm.
QString RecoveryFolder();

// Where recovery files may be written, in the order they are tried: the state folder, then the
// cache folder ($XDG_CACHE_HOME/zelm/recovery), $XDG_RUNTIME_DIR/zelm and a folder of the user's
// own in the temporary folder.
QStringList RecoveryFolders();

// This run's recovery file in `folder`.
QString OwnRecoveryFile(const QString& folder = RecoveryFolder());

// Holds this run's lock in `folder` (made when missing), so that its recovery file there is
// nobody else's; false with the reason.
bool HoldRecoveryLock(const QString& folder, QString& error);

// Removes a recovery file and its lock (an orphan once handled, or this run's own).
void RemoveRecoveryFile(const QString& file);

struct TRecoveredText {
    QString FileName;  // the document's file, or "Untitled"
    TDocument Document;
    TFileStamp Stamp;  // the file as it was when it was read, to notice a change since
    bool Lossy = false;
    QDateTime Written;
    std::vector<QString> Lines; // when not empty, the text as its lines (Document.Text is not used)
};

// Writes (and syncs) the recovery file of a document; false with the system's reason.
bool WriteRecovery(const QString& file, const TRecoveredText& text, QString& error);

// Writes this run's recovery file into the first recovery folder that takes it (any thread may
// call it): the file written, or none, with the reasons of the folders that refused.
struct TRecoveryWrite {
    QString File;
    QStringList Reasons; // "folder: reason" for each folder tried before it
};
TRecoveryWrite WriteRecoveryAnywhere(const TRecoveredText& text);
std::optional<TRecoveredText> ReadRecovery(const QString& file);

// The recovery files of editors that no longer run, in every recovery folder, the newest first.
QStringList OrphanedRecoveries();

// Calls `handler` in the event loop when the process receives SIGTERM or SIGHUP (a logout, a
// kill), instead of dying at once.
void OnTerminationSignal(std::function<void()> handler);

} // namespace zelm
