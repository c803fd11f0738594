#include <QLineEdit>

#include "support/SystemRegistry.h"
#include "ui/ShellFixture.h"
#include "ui/frmOptions.h"

namespace rendix::testing {
namespace {

// The game's installer (a 32-bit program) names its folder in the system's registry, put there
// with reg.exe: without a stored game directory the options dialog starts at that folder and
// offers it.
TEST(frmOptions, StartsAtTheFolderTheGamesInstallerNamed) {
    RegistryValue folder(
        QStringLiteral(
            "HKLM\\SOFTWARE\\WOW6432Node\\Unreal Technology\\Installed Apps\\UnrealTournament"),
        QStringLiteral("Folder"));
    if (folder.existed()) {
        GTEST_SKIP() << "this Windows has the game's value already; the test changes no registry "
                        "value it did not set itself";
    }
    Shell shell;
    shell.seam.useSystemRegistry();
    const QByteArray game = shell.makeGame("Games/Unreal Tournament \xE2\x80\x94 GOTY");
    ASSERT_TRUE(folder.set(QString::fromUtf8(game)));
    shell.start();
    frmOptions* options = shell.windows->options();
    ASSERT_TRUE(options && options->isVisible());
    EXPECT_EQ(options->findChild<QLineEdit*>(QStringLiteral("txtUTPath"))->text(),
              QString::fromUtf8(game));
    auto* installs = options->findChild<QListWidget*>(QStringLiteral("lstInstalls"));
    ASSERT_EQ(installs->count(), 1);
    EXPECT_EQ(installs->item(0)->text(), QString::fromUtf8(game + "  (game installer)"));
}

}  // namespace
}  // namespace rendix::testing
