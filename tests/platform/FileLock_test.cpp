#include "platform/FileLock.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

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

}  // namespace
}  // namespace rendix::platform
