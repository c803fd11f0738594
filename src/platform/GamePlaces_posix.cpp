#include "platform/GamePlaces.h"

#include <QDir>

#include <initializer_list>

#include "platform/KnownFolders.h"
#include "platform/Paths.h"

namespace rendix::platform {

namespace {

QByteArray parentOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : path.left(slash);
}

}  // namespace

std::vector<GamePlace> gamePlaces() {
    const QByteArray home = homeFolder();
    const QByteArray data = userDataFolder();
    // Some launchers keep to ~/.local/share whatever XDG_DATA_HOME says, some follow it.
    const QByteArray localShare = joinPath(home, {".local", "share"});
    const QByteArray steamFlatpak = joinPath(home, {".var", "app", "com.valvesoftware.Steam"});
    const QByteArray heroic = joinPath(home, {".config", "heroic", "gog_store", "installed.json"});
    const QByteArray heroicFlatpak =
        joinPath(home, {".var", "app", "com.heroicgameslauncher.hgl", "config", "heroic",
                        "gog_store", "installed.json"});
    const QByteArray wine = joinPath(home, {".wine", "drive_c"});

    const std::initializer_list<GamePlace> all{
        {Launcher::OldUnrealInstaller, PlaceKind::GameFolder,
         joinPath(data, {"OldUnreal", "UnrealTournament"})},
        {Launcher::OldUnrealInstaller, PlaceKind::DesktopEntries, joinPath(data, {"applications"})},
        {Launcher::OldUnrealInstaller, PlaceKind::DesktopEntries,
         joinPath(localShare, {"applications"})},
        {Launcher::Steam, PlaceKind::SteamRoot, joinPath(localShare, {"Steam"})},
        {Launcher::Steam, PlaceKind::SteamRoot, joinPath(home, {".steam", "steam"})},
        {Launcher::Steam, PlaceKind::SteamRoot,
         joinPath(steamFlatpak, {".local", "share", "Steam"})},
        {Launcher::Steam, PlaceKind::SteamRoot, joinPath(steamFlatpak, {"data", "Steam"})},
        {Launcher::Heroic, PlaceKind::HeroicInstalled, heroic},
        {Launcher::Heroic, PlaceKind::HeroicInstalled, heroicFlatpak},
        {Launcher::Lutris, PlaceKind::LutrisGames, joinPath(localShare, {"lutris", "games"})},
        {Launcher::Lutris, PlaceKind::LutrisGames, joinPath(data, {"lutris", "games"})},
        {Launcher::Lutris, PlaceKind::LutrisGames, joinPath(home, {".config", "lutris", "games"})},
        {Launcher::Wine, PlaceKind::GameFolder, joinPath(wine, {"UnrealTournament"})},
        {Launcher::Wine, PlaceKind::GameFolders,
         joinPath(wine, {"GOG Games", "Unreal Tournament*"})},
        {Launcher::LinuxGsm, PlaceKind::LinuxGsmFiles, joinPath(home, {"serverfiles"})},
    };
    std::vector<GamePlace> places;
    for (const GamePlace& place : all) {
        const QByteArray& checked =
            place.kind == PlaceKind::GameFolders ? parentOf(place.path) : place.path;
        bool known = false;
        for (const GamePlace& earlier : places) {
            known = known || earlier == place;
        }
        if (!known && existsAsNamed(checked)) {
            places.push_back(place);
        }
    }
    return places;
}

QByteArray suggestedGameDirectory() {
    return fromQtFolder(QDir::homePath()) + "/UnrealTournament";
}

}  // namespace rendix::platform
