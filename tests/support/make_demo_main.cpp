#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

#include "support/GameInstall.h"
#include "support/TestFiles.h"

// rendix-demo <folder>: lays out a demo beside which Rendix can be tried without the game,
// <folder>/UnrealTournament (a game directory) and <folder>/Rendix/Rendix.ini pointing at it.
// The caller copies the program and its help page into <folder>/Rendix.
int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (argc != 2 || argv[1][0] == '\0') {
        std::fprintf(stderr, "usage: rendix-demo <demo folder>\n");
        return 2;
    }
    const QString folder =
        QDir::cleanPath(QFileInfo(QFile::decodeName(argv[1])).absoluteFilePath());
    const QByteArray root = QFile::encodeName(folder);
    const QByteArray gameDir = root + "/UnrealTournament";
    const QByteArray programDir = root + "/Rendix";

    rendix::testing::GameInstallOptions options;
    options.extraMapsPerType = 4;
    const rendix::testing::GameInstall install = rendix::testing::makeGameInstall(gameDir, options);
    rendix::testing::makeFolder(programDir);
    rendix::testing::writeSettingsFor(programDir, install.root);

    std::printf("game directory: %s\nprogram folder: %s\n", install.root.constData(),
                programDir.constData());
    return 0;
}
