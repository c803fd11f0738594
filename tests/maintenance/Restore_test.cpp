#include <QDateTime>

#include <filesystem>

#include "maintenance/Backups.h"
#include "maintenance/MaintenanceFixture.h"
#include "maintenance/Restore.h"

namespace rendix::testing {

// data/backups.rows: names carry no year and no leading zeros: the file's time picks the year
// and the reading.
TEST(Restore, ListsTheBackupsNewestFirstWithTheTimeTheyWereMade) {
    SmallInstall install("[URL]\r\n", "System", "Notes.txt");
    const QString format = QStringLiteral("yyyy-MM-dd HH:mm:ss");
    QByteArrayList expected;
    for (const QList<QByteArray>& row : dataTable("backups.rows")) {
        writeBytes(pathIn(install.system, row[0]), row[0]);
        setModified(pathIn(install.system, row[0]),
                    QDateTime::fromString(QString::fromUtf8(row[1]), format).toSecsSinceEpoch());
        expected << row[2].left(19) + ' ' + row[0] + row[2].mid(19);
    }
    QByteArrayList listed;
    for (const BackupInfo& backup : listBackups(Install::of(install.state))) {
        listed << backup.made.toString(format).toUtf8() + ' ' + backup.name + ' ' +
                      QByteArray::number(backup.size);
    }
    EXPECT_EQ(listed.join('\n'), expected.join('\n'));
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
