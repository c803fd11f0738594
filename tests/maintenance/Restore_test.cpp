#include <QDateTime>

#include <filesystem>

#include "maintenance/Backups.h"
#include "maintenance/MaintenanceFixture.h"
#include "maintenance/Restore.h"

namespace rendix::testing {

namespace {

// Sets a file's last change time to a local date and time.
void touch(const QByteArray& path, const QDateTime& when) {
    setModified(path, when.toSecsSinceEpoch());
}

QDateTime at(int year, int month, int day, int hour, int minute, int second) {
    return {QDate(year, month, day), QTime(hour, minute, second)};
}

}  // namespace

// Names carry no year and no leading zeros: the file's time picks the year and the reading.
TEST(Restore, ListsTheBackupsNewestFirstWithTheTimeTheyWereMade) {
    SmallInstall install("[URL]\r\n", "System", "Notes.txt");
    const struct {
        const char* name;
        QDateTime modified;
        const char* made;
    } rows[] = {
        {"Rendix_UnrealTournament111234.ini", at(2026, 11, 1, 2, 3, 9), "2026-11-01 02:03:04"},
        {"rendix_unrealtournament111234_2.INI", at(2026, 11, 1, 2, 3, 9), "2026-11-01 02:03:04"},
        {"Rendix_UnrealTournament123123595.ini", at(2027, 1, 1, 0, 0, 2), "2026-12-31 23:59:05"},
        {"Rendix_UnrealTournament1242357.ini", at(2025, 12, 4, 23, 5, 7), "2025-12-04 23:05:07"},
        {"Rendix_UnrealTournamentNotATime.ini", at(2024, 2, 3, 4, 5, 7), ""},
        {"Rendix_UnrealTournament99.ini", at(2024, 2, 3, 4, 5, 6), "2024-02-03 04:05:06"},
    };
    for (const auto& row : rows) {
        writeBytes(pathIn(install.system, row.name), row.name);
        touch(pathIn(install.system, row.name), row.modified);
    }
    QByteArrayList listed;
    for (const BackupInfo& backup : listBackups(Install::of(install.state))) {
        listed << backup.made.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toUtf8() + ' ' +
                      backup.name + ' ' + QByteArray::number(backup.size);
    }
    EXPECT_EQ(listed.join('\n'),
              "2026-12-31 23:59:05 Rendix_UnrealTournament123123595.ini 36\n"
              "2026-11-01 02:03:04 rendix_unrealtournament111234_2.INI 35\n"
              "2026-11-01 02:03:04 Rendix_UnrealTournament111234.ini 33\n"
              "2025-12-04 23:05:07 Rendix_UnrealTournament1242357.ini 34\n"
              "2024-02-03 04:05:07 Rendix_UnrealTournamentNotATime.ini 35\n"
              "2024-02-03 04:05:06 Rendix_UnrealTournament99.ini 29");
}

// A restore backs up the current file first, then puts the backup's bytes back; anything
// that fails leaves the file as it was, and a name that is no backup of this file is none.
TEST(Restore, PutsTheBackupBackAfterBackingUpTheCurrentFile) {
    const QByteArray current("[URL]\r\nMap=Now.unr\r\n"), old("[URL]\r\nMap=Then.unr\n");
    const QByteArray name("Rendix_UnrealTournament1111.ini");
    failEach(
        current, "System", "Notes.txt",
        [&](ModMain& state, Messages& messages) {
            writeBytes(pathIn(Install::of(state).configFolder(), name), old);
            // A folder that cannot be listed finds no backup; then nothing is tried.
            if (const std::optional<BackupInfo> backup = findBackup(Install::of(state), name)) {
                RestoreBackup(state, messages, *backup);
            }
        },
        [&](SmallInstall& install) {
            const bool restored = install.messages.statusText == QStringLiteral("Restored ") +
                                                                     QLatin1String(name) +
                                                                     QLatin1Char('.');
            EXPECT_EQ(readBytes(install.ini), restored ? old : current);
            EXPECT_TRUE(restored ? install.messages.shown.empty()
                                 : install.messages.shown.size() <= 1)
                << install.shown().constData();
            if (restored) {
                EXPECT_EQ(readBytes(install.state.LastBackup), current);
            }
        });

    SmallInstall install(current, "System", "Elsewhere/" + name);
    writeBytes(pathIn(install.system, name), old);
    const Install paths = Install::of(install.state);
    EXPECT_TRUE(findBackup(paths, pathIn(install.system, "rendix_unrealtournament1111.ini")));
    for (const QByteArray& other :
         {pathIn(install.state.UTDir, "Elsewhere/" + name), QByteArray("Notes.txt"),
          QByteArray("UnrealTournament.ini"), QByteArray("Rendix_UnrealTournament2.ini")}) {
        EXPECT_FALSE(findBackup(paths, other)) << other.constData();
    }

    // While the game runs, No (the default) changes nothing and makes no backup.
    platform::TestSeam seam;
    seam.setHomeFolder(install.temp.file("home"));
    seam.setRunningPrograms({pathIn(install.system, "ut-bin")});
    EXPECT_FALSE(RestoreBackup(install.state, install.messages, *findBackup(paths, name)));
    EXPECT_EQ(readBytes(install.ini), current);
    EXPECT_EQ(install.backups().size(), 1u);
    EXPECT_EQ(install.messages.shown.back().title, QStringLiteral("Game running"));
}

// A backup is a plain file that Rendix made: a link planted under a backup's name, however
// late its date, is never listed, restored or deleted, nor is whatever it leads to; nor is a
// backup that turned into a link after it was listed.
TEST(Restore, TakesNoLinkForABackup) {
    if (const char* why = linksUnavailable()) {
        GTEST_SKIP() << why;
    }
    SmallInstall install("[URL]\r\n", "System", "Notes.txt");
    const QByteArray secret = install.temp.file("secret"),
                     real = "Rendix_UnrealTournament1242357.ini";
    writeBytes(secret, "secret");
    writeBytes(pathIn(install.system, real), "[URL]\r\nMap=Then.unr\r\n");
    const struct {
        const char* name;
        QByteArray to;  // where the link leads
    } planted[] = {
        {"Rendix_UnrealTournament1231235959.ini", secret},
        {"rendix_unrealtournament1231235958.ini", real},
    };
    for (const auto& row : planted) {
        ASSERT_TRUE(makeLink(row.to, pathIn(install.system, row.name)));
    }
    const Install paths = Install::of(install.state);
    const std::vector<BackupInfo> backups = listBackups(paths);
    ASSERT_EQ(backups.size(), 1u);
    EXPECT_EQ(backups[0].name, real);
    EXPECT_EQ(latestBackup(paths)->name, real);
    for (const auto& row : planted) {
        EXPECT_FALSE(findBackup(paths, row.name)) << row.name;
        EXPECT_FALSE(findBackup(paths, pathIn(install.system, row.name))) << row.name;
    }

    const QByteArray before = readBytes(install.ini);
    const QByteArray realPath = pathIn(install.system, real);
    ASSERT_TRUE(std::filesystem::remove(fsPath(realPath)));
    ASSERT_TRUE(makeLink(secret, realPath));
    install.run([&](ModMain& state, Messages& messages) {
        EXPECT_FALSE(RestoreBackup(state, messages, backups[0]));
    });
    EXPECT_EQ(readBytes(install.ini), before);
    EXPECT_EQ(install.messages.shown.back().title, QStringLiteral("Read failed"));

    writeBytes(pathIn(install.system, "Rendix_UnrealTournament11000.ini"), before);
    install.messages.answers = {MessageAnswer::Yes};
    install.run([](ModMain& state, Messages& messages) { DeleteBackups(state, messages); });
    EXPECT_EQ(install.files(), (std::vector<QByteArray>{"Notes.txt", planted[0].name, real,
                                                        "UnrealTournament.ini", planted[1].name}));
    EXPECT_EQ(readBytes(secret), "secret");
}

}  // namespace rendix::testing
