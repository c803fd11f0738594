#pragma once

#include <QByteArray>

#include "app/Install.h"
#include "app/ModMain.h"
#include "maintenance/ConfigChange.h"
#include "platform/Messages.h"
#include "platform/Paths.h"
#include "platform/Result.h"

namespace rendix {

// The names of the backups, matched without regard to letter case: what BackupGameConfig
// makes, what DeleteBackups deletes and what a restore offers.
inline constexpr QByteArrayView kBackupPattern("rendix_unrealtournament*.ini");

// A backup is a plain file that Rendix made: a symbolic link under a backup's name (one that
// somebody planted, leading to any file at all) is never listed, restored or deleted.
inline constexpr platform::Links kBackupLinks = platform::Links::Excluded;

// Copies the configuration file in effect of `install` to a new backup beside it named
// "Rendix_UnrealTournament" + month + day + hour + minute + second + ".ini" (local time,
// no leading zeros), or with "_2", "_3", ... before ".ini" where that name is taken in any
// letter case, or taken by another process while the copy is made (the copy's final link
// finds it; Problem::Exists). The copy is complete or absent and never replaces a file. On
// success sets LastBackup to the new file's full path; on failure leaves LastBackup alone and
// returns the failure (the caller then must not change the file). Every caller is about to
// rewrite the file, so a file that the rewrite would refuse (platform::checkRewrite: a
// read-only file, a link that leads to no .ini file) fails first, with nothing copied.
Result BackupGameConfig(ModMain& state, const Install& install);

// Deletes the backups of the configuration file in effect, with the busy pointer: "Nothing to
// do" when no plain file matches rendix_unrealtournament*.ini (any case) beside it (symbolic
// links are no backups: they are neither counted nor deleted); otherwise asks
// "Continue?" (Yes the default) and on Yes deletes every match while it holds the lock of the
// configuration file (another Rendix holding it gives the "Busy" box and deletes nothing). A
// folder that cannot be listed shows the "List failed" box; a match that cannot be deleted the
// "Delete failed" box (the other matches are deleted all the same).
void DeleteBackups(ModMain& state, Messages& messages, const ChangeOptions& options = {});

}  // namespace rendix
