#pragma once

#include <QByteArray>

#include <vector>

// Finds the game installs on this computer, for a user who does not know where a launcher
// put the game. It looks only where the settings and the platform's launchers
// (platform/GamePlaces.h) say, reading the files in which launchers write down their games,
// and never walks the home folder.
namespace rendix {

struct FoundInstall {
    QByteArray gameDir;     // as its source names it, letter case resolved
    QByteArray configFile;  // the configuration file in effect; empty where the user must choose
    QByteArray foundBy;     // "settings", "OldUnreal installer", "Steam", "Heroic", "Lutris",
                            // "Wine", "LinuxGSM", "game installer" or "GOG"

    friend bool operator==(const FoundInstall&, const FoundInstall&) = default;
};

// The installs found: first the game directory stored in the settings (`storedDir`, with
// its chosen configuration file `storedConfig`), then those of each launcher's places in
// the platform's order. A candidate counts only where isGameDirectory() accepts it; a
// LinuxGSM serverfiles folder also where it holds the instance file of an instance script
// beside it (<script>.ini in a program folder), which is then its configuration file in
// effect. Each install once, under the first source that names it: two names of one folder
// (a symbolic link, another letter case) count as one. A launcher's file that is damaged or
// of an unexpected form is skipped; nothing is ever written.
std::vector<FoundInstall> findInstalls(const QByteArray& storedDir,
                                       const QByteArray& storedConfig = {});

}  // namespace rendix
