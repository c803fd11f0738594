#pragma once

#include <QByteArray>
#include <QDateTime>

#include <optional>
#include <vector>

#include "app/Install.h"
#include "app/ModMain.h"
#include "maintenance/ConfigChange.h"
#include "platform/Messages.h"

// The backups of the configuration file in effect, and putting one of them back.
namespace rendix {

// A backup beside the configuration file in effect.
struct BackupInfo {
    QByteArray path;  // full path, resolved
    QByteArray name;  // the file name as the folder stores it
    // When it was made. Backup names carry month, day and time but no year; the year comes
    // from the file's last change time, and so does the whole time where the name holds
    // none that fits.
    QDateTime made;
    qint64 size = 0;
};

// The backups beside the configuration file in effect: the plain files that DeleteBackups
// deletes (rendix_unrealtournament*.ini in any letter case, no symbolic links), newest first (a
// later "_n" of the same second first). Empty when there is no configuration file or the folder
// holds none; `listed` tells whether the folder could be listed.
std::vector<BackupInfo> listBackups(const Install& install, bool* listed = nullptr);

// The most recently made backup (the first of listBackups), or nothing.
std::optional<BackupInfo> latestBackup(const Install& install);

// The backup that `nameOrPath` names: a file name, or a path whose file lies beside the
// configuration file in effect, of one of listBackups' files. Nothing when it names no such
// backup (another folder, another file, a file that does not exist).
std::optional<BackupInfo> findBackup(const Install& install, const QByteArray& nameOrPath);

// Replaces the configuration file in effect with the backup's bytes, with the busy pointer:
// first the running-game question (No changes nothing), then, holding the file's lock, a
// backup of the current file as every change makes (so a restore can itself be undone),
// then one safe replace. On success the status line reads "Restored " + the backup's name +
// "." and true is returned. A failure shows its box ("Read failed" for an unreadable
// backup, "Backup failed", "Write failed", "Busy") and returns false; the configuration file
// then holds what it held before.
bool RestoreBackup(ModMain& state, Messages& messages, const BackupInfo& backup,
                   const ChangeOptions& options = {});

}  // namespace rendix
