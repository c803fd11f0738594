#include "platform/GamePlaces.h"

#include <sys/stat.h>

#include <cstdlib>
#include <initializer_list>
#include <memory>

#include "platform/FileSystem.h"
#include "platform/Seam.h"

namespace rendix::platform {

namespace {

bool isAbsolute(const QByteArray& path) {
    return path.startsWith('/');
}

QByteArray withoutTrailingSlash(QByteArray path) {
    while (path.size() > 1 && path.endsWith('/')) {
        path.chop(1);
    }
    return path;
}

QByteArray parentOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : path.left(slash);
}

}  // namespace

QByteArray userDataFolder() {
    if (const TestSeam* seam = TestSeam::active()) {
        if (seam->dataHome()) {
            return withoutTrailingSlash(*seam->dataHome());
        }
        if (seam->homeFolder()) {
            return joinPath(homeFolder(), {".local", "share"});
        }
    }
    // The base directory specification: a relative value is to be ignored.
    const QByteArray set = qgetenv("XDG_DATA_HOME");
    return isAbsolute(set) ? withoutTrailingSlash(set)
                           : joinPath(homeFolder(), {".local", "share"});
}

bool existsAsNamed(const QByteArray& path) {
    struct stat info {};
    return !path.isEmpty() && ::stat(path.constData(), &info) == 0;
}

std::optional<QByteArray> canonicalPath(const QByteArray& path) {
    const std::unique_ptr<char, decltype(&std::free)> resolved(
        ::realpath(path.constData(), nullptr), &std::free);
    if (!resolved) {
        return std::nullopt;
    }
    return QByteArray(resolved.get());
}

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

}  // namespace rendix::platform
