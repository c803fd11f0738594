#include "platform/FileLock.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "DataTable.h"
#include "support/ChildProcess.h"
#include "support/TestFiles.h"

namespace rendix::platform {
namespace {

TEST(FileLockTest, OneHolderAtATimeAndAKilledHolderNeverBlocks) {
    testing::TempDir root;
    const QByteArray guarded = root.file("System/UnrealTournament.ini");
    testing::writeBytes(guarded, "[Engine]\r\n");
    const QByteArray lockPath = root.file("System/.UnrealTournament.ini.lock");
    EXPECT_EQ(FileLock::lockPathFor(root.file("system/unrealtournament.INI")), lockPath);

    FileLock first;
    ASSERT_TRUE(first.acquire(guarded));
    EXPECT_TRUE(first.acquire(guarded, 0));  // held already
    // The lock belongs to the open lock file: a second lock in the same process waits like
    // another process would.
    FileLock second;
    const Result busy = second.acquire(guarded, 100);
    EXPECT_EQ(busy.problem, Problem::Busy);
    EXPECT_EQ(busy.path, guarded);
    EXPECT_FALSE(second.held());
    first.release();
    EXPECT_TRUE(second.acquire(guarded, 0));
    EXPECT_EQ(testing::holdLock(guarded)->line(), "Another Rendix is changing " + guarded + ".");
    second.release();
    EXPECT_EQ(testing::folderNames(root.file("System")),
              (std::vector<QByteArray>{".UnrealTournament.ini.lock", "UnrealTournament.ini"}));

    // Another process that holds the lock, then is killed: the lock goes with it.
    const std::unique_ptr<testing::Child> holder = testing::holdLock(guarded);
    ASSERT_EQ(holder->line(), "locked");
    EXPECT_EQ(first.acquire(guarded, 100).problem, Problem::Busy);
    holder->kill();
    EXPECT_TRUE(first.acquire(guarded, 0));

    EXPECT_EQ(FileLock().acquire(root.file("Missing/Rendix.ini"), 0).problem, Problem::Other);
}

// A configuration file that links into a data volume has one lock, beside the file itself,
// whichever path a writer takes. Whatever stands at the lock file's name but a plain file
// is refused: nothing is created or changed where a link there leads.
TEST(FileLockTest, LocksTheRealFileThroughNothingButAPlainLockFile) {
    if (const char* why = testing::linksUnavailable()) {
        GTEST_SKIP() << why;
    }
    testing::TempDir root;
    const QByteArray real = root.file("volume/UnrealTournament.ini");
    const QByteArray link = root.file("System/UnrealTournament.ini");
    const QByteArray lockPath = root.file("volume/.UnrealTournament.ini.lock");
    testing::writeBytes(real, "[Engine]\r\n");
    testing::makeFolder(root.file("System"));
    ASSERT_TRUE(testing::makeLink(real, link));
    EXPECT_EQ(FileLock::lockPathFor(link), lockPath);
    FileLock first;
    ASSERT_TRUE(first.acquire(link));
    EXPECT_EQ(FileLock().acquire(real, 100).problem, Problem::Busy);
    first.release();
    EXPECT_EQ(testing::folderNames(root.file("System")),
              std::vector<QByteArray>{"UnrealTournament.ini"});

    const QByteArray made = root.file("made"), kept = root.file("kept");
    testing::writeBytes(kept, "keep me");
    const struct {
        const char* name;
        std::function<bool()> plant;  // false where this system has no such thing
    } rows[] = {
        {"link to no file", [&] { return testing::makeLink(made, lockPath); }},
        {"link to a file", [&] { return testing::makeLink(kept, lockPath); }},
        {"folder", [&] { return testing::makeFolder(lockPath), true; }},
        {"pipe", [&] { return testing::makePipe(lockPath); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::filesystem::remove_all(testing::fsPath(lockPath));
        if (!row.plant()) {
            continue;
        }
        const Result refused = FileLock().acquire(link, 0);
        EXPECT_EQ(refused.problem, Problem::Other);
        EXPECT_TRUE(refused.error.contains(QString::fromUtf8(lockPath)))
            << refused.error.toStdString();
        EXPECT_FALSE(testing::exists(made));
        EXPECT_EQ(testing::readBytes(kept), "keep me");
    }
}

// A run as root must not lock the server's account out: the lock file it makes belongs to
// the guarded file's owner and group, and another account's lock file that one may only read
// still serves for the lock. One that cannot even be read is named with the system's reason.
TEST(FileLockTest, ServesEveryAccountThatWritesTheGuardedFile) {
    if (const char* why = testing::posixFilesUnavailable()) {
        GTEST_SKIP() << why;
    }
    testing::TempDir root;
    ASSERT_TRUE(testing::setMode(root.path(), 0755));
    const QByteArray guarded = root.file("System/UnrealTournament.ini");
    const QByteArray lockPath = root.file("System/.UnrealTournament.ini.lock");
    testing::writeBytes(guarded, "[Engine]\r\n");
    ASSERT_TRUE(testing::setOwner(guarded, 12345, 23456));
    ASSERT_TRUE(FileLock().acquire(guarded, 0));
    EXPECT_EQ(testing::ownerOf(lockPath), std::pair(12345u, 23456u));

    for (const QList<QByteArray>& row : testing::dataTable("lock-modes.rows")) {
        SCOPED_TRACE(row[0].constData());
        ASSERT_TRUE(testing::setOwner(lockPath, 0, 0));
        ASSERT_TRUE(testing::setMode(lockPath, row[0].toUInt(nullptr, 8)));
        const QByteArray outcome = testing::runAsNobody([&] {
            const Result locked = FileLock().acquire(guarded, 0);
            return locked ? QByteArray("locked") : locked.error.toUtf8();
        });
        EXPECT_EQ(outcome, QString::fromUtf8(row[1]).arg(QString::fromUtf8(lockPath)).toUtf8());
    }
}

}  // namespace
}  // namespace rendix::platform
