#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include "app/Settings.h"
#include "ini/Profile.h"
#include "support/GameInstall.h"
#include "ui/ShellFixture.h"
#include "ui/frmMain.h"

// The main window's three commands, driven through its buttons against a generated install.
namespace rendix {
namespace {

using namespace testing;

TEST(MainWindowCommands, RandomizeServerPackagesAndDeleteBackups) {
    Shell shell;
    shell.seam.setLocalTime({2024, 12, 4, 23, 5, 7});
    const GameInstall install = makeGameInstall(shell.temp.file("UT"));
    writeSettingsFor(shell.program(), install.root);
    shell.start();
    frmMain* window = shell.windows->mainWindow();
    ScriptedMessages& script = shell.script;
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

// Another Rendix (the command line) changes Rendix.ini while the window is open: every command
// acts on what the file holds now, and Apply never writes another type's list back.
TEST(MainWindowCommands, ReadTheSettingsFileAfresh) {
    Shell shell;
    const GameInstall install = makeGameInstall(shell.temp.file("UT"));
    writeSettingsFor(shell.program(), install.root);
    shell.start();
    frmMain* window = shell.windows->mainWindow();
    const QByteArray settings = pathIn(shell.program(), "Rendix.ini");
    const auto store = [&](const char* section, const char* prefix, ExclusionList entries) {
        QByteArray bytes = readBytes(settings);
        ASSERT_TRUE(ini::applyProfileWrites(bytes, {{section, std::nullopt, std::nullopt}}) &&
                    ini::applyIndexedWrites(bytes, section, prefix, entries));
        writeBytes(settings, bytes);
    };
    ExclusionList dm = stockMapNames(kGameTypes[0]);
    std::erase(dm, "DM-Deck16][.unr");
    store("MapExcludes.DM", "DM.Ex[", dm);
    for (const GameType& type : kGameTypes) {
        window->findChild<QCheckBox*>(QLatin1String(type.checkBoxName))
            ->setChecked(&type == &kGameTypes[0]);
    }
    window->findChild<QPushButton*>(QStringLiteral("cmdRandomize"))->click();
    EXPECT_EQ(window->findChild<QLabel*>(QStringLiteral("lblStatus"))->text().toStdString(),
              "Found 1 Deathmatch maps... randomized list.");
    EXPECT_EQ(ini::profileValue(readBytes(install.ini), "Botpack.TDMmaplist", "Maps[0]"),
              "DM-Deck16][.unr");

    window->findChild<QPushButton*>(QStringLiteral("cmdDMExcl"))->click();
    QWidget* editor = topLevel(QStringLiteral("frmRandomize"));
    ASSERT_TRUE(editor);
    auto* excluded = editor->findChild<QListWidget*>(QStringLiteral("lstExcluded"));
    EXPECT_EQ(excluded->count(), int(dm.size()));
    store("MapExcludes.CTF", "CTF.Ex[", {"CTF-Face.unr", "CTF-Tutorial.unr"});
    editor->findChild<QComboBox*>(QStringLiteral("cboGameType"))->setCurrentIndex(1);
    ASSERT_EQ(excluded->count(), 2);
    EXPECT_EQ(excluded->item(0)->text(), QStringLiteral("CTF-Face.unr"));
    store("MapExcludes.DM", "DM.Ex[", {"DM-Tutorial.unr"});
    excluded->item(0)->setSelected(true);
    editor->findChild<QPushButton*>(QStringLiteral("cmdSelect"))->click();
    editor->findChild<QPushButton*>(QStringLiteral("cmdApply"))->click();
    EXPECT_TRUE(shell.script.shown.empty());
    const QByteArray stored = readBytes(settings);
    EXPECT_TRUE(stored.contains("[MapExcludes.DM]\r\nDM.Ex[0]=DM-Tutorial.unr\r\n\r\n"));
    EXPECT_TRUE(stored.endsWith("[MapExcludes.CTF]\r\nCTF.Ex[0]=CTF-Tutorial.unr\r\n"));

    // A file that cannot be taken as it is changes nothing, and a box says why.
    editor->close();
    writeBytes(settings, "[Main]\r\nUTDir=" + install.root + "\r\n");
    const QByteArray before = readBytes(install.ini);
    window->findChild<QPushButton*>(QStringLiteral("cmdRandomize"))->click();
    EXPECT_EQ(readBytes(install.ini), before);
    ASSERT_EQ(shell.script.shown.size(), 1u);
    EXPECT_EQ(shell.script.shown[0].text.toUtf8(),
              "Rendix could not read " + settings +
                  ": it is not a sound Rendix.ini. Nothing was changed.");
}

}  // namespace
}  // namespace rendix
