#pragma once

#include <QByteArray>

#include <vector>

namespace rendix {

// An exclusion list: map file names with extension and without a path, first index 0.
using ExclusionList = std::vector<QByteArray>;

// The state shared across windows for the whole run. One instance lives as long as the
// program; the windows and commands get it by reference.
struct ModMain {
    // The game directory exactly as stored under [Main] UTDir; fixed relative paths are
    // appended with the separator ("/system/UnrealTournament.ini").
    QByteArray UTDir;
    ExclusionList DMExcludes;
    ExclusionList CTFExcludes;
    ExclusionList DOMExcludes;
    ExclusionList ASExcludes;
    // Full path of the latest backup made in this run; set only by BackupGameConfig.
    QByteArray LastBackup;
    // The full path of the settings file for this run (the program folder's Rendix.ini,
    // under the name the folder stores, or the per-user one); chosen once at start-up.
    QByteArray settingsPath;
};

}  // namespace rendix
