#include "platform/GamePlaces.h"

#include "platform/Paths.h"
#include "platform/Registry.h"
#include "platform/Text.h"

namespace rendix::platform {

namespace {

// The text of a string value (REG_SZ or REG_EXPAND_SZ, without its terminating zero), or
// nothing.
std::optional<QByteArray> registryText(std::uint32_t root, const QByteArray& key,
                                       const QByteArray& name) {
    const std::optional<RegistryValue> value = queryRegistryValue(root, key, name);
    constexpr std::uint32_t kExpandableString = 2;
    if (!value || (value->type != kRegistryString && value->type != kExpandableString)) {
        return std::nullopt;
    }
    QByteArray text = value->data;
    text.truncate(text.indexOf('\0') < 0 ? text.size() : text.indexOf('\0'));
    return text.isEmpty() ? std::nullopt : std::optional<QByteArray>(text);
}

}  // namespace

std::vector<GamePlace> gamePlaces() {
    std::vector<GamePlace> all;
    const auto add = [&](Launcher launcher, PlaceKind kind, const std::optional<QByteArray>& path) {
        if (path) {
            all.push_back({launcher, kind, *path});
        }
    };
    // The game's installer names its folder under its own key; a 32-bit installer writes it
    // to the registry's 32-bit view.
    for (const char* software : {"SOFTWARE", "SOFTWARE\\WOW6432Node"}) {
        add(Launcher::GameInstaller, PlaceKind::GameFolder,
            registryText(
                kHkeyLocalMachine,
                QByteArray(software) + "\\Unreal Technology\\Installed Apps\\UnrealTournament",
                "Folder"));
    }
    add(Launcher::Steam, PlaceKind::SteamRoot,
        registryText(kHkeyCurrentUser, "Software\\Valve\\Steam", "SteamPath"));
    const QByteArray gogGames = "SOFTWARE\\WOW6432Node\\GOG.com\\Games";
    for (const QByteArray& game : registrySubkeys(kHkeyLocalMachine, gogGames)) {
        const QByteArray key = gogGames + '\\' + game;
        const std::optional<QByteArray> name = registryText(kHkeyLocalMachine, key, "gameName");
        if (name && wildcardMatch("Unreal Tournament*", *name)) {
            add(Launcher::Gog, PlaceKind::GameFolder, registryText(kHkeyLocalMachine, key, "path"));
        }
    }
    add(Launcher::GameInstaller, PlaceKind::GameFolder, suggestedGameDirectory());
    add(Launcher::Gog, PlaceKind::GameFolder, QByteArray("C:\\GOG Games\\Unreal Tournament GOTY"));

    std::vector<GamePlace> places;
    for (const GamePlace& place : all) {
        bool known = false;
        for (const GamePlace& earlier : places) {
            known = known || (earlier.kind == place.kind && equalsFolded(earlier.path, place.path));
        }
        if (!known && existsAsNamed(place.path)) {
            places.push_back(place);
        }
    }
    return places;
}

QByteArray suggestedGameDirectory() {
    return QByteArrayLiteral("C:\\UnrealTournament");
}

}  // namespace rendix::platform
