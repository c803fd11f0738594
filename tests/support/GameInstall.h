#pragma once

#include <QByteArray>

#include <vector>

#include "app/GameTypes.h"

// Builds game installs of any size for the tests, the benchmark and the demo: a game
// directory with "System" and "Maps" folders, empty map files, .int files and an
// UnrealTournament.ini that looks like a real one.
namespace rendix::testing {

struct GameInstallOptions {
    // Map files per game type beyond the stock ones ("DM-Extra0001.unr", ...).
    int extraMapsPerType = 0;
    // Whether the stock maps of the four types (tutorial maps included) are created.
    bool stockMaps = true;
    // Custom .int files beyond the stock ones; the first half get a ServerPackages entry.
    int customInts = 6;
    // ServerPackages entries whose .int file is missing.
    int entriesWithoutInt = 2;
    // Pads the file with further realistic sections up to about this many bytes.
    int targetIniBytes = 20000;
    // "\r\n" (the game's own) or "\n".
    QByteArray lineEnd = "\r\n";
};

struct GameInstall {
    QByteArray root;    // the game directory (UTDir)
    QByteArray system;  // root + "/System"
    QByteArray maps;    // root + "/Maps"
    QByteArray ini;     // system + "/UnrealTournament.ini"
};

// The stock map file names of a game type, tutorial map first.
std::vector<QByteArray> stockMapNames(const GameType& type);

// The 24 stock .int files with their usual spelling ("Core.int", "Engine.int", ...).
std::vector<QByteArray> stockIntNames();

// The UnrealTournament.ini that makeGameInstall writes, as bytes.
QByteArray unrealTournamentIni(const GameInstallOptions& options);

// Creates the install under `root` (which may exist) and returns its paths.
GameInstall makeGameInstall(const QByteArray& root, const GameInstallOptions& options = {});

// Writes a Rendix.ini (the default content with UTDir set) into `programDir`.
void writeSettingsFor(const QByteArray& programDir, const QByteArray& utDir);

}  // namespace rendix::testing
