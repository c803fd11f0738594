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
    // data/before-change.rows
    for (const QList<QByteArray>& row : dataTable("before-change.rows")) {
        SCOPED_TRACE(row.join('|').constData());
        const QByteArray& command = row[0];
        const bool running = row[1] == "running", changed = row[4] == "1";
        SmallInstall install(ini, "System", "Maps/DM-Solo.unr Rendix_UnrealTournament1.ini");
        makeFolder(pathIn(install.state.UTDir, "System64"));
        install.messages.answers = {row[2] == "Yes" ? MessageAnswer::Yes : MessageAnswer::No};
        platform::FileLock other;
        ASSERT_TRUE(running || other.acquire(install.ini).ok);
        install.run([&](ModMain& s, Messages& m) {
            const QByteArray program = pathIn(realPath(pathIn(s.UTDir, "System64")), "ucc-bin");
            platform::TestSeam::active()->setRunningPrograms(
                running ? std::vector<QByteArray>{program} : std::vector<QByteArray>{});
            commands.at(command)(s, m);
        });
        EXPECT_TRUE(install.shown().startsWith(row[3])) << install.shown().constData();
        EXPECT_EQ(readBytes(install.ini) != ini, changed && command != "delete");
        EXPECT_EQ(install.backups().size(),
                  std::size_t(command == "delete" ? !changed : 1 + changed));
    }
    const std::vector<QByteArray> none;
    EXPECT_EQ(runningGames(Install::locate("/nonexistent", {})), none);
}

}  // namespace rendix::testing
