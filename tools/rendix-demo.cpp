#include <QDir>
#include <QFile>

#include <cstdio>
#include <cstring>

#include "support/GameInstall.h"

// rendix-demo [--469] <folder>: a game directory <folder>/UnrealTournament to try Rendix
// without the game, and <folder>/Rendix/Rendix.ini for it; the caller copies Rendix and its
// help page there. With --469 the install is laid out as patch 469c and later ship it: the
// game's .u files in System, its .int files in SystemLocalized/int, the configuration file in
// System64 (none in System), and a second map folder, BonusPack/Maps, named by a Paths= line.
int main(int argc, char* argv[]) {
    const bool patch469 = argc == 3 && std::strcmp(argv[1], "--469") == 0;
    if (argc != 2 + (patch469 ? 1 : 0) || argv[argc - 1][0] == '\0') {
        std::fprintf(stderr, "usage: rendix-demo [--469] <demo folder>\n");
        return 2;
    }
    using namespace rendix::testing;
    const QByteArray root =
        QFile::encodeName(QDir(QFile::decodeName(argv[argc - 1])).absolutePath());
    GameInstallOptions options{.extraMapsPerType = 4};
    if (patch469) {
        options.layout = Layout::Patch469c;
        options.bonusMapsPerType = 3;
    }
    const GameInstall install = makeGameInstall(root + "/UnrealTournament", options);
    writeSettingsFor(root + "/Rendix", install.root);
    std::printf("game directory: %s\nconfiguration file: %s\nprogram folder: %s/Rendix\n",
                install.root.constData(), install.ini.constData(), root.constData());
}
