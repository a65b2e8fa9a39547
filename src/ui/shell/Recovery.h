// Unsaved text kept on disk, so that a crash, a kill or a lost display loses none of it: each
// running editor keeps its document's unsaved text in a recovery file of its own in the user's
// state folder, and the next start offers what a program that no longer runs left behind.
#pragma once

#include "DocumentFile.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace zelm {

// $XDG_STATE_HOME/zelm, or ~/.local/state/zelm.
QString RecoveryFolder();

// This process's recovery file in that folder.
QString OwnRecoveryFile();

struct TRecoveredText {
    QString FileName;  // the document's file, or "Untitled"
    TDocument Document;
    TFileStamp Stamp;  // the file as it was when it was read, to notice a change since
    bool Lossy = false;
    QDateTime Written;
};

// Writes (and syncs) the recovery file of a document; false with the reason.
bool WriteRecovery(const QString& file, const TRecoveredText& text, QString& error);
std::optional<TRecoveredText> ReadRecovery(const QString& file);

// The recovery files of editors that no longer run, the newest first.
QStringList OrphanedRecoveries();

// Calls `handler` in the event loop when the process receives SIGTERM or SIGHUP (a logout, a
// kill), instead of dying at once.
void OnTerminationSignal(std::function<void()> handler);

} // namespace zelm
