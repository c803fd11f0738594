#include "maintenance/ServerPackages.h"
#include "maintenance/MaintenanceFixture.h"
#include "support/GameInstall.h"

namespace rendix::testing {

const Command kPackages = [](ModMain& s, Messages& m) { ServerPackagesCommand(s, m); };

// The rows of serverpackages.rows whose file names hold control characters or not, in CR LF
// and LF files. A user's own Rendix.txt and RendixAdd.txt stay; no such file appears.
void updateServerPackages(bool withOnlyLinuxNames) {
    for (const QList<QByteArray>& row : dataTable("serverpackages.rows")) {
        if (onlyLinuxNames(row[1]) != withOnlyLinuxNames) {
            continue;
        }
        for (const bool lf : {false, true}) {
            SCOPED_TRACE((row[0] + (lf ? " LF" : "")).constData());
            const auto file = [&](const QByteArray& part) { return data(row[0] + '.' + part, lf); };
            SmallInstall install(file("in"), "System",
                                 row[1] + (lf ? "" : " Rendix.txt RendixAdd.txt"));
            const std::size_t files = install.files().size();
            install.run(kPackages);
            EXPECT_EQ(readBytes(install.ini), file("out"));
            EXPECT_EQ(install.messages.statusText.toUtf8() + '|' + install.shown(),
                      row[2] + '|' + row.value(4));
            const QList<QByteArray> parts =
                row[3].isEmpty() ? QList<QByteArray>() : row[3].split(' ');
            std::vector<QByteArray> backups(static_cast<std::size_t>(parts.size()));
            std::transform(parts.begin(), parts.end(), backups.begin(), file);
            EXPECT_EQ(install.backups(), backups);
            EXPECT_TRUE(readBytes(pathIn(install.system, "Rendix.txt")).isEmpty() &&
                        install.files().size() == files + backups.size());
        }
    }
}

TEST(ServerPackages, UpdateServerPackages) {
    updateServerPackages(false);
}

// A line break in a name, names that differ in letter case only, a name hidden by its ".".
TEST(ServerPackages, OddNamesAreNoPackages) {
    if (const char* why = posixNamesUnavailable()) {
        GTEST_SKIP() << why;
    }
    updateServerPackages(true);
}

// A failure before the first rewrite changes nothing; after it, only the removal stays.
TEST(ServerPackages, AFailureKeepsTheRemovalOrNothing) {
    failSteps("sp-steps", "System", kPackages);
}

// Patch 469b keeps every game file in System; 469c its .int files in SystemLocalized/int and
// the configuration file in System64. Each with 469's 13 default entries, a mod with an entry,
// a new mod, a stale entry and a custom map with its own .int: only those two change.
TEST(ServerPackages, Patch469Installs) {
    for (const Layout layout : {Layout::Patch469b, Layout::Patch469c}) {
        SCOPED_TRACE(int(layout));
        TempDir temp;
        const GameInstall game = makeGameInstall(
            temp.file("UT"),
            {.customInts = 0, .entriesWithoutInt = 0, .layout = layout, .bonusMapsPerType = 1});
        for (const char* file :
             {"NewMod.u", "NewMod.int", "MyMod.u", "MyMod.int", "DM-Custom.int"}) {
            writeBytes(pathIn(game.system, file), {});
        }
        writeBytes(pathIn(game.root, "BonusPack/Maps/DM-Custom.unr"), {});
        const QByteArray mods("ServerPackages=Relics\r\nServerPackages=MyMod\r\n");
        QByteArray expected = readBytes(game.ini);
        writeBytes(game.ini, QByteArray(expected).replace("ServerPackages=Relics\r\n",
                                                          mods + "ServerPackages=OldMod\r\n"));
        expected.replace("ServerPackages=Relics\r\n", mods + "ServerPackages=newmod\r\n");
        ModMain state;
        state.UTDir = game.root;
        ScriptedMessages messages;
        platform::TestSeam seam;
        ServerPackagesCommand(state, messages);
        EXPECT_EQ(messages.statusText.toStdString(),
                  "Removed 1 serverpackages entries... Added 1 serverpackages entries.");
        EXPECT_EQ(readBytes(game.ini), expected);
        EXPECT_EQ(platform::parentPath(state.LastBackup), platform::parentPath(game.ini));
    }
}

}  // namespace rendix::testing
