#pragma once

#include <QByteArray>

#include <vector>

namespace rendix {

// An exclusion list: map file names with extension and without a path, first index 0.
using ExclusionList = std::vector<QByteArray>;

// The longest map list the game reads (patch 469c and later; 32 before), and the default.
inline constexpr int kMaxMapsPerList = 4096;
inline constexpr int kDefaultMapsPerList = 32;

// The state shared for the whole run. One instance lives as long as the program; every
// routine that needs it gets it by reference.
struct ModMain {
    // The game directory exactly as stored under [Main] UTDir; fixed relative paths are
    // appended with the separator ("/system/UnrealTournament.ini").
    QByteArray UTDir;
    // [Main] ConfigFile: the full path of the configuration file the user chose. Empty
    // means the one candidate there is (see Install).
    QByteArray ConfigFile;
    // [Main] MapsPerList: how many slots of each map list the randomizer fills, 1 to
    // kMaxMapsPerList; kDefaultMapsPerList when the key is absent or out of range.
    int MapsPerList = kDefaultMapsPerList;
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
