#include <gtest/gtest.h>

#include "platform/Registry.h"
#include "platform/Seam.h"

namespace rendix::platform {
namespace {

TEST(SeamTest, CountsAndFailsThePlannedOperations) {
    EXPECT_FALSE(injectFault(Operation::Write));
    TestSeam seam;
    seam.failNth(Operation::Write, 2);
    seam.failNth(Operation::Write, 4);
    std::vector<bool> faults;
    for (int i = 0; i < 5; ++i) {
        faults.push_back(injectFault(Operation::Write));
    }
    EXPECT_EQ(faults, (std::vector<bool>{false, true, false, true, false}));
    EXPECT_EQ(seam.count(Operation::Write), 5);
    EXPECT_EQ(seam.count(Operation::Read), 0);
    seam.failAll(Operation::Delete);
    EXPECT_TRUE(injectFault(Operation::Delete));
    EXPECT_TRUE(injectFault(Operation::Delete));
    seam.resetCounts();
    EXPECT_EQ(seam.count(Operation::Write), 0);
    EXPECT_FALSE(injectFault(Operation::Delete));
    EXPECT_FALSE(injectFault(Operation::Write));
    EXPECT_FALSE(injectFault(Operation::Write));
}

TEST(RegistryTest, OnlyTheFakeRegistryAnswers) {
    const QByteArray key = "SOFTWARE\\Microsoft\\Shared Tools\\MSInfo";
    EXPECT_EQ(queryRegistryValue(kHkeyLocalMachine, key, "Path"), std::nullopt);
    TestSeam seam;
    seam.setRegistryValue(kHkeyLocalMachine, key, "Path", {kRegistryString, "C:\\msinfo32.exe"});
    seam.setRegistryValue(kHkeyLocalMachine, key, "Huge", {kRegistryString, QByteArray(1025, 'x')});
    const std::optional<RegistryValue> value =
        queryRegistryValue(kHkeyLocalMachine, "software\\microsoft\\shared tools\\msinfo", "PATH");
    ASSERT_TRUE(value);
    EXPECT_EQ(value->type, kRegistryString);
    EXPECT_EQ(value->data, "C:\\msinfo32.exe");
    EXPECT_EQ(queryRegistryValue(kHkeyLocalMachine, key, "Other"), std::nullopt);
    EXPECT_EQ(queryRegistryValue(kHkeyLocalMachine, key, "Huge"), std::nullopt);
    EXPECT_EQ(queryRegistryValue(0x80000001u, key, "Path"), std::nullopt);
}

}  // namespace
}  // namespace rendix::platform
