#include <QDir>
#include <QFile>

#include <cstdio>
#include <cstring>

#include "platform/Paths.h"
#include "support/GameInstall.h"
#include "support/TestFiles.h"

// rendix-demo [--469] <folder>: a game directory <folder>/UnrealTournament to try Rendix
// without the game, and <folder>/Rendix/Rendix.ini for it; the caller copies Rendix and its
// help page there. With --469 the install is laid out as patch 469c and later ship it: the
// game's .u files in System, its .int files in SystemLocalized/int, the configuration file in
// System64 (none in System), and a second map folder, BonusPack/Maps, named by a Paths= line.
// The install holds a family of BunnyTrack maps (CTF-BT-*.unr) among its CTF maps. A home
// folder <folder>/home (for HOME) holds what launchers write down: a Steam library with a
// second install in <folder>/SteamLibrary, and a LinuxGSM server in home/serverfiles.
int main(int argc, char* argv[]) {
    const bool patch469 = argc == 3 && std::strcmp(argv[1], "--469") == 0;
    if (argc != 2 + (patch469 ? 1 : 0) || argv[argc - 1][0] == '\0') {
        std::fprintf(stderr, "usage: rendix-demo [--469] <demo folder>\n");
        return 2;
    }
    using namespace rendix;
    using namespace rendix::testing;
    const QByteArray root =
        platform::fromQtFolder(QDir(QFile::decodeName(argv[argc - 1])).absolutePath());
    const auto in = [&](const char* relative) {
        return platform::joinPath(root, {QByteArray(relative).replace('/', platform::separator())});
    };
    // A sound install: rendix-cli check finds nothing to report on it.
    GameInstallOptions options{.extraMapsPerType = 4, .entriesWithoutInt = 0};
    if (patch469) {
        options.layout = Layout::Patch469c;
        options.bonusMapsPerType = 3;
    }
    const GameInstall install = makeGameInstall(in("UnrealTournament"), options);
    writeSettingsFor(in("Rendix"), install.root);
    for (const char* map : {"CTF-BT-Andromeda.unr", "CTF-BT-Citadel.unr", "CTF-BT-Colors.unr",
                            "CTF-BT-Maverick.unr", "CTF-BT-Skyward.unr"}) {
        writeBytes(platform::joinPath(install.maps, {map}), {});
    }
    // Steam's list escapes a backslash as it escapes a quote.
    const QByteArray library = in("SteamLibrary");
    writeBytes(in("home/.steam/steam/steamapps/libraryfolders.vdf"),
               "\"libraryfolders\"\n{\n\t\"1\"\n\t{\n\t\t\"path\"\t\t\"" +
                   QByteArray(library).replace("\\", "\\\\") + "\"\n\t}\n}\n");
    makeGameInstall(platform::joinPath(library, {"steamapps", "common", "Unreal Tournament"}),
                    {.targetIniBytes = 0});
    makeGameInstall(in("home/serverfiles"), {.targetIniBytes = 0, .layout = Layout::Patch469c});
    QFile::rename(QFile::decodeName(in("home/serverfiles/System64/UnrealTournament.ini")),
                  QFile::decodeName(in("home/serverfiles/System64/ut99server.ini")));
    writeBytes(in("home/ut99server"), "#!/bin/bash\n");
    std::printf("game directory: %s\nconfiguration file: %s\nprogram folder: %s\n",
                install.root.constData(), install.ini.constData(), in("Rendix").constData());
}
