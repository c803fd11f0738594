#include "platform/Processes.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "platform/KnownFolders.h"
#include "platform/Seam.h"
#include "support/TestFiles.h"

namespace rendix::platform {
namespace {

QByteArray realPathOf(const QByteArray& path) {
    return QByteArray::fromStdString(std::filesystem::canonical(path.constData()).native());
}

TEST(ProcessesTest, FindsOnlyProgramsDirectlyInTheGivenFolders) {
    // Without the seam: this test program runs from the program folder (other test
    // programs may run from there too).
    const std::vector<QByteArray> here = runningProgramsIn({programDirectory()});
    EXPECT_NE(std::find(here.begin(), here.end(), realPathOf("/proc/self/exe")), here.end());

    testing::TempDir root;
    const QByteArray base = realPathOf(root.path());
    for (const QByteArray folder : {"System/sub", "System64", "SystemX"}) {
        testing::makeFolder(base + '/' + folder);
    }
    ASSERT_EQ(::symlink("System", root.file("Linked").constData()), 0);
    TestSeam seam;
    seam.setRunningPrograms({base + "/System/UnrealTournament-bin", base + "/System/sub/ucc-bin",
                             base + "/SystemX/ut-bin", base + "/System64/ucc-bin",
                             base + "/System/UnrealTournament-bin", "/usr/bin/bash"});
    std::vector<QByteArray> found =
        runningProgramsIn({root.file("Linked/"), root.file("System64")});
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (std::vector<QByteArray>{base + "/System/UnrealTournament-bin",
                                              base + "/System64/ucc-bin"}));
    EXPECT_TRUE(runningProgramsIn({root.file("Missing")}).empty());
}

}  // namespace
}  // namespace rendix::platform
