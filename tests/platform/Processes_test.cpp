#include "platform/Processes.h"

#include <QCoreApplication>
#include <QFile>

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/Seam.h"
#include "support/ChildProcess.h"
#include "support/TestFiles.h"

namespace rendix::platform {
namespace {

using testing::pathIn;

TEST(ProcessesTest, FindsOnlyProgramsDirectlyInTheGivenFolders) {
    testing::TempDir root;
    const QByteArray base = testing::realPath(root.path());
    for (const QByteArray folder : {"System/sub", "System64", "SystemX"}) {
        testing::makeFolder(pathIn(base, folder));
    }
    // A folder named through a link, or in another letter case where no link can be made.
    const bool links = testing::linksUnavailable() == nullptr;
    ASSERT_TRUE(!links || testing::makeLink("System", root.file("Linked")));
    TestSeam seam;
    seam.setRunningPrograms({pathIn(base, "System/UnrealTournament-bin"),
                             pathIn(base, "System/sub/ucc-bin"), pathIn(base, "SystemX/ut-bin"),
                             pathIn(base, "System64/ucc-bin"),
                             pathIn(base, "System/UnrealTournament-bin"), pathIn(base, "bash")});
    std::vector<QByteArray> found = runningProgramsIn(
        {links ? root.file("Linked/") : root.file("SYSTEM/"), root.file("System64")});
    std::vector<QByteArray> expected{pathIn(base, "System/UnrealTournament-bin"),
                                     pathIn(base, "System64/ucc-bin")};
    std::sort(found.begin(), found.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(found, expected);
    EXPECT_TRUE(runningProgramsIn({root.file("Missing")}).empty());
}

TEST(ProcessesTest, FindsAGameStartedFromACopyInItsSystemFolder) {
    testing::TempDir root;
    const QByteArray system = root.file("UT/System");
    const QByteArray game = pathIn(system, "UnrealTournament.exe");
    testing::makeFolder(system);
    ASSERT_TRUE(QFile::copy(QCoreApplication::applicationFilePath(), QFile::decodeName(game)));
    EXPECT_TRUE(runningProgramsIn({system}).empty());
    testing::Child running("idle", {}, QFile::decodeName(game));
    ASSERT_EQ(running.line(), "running");
    EXPECT_EQ(runningProgramsIn({system}), std::vector<QByteArray>{testing::realPath(game)});
    running.kill();
    EXPECT_TRUE(runningProgramsIn({system}).empty());
}

}  // namespace
}  // namespace rendix::platform
