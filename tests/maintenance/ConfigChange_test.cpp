#include <QFileInfo>

#include <map>

#include "maintenance/Backups.h"
#include "maintenance/ConfigChange.h"
#include "maintenance/MaintenanceFixture.h"
#include "maintenance/Randomizer.h"
#include "maintenance/ServerPackages.h"

namespace rendix::testing {

// Before a change: a game of the install that runs asks first (No, the default, changes
// nothing and makes no backup); another Rendix holding the lock gives "Busy" at once here.
TEST(ConfigChange, RunningGameAndAnotherWriter) {
    const ChangeOptions noWait{.lockTimeoutMs = 0};
    const std::map<QByteArray, Command> commands{
        {"rand",
         [&](ModMain& s, Messages& m) {
             RandomizeCommand(s, m, {1, 0, 0, 0}, noWait);
         }},
        {"none ticked",
         [&](ModMain& s, Messages& m) {
             RandomizeCommand(s, m, {0, 0, 0, 0}, noWait);
         }},
        {"sp", [&](ModMain& s, Messages& m) { ServerPackagesCommand(s, m, noWait); }},
        {"delete", [&](ModMain& s, Messages& m) { DeleteBackups(s, m, noWait); }},
    };
    const QByteArray ini("[E]\r\nServerPackages=Gone\r\n\r\n");
    const QByteArray asked = "Game running: Unreal Tournament is running (";
    const QByteArray busy =
        "Busy: Another Rendix is changing UT/System/UnrealTournament.ini right now. ";
    struct Row {
        const char* command;
        const char* situation;  // "running": a game runs; "locked": another Rendix writes
        MessageAnswer answer;
        QByteArray shown;  // the start of the boxes
        bool changed;
    };
    const Row table[] = {
        {"rand", "running", MessageAnswer::No, asked, false},
        {"rand", "running", MessageAnswer::Yes, asked, true},
        {"none ticked", "running", MessageAnswer::No, "", false},
        {"sp", "running", MessageAnswer::No, asked, false},
        {"sp", "running", MessageAnswer::Yes, asked, true},
        {"delete", "running", MessageAnswer::Yes, "Continue?", true},
        {"sp", "locked", MessageAnswer::Yes, busy + "It still holds what it held before.", false},
        {"delete", "locked", MessageAnswer::Yes,
         "Continue?: Are you sure you want to delete the backups of your UnrealTournament.ini "
         "file?\n" +
             busy + "No backup was deleted.",
         false},
    };
    for (const Row& row : table) {
        SCOPED_TRACE((QByteArray(row.command) + " " + row.situation).constData());
        SmallInstall install(ini, "System", "Maps/DM-Solo.unr Rendix_UnrealTournament1.ini");
        makeFolder(pathIn(install.state.UTDir, "System64"));
        install.messages.answers = {row.answer};
        const bool running = QByteArray(row.situation) == "running";
        platform::FileLock other;
        ASSERT_TRUE(running || other.acquire(install.ini).ok);
        install.run([&](ModMain& s, Messages& m) {
            const QByteArray program = pathIn(realPath(pathIn(s.UTDir, "System64")), "ucc-bin");
            platform::TestSeam::active()->setRunningPrograms(
                running ? std::vector<QByteArray>{program} : std::vector<QByteArray>{});
            commands.at(row.command)(s, m);
        });
        EXPECT_TRUE(install.shown().startsWith(row.shown)) << install.shown().constData();
        EXPECT_EQ(readBytes(install.ini) != ini,
                  row.changed && row.command != QByteArray("delete"));
        EXPECT_EQ(
            install.backups().size(),
            std::size_t(QByteArray(row.command) == "delete" ? !row.changed : 1 + row.changed));
    }
    const std::vector<QByteArray> none;
    EXPECT_EQ(runningGames(Install::locate("/nonexistent", {})), none);
}

}  // namespace rendix::testing
