#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>

#include "support/GameInstall.h"
#include "support/TestFiles.h"

namespace rendix::testing {
namespace {

// rendix-cli takes its arguments as UTF-16 from Windows and prints UTF-8: a user folder with
// letters beyond ASCII works throughout, and the output holds its name as Linux would print it.
TEST(CliOnWindows, WorksInAUserFolderWithLettersBeyondAscii) {
    TempDir temp;
    const QByteArray user = temp.file("Users/J\xC3\xBCrgen M\xC3\xBCller");
    const GameInstall install =
        makeGameInstall(pathIn(user, "Games/Unreal Tournament"), {.targetIniBytes = 0});
    const QByteArray settings = pathIn(user, "AppData/Roaming/Rendix");
    writeSettingsFor(settings, install.root);
    const auto run = [&](const QStringList& arguments) {
        QProcess process;
        process.start(
            QStringLiteral(RENDIX_CLI),
            QStringList{QStringLiteral("-s"), QFile::decodeName(pathIn(settings, "Rendix.ini"))} +
                arguments);
        process.waitForFinished(60000);
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().constData();
        return process.readAllStandardOutput();
    };
    EXPECT_TRUE(run({QStringLiteral("status")})
                    .startsWith("Game directory: " + install.root +
                                "\nConfiguration file: " + install.ini + "\n"));
    EXPECT_EQ(run({QStringLiteral("-q"), QStringLiteral("randomize"), QStringLiteral("dm")}), "");
    const QByteArray backups = run({QStringLiteral("backups")});
    EXPECT_TRUE(backups.startsWith(pathIn(install.system, "Rendix_UnrealTournament")));
    EXPECT_TRUE(exists(backups.trimmed()));
}

}  // namespace
}  // namespace rendix::testing
