#include <QDir>
#include <QFile>

#include <cstdio>

#include "support/GameInstall.h"

// rendix-demo <folder>: a game directory <folder>/UnrealTournament to try Rendix without the
// game, and <folder>/Rendix/Rendix.ini for it; the caller copies Rendix and its help page there.
int main(int argc, char* argv[]) {
    if (argc != 2 || argv[1][0] == '\0') {
        std::fprintf(stderr, "usage: rendix-demo <demo folder>\n");
        return 2;
    }
    const QByteArray root = QFile::encodeName(QDir(QFile::decodeName(argv[1])).absolutePath());
    const QByteArray gameDir =
        rendix::testing::makeGameInstall(root + "/UnrealTournament", {.extraMapsPerType = 4}).root;
    rendix::testing::writeSettingsFor(root + "/Rendix", gameDir);
    std::printf("game directory: %s\nprogram folder: %s/Rendix\n", gameDir.constData(),
                root.constData());
}
