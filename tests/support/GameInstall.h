#pragma once

#include <QByteArray>

#include <vector>

#include "app/GameTypes.h"

// Builds game installs of any size for the tests, the benchmark and the demo: "System" and
// "Maps" folders with empty map files, .int files and a realistic UnrealTournament.ini.
namespace rendix::testing {

// Where the game's own files lie. Every layout has the package files its ServerPackages=
// and ServerActors= entries name, and each mod its .u file beside its .int file.
enum class Layout {
    // The 24 stock .int files in System, with UnrealTournament.ini, and the .int and .u
    // files of the default ServerPackages entries.
    Classic,
    // Every .int and .u file the game ships in System, with UnrealTournament.ini; System64
    // holds the 64-bit programs.
    Patch469b,
    // The game's .u files in System, its .int files in SystemLocalized/int, the configuration
    // file in System64 and none in System; mods keep their .u and .int files in System.
    Patch469c,
    // As 469c, with the ARM programs in SystemARM64.
    Patch469d,
};

struct GameInstallOptions {
    int extraMapsPerType = 0;     // map files per type beyond the stock ones, "DM-Extra0001.unr"...
    bool stockMaps = true;        // the stock maps of the four types, tutorial maps included
    int customInts = 6;           // .int files beyond the stock ones, first half in ServerPackages
    int entriesWithoutInt = 2;    // ServerPackages entries whose .int file is missing
    int targetIniBytes = 20000;   // padded with further realistic sections up to about this size
    QByteArray lineEnd = "\r\n";  // "\r\n" (the game's own) or "\n"
    Layout layout = Layout::Classic;
    // Map files per type in BonusPack/Maps, the second map folder that a Paths= line of the
    // file names ("DM-Bonus001.unr"...). None: the folder does not exist.
    int bonusMapsPerType = 0;
};

struct GameInstall {
    QByteArray root;    // the game directory (UTDir)
    QByteArray system;  // root + "/System" (with the system's separator)
    QByteArray maps;    // root + "/Maps"
    QByteArray ini;     // system + "/UnrealTournament.ini", or System64's from Patch469c on
};

// The stock map file names of a game type, tutorial map first.
std::vector<QByteArray> stockMapNames(const GameType& type);

// The UnrealTournament.ini that makeGameInstall writes, as bytes.
QByteArray unrealTournamentIni(const GameInstallOptions& options);

// Creates the install under `root` (which may exist) and returns its paths.
GameInstall makeGameInstall(const QByteArray& root, const GameInstallOptions& options = {});

// Writes a Rendix.ini (the default content with UTDir set) into `programDir`.
void writeSettingsFor(const QByteArray& programDir, const QByteArray& utDir);

}  // namespace rendix::testing
