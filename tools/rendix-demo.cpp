#include <QDir>
#include <QFile>

#include <cstdio>
#include <cstring>

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
    using namespace rendix::testing;
    const QByteArray root =
        QFile::encodeName(QDir(QFile::decodeName(argv[argc - 1])).absolutePath());
    // A sound install: rendix-cli check finds nothing to report on it.
    GameInstallOptions options{.extraMapsPerType = 4, .entriesWithoutInt = 0};
    if (patch469) {
        options.layout = Layout::Patch469c;
        options.bonusMapsPerType = 3;
    }
    const GameInstall install = makeGameInstall(root + "/UnrealTournament", options);
    writeSettingsFor(root + "/Rendix", install.root);
    for (const char* map : {"CTF-BT-Andromeda.unr", "CTF-BT-Citadel.unr", "CTF-BT-Colors.unr",
                            "CTF-BT-Maverick.unr", "CTF-BT-Skyward.unr"}) {
        writeBytes(install.maps + '/' + map, {});
    }
    const QByteArray library = root + "/SteamLibrary";
    writeBytes(
        root + "/home/.steam/steam/steamapps/libraryfolders.vdf",
        "\"libraryfolders\"\n{\n\t\"1\"\n\t{\n\t\t\"path\"\t\t\"" + library + "\"\n\t}\n}\n");
    makeGameInstall(library + "/steamapps/common/Unreal Tournament", {.targetIniBytes = 0});
    makeGameInstall(root + "/home/serverfiles", {.targetIniBytes = 0, .layout = Layout::Patch469c});
    QFile::rename(QFile::decodeName(root + "/home/serverfiles/System64/UnrealTournament.ini"),
                  QFile::decodeName(root + "/home/serverfiles/System64/ut99server.ini"));
    writeBytes(root + "/home/ut99server", "#!/bin/bash\n");
    std::printf("game directory: %s\nconfiguration file: %s\nprogram folder: %s/Rendix\n",
                install.root.constData(), install.ini.constData(), root.constData());
}
