#include <QFile>

#include "app/Failures.h"
#include "maintenance/Backups.h"
#include "maintenance/MaintenanceFixture.h"
#include "support/ChildProcess.h"

namespace rendix::testing {

const QByteArray kIni("[URL]\r\n"), kOld("rendix_unrealtournament1242357.ini");
const Command kDelete = [](ModMain& s, Messages& m) { DeleteBackups(s, m); };

// A name taken in any letter case gets the first free _n.
TEST(Backups, NamedAfterTheTimeNeverReplacingAnother) {
    SmallInstall install(kIni, "System", "rendix_unrealtournament1242357_2.ini");
    for (const char* name : {"1242357.ini", "1242357_3.ini"}) {
        install.run([](ModMain& state, Messages&) {
            ASSERT_TRUE(BackupGameConfig(state, Install::of(state)).ok);
        });
        EXPECT_EQ(install.state.LastBackup,
                  pathIn(install.system, "Rendix_UnrealTournament" + QByteArray(name)));
    }
    platform::TestSeam seam;
    seam.setLocalTime({2025, 1, 1, 0, 0, 0});
    ASSERT_TRUE(BackupGameConfig(install.state, Install::of(install.state)).ok);
    EXPECT_EQ(install.state.LastBackup, pathIn(install.system, "Rendix_UnrealTournament11000.ini"));
    EXPECT_EQ(install.backups(), (std::vector<QByteArray>{kIni, kIni, kIni, ""}));
}

// Makes `kEach` backups of the game directory it is given, all in the same second, once its
// parent lets it go; its exit status is the number that failed.
constexpr int kEach = 20;
const ChildActionRegistration kBackUp("back-up", [](const QStringList& arguments) {
    ModMain state;
    state.UTDir = QFile::encodeName(arguments.value(0));
    platform::TestSeam seam;
    seam.setLocalTime(kFixedTime);
    tellParent("ready");
    waitForParent();
    int failures = 0;
    for (int i = 0; i < kEach; ++i) {
        failures += !BackupGameConfig(state, Install::of(state));
    }
    return failures;
});

// Two processes backing up in the same second: a name taken between the look and the copy's
// final link moves on to the next "_n"; no call fails and no backup is lost.
TEST(Backups, ANameTakenMeanwhileMovesOnToTheNext) {
    SmallInstall install(kIni, "System", "Notes.txt");
    platform::TestSeam seam;
    seam.setLocalTime(kFixedTime);
    Child other("back-up", {QFile::decodeName(install.state.UTDir)});
    ASSERT_EQ(other.line(), "ready");
    other.letGo();
    int failures = 0;
    for (int i = 0; i < kEach; ++i) {
        failures += !BackupGameConfig(install.state, Install::of(install.state));
    }
    EXPECT_EQ(failures + other.wait(), 0);
    EXPECT_EQ(install.backups(), std::vector<QByteArray>(2 * kEach, kIni));
}

// Yes (the default) deletes rendix_unrealtournament*.ini in any letter case; failures say so.
TEST(Backups, DeleteBackups) {
    const QByteArray others("MyRendix_UnrealTournament1.ini Rendix_UnrealTournament1.txt");
    const QByteArray ask =
        "Continue?: Are you sure you want to delete the backups of your "
        "UnrealTournament.ini file?";
    failEach(kIni, "System", others + " RENDIX_UNREALTOURNAMENT5.INI " + kOld, kDelete,
             [&](SmallInstall& install) {
                 const QByteArray folder = install.system;
                 const Message last =
                     install.messages.shown.empty() ? Message() : install.messages.shown.back();
                 EXPECT_TRUE(install.backups().empty() ? install.shown() == ask
                                                       : last == listFailedMessage(folder) ||
                                                             last == deleteFailedMessage(folder));
                 EXPECT_EQ(install.files().size(), 3 + install.backups().size());
             });
    SmallInstall install(kIni, "System", others);
    install.run(kDelete);
    writeBytes(pathIn(install.system, kOld), {});
    install.messages.answers = {MessageAnswer::No};
    install.run(kDelete);
    EXPECT_EQ(install.backups().size(), 1u);
    EXPECT_EQ(install.shown(), "Nothing to do: No backups to delete.\n" + ask);
}

}  // namespace rendix::testing
