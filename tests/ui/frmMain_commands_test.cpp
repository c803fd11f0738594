#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

#include "support/GameInstall.h"
#include "ui/ShellFixture.h"
#include "ui/frmMain.h"

// The main window's three commands, driven through its buttons against a generated install.
namespace rendix {
namespace {

using namespace testing;

TEST(MainWindowCommands, RandomizeServerPackagesAndDeleteBackups) {
    TempDir temp;
    platform::TestSeam seam;
    seam.setProgramDirectory(temp.file("program"));
    seam.setUserConfigFolder(temp.file("config"));
    seam.setHomeFolder(temp.file("home"));
    seam.setLocalTime({2024, 12, 4, 23, 5, 7});
    ScriptedMessages script;
    const GameInstall install = makeGameInstall(temp.file("UT"));
    writeSettingsFor(temp.file("program"), install.root);
    WindowCoordinator windows(temp.file("program"), scriptedBoxes(script));
    windows.showMainWindow();
    frmMain* window = windows.mainWindow();
    const auto click = [&](const char* button, const char* ticked = "") {
        for (const GameType& type : kGameTypes) {
            window->findChild<QCheckBox*>(QLatin1String(type.checkBoxName))
                ->setChecked(QByteArray(ticked).split(' ').contains(type.code));
        }
        window->findChild<QPushButton*>(QLatin1String(button))->click();
        return window->findChild<QLabel*>(QStringLiteral("lblStatus"))->text().toStdString();
    };
    // The lock file beside the configuration file stays once a command has taken the lock.
    const auto backups = [&, files = folderNames(install.system).size()] {
        return folderNames(install.system).size() - files -
               exists(pathIn(install.system, ".UnrealTournament.ini.lock"));
    };

    EXPECT_EQ(click("cmdRandomize", "CTF"), "Found 9 CTF maps... randomized list.");
    EXPECT_EQ(readBytes(pathIn(install.system, "Rendix_UnrealTournament1242357.ini")),
              unrealTournamentIni({}));
    EXPECT_EQ(click("cmdRandomize", "DM CTF DOM AS"), "Randomized all map lists.");

    QByteArray expected = readBytes(install.ini);
    expected.replace("ServerPackages=OldMod001\r\nServerPackages=OldMod002\r\n", "")
        .replace("Custom003\r\n",
                 "Custom003\r\nServerPackages=custom004\r\nServerPackages="
                 "custom005\r\nServerPackages=custom006\r\n");
    EXPECT_EQ(click("cmdAddInt"),
              "Removed 2 serverpackages entries... Added 3 serverpackages entries.");
    EXPECT_EQ(click("cmdAddInt"), "No serverpackages removed... No serverpackages added.");
    EXPECT_TRUE(readBytes(install.ini) == expected && backups() == 8);

    script.answers.push_back(MessageAnswer::No);
    click("cmdDelete");
    EXPECT_EQ(backups(), 8u);
    click("cmdDelete");
    click("cmdDelete");
    EXPECT_TRUE(backups() == 0 && script.shown.back().title == QStringLiteral("Nothing to do"));
    EXPECT_TRUE(script.busyChanges.size() == 2 * 7 && !script.busyChanges.back());
}

}  // namespace
}  // namespace rendix
