#include "platform/FileLock.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

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
    // flock belongs to the open file: a second lock in the same process waits like another
    // process would.
    FileLock second;
    const Result busy = second.acquire(guarded, 100);
    EXPECT_EQ(busy.problem, Problem::Busy);
    EXPECT_EQ(busy.path, guarded);
    EXPECT_FALSE(second.held());
    first.release();
    EXPECT_TRUE(second.acquire(guarded, 0));
    second.release();
    EXPECT_EQ(testing::folderNames(root.file("System")),
              (std::vector<QByteArray>{".UnrealTournament.ini.lock", "UnrealTournament.ini"}));

    // A holder killed while it holds the lock: the lock goes with it.
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {  // only async-signal-safe calls from here on
        const int fd = ::open(lockPath.constData(), O_RDWR);
        if (fd < 0 || ::flock(fd, LOCK_EX) != 0 || ::write(ready[1], "x", 1) != 1) {
            ::_exit(1);
        }
        for (;;) {
            ::pause();
        }
    }
    ::close(ready[1]);
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    ::close(ready[0]);
    EXPECT_EQ(first.acquire(guarded, 100).problem, Problem::Busy);
    ASSERT_EQ(::kill(child, SIGKILL), 0);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(first.acquire(guarded, 0));

    EXPECT_EQ(FileLock().acquire(root.file("Missing/Rendix.ini"), 0).problem, Problem::Other);
}

// A configuration file that links into a data volume has one lock, beside the file itself,
// whichever path a writer takes. Whatever stands at the lock file's name but a plain file
// is refused: nothing is created or changed where a link there leads.
TEST(FileLockTest, LocksTheRealFileThroughNothingButAPlainLockFile) {
    testing::TempDir root;
    const QByteArray real = root.file("volume/UnrealTournament.ini");
    const QByteArray link = root.file("System/UnrealTournament.ini");
    const QByteArray lockPath = root.file("volume/.UnrealTournament.ini.lock");
    testing::writeBytes(real, "[Engine]\r\n");
    testing::makeFolder(root.file("System"));
    ASSERT_EQ(::symlink(real.constData(), link.constData()), 0);
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
        std::function<int()> plant;
    } rows[] = {
        {"link to no file", [&] { return ::symlink(made.constData(), lockPath.constData()); }},
        {"link to a file", [&] { return ::symlink(kept.constData(), lockPath.constData()); }},
        {"folder", [&] { return ::mkdir(lockPath.constData(), 0755); }},
        {"pipe", [&] { return ::mkfifo(lockPath.constData(), 0666); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::filesystem::remove_all(lockPath.constData());
        ASSERT_EQ(row.plant(), 0);
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
    testing::TempDir root;
    ASSERT_EQ(::chmod(root.path().constData(), 0755), 0);
    const QByteArray guarded = root.file("System/UnrealTournament.ini");
    const QByteArray lockPath = root.file("System/.UnrealTournament.ini.lock");
    testing::writeBytes(guarded, "[Engine]\r\n");
    ASSERT_EQ(::chown(guarded.constData(), 12345, 23456), 0);
    ASSERT_TRUE(FileLock().acquire(guarded, 0));
    struct stat info {};
    ASSERT_EQ(::stat(lockPath.constData(), &info), 0);
    EXPECT_EQ(info.st_uid, 12345u);
    EXPECT_EQ(info.st_gid, 23456u);

    const struct {
        mode_t mode;
        const char* outcome;  // of a lock taken by another account than the lock file's
    } rows[] = {
        {0644, "locked"},
        {0600, "cannot open the lock file %1: Permission denied"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.mode);
        ASSERT_EQ(::chown(lockPath.constData(), 0, 0), 0);
        ASSERT_EQ(::chmod(lockPath.constData(), row.mode), 0);
        const QByteArray outcome = testing::runAsNobody([&] {
            const Result locked = FileLock().acquire(guarded, 0);
            return locked ? QByteArray("locked") : locked.error.toUtf8();
        });
        EXPECT_EQ(outcome,
                  QString::fromUtf8(row.outcome).arg(QString::fromUtf8(lockPath)).toUtf8());
    }
}

}  // namespace
}  // namespace rendix::platform
