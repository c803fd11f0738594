#pragma once

#include <QByteArray>

#include <vector>

#include "app/GameTypes.h"

// Builds game installs of any size for the tests, the benchmark and the demo: "System" and
// "Maps" folders with empty map files, .int files and a realistic UnrealTournament.ini.
namespace rendix::testing {

struct GameInstallOptions {
    int extraMapsPerType = 0;     // map files per type beyond the stock ones, "DM-Extra0001.unr"...
    bool stockMaps = true;        // the stock maps of the four types, tutorial maps included
    int customInts = 6;           // .int files beyond the stock ones, first half in ServerPackages
    int entriesWithoutInt = 2;    // ServerPackages entries whose .int file is missing
    int targetIniBytes = 20000;   // padded with further realistic sections up to about this size
    QByteArray lineEnd = "\r\n";  // "\r\n" (the game's own) or "\n"
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
