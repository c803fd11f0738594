#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

#include "app/Install.h"
#include "platform/FileLock.h"
#include "platform/Messages.h"

// What every change of the game's configuration file (or of its backups) settles before it
// begins: whether a game of the install runs, and the lock that keeps other Rendix
// processes from writing at the same time.
namespace rendix {

struct ChangeOptions {
    // How long a command waits for another Rendix to let go of the configuration file.
    int lockTimeoutMs = platform::FileLock::kDefaultTimeoutMs;
};

// The executables of the game or server programs of `install` that run now (from its
// System, System64 or SystemARM64 folder), each once; empty when none runs. A change of the
// configuration file made meanwhile is lost: the game writes its settings back on every map
// change and when it exits. Asks nothing: the caller decides what a running game means.
std::vector<QByteArray> runningGames(const Install& install);

// Whether the change may go ahead as far as a running game is concerned: true when none
// runs, otherwise the answer to gameRunningMessage (Yes/No, No the default) is Yes.
bool mayChangeWhileGameRuns(const Install& install, Messages& messages);

// What a change touches under the configuration file's lock.
enum class ChangeTarget {
    // The file itself: a running game would write its own settings over the change.
    ConfigFile,
    // Only the backups beside it, which no game reads.
    Backups,
};

// The start of a change of the configuration file of `install` or of its backups: asks
// about a running game for ChangeTarget::ConfigFile, then takes the file's lock, which the
// caller keeps for the rest of its run in the returned object. Nothing when the user
// answered No (no box besides the question) or the lock could not be had: another Rendix
// holding it past the wait gives the "Busy" box, a lock file that cannot be made the "Write
// failed" box, each ending in `holds`. In either case nothing has been changed. An install
// without a configuration file has nothing to guard: an empty lock, and no question.
std::optional<platform::FileLock> beginChange(const Install& install, Messages& messages,
                                              const ChangeOptions& options, ChangeTarget target,
                                              const QString& holds);

}  // namespace rendix
