#pragma once

#include <QByteArray>

#include <array>
#include <functional>
#include <optional>
#include <vector>

#include "app/Install.h"
#include "app/ModMain.h"
#include "cli/PrintingMessages.h"

// One run of rendix-cli: the options and arguments given, and the state the window would
// have after its start-up, built without writing anything.
namespace rendix::cli {

// The options given on the command line, paths made absolute.
struct Options {
    QByteArray gameDir;   // --game-dir, without a trailing separator; empty when not given
    QByteArray config;    // --config
    QByteArray settings;  // --settings
    bool json = false;    // --json
    std::optional<int> mapsPerList;
    PrintMode print;  // --quiet, --dry-run, --force
};

// What a command changes: what it locks, whether a running game stops it, and what its dry
// run shows.
enum class Changes {
    Nothing,
    GameConfig,  // the configuration file in effect: locked, refused while the game runs
    Backups,     // the backups beside it: locked with the configuration file
    Settings,    // the settings file: locked
};

class Session {
public:
    Options options;
    Changes changes = Changes::Nothing;
    bool needsConfigFile = true;
    std::array<bool, 4> ticked{};  // randomize: the game types named (all when none)
    int type = 0;                  // the game type named, as kGameTypes
    std::vector<QByteArray> maps;  // the maps named
    QByteArray backup;             // restore: the backup named, empty for the latest

    ModMain state;
    PrintingMessages messages{PrintMode{}};
    // Whether state holds a settings file's content (otherwise the default lists).
    bool settingsLoaded = false;

    // The install of the state's game directory and configuration file, located once for
    // each pair: every locating reads the configuration file anew.
    const Install& install();

private:
    std::optional<Install> m_install;
    QByteArray m_installKey;
};

// Fills `session.state` as the window's start-up would, but never writes a settings file
// (except that a command that changes the settings file and no --settings gets the per-user
// folder made as the window makes it). On any problem prints the failure and returns false:
//  - a settings file that cannot be read;
//  - without --game-dir, a settings file that is missing or not of the sound shape;
//  - a settings file that is not sound, for a command that would write it;
//  - a --config file that does not exist, a game directory that fails the test;
//  - for a command that needs one, no configuration file in effect.
bool prepare(Session& session);

// Fills `session.state` from the settings file the window uses (or --settings) where that
// is sound, as the window's start-up would, and leaves the default state otherwise. Prints
// nothing and writes nothing.
void loadSettingsIfAny(Session& session);

// The path a user gave, absolute, "~/" expanded, without a trailing separator.
QByteArray absolutePath(const QByteArray& given);

// Runs `command` with `field` of the state (ConfigFile or settingsPath) pointing to a
// private copy of `real` in a temporary folder, then removes the copy and whatever the
// command left beside it (backups, lock file). Meanwhile `messages` name `real` where they
// would name the copy. Returns the copy's bytes after the command ("" when it made none), or
// nothing when the copy could not be made (a failure was printed).
std::optional<QByteArray> runOnPrivateCopy(Session& session, PrintingMessages& messages,
                                           QByteArray ModMain::*field, const QByteArray& real,
                                           const std::function<void()>& command);

// The backups of the configuration file in effect, full paths, oldest first (modification
// time, then name). A folder that cannot be listed prints the "List failed" failure.
std::vector<QByteArray> listBackups(Session& session);

}  // namespace rendix::cli
