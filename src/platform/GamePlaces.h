#pragma once

#include <QByteArray>

#include <vector>

// Where the launchers of this platform put Unreal Tournament, or write down where they put
// it. The core reads what each place holds (src/app/InstallSearch); only the list of places
// is the platform's, so that another system adds its own (registry keys, C:\UnrealTournament)
// without the core knowing which system it runs on.
namespace rendix::platform {

// Who put the game at a place, or wrote down where it is.
enum class Launcher {
    OldUnrealInstaller,  // the patch 469 installer
    Steam,
    Heroic,
    Lutris,
    Wine,
    LinuxGsm,
    GameInstaller,  // the game's own installer on Windows, and its default folder
    Gog,
};

// How the core reads a place.
enum class PlaceKind {
    GameFolder,       // `path` may be a game directory itself
    GameFolders,      // the folders of `path`'s parent whose names match its last part
                      // ("Unreal Tournament*", "*" and "?" as in listings)
    DesktopEntries,   // a folder of .desktop files; an Exec= line may run the game
    SteamRoot,        // a Steam folder; steamapps/libraryfolders.vdf names its libraries
    HeroicInstalled,  // Heroic's list of installed GOG games (JSON)
    LutrisGames,      // a folder of Lutris game files (*.yml)
    LinuxGsmFiles,    // LinuxGSM's serverfiles folder; its instance scripts sit beside it
};

struct GamePlace {
    Launcher launcher;
    PlaceKind kind;
    QByteArray path;

    friend bool operator==(const GamePlace&, const GamePlace&) = default;
};

// The places of this platform, in the order they are searched, each once. Only places
// that exist are given (for GameFolders: the parent), each checked by one lookup of its
// path exactly as spelled (existsAsNamed), so that a home folder of many files is never read
// through. The home folder and the data folder are those of homeFolder() and
// userDataFolder().
std::vector<GamePlace> gamePlaces();

// The game directory the options dialog offers where none is stored: on Linux
// ~/UnrealTournament (QDir::homePath()), on Windows C:\UnrealTournament, where the game's
// installer puts it.
QByteArray suggestedGameDirectory();

}  // namespace rendix::platform
