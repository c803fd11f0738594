#include "maintenance/Backups.h"
#include "app/Failures.h"
#include "maintenance/MaintenanceFixture.h"

namespace rendix::testing {

const QByteArray kIni("[URL]\r\n"), kOld("rendix_unrealtournament1242357.ini");

// A name taken in any letter case gets the first free _n.
TEST(Backups, NamedAfterTheTimeNeverReplacingAnother) {
    SmallInstall install(kIni, "System", "rendix_unrealtournament1242357_2.ini");
    for (const char* name : {"1242357.ini", "1242357_3.ini"}) {
        install.run([](ModMain& state, Messages&) {
            ASSERT_TRUE(BackupGameConfig(state, Install::of(state)).ok);
        });
        EXPECT_EQ(install.state.LastBackup, install.system + "/Rendix_UnrealTournament" + name);
    }
    platform::TestSeam seam;
    seam.setLocalTime({2025, 1, 1, 0, 0, 0});
    ASSERT_TRUE(BackupGameConfig(install.state, Install::of(install.state)).ok);
    EXPECT_EQ(install.state.LastBackup, install.system + "/Rendix_UnrealTournament11000.ini");
    EXPECT_EQ(install.backups(), (std::vector<QByteArray>{kIni, kIni, kIni, ""}));
}

// Yes (the default) deletes rendix_unrealtournament*.ini in any letter case; failures say so.
TEST(Backups, DeleteBackups) {
    const QByteArray others("MyRendix_UnrealTournament1.ini Rendix_UnrealTournament1.txt");
    const QByteArray ask =
        "Continue?: Are you sure you want to delete the backups of your "
        "UnrealTournament.ini file?";
    failEach(kIni, "System", others + " RENDIX_UNREALTOURNAMENT5.INI " + kOld, DeleteBackups,
             [&](SmallInstall& install) {
                 const QByteArray folder = install.system;
                 const Message last =
                     install.messages.shown.empty() ? Message() : install.messages.shown.back();
                 EXPECT_TRUE(install.backups().empty() ? install.shown() == ask
                                                       : last == listFailedMessage(folder) ||
                                                             last == deleteFailedMessage(folder));
                 EXPECT_EQ(folderNames(install.system).size(), 3 + install.backups().size());
             });
    SmallInstall install(kIni, "System", others);
    install.run(DeleteBackups);
    writeBytes(install.system + '/' + kOld, {});
    install.messages.answers = {MessageAnswer::No};
    install.run(DeleteBackups);
    EXPECT_EQ(install.backups().size(), 1u);
    EXPECT_EQ(install.shown(), "Nothing to do: No backups to delete.\n" + ask);
}

}  // namespace rendix::testing
